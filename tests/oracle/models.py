"""Step-by-step models of the solvers, written apart from the C++ code.

Each model follows the documented algorithm of one program on the lists of
the matching reader and returns the report counters, so that differential
tests can compare counters, not only results. Nodes are indices; lists[v]
is the list of neighbour indices of v in reading order.
"""

import collections

INF = 0x3FFFFFFF


def sort_by_owner(n, owners, exchange):
    """The readers' in-place counting sort of items tagged with their owners.

    exchange(p, q) swaps the items at positions p and q. Returns first, where
    node v's items end up at positions first[v] ... first[v + 1] - 1.
    """
    count = [0] * (n + 1)
    for owner in owners:
        count[owner + 1] += 1
    first = [0] * (n + 1)
    for v in range(n):
        if v > 0:
            count[v] += count[v - 1]
        first[v] = count[v]
    first[n] = len(owners)
    for v in range(n):
        p = count[v]
        while p < first[v + 1]:
            while owners[p] != v:
                t = owners[p]
                q = count[t]
                exchange(p, q)
                owners[p], owners[q] = owners[q], t
                count[t] += 1
            p += 1
    return first


def matching_lists(n1, n2, edges):
    """Lists of a bipartite problem after the in-place counting sort.

    Returns (lists, source, sink). X nodes are 0..n1-1, Y nodes n1..n1+n2-1.
    """
    n = n1 + n2 + 2
    source, sink = n - 2, n - 1
    targets, owners = [], []

    def add(t, h):
        targets.extend([h, t])
        owners.extend([t, h])

    for u, v in edges:
        add(u - 1, n1 + v - 1)
    for x in range(n1):
        add(source, x)
    for y in range(n1, n - 2):
        add(y, sink)
    def exchange(p, q):
        targets[p], targets[q] = targets[q], targets[p]

    first = sort_by_owner(n, owners, exchange)
    return [targets[first[x]:first[x + 1]] for x in range(n)], source, sink


def augrelabel(lists, source, sink, factor=1.0):
    """Counters (augments, pushes, work) of the augment-relabel solver."""
    n = len(lists)
    xs, ys = lists[source], lists[sink]
    mate = [sink] * n
    d = [0] * n
    cur = [0] * n  # position in the node's list
    c = {"aug": 0, "push": 0, "work": 0}
    for v in ys + xs:
        mate[v], cur[v], d[v] = sink, 0, 0
        c["work"] += 1
    # greedy start: a step per X node, a step per entry examined
    for v in xs:
        c["work"] += 1
        for w in lists[v]:
            c["work"] += 1
            if w == source:
                continue
            if mate[w] == sink:
                mate[w], mate[v] = v, w
                c["aug"] += 1
                c["push"] += 1
                break

    free_nodes = []

    def global_update():
        free_nodes.clear()
        for x in xs:
            d[x], cur[x] = INF, 0
            c["work"] += 1
        queue = []
        for y in ys:
            if mate[y] == sink:
                queue.append(y)
                c["work"] += 1
        d[sink] = -1
        head = 0
        while head < len(queue):
            y = queue[head]
            head += 1
            label = d[mate[y]] + 1
            for x in lists[y]:
                c["work"] += 1
                if d[x] == INF and x != mate[y]:
                    d[x] = label
                    if mate[x] == sink:
                        free_nodes.append(x)
                    else:
                        queue.append(mate[x])

    threshold = int((n - 2) / 2)
    relabels = 0
    global_update()
    while free_nodes:
        root = free_nodes.pop(0)
        path = [root]
        u = root
        while True:
            found = None
            i = cur[u]
            while i < len(lists[u]):
                c["work"] += 1
                w = lists[u][i]
                if w != source and (mate[w] == sink or d[u] == d[mate[w]] + 1):
                    found = i
                    break
                i += 1
            if found is not None:
                cur[u] = found
                w = lists[u][found]
                if mate[w] == sink:
                    while path:
                        x = path.pop()
                        y = lists[x][cur[x]]
                        mate[x], mate[y] = y, x
                        c["push"] += 1
                        c["work"] += 1
                    c["aug"] += 1
                    break
                u = mate[w]
                path.append(u)
                continue
            d[u] += 1
            cur[u] = 0
            c["work"] += 1
            relabels += 1
            if u == root:
                if d[root] < threshold:
                    free_nodes.append(root)
                break
            if relabels > factor * n:
                global_update()
                relabels = 0
                break
            path.pop()
            u = path[-1]
            c["work"] += 1
            cur[u] += 1
    return c["aug"], c["push"], c["work"]


def greedy(lists, source, sink, mate, c, step_per_node, cur=None):
    """The greedy start; sets cur of each X node when cur is given."""
    for v in lists[source]:
        if step_per_node:
            c["work"] += 1
        stop = len(lists[v])
        for i, w in enumerate(lists[v]):
            c["work"] += 1
            if w != source and mate[w] == sink:
                mate[w], mate[v] = v, w
                c["aug"] += 1
                c["push"] += 1
                stop = i
                break
        if cur is not None:
            cur[v] = stop


def pushmatch(lists, source, sink, lifo, greedy_start=False, factor=1.0):
    """Counters (augments, pushes, work) of push-relabel matching."""
    n = len(lists)
    xs, ys = lists[source], lists[sink]
    bound = min(len(xs), len(ys))
    mate = [sink] * n
    d = [0] * n
    cur = [0] * n
    c = {"aug": 0, "push": 0, "work": 0}
    active = collections.deque()
    for v in ys + xs:
        mate[v], cur[v], d[v] = sink, 0, 0
    if not greedy_start:
        active.extend(xs)

    def global_update():
        active.clear()
        for x in xs:
            c["work"] += 1
            d[x] = INF
        d[sink] = -1
        queue = collections.deque()
        for y in ys:
            if mate[y] == sink:
                queue.append(y)
            c["work"] += 1
        while queue:
            y = queue.popleft()
            label = d[mate[y]] + 1
            for x in lists[y]:
                c["work"] += 1
                if d[x] == INF and x != mate[y]:
                    d[x] = label
                    if mate[x] == sink:
                        active.append(x)
                    else:
                        queue.append(mate[x])

    def match_node(x):
        i = cur[x]
        while i < len(lists[x]):
            c["work"] += 1
            y = lists[x][i]
            if y != source:
                if mate[y] == sink:
                    mate[y], mate[x] = x, y
                    c["aug"] += 1
                    break
                s = mate[y]
                if d[s] < d[x]:
                    mate[y], mate[x], mate[s] = x, y, sink
                    active.append(s)
                    break
            i += 1
        cur[x] = i

    def relabel(x):
        a, best = bound, None
        for i, y in enumerate(lists[x]):
            c["work"] += 1
            if y == source:
                continue
            b = d[mate[y]] + 1
            if b < a:
                a, best = b, i
        d[x] = a
        if a < bound:
            cur[x] = best
            active.append(x)

    if greedy_start:
        greedy(lists, source, sink, mate, c, False, cur)
        global_update()
    d[sink] = -1
    relabels = 0
    while active:
        x = active.pop() if lifo else active.popleft()
        if d[x] >= bound:
            continue
        match_node(x)
        if mate[x] != sink:
            continue
        relabel(x)
        relabels += 1
        if relabels > factor * n:
            global_update()
            relabels = 0
    return c["aug"], c["push"], c["work"]


def depthmatch(lists, source, sink):
    """Counters (augments, pushes, work) of the depth-first matcher."""
    n = len(lists)
    xs, ys = lists[source], lists[sink]
    mate = [sink] * n
    visited = [0] * n
    cur = [0] * n
    look = [0] * n
    c = {"aug": 0, "push": 0, "work": 0}
    c["work"] += len(ys) + len(xs)
    greedy(lists, source, sink, mate, c, True)

    def lookahead(x):
        i = look[x]
        while i < len(lists[x]):
            c["work"] += 1
            w = lists[x][i]
            if w != source and mate[w] == sink:
                break
            i += 1
        look[x] = i
        return i < len(lists[x])

    def search(v):
        path = [v]
        u = path.pop()
        i = cur[u]
        while True:
            while i < len(lists[u]):
                c["work"] += 1
                w = lists[u][i]
                if w != source and not visited[mate[w]]:
                    x = mate[w]
                    cur[u] = i
                    path.append(u)
                    visited[x] = 1
                    reached.append(x)
                    if lookahead(x):
                        cur[x] = look[x]
                        path.append(x)
                        while path:
                            p = path.pop()
                            y = lists[p][cur[p]]
                            mate[p], mate[y] = y, p
                            c["push"] += 1
                            c["work"] += 1
                        c["aug"] += 1
                        return True
                    u, i = x, 0
                    continue
                i += 1
            if not path:
                return False
            u = path.pop()
            c["work"] += 1
            i = cur[u] + 1

    for v in xs:
        c["work"] += 1
        if mate[v] != sink:
            continue
        visited[v] = 1
        reached = [v]
        if search(v):
            for x in reached:
                visited[x] = 0
    return c["aug"], c["push"], c["work"]


def breadthmatch(lists, source, sink):
    """Counters (augments, pushes, work) of the breadth-first matcher."""
    n = len(lists)
    xs, ys = lists[source], lists[sink]
    mate = [sink] * n
    visited = [0] * n
    parent = [None] * n
    c = {"aug": 0, "push": 0, "work": 0}
    c["work"] += len(ys) + len(xs)
    greedy(lists, source, sink, mate, c, False)

    def augment(y):
        while True:
            c["push"] += 1
            c["work"] += 1
            x = parent[y]
            mate[y] = x
            if mate[x] == sink:
                mate[x] = y
                break
            y, mate[x] = mate[x], y
        c["aug"] += 1

    def search(v):
        queue = collections.deque([v])
        while queue:
            u = queue.popleft()
            for w in lists[u]:
                c["work"] += 1
                if w == source:
                    continue
                if mate[w] == sink:
                    parent[w] = u
                    augment(w)
                    return True
                x = mate[w]
                if visited[x]:
                    continue
                parent[w] = u
                visited[x] = 1
                queue.append(x)
                reached.append(x)
        return False

    for v in xs:
        c["work"] += 1
        if mate[v] != sink or visited[v]:
            continue
        visited[v] = 1
        reached = [v]
        if search(v):
            for x in reached:
                visited[x] = 0
    return c["aug"], c["push"], c["work"]


class FlowNetwork:
    """The unit-flow reader's records after its in-place permutation.

    Records are [to, pair, full, cap] lists at positions 0 … 2m − 1; node v's
    records are the positions first[v] … first[v + 1] − 1.
    """

    def __init__(self, n, arcs, source, sink):
        self.n, self.source, self.sink = n, source, sink
        rec, owner = [], []
        for t, h in arcs:
            k = len(rec)
            rec += [[h, k + 1, 0, 1], [t, k, 1, 0]]
            owner += [t, h]
        def exchange(p, q):
            # The record from p goes to q and the one from q to p; their
            # partners must follow.
            rec[p], rec[q] = rec[q], rec[p]
            to_q, to_p = rec[q], rec[p]
            if to_q[1] == q:
                to_q[1], to_p[1] = p, q
            else:
                rec[to_q[1]][1] = q
                rec[to_p[1]][1] = p

        first = sort_by_owner(n, owner, exchange)
        self.rec, self.first = rec, first

    def records(self, v):
        return range(self.first[v], self.first[v + 1])


def unitflow(net, lifo, factor=1.0):
    """(flow, pushes, work) of the two-phase unit-flow solver."""
    n, rec, first = net.n, net.rec, net.first
    source, sink = net.source, net.sink
    m2 = len(rec)
    c = {"push": 0, "work": 0}
    cur = first[:n]
    d = [0] * n
    excess = [0] * n
    active = collections.deque()
    c["work"] += len(net.records(source)) + len(net.records(sink))
    excess[source] = min(len(net.records(source)), len(net.records(sink)))
    excess[sink] = -m2 - 1

    def flip(r):
        rec[r][2] = 1 - rec[r][2]
        rec[rec[r][1]][2] = 1 - rec[rec[r][1]][2]

    def global_update():
        active.clear()
        for v in range(n):
            d[v] += n
        d[sink] = 0
        queue = collections.deque([sink])
        while queue:
            y = queue.popleft()
            label = d[y] + 1
            for r in net.records(y):
                c["work"] += 1
                w = rec[r][0]
                old = d[w] - n
                if old < 0 or rec[r][2] != 1:
                    continue
                if label > old:
                    cur[w] = first[w]
                d[w] = label
                if excess[w] > 0:
                    active.append(w)
                queue.append(w)

    def discharge(x):
        target = d[x] - 1
        for r in range(cur[x], first[x + 1]):
            c["work"] += 1
            w = rec[r][0]
            if d[w] == target and rec[r][2] == 0:
                c["push"] += 1
                flip(r)
                excess[x] -= 1
                if excess[w] == 0:
                    active.append(w)
                excess[w] += 1
                if excess[x] <= 0:
                    cur[x] = r + 1
                    return True
        cur[x] = first[x + 1]
        return excess[x] <= 0

    def relabel(x):
        a, best = INF, first[x + 1] - 1
        for r in net.records(x):
            c["work"] += 1
            if rec[r][2] != 1 and d[rec[r][0]] < a:
                a, best = d[rec[r][0]], r
        d[x] = a + 1
        if a + 1 < n:
            cur[x] = best
            active.append(x)

    global_update()
    relabels = 0
    while active:
        x = active.pop() if lifo else active.popleft()
        if d[x] >= n or discharge(x):
            continue
        relabel(x)
        relabels += 1
        if relabels > factor * n:
            global_update()
            relabels = 0
    flow = excess[sink] + m2 + 1
    _preflow_to_flow(net, excess, c)
    return flow, c["push"], c["work"]


def _preflow_to_flow(net, excess, c):
    """Phase 2: cancel flow cycles, then return stuck excess to the source."""
    n, rec, first = net.n, net.rec, net.first
    colour = [0] * n
    cur = first[:n]
    stack, finished = [], []

    def usable(r):
        return rec[r][2] != 1 and rec[r][3] == 0

    def cancel(r):
        rec[r][2] = 1
        rec[rec[r][1]][2] = 0

    for v in range(n):
        if colour[v] != 0 or excess[v] <= 0 or v == net.sink:
            continue
        colour[v] = 1
        x = v
        while True:
            if cur[x] >= first[x + 1]:
                colour[x] = 2
                finished.append(x)
                if x == v:
                    break
                x = stack.pop()
                continue
            c["work"] += 1
            e = cur[x]
            w = rec[e][0]
            if not usable(e) or colour[w] == 2:
                cur[x] += 1
            elif colour[w] == 0:
                colour[w] = 1
                stack.append(x)
                x = w
            else:
                y = x
                while True:
                    cancel(cur[y])
                    colour[y] = 0
                    y = stack.pop()
                    if y == w:
                        break
                cancel(cur[w])
                cur[w] += 1
                x = w
    while finished:
        x = finished.pop()
        for e in net.records(x):
            c["work"] += 1
            if excess[x] <= 0 or x == net.source:
                break
            if usable(e):
                cancel(e)
                excess[x] -= 1
                excess[rec[e][0]] += 1


def match(n1, n2, edges):
    """(size, exchanged edges, dead ends) of the standalone matcher.

    Each U vertex's list holds its edges in the reverse of input order; the
    free U vertices are roots from the highest number down, and vertices of
    failed searches stay excluded.
    """
    lists = [[] for _ in range(n1 + 1)]
    for u, v in edges:
        lists[u].insert(0, v)
    mate_u, mate_v = [0] * (n1 + 1), [0] * (n2 + 1)
    for u in range(1, n1 + 1):
        for v in lists[u]:
            if mate_v[v] == 0:
                mate_v[v], mate_u[u] = u, v
                break
    look = [0] * (n1 + 1)  # lookahead position; len(list) once run out
    marked = [False] * (n1 + 1)
    roots = [u for u in range(1, n1 + 1) if mate_u[u] == 0]
    exchanged = dead_ends = 0
    failed_for_good, dead = [], []
    while roots:
        path = [(roots.pop(), None)]  # (vertex, position of the edge taken)
        marked[path[0][0]] = True
        start = 0
        found = False
        while path:
            a = path[-1][0]
            i = next((k for k in range(start, len(lists[a]))
                      if not marked[mate_v[lists[a][k]]]), None)
            if i is None:
                dead_ends += 1
                path.pop()
                dead.append(a)
                if path:
                    start = path[-1][1] + 1
                continue
            path[-1] = (a, i)
            w = mate_v[lists[a][i]]
            k = look[w]
            while k < len(lists[w]) and mate_v[lists[w][k]] != 0:
                k += 1
            look[w] = k
            if k == len(lists[w]):
                path.append((w, None))
                marked[w] = True
                start = 0
                continue
            x = lists[w][k]
            mate_v[x], mate_u[w] = w, x
            marked[w] = False
            for u, j in path:
                y = lists[u][j]
                mate_v[y], mate_u[u] = u, y
                marked[u] = False
                exchanged += 1
            for u in dead:
                marked[u] = False
            dead = []
            found = True
            break
        if not found:
            failed_for_good += dead
            dead = []
    size = sum(1 for u in range(1, n1 + 1) if mate_u[u])
    return size, exchanged, dead_ends

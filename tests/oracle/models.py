"""Step-by-step models of the solvers, written apart from the C++ code.

Each model follows the documented algorithm of one program on the lists of
the matching reader and returns the report counters, so that differential
tests can compare counters, not only results. Nodes are indices; lists[v]
is the list of neighbour indices of v in reading order.
"""

INF = 0x3FFFFFFF


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
    count = [0] * (n + 1)
    for owner in owners:
        count[owner + 1] += 1
    first = [0] * (n + 1)
    for x in range(n):
        if x > 0:
            count[x] += count[x - 1]
        first[x] = count[x]
    first[n] = len(targets)
    for x in range(n):
        p = count[x]
        while p < first[x + 1]:
            while owners[p] != x:
                y = owners[p]
                j = count[y]
                targets[p], targets[j] = targets[j], targets[p]
                owners[p], owners[j] = owners[j], y
                count[y] += 1
            p += 1
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

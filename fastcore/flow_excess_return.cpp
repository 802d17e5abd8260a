#include "flow_excess_return.h"

#include <algorithm>

namespace fast::internal {

template <class Cap>
void ReturnExcess(CapacityResidual<Cap>& network, int64_t* excess, bool to_source, int32_t* label,
                  int32_t* queue, uint32_t* current) {
  const int32_t n = network.nodes();
  const int32_t root = to_source ? network.source() : network.sink();
  const int32_t other = to_source ? network.sink() : network.source();
  auto* arcs = network.arcs();
  const uint32_t* partner = network.partners();
  // The arc a node moves its excess (or deficit) along: a itself toward the
  // source, a's partner (into the node) from the sink.
  auto moving = [&](uint32_t a) { return to_source ? a : partner[a]; };
  auto pending = [&](int32_t u) { return to_source ? excess[u] > 0 : excess[u] < 0; };
  // Labels: breadth-first from the root over the arcs that move toward it.
  const int32_t unreached = n;
  std::fill(label, label + n, unreached);
  label[root] = 0;
  queue[0] = root;
  size_t tail = 1;
  for (size_t next = 0; next < tail; ++next) {
    const int32_t v = queue[next];
    for (uint32_t a = network.begin(v); a < network.end(v); ++a) {
      const int32_t h = arcs[a].head();
      const bool toward_v = to_source ? arcs[a].reverse_open() : arcs[a].residual != 0;
      if (label[h] != unreached || h == other || !toward_v) continue;
      label[h] = label[v] + 1;
      queue[tail++] = h;
    }
  }
  size_t head = 0, count = 0;
  auto enqueue = [&](int32_t u) { queue[(head + count++) % size_t(n)] = u; };
  for (int32_t u = 0; u < n; ++u) {
    current[u] = network.begin(u);
    if (u != root && u != other && pending(u)) enqueue(u);
  }
  while (count > 0) {
    const int32_t u = queue[head];
    head = (head + 1) % size_t(n);
    --count;
    while (pending(u)) {
      uint32_t a = current[u];
      for (; a < network.end(u); ++a)
        if (arcs[moving(a)].residual != 0 && label[arcs[a].head()] == label[u] - 1) break;
      if (a == network.end(u)) {
        int32_t lowest = unreached;
        for (uint32_t b = network.begin(u); b < network.end(u); ++b)
          if (arcs[moving(b)].residual != 0) lowest = std::min(lowest, label[arcs[b].head()]);
        label[u] = lowest + 1;
        current[u] = network.begin(u);
        continue;
      }
      current[u] = a;
      const int32_t h = arcs[a].head();
      const int64_t amount = to_source ? excess[u] : -excess[u];
      const Cap room = arcs[moving(a)].residual;
      const Cap delta = int64_t(room) < amount ? room : Cap(amount);
      network.Push(moving(a), delta);
      const int64_t step = to_source ? int64_t(delta) : -int64_t(delta);
      const bool was_settled = excess[h] == 0;
      excess[h] += step;
      excess[u] -= step;
      if (h != root && h != other && was_settled) enqueue(h);
    }
  }
}

template void ReturnExcess(CapacityResidual<uint32_t>&, int64_t*, bool, int32_t*, int32_t*,
                           uint32_t*);
template void ReturnExcess(CapacityResidual<int64_t>&, int64_t*, bool, int32_t*, int32_t*,
                           uint32_t*);

}  // namespace fast::internal

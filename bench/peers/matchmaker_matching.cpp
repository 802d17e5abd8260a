// peer-matchmaker-{pf-plus,pr-fifo-fair,hk-dw}-matching: the research code
// of Duff, Kaya, Langguth, Manne and Ucar, in the configurations their papers
// recommend: a Karp-Sipser start, then PF+ (Pothen-Fan with fairness),
// push-relabel FIFO with fairness, or Hopcroft-Karp in the Duff-Wiberg
// variant. MATCHMAKER_ALGORITHM (one of their do_* codes) picks the
// algorithm at build time. The first side is the columns, whose free
// vertices the searches start from; both compressed forms are built before
// the clock starts, and the timed part is the start and the algorithm.
#include <cstdio>
#include <vector>

#include "peer_report.h"

extern "C" {
#include "matchmaker.h"
}

namespace {

// Compressed lists of a bipartite graph seen from one side: the neighbours
// of vertex v are ids[ptrs[v]] … ids[ptrs[v + 1] - 1], in edge order.
struct Compressed {
  std::vector<int> ptrs;
  std::vector<int> ids;
};

Compressed compress(const Bipartite& graph, bool fromLeft) {
  const int owners = fromLeft ? graph.left : graph.right;
  Compressed form{std::vector<int>(owners + 1, 0), std::vector<int>(graph.edges.size())};
  auto owner = [fromLeft](const Pair& e) { return fromLeft ? e.first : e.second; };
  for (const Pair& e : graph.edges) ++form.ptrs[owner(e) + 1];
  for (int v = 0; v < owners; ++v) form.ptrs[v + 1] += form.ptrs[v];
  std::vector<int> next(form.ptrs.begin(), form.ptrs.end() - 1);
  for (const Pair& e : graph.edges) form.ids[next[owner(e)]++] = fromLeft ? e.second : e.first;
  return form;
}

// The relabel period of the papers' push-relabel runs: a global relabelling
// after every (rows + columns) relabels.
constexpr double kRelabelPeriod = 1.0;

void solve(Compressed& cols, Compressed& rows, std::vector<int>& match,
           std::vector<int>& rowMatch) {
  const int n = static_cast<int>(match.size());
  const int m = static_cast<int>(rowMatch.size());
  cheap_matching(cols.ptrs.data(), cols.ids.data(), rows.ptrs.data(), rows.ids.data(), match.data(),
                 rowMatch.data(), n, m, do_sk_cheap);
  switch (MATCHMAKER_ALGORITHM) {
    case do_pf_fair:
      match_pf_fair(cols.ptrs.data(), cols.ids.data(), match.data(), rowMatch.data(), n, m);
      break;
    case do_pr_fifo_fair:
      match_pr_fifo_fair(cols.ptrs.data(), cols.ids.data(), rows.ptrs.data(), rows.ids.data(),
                         match.data(), rowMatch.data(), n, m, kRelabelPeriod);
      break;
    case do_hk_dw:
      match_hk_dw(cols.ptrs.data(), cols.ids.data(), rows.ptrs.data(), rows.ids.data(),
                  match.data(), rowMatch.data(), n, m);
      break;
  }
}

}  // namespace

int main() {
  const Bipartite graph = matchingOf(readProblem(stdin));
  Compressed cols = compress(graph, true);
  Compressed rows = compress(graph, false);
  std::vector<int> match(graph.left, -1), rowMatch(graph.right, -1);
  const double start = cpuSeconds();
  solve(cols, rows, match, rowMatch);
  const double seconds = cpuSeconds() - start;
  long size = 0;
  for (int mate : match) size += mate >= 0;
  reportMatching(graph, size, seconds);
}

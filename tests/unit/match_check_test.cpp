// CheckMatching's findings, on tables set up by hand, some of them in states
// the matcher itself never leaves.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "dfs.h"
#include "io.h"
#include "match_test_streams.h"
#include "tables.h"

namespace {

UTable U;
VTable V;

using Mates = std::vector<std::pair<int, int>>;

struct CheckCase {
  const char* name;
  const char* problem;
  Mates uMates;  // (u, v): U.vertex[u].mate = v
  Mates vMates;  // (v, u): V.mate[v] = u
  int result;
  const char* printed;
};

const char* const Path3 = "p bipartite-matching 3 3 4\na 1 1\na 2 1\na 2 2\na 3 3\n";

const CheckCase Cases[] = {
    {"maximum matching: silent", Path3, {{1, 1}, {2, 2}, {3, 3}}, {{1, 1}, {2, 2}, {3, 3}}, 1, ""},
    // U 1 and U 3 are free next to free V vertices, but the maximality test
    // is skipped.
    {"U vertex naming a free V vertex",
     Path3,
     {{2, 2}},
     {},
     0,
     "Inconsistent matching between 2(U) and 2(V)\n"},
    {"every disagreement, U side first",
     Path3,
     {{1, 1}},
     {{1, 2}, {3, 3}},
     0,
     "Inconsistent matching between 1(U) and 1(V)\n"
     "Inconsistent matching between 1(V) and 2(U)\n"
     "Inconsistent matching between 3(V) and 3(U)\n"},
    // Root U 1 reaches U 2 through V 1, and U 2 sees the free V 2.
    {"augmenting path",
     Path3,
     {{2, 1}, {3, 3}},
     {{1, 2}, {3, 3}},
     0,
     "matching NOT maximum; augm. path:\n1->2->\n"},
    // Free U 1 sees the free V 3, but root U 4 comes first: through V 1 to
    // U 2, a dead branch, then through V 2 to U 3, which sees the free V 4.
    {"highest root first, dead branch not printed",
     "p bipartite-matching 4 4 6\na 1 3\na 2 1\na 3 4\na 3 2\na 4 2\na 4 1\n",
     {{2, 1}, {3, 2}},
     {{1, 2}, {2, 3}},
     0,
     "matching NOT maximum; augm. path:\n4->3->\n"},
};

TEST(MatchCheck, Findings) {
  for (const CheckCase& c : Cases) {
    SCOPED_TRACE(c.name);
    InputStream in(c.problem);
    InputBipartiteGraph(in.get(), U, V);
    for (const auto& [u, v] : c.uMates) U.vertex[u].mate = v;
    for (const auto& [v, u] : c.vMates) V.mate[v] = u;
    testing::internal::CaptureStdout();
    const int result = CheckMatching(U, V);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed);
    EXPECT_EQ(result, c.result);
  }
}

}  // namespace

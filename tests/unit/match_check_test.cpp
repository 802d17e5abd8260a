// CheckMatching's findings, on tables the matcher itself would never leave.
#include <gtest/gtest.h>

#include <string>

#include "dfs.h"
#include "io.h"
#include "match_test_streams.h"
#include "tables.h"

namespace {

UTable U;
VTable V;

void Read(const std::string& problem) {
  InputStream in(problem);
  InputBipartiteGraph(in.get(), U, V);
}

void Pair(int u, int v) {
  U.vertex[u].mate = v;
  V.mate[v] = u;
}

// CheckMatching's result and what it printed.
struct Finding {
  int result;
  std::string printed;
};
Finding Check() {
  testing::internal::CaptureStdout();
  const int result = CheckMatching(U, V);
  return {result, testing::internal::GetCapturedStdout()};
}

const char* const Path3 = "p bipartite-matching 3 3 4\na 1 1\na 2 1\na 2 2\na 3 3\n";

TEST(MatchCheck, AcceptsAMaximumMatchingSilently) {
  Read(Path3);
  Pair(1, 1);
  Pair(2, 2);
  Pair(3, 3);
  const Finding finding = Check();
  EXPECT_EQ(finding.result, 1);
  EXPECT_EQ(finding.printed, "");
}

TEST(MatchCheck, UVertexNamingAFreeVVertexIsInconsistent) {
  Read(Path3);
  U.vertex[2].mate = 2;  // V 2's mate stays 0
  const Finding finding = Check();
  EXPECT_EQ(finding.result, 0);
  // U 1 and U 3 are free next to free V vertices, but the maximality test
  // is skipped.
  EXPECT_EQ(finding.printed, "Inconsistent matching between 2(U) and 2(V)\n");
}

TEST(MatchCheck, ReportsBothSidesOfEveryDisagreement) {
  Read(Path3);
  Pair(1, 1);
  V.mate[1] = 2;
  V.mate[3] = 3;
  const Finding finding = Check();
  EXPECT_EQ(finding.result, 0);
  EXPECT_EQ(finding.printed,
            "Inconsistent matching between 1(U) and 1(V)\n"
            "Inconsistent matching between 1(V) and 2(U)\n"
            "Inconsistent matching between 3(V) and 3(U)\n");
}

TEST(MatchCheck, PrintsTheUVerticesOfAnAugmentingPath) {
  Read(Path3);
  Pair(2, 1);
  Pair(3, 3);
  // Root U 1 reaches U 2 through V 1, and U 2 sees the free V 2.
  const Finding finding = Check();
  EXPECT_EQ(finding.result, 0);
  EXPECT_EQ(finding.printed, "matching NOT maximum; augm. path:\n1->2->\n");
}

TEST(MatchCheck, TakesRootsFromTheHighestAndPrintsOnlyThePath) {
  // Free U 1 sees the free V 3, but root U 4 comes first: through V 1 to
  // U 2, a dead branch, then through V 2 to U 3, which sees the free V 4.
  Read("p bipartite-matching 4 4 6\na 1 3\na 2 1\na 3 4\na 3 2\na 4 2\na 4 1\n");
  Pair(2, 1);
  Pair(3, 2);
  const Finding finding = Check();
  EXPECT_EQ(finding.result, 0);
  EXPECT_EQ(finding.printed, "matching NOT maximum; augm. path:\n4->3->\n");
}

}  // namespace

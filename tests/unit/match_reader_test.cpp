// The reader's edge lists, seen through the graph writer, which no report
// line shows.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "io.h"
#include "match_test_streams.h"
#include "tables.h"

namespace {

UTable U;
VTable V;

std::string ReadAndWriteBack(const std::string& problem) {
  InputStream in(problem);
  InputBipartiteGraph(in.get(), U, V);
  return Written([](FILE* out) { OutputBipartiteGraph(out, U, V); });
}

TEST(MatchReader, ListsHoldEdgesInReverseInputOrder) {
  EXPECT_EQ(ReadAndWriteBack("p bipartite-matching 3 2 4\na 1 1\na 1 2\na 2 1\na 3 2\n"),
            "p bipartite-matching 3 2 4\na 1 2\na 1 1\na 2 1\na 3 2\n");
}

TEST(MatchReader, ParallelEdgesAndEarlyEdgesAreKept) {
  EXPECT_EQ(ReadAndWriteBack("a 2 1 a 1 3\na 2 1 c p x 9 9 9\np word 2 3 7 a 2 3"),
            "p bipartite-matching 2 3 7\na 1 3\na 2 3\na 2 1\na 2 1\n");
}

TEST(MatchReader, ReadingAgainStartsFromEmptyTables) {
  ReadAndWriteBack("p bipartite-matching 2 2 2\na 1 1\na 2 2\n");
  U.vertex[1].mate = 1;
  V.mate[1] = 1;
  EXPECT_EQ(ReadAndWriteBack("p bipartite-matching 2 2 1\na 2 1\n"),
            "p bipartite-matching 2 2 1\na 2 1\n");
  EXPECT_EQ(U.vertex[1].mate, 0);
  EXPECT_EQ(V.mate[1], 0);
}

TEST(MatchReader, MatchingListingNamesMatchedUVerticesOnly) {
  ReadAndWriteBack("p bipartite-matching 3 2 3\na 1 1\na 2 2\na 3 2\n");
  U.vertex[3].mate = 2;
  V.mate[2] = 3;
  EXPECT_EQ(Written([](FILE* out) { OutputMatching(out, U, V); }),
            "Bipartite Matching; Results for |U|=3, |V|=2, |E|=3\n\n3 matched to 2\n");
}

TEST(MatchReaderDeathTest, ReadErrorIsNotTakenForEndOfInput) {
  FILE* directory = std::fopen("/", "r");  // opens, but every read fails
  ASSERT_NE(directory, nullptr);
  EXPECT_EXIT(InputBipartiteGraph(directory, U, V), testing::ExitedWithCode(255),
              "^Read error in InputBipartiteGraph\n$");
}

}  // namespace

// fastmatch's and fastflow's readers: fastmatch's adjacency of both sides
// against the edges written, fastflow's arcs against the arcs written, for
// inputs whose plain arc lines cross the line buffer's block boundaries at
// every position and mix with arc lines of every other form, which the
// readers take through the line protocol instead.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "fail.h"
#include "line_input.h"
#include "matching_problem.h"
#include "network_reader.h"

const char* const messageEnd = "";

namespace {

struct Edge {
  int32_t row, col;  // from 0
};

// Reads `text` from a temporary file as fastmatch reads its input.
void Read(const std::string& text, MatchingProblemFile* problem) {
  FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(std::fwrite(text.data(), 1, text.size(), file), text.size());
  std::rewind(file);
  ReadMatchingProblem(file, problem);
  std::fclose(file);
}

std::vector<std::vector<int32_t>> Lists(int32_t count, const int64_t* offsets,
                                        const int32_t* targets) {
  std::vector<std::vector<int32_t>> lists(count);
  for (int32_t v = 0; v < count; ++v) {
    lists[v].assign(targets + offsets[v], targets + offsets[v + 1]);
    std::sort(lists[v].begin(), lists[v].end());
  }
  return lists;
}

// Each side's lists, in any order, hold exactly the edges.
void ExpectAdjacency(MatchingProblemFile* problem, int32_t rows, int32_t cols,
                     const std::vector<Edge>& edges) {
  ASSERT_EQ(problem->rows, rows);
  ASSERT_EQ(problem->cols, cols);
  ASSERT_EQ(problem->edges, static_cast<int64_t>(edges.size()));
  std::vector<std::vector<int32_t>> by_row(rows), by_col(cols);
  for (const Edge& e : edges) {
    by_row[e.row].push_back(e.col);
    by_col[e.col].push_back(e.row);
  }
  for (auto& list : by_row) std::sort(list.begin(), list.end());
  for (auto& list : by_col) std::sort(list.begin(), list.end());
  const fast::BipartiteGraph g = problem->graph();
  EXPECT_EQ(g.offsets[0], 0);
  EXPECT_EQ(g.col_offsets[0], 0);
  EXPECT_TRUE(Lists(rows, g.offsets, g.targets) == by_row);
  EXPECT_TRUE(Lists(cols, g.col_offsets, g.col_targets) == by_col);
}

std::vector<Edge> RandomEdges(int64_t count, int32_t rows, int32_t cols, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<Edge> edges(count);
  for (Edge& e : edges) e = {int32_t(random() % rows), int32_t(random() % cols)};
  return edges;
}

// "a U V" with numbers from 1, in the plain form or, one in `odd`, in one
// of the forms the plain parse refuses.
std::string ArcLine(long u, long v, std::mt19937& random, unsigned odd, const char* extra = "") {
  std::string a = std::to_string(u), b = std::to_string(v);
  if (odd == 0 || random() % odd != 0) return "a " + a + " " + b + extra + "\n";
  switch (random() % 8) {
    case 0:
      return "a\t" + a + "  " + b + extra + " \t\n";
    case 1:
      return "a " + a + " " + b + extra + "\r\n";
    case 2:
      return "a " + std::string(10 - a.size(), '0') + a + " " + b + extra + "\n";
    case 3:
      return "a +" + a + " " + b + extra + "\n";
    case 4:
      return "a" + a + " " + b + extra + "\n";
    case 5:
      return "c a comment\n\na " + a + " " + b + extra + "\n";
    case 6: {  // now and then a comment longer than a block
      const size_t length = random() % 100 == 0 ? LineInput::kBlockBytes + 3 : 5;
      return "c " + std::string(length, 'x') + "\na " + a + " " + b + extra + "\n";
    }
    default:
      return "a " + a + " " + b + extra + " and more\n";
  }
}

std::string BipartiteText(int32_t rows, int32_t cols, const std::vector<Edge>& edges, unsigned odd,
                          unsigned seed) {
  std::mt19937 random(seed);
  std::string text = "c a problem\np bipartite-matching " + std::to_string(rows) + " " +
                     std::to_string(cols) + " " + std::to_string(edges.size()) + "\n";
  for (const Edge& e : edges) text += ArcLine(e.row + 1L, e.col + 1L, random, odd);
  return text;
}

TEST(FastReader, PlainLinesOverManyBlocks) {
  const std::vector<Edge> edges = RandomEdges(300000, 100000, 3000, 1);
  MatchingProblemFile problem;
  Read(BipartiteText(100000, 3000, edges, 0, 1), &problem);
  ExpectAdjacency(&problem, 100000, 3000, edges);
}

TEST(FastReader, OddLinesAmongPlainOnes) {
  const std::vector<Edge> edges = RandomEdges(200000, 4000, 70000, 2);
  MatchingProblemFile problem;
  std::string text = BipartiteText(4000, 70000, edges, 10, 2);
  text.pop_back();  // the last line without its newline
  Read(text, &problem);
  ExpectAdjacency(&problem, 4000, 70000, edges);
}

// A block of rows too large for the scratch buffer is sorted in place: the
// rows go by twos into blocks here, and the first two rows hold most edges.
TEST(FastReader, BlockOfRowsWithMostEdges) {
  std::vector<Edge> edges = RandomEdges(300000, 2048, 90000, 4);
  for (size_t i = 0; i < edges.size(); i += 5)
    for (size_t j = i; j < i + 4 && j < edges.size(); ++j) edges[j].row %= 2;
  MatchingProblemFile problem;
  Read(BipartiteText(2048, 90000, edges, 50, 4), &problem);
  ExpectAdjacency(&problem, 2048, 90000, edges);
}

// A plain line "a 1234 567" with the block boundary before each of its
// bytes and after its newline.
TEST(FastReader, BlockBoundaryAtEveryPositionOfALine) {
  const std::string line = "a 1234 567\n";
  const std::string head = "p bipartite-matching 2000 600 3\n";
  for (size_t at = 0; at <= line.size(); ++at) {
    std::string text = head + "a 1 1\n";
    const size_t before = LineInput::kBlockBytes - at;
    text += "c" + std::string(before - text.size() - 2, 'x') + "\n";
    ASSERT_EQ(text.size(), before);
    text += line + "a 2000 600\n";
    MatchingProblemFile problem;
    Read(text, &problem);
    ExpectAdjacency(&problem, 2000, 600, {{0, 0}, {1233, 566}, {1999, 599}});
  }
}

// A "max" network of the matching shape: rows are the nodes after the
// source, columns the nodes after them, the sink last; the middle arcs go
// either way between a row and a column, most as plain "a T H 1" lines.
TEST(FastReader, NetworkOfTheMatchingShape) {
  const int32_t rows = 30000, cols = 20000;
  const std::vector<Edge> edges = RandomEdges(150000, rows, cols, 3);
  const long sink = rows + cols + 2L;
  std::mt19937 random(3);
  std::string arcs;
  for (int32_t r = 0; r < rows; ++r) arcs += ArcLine(1, r + 2L, random, 7, " 1");
  for (int32_t c = 0; c < cols; ++c) arcs += ArcLine(rows + c + 2L, sink, random, 7, " 1");
  for (const Edge& e : edges) {
    const long row = e.row + 2L, col = rows + e.col + 2L;
    arcs += random() % 2 ? ArcLine(row, col, random, 7, " 1") : ArcLine(col, row, random, 7, " 1");
  }
  const long count = rows + cols + static_cast<long>(edges.size());
  const std::string text = "p max " + std::to_string(sink) + " " + std::to_string(count) +
                           "\nn 1 s\nn " + std::to_string(sink) + " t\n" + arcs;
  MatchingProblemFile problem;
  Read(text, &problem);
  ExpectAdjacency(&problem, rows, cols, edges);
  EXPECT_EQ(problem.RowNumber(0), 2);
  EXPECT_EQ(problem.ColNumber(0), rows + 2L);
}

// fastflow's reader keeps the arcs and their capacities in input order,
// node numbers less the offset, whether a line went the bulk way or (with a
// capacity of ten digits or more, or an odd line) through the line protocol;
// with `unit` it keeps no capacities.
TEST(FastFlowReader, ArcsInOrderOverManyBlocks) {
  for (long offset : {1L, 0L, 7L}) {
    const int32_t nodes = 250000;
    const std::vector<Edge> arcs = RandomEdges(200000, nodes, nodes, 5);
    std::mt19937 random(5);
    std::string text = "p max " + std::to_string(nodes) + " " + std::to_string(arcs.size()) +
                       "\nn " + std::to_string(offset) + " s\nn " +
                       std::to_string(nodes - 1 + offset) + " t\n";
    const int64_t kinds[] = {0, 1, 999999999, 1000000000, int64_t{1} << 62};
    std::vector<int64_t> capacities;
    for (const Edge& a : arcs) {
      capacities.push_back(random() % 2 ? int64_t(random() % 1000) : kinds[random() % 5]);
      const std::string capacity = " " + std::to_string(capacities.back());
      text += ArcLine(a.row + offset, a.col + offset, random, 10, capacity.c_str());
    }
    for (bool unit : {false, true}) {
      FILE* file = std::tmpfile();
      ASSERT_NE(file, nullptr);
      ASSERT_EQ(std::fwrite(text.data(), 1, text.size(), file), text.size());
      std::rewind(file);
      const ReadNetwork network = readNetwork(file, offset, unit);
      std::fclose(file);
      ASSERT_EQ(network.tails.size(), arcs.size());
      ASSERT_EQ(network.capacities.size(), unit ? 0 : arcs.size());
      for (size_t i = 0; i < arcs.size(); ++i) {
        ASSERT_EQ(network.tails[i], arcs[i].row) << "arc " << i << ", offset " << offset;
        ASSERT_EQ(network.heads[i], arcs[i].col) << "arc " << i << ", offset " << offset;
        if (!unit) {
          ASSERT_EQ(network.capacities[i], capacities[i]) << "arc " << i;
        }
      }
      EXPECT_EQ(network.source, 0);
      EXPECT_EQ(network.sink, nodes - 1);
    }
  }
}

}  // namespace

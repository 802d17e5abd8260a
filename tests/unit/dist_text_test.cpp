// distmatch's text layer: byte ranges that split a file into lines, and the
// meaning of each line.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "line_range.h"
#include "problem_text.h"

namespace {

using Lines = std::vector<std::pair<int64_t, std::string>>;

// A temporary file holding `text`, open for reading.
class TextFile {
 public:
  explicit TextFile(const std::string& text) {
    char name[] = "/tmp/dist_text_testXXXXXX";
    fd = mkstemp(name);
    unlink(name);
    EXPECT_EQ(write(fd, text.data(), text.size()), ssize_t(text.size()));
  }
  ~TextFile() { close(fd); }
  Lines read(int64_t begin, int64_t end) const {
    LineRange range(fd, begin, end);
    Lines lines;
    int64_t offset;
    while (const char* line = range.next(offset)) lines.emplace_back(offset, line);
    EXPECT_FALSE(range.failed());
    return lines;
  }
  int fd;
};

// Every split of the file into `parts` consecutive ranges, at every
// boundary position, yields the file's lines once each, in order.
void expectEverySplitReads(const std::string& text, const Lines& whole) {
  TextFile file(text);
  int64_t size = int64_t(text.size());
  ASSERT_EQ(file.read(0, size), whole);
  for (int64_t cut = 0; cut <= size; ++cut) {
    Lines joined = file.read(0, cut);
    Lines rest = file.read(cut, size);
    joined.insert(joined.end(), rest.begin(), rest.end());
    EXPECT_EQ(joined, whole) << "cut at " << cut;
    for (int64_t second = cut; second <= size; second += 3) {
      Lines three = file.read(0, cut), middle = file.read(cut, second),
            last = file.read(second, size);
      three.insert(three.end(), middle.begin(), middle.end());
      three.insert(three.end(), last.begin(), last.end());
      EXPECT_EQ(three, whole) << "cuts at " << cut << " and " << second;
    }
  }
}

TEST(LineRange, EverySplitSeesEachLineOnce) {
  expectEverySplitReads("p bipartite 2 2 1\n\na 1 2\nc x\n",
                        {{0, "p bipartite 2 2 1"}, {18, ""}, {19, "a 1 2"}, {25, "c x"}});
}

TEST(LineRange, LastLineWithoutTerminator) {
  expectEverySplitReads("a 1 2\na 2 1", {{0, "a 1 2"}, {6, "a 2 1"}});
}

TEST(LineRange, EmptyLinesOnly) { expectEverySplitReads("\n\n\n", {{0, ""}, {1, ""}, {2, ""}}); }

TEST(LineRange, LinesLongerThanABlock) {
  std::string longLine(3 * LineRange::kBlockBytes + 5, 'c');
  std::string text = "a 1\n" + longLine + "\na 2\n";
  TextFile file(text);
  Lines whole = {{0, "a 1"}, {4, longLine}, {int64_t(longLine.size()) + 5, "a 2"}};
  EXPECT_EQ(file.read(0, int64_t(text.size())), whole);
  // A range that starts inside the long line sees only the line after it.
  Lines tail = {{int64_t(longLine.size()) + 5, "a 2"}};
  EXPECT_EQ(file.read(100, int64_t(text.size())), tail);
  EXPECT_EQ(file.read(100, 200), Lines());
}

ProblemHeader header(const char* line) {
  ProblemHeader h;
  EXPECT_EQ(readHeaderLine(line, h), nullptr) << line;
  return h;
}

std::string headerFault(ProblemForm form, const char* line) {
  ProblemHeader h;
  h.form = form;
  const char* fault = readHeaderLine(line, h);
  return fault ? fault : "";
}

TEST(ProblemText, ProblemLines) {
  ProblemHeader bipartite = header("p bipartitefoo 3 2 7");
  EXPECT_EQ(bipartite.form, ProblemForm::kBipartite);
  EXPECT_EQ(bipartite.rows, 3);
  EXPECT_EQ(bipartite.cols, 2);
  EXPECT_EQ(bipartite.declared, 7);
  ProblemHeader network = header("p max 6 9");
  EXPECT_EQ(network.form, ProblemForm::kNetwork);
  EXPECT_EQ(network.rows, 6);
  // Beyond the serial programs' 32-bit arc arrays.
  EXPECT_EQ(header("p bipartite-matching 2 2 5000000000").declared, 5000000000);

  auto suite = ProblemForm::kBipartite;
  EXPECT_EQ(headerFault(suite, "p max 4 3 9"), "wrong number of parameters in the problem line");
  EXPECT_EQ(headerFault(suite, "p matching 3 3 3"), "It is not a Bipartite Matching problem line");
  EXPECT_EQ(headerFault(suite, "p bipartite-matching 0 0 0"),
            "bad value of a parameter in the problem line");
  EXPECT_EQ(headerFault(suite, "p bipartite-matching 4 -1 3"),
            "bad value of a parameter in the problem line");
  EXPECT_EQ(headerFault(suite, "p bipartite-matching 2147483647 1 3"),
            "bad value of a parameter in the problem line");
  EXPECT_EQ(headerFault(suite, "a 1 2"), "too many arcs input");
  EXPECT_EQ(headerFault(suite, "n 1 s"), "problem description must come first");
  EXPECT_EQ(headerFault(suite, " p max 2 1"), "unknown line type in the input");
}

std::string bodyFault(const ProblemHeader& h, const char* line) {
  BodyLine body = readBodyLine(h, line);
  return body.kind == BodyLine::kFault ? body.fault : "";
}

TEST(ProblemText, BipartiteLines) {
  ProblemHeader h = header("p bipartite-matching 2 3 4");
  BodyLine arc = readBodyLine(h, "a 2 3 trailing words");
  EXPECT_EQ(arc.kind, BodyLine::kEdge);
  EXPECT_EQ(std::make_pair(arc.u, arc.v), std::make_pair(int64_t(1), int64_t(2)));
  EXPECT_EQ(readBodyLine(h, "t anything").kind, BodyLine::kNothing);
  EXPECT_EQ(bodyFault(h, "a 1 1 1"), "wrong number of parameters in an arc desrciption line");
  EXPECT_EQ(bodyFault(h, "a 3 1"), "invalid node reference in an arc description line");
  EXPECT_EQ(bodyFault(h, "a 1 4"), "invalid node reference in an arc description line");
  EXPECT_EQ(bodyFault(h, "n 1 s"), "Node line not allowed in bipartite graph formulation");
  EXPECT_EQ(bodyFault(h, "p max 2 1"), "more than one problem line");
  EXPECT_EQ(bodyFault(h, "\r"), "unknown line type in the input");
}

TEST(ProblemText, NetworkLines) {
  ProblemHeader h = header("p max 4 3");
  EXPECT_TRUE(readBodyLine(h, "a 1 4 5").warning);
  EXPECT_FALSE(readBodyLine(h, "a 1 4 1").warning);
  EXPECT_EQ(bodyFault(h, "a 1 1"), "wrong number of parameters in an arc desrciption line");
  EXPECT_EQ(bodyFault(h, "a 0 1 1"), "invalid node reference in an arc description line");
  BodyLine sink = readBodyLine(h, "n 4 t");
  EXPECT_EQ(sink.kind, BodyLine::kSink);
  EXPECT_EQ(sink.u, 3);
  EXPECT_EQ(bodyFault(h, "n 5 s"), "invalid node number");
  EXPECT_EQ(bodyFault(h, "n 2 x"), "Improper source-sink description in node description line");
  EXPECT_EQ(bodyFault(h, "n 2"), "wrong number of parameters in a node description line");
}

TEST(ProblemText, MatrixMarket) {
  ProblemHeader h;
  ASSERT_TRUE(startsMatrixMarket("%%MatrixMarket matrix coordinate real symmetric"));
  EXPECT_EQ(readMatrixMarketBanner("%%MatrixMarket matrix coordinate real symmetric", h), nullptr);
  EXPECT_TRUE(h.symmetric);
  EXPECT_TRUE(isBlankLine(h.form, "% comment"));
  EXPECT_TRUE(isBlankLine(h.form, "  \t"));
  EXPECT_EQ(std::string(readHeaderLine("3 4 5", h)),
            "a symmetric Matrix Market matrix must be square");
  ASSERT_EQ(readHeaderLine("4 4 5", h), nullptr);
  BodyLine entry = readBodyLine(h, "4 1 -2.5e3");
  EXPECT_EQ(std::make_pair(entry.u, entry.v), std::make_pair(int64_t(3), int64_t(0)));
  EXPECT_EQ(bodyFault(h, "5 1"), "invalid row or column in an entry line");
  EXPECT_EQ(bodyFault(h, "3"), "wrong number of parameters in an entry line");

  ProblemHeader general;
  EXPECT_EQ(readMatrixMarketBanner("%%MatrixMarket matrix coordinate pattern general", general),
            nullptr);
  EXPECT_FALSE(general.symmetric);
  EXPECT_EQ(std::string(readMatrixMarketBanner("%%MatrixMarket matrix array real general", h)),
            "not a Matrix Market coordinate matrix");
  EXPECT_EQ(std::string(readHeaderLine("2 2", general)), "bad size line in the Matrix Market file");
}

}  // namespace

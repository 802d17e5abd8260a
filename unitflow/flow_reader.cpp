#include "flow_reader.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "fail.h"
#include "line_input.h"
#include "memory_budget.h"
#include "run_state.h"

namespace {

// Fills the arc records in input order, each tagged with the node whose list
// it belongs to, and moves them into forward-star order at the end of input.
class FlowReader {
 public:
  explicit FlowReader(FlowGraph& g) : G(g) {}
  ~FlowReader() {
    delete[] owners;
    delete[] counts;
  }
  FlowReader(const FlowReader&) = delete;
  FlowReader& operator=(const FlowReader&) = delete;

  void read(FILE* in) {
    LineInput lines(in);
    while (const char* line = lines.next()) dispatch(line);
    if (lines.failed()) fail("reading error");
    if (lines.linesRead() == 0) fail("input file is empty");
    if (!problemSeen) fail("no problem line in the input");
    if (arcLinesLeft > 0) fail("too few arcs input");
    if (G.source == nullptr || G.sink == nullptr) fail("no source or sink in the input");
    setListStarts();
    sortRecords();
  }

 private:
  void dispatch(const char* line) {
    switch (line[0]) {
      case '\0':
      case 'c':
      case 't':
        return;
      case 'p':
        return problemLine(line);
      case 'n':
        return nodeLine(line);
      case 'a':
        return arcLine(line);
      default:
        fail("unknown line type in the input");
    }
  }

  void problemLine(const char* line) {
    if (problemSeen) fail("more than one problem line");
    problemSeen = true;
    // The word is part of the line, so a buffer of the line's length holds it.
    std::vector<char> word(std::strlen(line) + 1);
    long nodes, arcs;
    if (std::sscanf(line, "%*c %s %ld %ld", word.data(), &nodes, &arcs) != 3)
      fail("wrong number of parameters in the problem line");
    if (std::strcmp(word.data(), "max") != 0 && std::strcmp(word.data(), "unit-flow") != 0)
      fail("it is not a Unit Flow problem line");
    if (nodes < 1 || nodes > INT32_MAX || arcs < 1 || arcs > INT32_MAX / 2)
      fail("bad value of a parameter in the problem line");
    int32_t records = static_cast<int32_t>(2 * arcs);
    if (!affordable(problemBytes(nodes, records, sizeof(node_flow_data), sizeof(flow_arc))))
      fail(kNoMemory);
    if (!G.makeNodes(static_cast<int32_t>(nodes)) || !G.makeArcs(records)) fail(kNoMemory);
    owners = new (std::nothrow) int32_t[records];
    counts = new (std::nothrow) int32_t[nodes + 1]();
    if (owners == nullptr || counts == nullptr) fail(kNoMemory);
    arcLinesLeft = arcs;
  }

  void nodeLine(const char* line) {
    if (!problemSeen) fail("problem description must come first");
    long number;
    char kind;
    if (std::sscanf(line, "%*c %ld %c", &number, &kind) < 2)
      fail("wrong number of parameters in a node description line");
    node_flow_data* node = G.nodes + nodeIndex(number, "invalid node number");
    if (kind == 's') {
      if (G.source != nullptr) fail("Multiple sources not permitted");
      G.source = node;
    } else if (kind == 't') {
      if (G.sink != nullptr) fail("Multiple sinks not permitted");
      G.sink = node;
    } else {
      fail("Improper source-sink description in node description line");
    }
    nodeLineSeen = true;
  }

  void arcLine(const char* line) {
    if (!nodeLineSeen) fail("too few nodes lines");
    if (arcLinesLeft == 0) fail("too many arcs input");
    long tail, head, capacity;
    if (std::sscanf(line, "%*c %ld %ld %ld", &tail, &head, &capacity) != 3)
      fail("wrong number of parameters in an arc desrciption line");
    const char* badReference = "invalid node reference in an arc description line";
    int32_t t = nodeIndex(tail, badReference);
    int32_t h = nodeIndex(head, badReference);
    --arcLinesLeft;
    addPair(t, h);
  }

  // The index of node `number` counted from param.labelOffset. The number is
  // checked against the 32-bit range first, so the subtraction cannot wrap.
  int32_t nodeIndex(long number, const char* message) const {
    if (number < INT32_MIN || number > INT32_MAX) fail(message);
    long index = number - param.labelOffset;
    if (index < 0 || index >= G.n) fail(message);
    return static_cast<int32_t>(index);
  }

  // The record of arc t→h for t's list, then its reverse for h's list.
  void addPair(int32_t t, int32_t h) {
    flow_arc* forward = G.arcs + filled;
    flow_arc* reverse = forward + 1;
    *forward = flow_arc{G.nodes + h, reverse, 0, 1};
    *reverse = flow_arc{G.nodes + t, forward, 1, 0};
    owners[filled] = t;
    owners[filled + 1] = h;
    ++counts[t + 1];
    ++counts[h + 1];
    filled += 2;
  }

  // Turns the counts into start positions: counts[v] becomes the index of
  // node v's first record, and the sentinel's run starts at m.
  void setListStarts() {
    for (int32_t v = 0; v < G.n; ++v) {
      if (v > 0) counts[v] += counts[v - 1];
      G.nodes[v].first = G.arcs + counts[v];
    }
    G.nodes[G.n].first = G.arcs + G.m;
  }

  // In-place permutation: counts[t] is the next unfilled position of node
  // t's run; every exchange puts one record into its final run and advances
  // one count, so there are at most m exchanges.
  void sortRecords() {
    for (int32_t v = 0; v < G.n; ++v) {
      int32_t end = static_cast<int32_t>(G.endOf(G.nodes + v) - G.arcs);
      for (int32_t p = counts[v]; p < end; ++p) {
        while (owners[p] != v) {
          int32_t q = counts[owners[p]]++;
          exchange(G.arcs + p, G.arcs + q);
          std::swap(owners[p], owners[q]);
        }
      }
    }
  }

  // Swaps the records at p and q and points their pairs at their new places.
  static void exchange(flow_arc* p, flow_arc* q) {
    std::swap(*p, *q);
    if (q->pair == q) {  // the two were each other's pair
      q->pair = p;
      p->pair = q;
    } else {
      q->pair->pair = q;
      p->pair->pair = p;
    }
  }

  FlowGraph& G;
  bool problemSeen = false;
  bool nodeLineSeen = false;  // arc lines are refused before the first one
  long arcLinesLeft = 0;      // arc lines the problem line still allows
  int32_t filled = 0;         // records filled; the next pair goes to arcs[filled]
  int32_t* owners = nullptr;  // per record: the node whose list it belongs to
  int32_t* counts = nullptr;  // records per node at v + 1, then list starts
};

}  // namespace

void parse(FlowGraph& g, FILE* in) { FlowReader(g).read(in); }

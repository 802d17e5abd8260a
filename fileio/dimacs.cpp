#include "fileio/dimacs.h"

#include <algorithm>
#include <string>

#include "fileio/fields.h"
#include "fileio/input_error.h"

namespace fileio {

namespace {

struct Reader {
  explicit Reader(Source& source) : source(source) {}

  Source& source;
  Problem problem;
  bool seenProblem = false, seenSource = false, seenSink = false;
  std::uint64_t declaredArcs = 0;
  std::uint64_t arcs = 0;     // arc lines read
  std::uint64_t dropped = 0;  // arcs of capacity 0, left out
  std::uint64_t changed = 0;  // capacities above 1, made 1
  std::string_view line;

  [[noreturn]] void fail(const std::string& message) const {
    throw InputError(source.lineNumber(), message, line);
  }

  void problemLine(Fields& fields) {
    if (seenProblem) fail("a second problem line");
    seenProblem = true;
    if (fields.word() != "max") fail("not a maximum-flow problem: expected 'p max NODES ARCS'");
    count(fields, problem.nodes, "nodes");
    count(fields, declaredArcs, "arcs");
    if (!fields.atEnd() || problem.nodes < 2)
      fail("expected 'p max NODES ARCS' with at least 2 nodes");
    reserveEdges(problem.edges, declaredArcs);
  }

  // A count of the problem line; one too large is said to be.
  void count(Fields& fields, std::uint64_t& value, const char* what) {
    std::string_view field;
    const NumberRead read = fields.number(value, kLargestNumber, field);
    if (read == NumberRead::kTooLarge) {
      fail("the number of " + std::string(what) + " " + std::string(field) +
           " is too large (at most " + std::to_string(kLargestNumber) + ")");
    }
    if (read != NumberRead::kOk) fail("expected 'p max NODES ARCS' with at least 2 nodes");
  }

  std::uint32_t node(Fields& fields) {
    std::uint64_t id;
    if (!fields.number(id, problem.nodes) || id == 0) {
      fail("expected a node number in 1.." + std::to_string(problem.nodes));
    }
    return static_cast<std::uint32_t>(id - 1);
  }

  void nodeLine(Fields& fields) {
    if (!seenProblem) fail("a node line before the problem line");
    const std::uint32_t id = node(fields);
    const std::string_view kind = fields.word();
    if ((kind != "s" && kind != "t") || !fields.atEnd()) fail("expected 'n NODE s' or 'n NODE t'");
    bool& seen = kind == "s" ? seenSource : seenSink;
    if (seen) fail(std::string("a second ") + (kind == "s" ? "source" : "sink"));
    seen = true;
    (kind == "s" ? problem.source : problem.sink) = id;
    if (seenSource && seenSink && problem.source == problem.sink) {
      fail("the source and the sink are one node");
    }
  }

  // An arc of capacity 0 carries nothing and is left out; any other becomes
  // a unit arc.
  void arcLine(Fields& fields) {
    if (!seenProblem) fail("an arc line before the problem line");
    if (arcs == declaredArcs)
      fail("more arcs than the problem line's " + std::to_string(declaredArcs));
    ++arcs;
    const std::uint32_t tail = node(fields), head = node(fields);
    std::uint64_t capacity;
    if (!fields.number(capacity, UINT64_MAX) || !fields.atEnd()) {
      fail("expected 'a TAIL HEAD CAPACITY' with a capacity of 0 or more");
    }
    if (capacity == 0) {
      ++dropped;
      return;
    }
    changed += capacity != 1;
    problem.edges.push_back({tail, head});
  }

  void read() {
    while (source.nextLine(line)) {
      Fields fields(line);
      const std::string_view kind = fields.word();
      if (kind.empty() || kind[0] == 'c') continue;
      if (kind == "p") {
        problemLine(fields);
      } else if (kind == "n") {
        nodeLine(fields);
      } else if (kind == "a") {
        arcLine(fields);
      } else {
        fail("unknown line type (expected c, p, n or a)");
      }
    }
    line = {};
    if (!seenProblem) fail("no problem line");
    if (!seenSource || !seenSink) fail(seenSource ? "no sink (n NODE t)" : "no source (n NODE s)");
    if (arcs < declaredArcs) {
      fail("the problem line declares " + std::to_string(declaredArcs) + " arcs, the file has " +
           std::to_string(arcs));
    }
  }
};

}  // namespace

Problem convertDimacs(Source& source) {
  Reader reader(source);
  reader.read();
  Problem problem = std::move(reader.problem);
  problem.isNetwork = true;
  const std::string summary = std::to_string(reader.changed) + " of " +
                              std::to_string(problem.edges.size()) + " capacities changed to 1; " +
                              std::to_string(reader.dropped) +
                              (reader.dropped == 1 ? " arc" : " arcs") + " of capacity 0 dropped";
  problem.notes.push_back("DIMACS max-flow network made a unit network: " + summary);
  problem.messages.push_back(summary);
  return problem;
}

}  // namespace fileio

#include "result_text.h"

#include <algorithm>
#include <functional>
#include <string>

namespace verifier {

namespace {

// File number -> g's number of one side, 0 for a number that names no
// vertex of it. The numbers are the problem's, so the table is no longer
// than the problem has nodes.
class SideNumbers {
 public:
  SideNumbers(const std::vector<int64_t>& numbers, const char* side) : side_(side) {
    int64_t largest = 0;
    for (int64_t number : numbers) largest = std::max(largest, number);
    own_.assign(size_t(largest) + 1, 0);
    for (size_t i = 0; i < numbers.size(); ++i) own_[size_t(numbers[i])] = int64_t(i) + 1;
  }

  // The next number on `line` as g's number of this side.
  int64_t Read(Line& line) const {
    int64_t number = line.Number(side_.c_str(), INT64_MIN, INT64_MAX);
    if (number < 0 || number >= int64_t(own_.size()) || own_[size_t(number)] == 0)
      line.Fault(std::to_string(number) + " is not a " + side_ + " of the problem");
    return own_[size_t(number)];
  }

 private:
  std::string side_;
  std::vector<int64_t> own_;
};

// Calls read(line) for every line that is neither empty nor a comment, and
// returns the number the claim line "c CLAIM N" gives.
int64_t readResult(const TextFile& file, const char* claim,
                   const std::function<void(Line&)>& read) {
  const std::string prefix = std::string("c ") + claim + " ";
  int64_t claimed = -1;
  file.ForEachLine([&](int64_t number, std::string_view text) {
    Line line(file, number, text, Line::Reading::kStrict);
    if (line.kind() == '\0') return;
    if (line.kind() != 'c') {
      read(line);
      line.End();
    } else if (line.Skip(prefix)) {
      if (claimed >= 0) line.Fault(std::string("a second '") + prefix + "' line");
      claimed = line.Number(claim, 0, INT64_MAX);
      line.End();
    }
  });
  if (claimed < 0) file.Fault(std::string("no '") + prefix + "N' line");
  return claimed;
}

}  // namespace

MatchingClaim readMatchingFile(const TextFile& file, const VertexNumbers& numbers) {
  SideNumbers left(numbers.left, "first-side vertex"), right(numbers.right, "second-side vertex");
  MatchingClaim claim;
  claim.size = readResult(file, "size", [&](Line& line) {
    int64_t u = left.Read(line);
    claim.pairs.emplace_back(u, right.Read(line));
  });
  return claim;
}

CoverClaim readCoverFile(const TextFile& file, const VertexNumbers& numbers) {
  SideNumbers left(numbers.left, "first-side vertex"), right(numbers.right, "second-side vertex");
  CoverClaim claim;
  claim.size = readResult(file, "size", [&](Line& line) {
    if (line.Number("side", 1, 2) == 1) {
      claim.left.push_back(left.Read(line));
    } else {
      claim.right.push_back(right.Read(line));
    }
  });
  return claim;
}

FlowClaim readFlowFile(const TextFile& file, const Network& g, int64_t offset) {
  FlowClaim claim;
  claim.value = readResult(file, "flow value", [&](Line& line) {
    int64_t tail = line.Number("arc tail", offset, offset + g.nodes - 1) - offset;
    claim.arcs.emplace_back(tail, line.Number("arc head", offset, offset + g.nodes - 1) - offset);
  });
  return claim;
}

CutClaim readCutFile(const TextFile& file, const Network& g, int64_t offset) {
  CutClaim claim;
  claim.capacity = readResult(file, "minimum cut capacity", [&](Line& line) {
    claim.side.push_back(line.Number("node", offset, offset + g.nodes - 1) - offset);
  });
  return claim;
}

}  // namespace verifier

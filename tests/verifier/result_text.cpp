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

bool isUnitFlowFile(const TextFile& file) {
  bool unit = false;
  file.ForEachLine([&](int64_t, std::string_view text) {
    unit = unit || text == "c every arc counted as one unit";
  });
  return unit;
}

FlowClaim readFlowFile(const TextFile& file, const Network& g, int64_t offset) {
  FlowClaim claim;
  claim.value = readResult(file, "flow value", [&](Line& line) {
    int64_t tail = line.Number("arc tail", offset, offset + g.nodes - 1) - offset;
    claim.arcs.emplace_back(tail, line.Number("arc head", offset, offset + g.nodes - 1) - offset);
    claim.units.push_back(line.AtEnd() ? 1 : line.Number("units", 0, kLargestCapacity));
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

Decomposition readDecompositionFile(const TextFile& file, const VertexNumbers& numbers) {
  SideNumbers rows(numbers.left, "first-side vertex"), cols(numbers.right, "second-side vertex");
  const int64_t row_count = int64_t(numbers.left.size()), col_count = int64_t(numbers.right.size());
  Decomposition d;
  int64_t size[2] = {0, 0};
  // Each header once: its words, how many numbers follow, where they go.
  struct Header {
    const char* prefix;
    int count;
    int64_t* values;
    bool seen;
  } headers[] = {{"c dulmage-mendelsohn ", 2, size, false},
                 {"c structural rank ", 1, &d.rank, false},
                 {"c blocks ", 1, &d.blocks, false},
                 {"c coarse rows ", 5, d.rr.data(), false},
                 {"c coarse columns ", 5, d.cc.data(), false}};
  std::vector<int64_t>* lists[] = {&d.p, &d.q, &d.r, &d.s};
  size_t section = 0;
  file.ForEachLine([&](int64_t number, std::string_view text) {
    Line line(file, number, text, Line::Reading::kStrict);
    if (line.kind() == '\0') return;
    if (line.kind() == 'c') {
      for (Header& header : headers) {
        if (!line.Skip(header.prefix)) continue;
        if (header.seen) line.Fault(std::string("a second '") + header.prefix + "' line");
        for (int k = 0; k < header.count; ++k)
          header.values[k] = line.Number("number", 0, INT64_MAX);
        header.seen = true;
        line.End();
        return;
      }
      return;
    }
    const size_t letter = std::string_view("pqrs").find(line.kind());
    if (letter == std::string_view::npos || letter < section)
      line.Fault("not a p, q, r or s line in that order");
    section = letter;
    line.SkipKind();
    if (letter < 2) {
      lists[letter]->push_back((letter == 0 ? rows : cols).Read(line));
    } else {
      const int64_t last = (letter == 2 ? row_count : col_count) + 1;
      lists[letter]->push_back(line.Number("block boundary", 1, last) - 1);
    }
    line.End();
  });
  for (const Header& header : headers)
    if (!header.seen) file.Fault(std::string("no '") + header.prefix + "' line");
  d.rows = size[0];
  d.cols = size[1];
  for (int k = 0; k < 5; ++k) --d.rr[k], --d.cc[k];
  if (int64_t(d.r.size()) != d.blocks + 1 || d.s.size() != d.r.size())
    file.Fault("not " + std::to_string(d.blocks) + " + 1 r and s lines");
  return d;
}

}  // namespace verifier

// The names of the vertices of a problem read from an edge list whose
// vertices are named rather than numbered, and the name table through which
// results are told in those names: lines "SIDE ID NAME", SIDE 1 or 2 for
// the first or second side of a bipartite problem, n for a network's nodes,
// ID the number in the problem (from 1). A problem file carries them as
// comments "c name SIDE ID NAME"; a map file holds the bare lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fileio {

struct VertexNames {
  // Vertex v + 1 of a side is named first[v] or second[v]; a network's node
  // v + 1 is first[v], and `second` is empty. A node without a name (a
  // super-terminal) lies past the end.
  std::vector<std::string> first, second;
  bool network = false;

  bool empty() const { return first.empty() && second.empty(); }
};

// The comment word that marks a name line in a problem file.
constexpr std::string_view kNameComment = "c name ";

// Calls line(text) for every line of the table, sides in order.
template <class Line>
void forEachNameLine(const VertexNames& names, Line line) {
  const auto side = [&](const std::vector<std::string>& list, const char* word) {
    for (std::size_t v = 0; v < list.size(); ++v)
      line(std::string(word) + " " + std::to_string(v + 1) + " " + list[v]);
  };
  side(names.first, names.network ? "n" : "1");
  side(names.second, "2");
}

// Takes one line of a name table (without "c name ") into `names`; false
// when it is not of that form. Ids must come in order from 1 on each side.
bool readNameLine(std::string_view line, VertexNames& names);

// Reads a map file of "SIDE ID NAME" lines (blank lines skipped). Throws
// SystemError when it cannot be read, InputError at a line of another form.
VertexNames readNameTable(const std::string& path);

}  // namespace fileio

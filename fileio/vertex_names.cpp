#include "fileio/vertex_names.h"

#include "fileio/fields.h"
#include "fileio/input_error.h"
#include "fileio/source.h"

namespace fileio {

bool readNameLine(std::string_view line, VertexNames& names) {
  Fields fields(line);
  const std::string_view side = fields.word();
  const bool network = side == "n";
  if (!(network || side == "1" || side == "2") || (network != names.network && !names.empty())) {
    return false;
  }
  names.network = network;
  std::vector<std::string>& list = side == "2" ? names.second : names.first;
  std::uint64_t id = 0;
  if (!fields.number(id, UINT32_MAX) || id != list.size() + 1) return false;
  const std::string_view name = fields.word();
  if (name.empty() || !fields.atEnd()) return false;
  list.emplace_back(name);
  return true;
}

VertexNames readNameTable(const std::string& path) {
  Source source(path);
  VertexNames names;
  std::string_view line;
  while (source.nextLine(line)) {
    if (line.find_first_not_of(" \t\r\v\f") == std::string_view::npos) continue;
    if (!readNameLine(line, names)) {
      throw InputError(source.lineNumber(), "expected 'SIDE ID NAME', ids in order", line);
    }
  }
  return names;
}

}  // namespace fileio

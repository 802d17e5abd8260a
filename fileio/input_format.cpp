#include "fileio/input_format.h"

#include <cctype>

namespace fileio {

namespace {

struct Named {
  std::string_view name;
  Format format;
};
constexpr Named kNames[] = {
    {"problem", Format::kProblem}, {"mtx", Format::kMatrixMarket}, {"edges", Format::kEdgeList}};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

bool formatFromName(std::string_view name, Format& format) {
  for (const Named& named : kNames) {
    if (named.name != name) continue;
    format = named.format;
    return true;
  }
  return false;
}

const char* formatName(Format format) {
  for (const Named& named : kNames)
    if (named.format == format) return named.name.data();
  return "auto";
}

Format detectFormat(std::string_view start) {
  if (start.substr(0, 2) == "%%") return Format::kMatrixMarket;
  std::size_t at = 0;
  while (at < start.size() && (isBlank(start[at]) || start[at] == '\n')) ++at;
  if (at == start.size()) return Format::kProblem;
  const char c = start[at];
  const bool sign = (c == '+' || c == '-') && at + 1 < start.size() &&
                    std::isdigit(static_cast<unsigned char>(start[at + 1]));
  if (std::isdigit(static_cast<unsigned char>(c)) || sign || c == '#' || c == '%') {
    return Format::kEdgeList;
  }
  return Format::kProblem;
}

}  // namespace fileio

#include "fileio/input_options.h"

#include <charconv>

namespace fileio {

namespace {

// A whole number, or why it is not one.
std::string wholeNumber(std::string_view name, const char* text, std::uint64_t& value) {
  const std::string_view view(text);
  const auto [stop, error] = std::from_chars(view.data(), view.data() + view.size(), value);
  if (view.empty() || error != std::errc() || stop != view.data() + view.size()) {
    return std::string(name) + " needs a whole number, not '" + std::string(text) + "'";
  }
  return {};
}

}  // namespace

std::string setInputOption(std::string_view name, const char* value, InputOptions& options) {
  EdgeListOptions& edges = options.edges;
  std::uint64_t number = 0;
  std::string fault;
  if (name == "--format") {
    if (!formatFromName(value, options.format)) {
      return "unknown format '" + std::string(value) + "' (problem, mtx or edges)";
    }
  } else if (name == "--undirected") {
    edges.undirected = true;
  } else if (name == "--base") {
    if (!(fault = wholeNumber(name, value, number)).empty()) return fault;
    if (number > 1) return "--base must be 0 or 1";
    edges.base = static_cast<int>(number);
  } else if (name == "--names") {
    edges.names = true;
  } else if (name == "--source" || name == "--sink") {
    (name == "--source" ? edges.source : edges.sink) = value;
  } else if (name == "--super") {
    if (!(fault = wholeNumber(name, value, number)).empty()) return fault;
    if (number == 0) return "--super must be at least 1";
    edges.superTerminals = number;
  } else {
    return "unknown option '" + std::string(name) + "'";
  }
  return {};
}

bool edgeListOptionsGiven(const EdgeListOptions& e) {
  return e.base || e.names || e.undirected || e.source || e.sink || e.superTerminals > 0;
}

}  // namespace fileio

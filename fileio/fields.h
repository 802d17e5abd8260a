// The whitespace-separated fields of one input line, read left to right.
#pragma once

#include <charconv>
#include <cstdint>
#include <string_view>

namespace fileio {

class Fields {
 public:
  explicit Fields(std::string_view line) : at_(line.data()), end_(line.data() + line.size()) {}

  // The next field; empty when the line has no more.
  std::string_view word() {
    skipBlanks();
    const char* start = at_;
    while (at_ < end_ && !isBlank(*at_)) ++at_;
    return {start, static_cast<std::size_t>(at_ - start)};
  }

  // The next field as a decimal number without sign; false when there is no
  // further field, it is not such a number, or it exceeds `largest`.
  bool number(std::uint64_t& value, std::uint64_t largest) {
    const std::string_view field = word();
    const auto [stop, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    return !field.empty() && error == std::errc() && stop == field.data() + field.size() &&
           value <= largest;
  }

  bool atEnd() {
    skipBlanks();
    return at_ == end_;
  }

 private:
  static bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
  }
  void skipBlanks() {
    while (at_ < end_ && isBlank(*at_)) ++at_;
  }

  const char* at_;
  const char* end_;
};

}  // namespace fileio

// The whitespace-separated fields of one input line, read left to right.
#pragma once

#include <charconv>
#include <cstdint>
#include <string_view>

namespace fileio {

// How reading a number went: a number too large for its place is told from
// text that is no number, so that a message can say which it was.
enum class NumberRead { kOk, kNotNumber, kTooLarge };

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

  // The next field as a decimal number without sign, at most `largest`.
  // `field` is the text read.
  NumberRead number(std::uint64_t& value, std::uint64_t largest, std::string_view& field) {
    field = word();
    const auto [stop, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.empty() || stop != field.data() + field.size() ||
        (error != std::errc() && error != std::errc::result_out_of_range)) {
      return NumberRead::kNotNumber;
    }
    return error == std::errc() && value <= largest ? NumberRead::kOk : NumberRead::kTooLarge;
  }
  // The same, true only when it went well.
  bool number(std::uint64_t& value, std::uint64_t largest) {
    std::string_view field;
    return number(value, largest, field) == NumberRead::kOk;
  }

  // The next field as a decimal floating-point number, with an optional
  // sign ('+' too); kTooLarge when it lies beyond a double's range either
  // way (too large, or too small to tell from zero).
  NumberRead real(double& value, std::string_view& field) {
    field = word();
    std::string_view digits = field;
    if (digits.size() > 1 && digits[0] == '+' && digits[1] != '-') digits.remove_prefix(1);
    const auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || stop != digits.data() + digits.size()) return NumberRead::kNotNumber;
    if (error == std::errc::result_out_of_range) return NumberRead::kTooLarge;
    return error == std::errc() ? NumberRead::kOk : NumberRead::kNotNumber;
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

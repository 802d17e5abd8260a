// The one error of a conversion: the input is not what its format allows.
// It carries the line number and the offending text, so that the command
// line can point at the fault.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace fileio {

class InputError : public std::runtime_error {
 public:
  // line 0 means the fault belongs to the file as a whole.
  InputError(long line, const std::string& message, std::string_view text = {})
      : std::runtime_error(message), line_(line), text_(text.substr(0, kShownBytes)) {}

  long line() const { return line_; }
  const std::string& text() const { return text_; }

 private:
  static constexpr std::size_t kShownBytes = 80;
  long line_;
  std::string text_;
};

// A failure of the system rather than of the input: a file that cannot be
// opened, read or written.
class SystemError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace fileio

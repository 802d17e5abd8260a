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
  // line 0 means the fault belongs to the file as a whole. The text is
  // kept to its first bytes, control characters shown as '?', so that a
  // binary file's bytes cannot garble the terminal or cut the message.
  InputError(long line, const std::string& message, std::string_view text = {})
      : std::runtime_error(message), line_(line), text_(text.substr(0, kShownBytes)) {
    for (char& c : text_)
      if ((c >= 0 && c < ' ' && c != '\t') || c == '\x7f') c = '?';
  }

  long line() const { return line_; }
  const std::string& text() const { return text_; }

 private:
  static constexpr std::size_t kShownBytes = 80;
  long line_;
  std::string text_;
};

// How a message names the file at `path`: "-" is standard input.
inline std::string shownPath(const std::string& path) {
  return path == "-" ? "standard input" : path;
}

// "FILE:LINE: MESSAGE: 'TEXT'", the line and the text when known.
inline std::string describe(const InputError& error, const std::string& path) {
  std::string text = shownPath(path);
  if (error.line() > 0) text += ":" + std::to_string(error.line());
  text += std::string(": ") + error.what();
  if (!error.text().empty()) text += ": '" + error.text() + "'";
  return text;
}

// A refusal of the input that a program states itself ("the name table
// does not fit the problem"), carried to where it is told.
struct InputRefusal {
  std::string message;
};

// Runs `read`; what stopped it (an InputError, a SystemError or an InputRefusal,
// said as "FILE:LINE: what"), empty when nothing did. The message is had
// after every object of the reading is gone, so that the program may end
// at once. std::bad_alloc passes through.
template <class Read>
std::string faultOf(Read read, const std::string& path);

// A failure of the system rather than of the input: a file that cannot be
// opened, read or written.
class SystemError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

template <class Read>
std::string faultOf(Read read, const std::string& path) {
  try {
    read();
  } catch (const InputError& error) {
    return describe(error, path);
  } catch (const SystemError& error) {
    return error.what();
  } catch (const InputRefusal& refusal) {
    return refusal.message;
  }
  return {};
}

}  // namespace fileio

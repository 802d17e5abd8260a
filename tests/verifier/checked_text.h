// Range-checked reading of the files the verifier judges. A file is read
// whole and line by line; every number is read whole (signed decimal, 64
// bits) and checked against the range the problem gives it before anything
// uses it. The first fault ends the reading with an InputFault that names
// the file, the line and what is wrong. These helpers are the verifier's one
// way into its files: each reader of a problem or result format is a loop
// over lines made of them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace verifier {

// A file that cannot be judged.
struct InputFault {
  enum class Kind {
    kMalformed,  // unreadable, not of its form, or naming what the problem lacks
    kMemory,     // the problem needs more memory than the budget gives
  };
  Kind kind = Kind::kMalformed;
  std::string message;  // "FILE:LINE: WHAT", or "FILE: WHAT" for the file as a whole
};

// The whole text of one file and the name its messages give it.
class TextFile {
 public:
  TextFile(std::string name, std::string text) : name_(std::move(name)), text_(std::move(text)) {}
  // `path`'s text; a fault when it cannot be read or exceeds the memory
  // budget.
  static TextFile Read(const std::string& path);

  const std::string& name() const { return name_; }
  size_t size() const { return text_.size(); }

  // Calls visit(line) for every line, numbered from 1, without its '\n'.
  template <class Visit>
  void ForEachLine(Visit visit) const;

  [[noreturn]] void Fault(const std::string& what,
                          InputFault::Kind kind = InputFault::Kind::kMalformed) const;
  // A memory fault unless `nodes` nodes and `arcs` arcs, at the verifier's
  // cost per node and per arc, fit in the memory budget the solvers' readers
  // use.
  void CheckAffordable(int64_t nodes, int64_t arcs) const;

 private:
  std::string name_;
  std::string text_;
};

// The same check for a problem that another reader built (a matrix or an
// edge list, whose largest id, not a header, sets the vertex count), with
// messages that name `name`.
void CheckAffordable(const std::string& name, int64_t nodes, int64_t arcs);

// One line, read field by field from the left. Problem files are read as
// the solvers read them (a number ends at its last digit, and text after the
// fields a line needs is ignored); result files, which programs write,
// strictly (a number is a whole field and nothing follows the last).
class Line {
 public:
  enum class Reading { kLenient, kStrict };
  Line(const TextFile& file, int64_t number, std::string_view text, Reading reading)
      : file_(file), number_(number), text_(text), reading_(reading) {}

  // The line's first character, or '\0' for an empty line.
  char kind() const { return text_.empty() ? '\0' : text_[0]; }
  std::string_view text() const { return text_; }
  // Moves past the first character.
  void SkipKind() { at_ = 1; }
  // Moves past `text` when it comes next, after blanks; false, not moving,
  // otherwise.
  bool Skip(std::string_view text);
  // The next blank-separated word, cut at `most` characters (as "%20s"
  // reads it); empty at the end of the line.
  std::string_view Word(size_t most);

  // The next field as a whole number in [low, high]; `what` names the field
  // in the fault ("node", "row").
  int64_t Number(const char* what, int64_t low, int64_t high);
  // The same, the number a whole field however the line is read: for a
  // value the solvers refuse with other text after its digits.
  int64_t WholeNumber(const char* what, int64_t low, int64_t high);
  // True when only blanks remain.
  bool AtEnd();
  // The next non-blank character, '\0' at the end of the line.
  char Letter();
  // A fault unless only blanks remain (strict reading only).
  void End();

  [[noreturn]] void Fault(const std::string& what) const;

 private:
  void SkipBlanks();
  // A number that, when `whole`, must end where its field does.
  int64_t Read(const char* what, int64_t low, int64_t high, bool whole);
  bool FieldEndsAt(size_t at) const;

  const TextFile& file_;
  int64_t number_;
  std::string_view text_;
  Reading reading_;
  size_t at_ = 0;  // the next character to read
};

// A whole number given on the command line, in [low, high]; a fault naming
// `what` and the text otherwise.
int64_t ParseArgument(const std::string& text, const char* what, int64_t low, int64_t high);

template <class Visit>
void TextFile::ForEachLine(Visit visit) const {
  int64_t number = 0;
  for (size_t begin = 0; begin < text_.size();) {
    size_t end = text_.find('\n', begin);
    if (end == std::string::npos) end = text_.size();
    visit(++number, std::string_view(text_).substr(begin, end - begin));
    begin = end + 1;
  }
}

}  // namespace verifier

#include "checked_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "memory_budget.h"

namespace verifier {

namespace {

// What the verifier's arrays take per node and per arc at most: adjacency
// lists, mates, marks and search queues, and the residual network of its
// own maximum flow (two arcs of index, twin and capacity per input arc).
constexpr uint64_t kBytesPerNode = 96;
constexpr uint64_t kBytesPerArc = 64;

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

enum class Parsed { kNumber, kNotANumber, kTooLarge };

// A signed decimal number at text[*at], which ends after its last digit.
Parsed ParseNumber(std::string_view text, size_t* at, int64_t* value) {
  bool negative = *at < text.size() && text[*at] == '-';
  if (*at < text.size() && (text[*at] == '-' || text[*at] == '+')) ++*at;
  const size_t digits = *at;
  uint64_t magnitude = 0;
  bool tooLarge = false;
  for (; *at < text.size() && IsDigit(text[*at]); ++*at) {
    uint64_t digit = uint64_t(text[*at] - '0');
    tooLarge = tooLarge || magnitude > (uint64_t(INT64_MAX) - digit) / 10;
    if (!tooLarge) magnitude = magnitude * 10 + digit;
  }
  if (*at == digits) return Parsed::kNotANumber;
  if (tooLarge) return Parsed::kTooLarge;
  *value = negative ? -int64_t(magnitude) : int64_t(magnitude);
  return Parsed::kNumber;
}

// The field starting at `at`, quoted and cut short, for a message.
std::string Shown(std::string_view text, size_t at) {
  size_t end = at;
  while (end < text.size() && !IsBlank(text[end]) && end - at < 40) ++end;
  return "'" + std::string(text.substr(at, end - at)) + "'";
}

std::string Range(int64_t low, int64_t high) {
  if (low > high) return "(there is none)";
  return "(" + std::to_string(low) + " to " + std::to_string(high) + ")";
}

std::string OutOfRange(const char* what, int64_t value, int64_t low, int64_t high) {
  return std::string(what) + " " + std::to_string(value) + " out of range " + Range(low, high);
}

}  // namespace

TextFile TextFile::Read(const std::string& path) {
  TextFile file(path, "");
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat status;
  if (fd < 0) file.Fault(std::string("cannot read: ") + std::strerror(errno));
  if (fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
    close(fd);
    file.Fault("cannot read: it is a folder");
  }
  // A pipe's length is known only at its end: the budget is checked as it
  // grows.
  char buffer[1 << 16];
  for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) != 0;) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      int error = errno;
      close(fd);
      file.Fault(std::string("cannot read: ") + std::strerror(error));
    }
    if (!affordable(file.text_.size() + size_t(got))) {
      close(fd);
      file.Fault("longer than the memory budget of " + std::to_string(memoryBudget()) + " bytes",
                 InputFault::Kind::kMemory);
    }
    file.text_.append(buffer, size_t(got));
  }
  close(fd);
  return file;
}

void TextFile::Fault(const std::string& what, InputFault::Kind kind) const {
  throw InputFault{kind, name_ + ": " + what};
}

void TextFile::CheckAffordable(int64_t nodes, int64_t arcs) const {
  verifier::CheckAffordable(name_, nodes, arcs);
}

void CheckAffordable(const std::string& name, int64_t nodes, int64_t arcs) {
  uint64_t bytes = (uint64_t(nodes) + 2) * kBytesPerNode + (uint64_t(arcs) + 1) * kBytesPerArc;
  if (affordable(bytes)) return;
  throw InputFault{InputFault::Kind::kMemory,
                   name + ": " + std::to_string(nodes) + " nodes and " + std::to_string(arcs) +
                       " arcs need " + std::to_string(bytes >> 20) +
                       " MiB to verify, more than the memory budget of " +
                       std::to_string(memoryBudget() >> 20) + " MiB"};
}

bool Line::Skip(std::string_view text) {
  size_t at = at_;
  while (at < text_.size() && IsBlank(text_[at])) ++at;
  if (text_.substr(at, text.size()) != text) return false;
  at_ = at + text.size();
  return true;
}

std::string_view Line::Word(size_t most) {
  SkipBlanks();
  size_t start = at_;
  while (at_ < text_.size() && !IsBlank(text_[at_]) && at_ - start < most) ++at_;
  return text_.substr(start, at_ - start);
}

void Line::SkipBlanks() {
  while (at_ < text_.size() && IsBlank(text_[at_])) ++at_;
}

int64_t Line::Number(const char* what, int64_t low, int64_t high) {
  return Read(what, low, high, reading_ == Reading::kStrict);
}

int64_t Line::WholeNumber(const char* what, int64_t low, int64_t high) {
  return Read(what, low, high, true);
}

bool Line::AtEnd() {
  SkipBlanks();
  return at_ == text_.size();
}

// A NUL ends a problem file's line for the solvers, which read C strings.
bool Line::FieldEndsAt(size_t at) const {
  return at == text_.size() || IsBlank(text_[at]) ||
         (reading_ == Reading::kLenient && text_[at] == '\0');
}

int64_t Line::Read(const char* what, int64_t low, int64_t high, bool whole) {
  SkipBlanks();
  const size_t start = at_;
  int64_t value = 0;
  Parsed parsed = ParseNumber(text_, &at_, &value);
  if (parsed == Parsed::kNotANumber)
    Fault(std::string("expected a ") + what + ", found " +
          (start < text_.size() ? Shown(text_, start) : "the end of the line"));
  if (whole && !FieldEndsAt(at_))
    Fault(std::string("expected a ") + what + ", found " + Shown(text_, start));
  if (parsed == Parsed::kTooLarge)
    Fault(std::string(what) + " " + Shown(text_, start) + " too large");
  if (value < low || value > high) Fault(OutOfRange(what, value, low, high));
  return value;
}

char Line::Letter() {
  SkipBlanks();
  return at_ < text_.size() ? text_[at_++] : '\0';
}

void Line::End() {
  if (reading_ == Reading::kLenient) return;
  SkipBlanks();
  if (at_ < text_.size()) Fault("unexpected " + Shown(text_, at_) + " at the end of the line");
}

void Line::Fault(const std::string& what) const {
  throw InputFault{InputFault::Kind::kMalformed,
                   file_.name() + ":" + std::to_string(number_) + ": " + what};
}

int64_t ParseArgument(const std::string& text, const char* what, int64_t low, int64_t high) {
  size_t at = 0;
  int64_t value = 0;
  Parsed parsed = ParseNumber(text, &at, &value);
  if (parsed != Parsed::kNumber || at != text.size())
    throw InputFault{InputFault::Kind::kMalformed,
                     std::string(what) + " '" + text + "' is not a whole number" +
                         (parsed == Parsed::kTooLarge ? " of 64 bits" : "")};
  if (value < low || value > high)
    throw InputFault{InputFault::Kind::kMalformed, OutOfRange(what, value, low, high)};
  return value;
}

}  // namespace verifier

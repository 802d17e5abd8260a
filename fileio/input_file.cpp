#include "fileio/input_file.h"

#include <cerrno>

#include "fileio/input_error.h"

namespace fileio {

namespace {

// Enough of the start to find the first character that is not blank in any
// file the formats allow.
constexpr std::size_t kLookBytes = 4096;

}  // namespace

InputFile::InputFile(const std::string& path, Format format)
    : source_(path, Source::Use::kRewindable), format_(format) {
  if (format_ == Format::kAuto) format_ = detectFormat(source_.peek(kLookBytes));
}

InputFile::~InputFile() {
  if (closeStream_ && stream_ != nullptr) std::fclose(stream_);
}

void InputFile::settle() {
  if (!settled_) source_.rewind();
  settled_ = true;
}

// The look stops at the first line that is no comment, or after a stretch
// of comments without a name line, so that it keeps little of a file that
// carries no names.
VertexNames InputFile::leadingNames() {
  VertexNames names;
  std::size_t unnamed = 0;  // bytes of comments before the first name line
  std::string_view line;
  while (unnamed < kLookBytes * 16 && source_.peek(1).substr(0, 1) == "c" &&
         source_.nextLine(line)) {
    if (line.substr(0, kNameComment.size()) != kNameComment) {
      if (names.empty()) unnamed += line.size();
    } else if (!readNameLine(line.substr(kNameComment.size()), names)) {
      throw InputError(source_.lineNumber(), "expected 'c name SIDE ID NAME', ids in order", line);
    }
  }
  return names;
}

FILE* InputFile::stream(std::function<void(const std::string&)> report) {
  settle();
  const int fd = source_.releaseDescriptor();
  if (fd == 0) return stream_ = stdin;
  closeStream_ = true;
  if (fd > 0) return stream_ = fdopen(fd, "r");
  report_ = std::move(report);
  const cookie_io_functions_t functions = {readText, nullptr, nullptr, nullptr};
  return stream_ = fopencookie(this, "r", functions);
}

// A C stream's read function: errors are told to the caller's report, as
// they cannot pass through the C library as exceptions.
ssize_t InputFile::readText(void* self, char* into, std::size_t size) {
  auto& file = *static_cast<InputFile*>(self);
  try {
    return static_cast<ssize_t>(file.source_.read(into, size));
  } catch (const InputError& error) {
    file.report_(describe(error, file.path()));
  } catch (const SystemError& error) {
    file.report_(error.what());
  }
  errno = EIO;
  return -1;
}

}  // namespace fileio

#include "line_input.h"

#include <sys/types.h>

#include <cstdlib>

LineInput::~LineInput() { std::free(buffer); }

const char* LineInput::next() {
  ssize_t length = getline(&buffer, &capacity, in);
  if (length < 0) return nullptr;
  if (length > 0 && buffer[length - 1] == '\n') buffer[length - 1] = '\0';
  ++lines;
  return buffer;
}

bool LineInput::failed() const { return std::ferror(in) != 0 || !std::feof(in); }

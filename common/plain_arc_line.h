// The arc line in the form nearly every input writes it, parsed in bulk
// without the field scanner: "a", then the numbers, each after a run of
// blanks (spaces or tabs), then optional blanks and '\n'. Such a line reads
// the same here as through the line protocol; the readers hand every other
// line to the protocol, which gives it its meaning or its message.
#pragma once

#include <cstdint>

// Parses the line at `p` when it is "a" and `kFields` plain numbers of 1 to
// 9 decimal digits each (so that any leading zeros leave the value in 32
// bits) into `values`, and returns the position after its '\n'. Any other
// line, and a line cut by the end of the text, which a NUL must mark,
// yields null.
template <int kFields>
inline const char* parsePlainArcLine(const char* p, uint32_t* values) {
  if (*p != 'a') return nullptr;
  ++p;
  for (int f = 0; f < kFields; ++f) {
    if (*p != ' ' && *p != '\t') return nullptr;
    do ++p;
    while (*p == ' ' || *p == '\t');
    const char* first = p;
    uint32_t value = 0;
    for (uint32_t digit; (digit = uint32_t(*p - '0')) <= 9; ++p) value = value * 10 + digit;
    if (p == first || p - first > 9) return nullptr;
    values[f] = value;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return *p == '\n' ? p + 1 : nullptr;
}

// The arc line in the form nearly every input writes it, parsed in bulk
// without the field scanner: "a", then the numbers, each after a run of
// blanks (spaces or tabs), then optional blanks and '\n'. Such a line reads
// the same here as through the line protocol; the readers hand every other
// line to the protocol, which gives it its meaning or its message.
#pragma once

#include <cstdint>
#include <cstring>

namespace plain_arc {

inline bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The run of 1 to 9 decimal digits at `p` as a number, and the position
// after it; null for no digit or more than nine. Up to 8 bytes from `p`
// on are read at once, whatever the run's length, so 8 bytes must be
// readable there.
inline const char* number(const char* p, uint32_t* value) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  // Eight characters side by side: a byte's high bit marks a non-digit,
  // the first of which ends the run; the digits, moved to the top of the
  // word so that the bytes below read as leading zeros, are combined in
  // three multiplications of digit pairs, fours and eights.
  uint64_t x;
  std::memcpy(&x, p, 8);
  x ^= 0x3030303030303030u;
  const uint64_t nondigit = ((x + 0x7676767676767676u) | x) & 0x8080808080808080u;
  const int length = nondigit == 0 ? 8 : __builtin_ctzll(nondigit) / 8;
  if (length == 0) return nullptr;
  uint64_t v = x << (8 * (8 - length));
  v = v * 10 + (v >> 8);
  v = ((v & 0x000000FF000000FFu) * (100 + (uint64_t{1000000} << 32)) +
       ((v >> 16) & 0x000000FF000000FFu) * (1 + (uint64_t{10000} << 32))) >>
      32;
  *value = static_cast<uint32_t>(v);
  p += length;
  if (length < 8) return p;
  const uint32_t ninth = static_cast<uint32_t>(*p - '0');
  if (ninth > 9) return p;
  if (static_cast<uint32_t>(p[1] - '0') <= 9) return nullptr;
  *value = *value * 10 + ninth;
  return p + 1;
#else
  const char* first = p;
  uint32_t v = 0;
  for (uint32_t digit; (digit = static_cast<uint32_t>(*p - '0')) <= 9 && p - first < 10; ++p)
    v = v * 10 + digit;
  if (p == first || p - first > 9) return nullptr;
  *value = v;
  return p;
#endif
}

}  // namespace plain_arc

// Parses the line at `p` when it is "a" and `kFields` plain numbers of 1 to
// 9 decimal digits each (so that any leading zeros leave the value in 32
// bits) into `values`, and returns the position after its '\n'. Any other
// line, and a line cut by the end of the text, which a NUL must mark,
// yields null. Up to 7 bytes after that NUL may be read.
template <int kFields>
inline const char* parsePlainArcLine(const char* p, uint32_t* values) {
  if (*p != 'a') return nullptr;
  ++p;
  for (int f = 0; f < kFields; ++f) {
    if (!plain_arc::isBlank(*p)) return nullptr;
    do ++p;
    while (plain_arc::isBlank(*p));
    p = plain_arc::number(p, &values[f]);
    if (p == nullptr) return nullptr;
  }
  while (plain_arc::isBlank(*p)) ++p;
  return *p == '\n' ? p + 1 : nullptr;
}

#include "utility.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

void Barf(const char* msg) {
  std::fprintf(stderr, "%s\n", msg);
  std::exit(-1);
}

namespace {

// Alloc hands out pieces of one chunk of the data segment and grows the
// segment only when a request does not fit in what is left, so a million
// edge records cost a few sbrk calls instead of a million. A chunk is large
// against an edge record and small against the memory of a run; it is
// offered huge pages, which a run that reaches all over its tables and edge
// records profits from.
constexpr std::size_t ChunkBytes = std::size_t{8} << 20;
constexpr std::size_t Alignment = alignof(std::max_align_t);

// The unused rest of the current chunk: chunkNext is aligned, and
// chunkNext <= chunkEnd (both null before the first chunk).
char* chunkNext = nullptr;
char* chunkEnd = nullptr;

// Asks for huge pages on the whole 2 MiB pages inside [p, p + bytes), where
// the system offers them.
void AdviseHugePages(void* p, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
  constexpr std::uintptr_t Huge = std::uintptr_t{2} << 20;
  const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(p) + Huge - 1) & ~(Huge - 1);
  const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(p) + bytes) & ~(Huge - 1);
  if (begin < end) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)p;
  (void)bytes;
#endif
}

std::size_t RoundUp(std::size_t bytes) { return (bytes + Alignment - 1) / Alignment * Alignment; }

// Takes a new chunk that holds at least `bytes` from an aligned start.
void NewChunk(std::size_t bytes) {
  const std::size_t length = std::max(bytes, ChunkBytes) + Alignment;
  void* grown = sbrk(static_cast<intptr_t>(length));
  if (grown == reinterpret_cast<void*>(-1)) Barf("Out of space");
  chunkNext = reinterpret_cast<char*>(RoundUp(reinterpret_cast<std::uintptr_t>(grown)));
  chunkEnd = static_cast<char*>(grown) + length;
  AdviseHugePages(grown, length);
}

}  // namespace

void* Alloc(int n) {
  const std::size_t bytes = RoundUp(static_cast<std::size_t>(n));
  if (static_cast<std::size_t>(chunkEnd - chunkNext) < bytes) NewChunk(bytes);
  void* piece = chunkNext;
  chunkNext += bytes;
  return piece;
}

namespace {

// The C locale's isspace and isdigit, without a call per character.
bool IsSpace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(int c) { return c >= '0' && c <= '9'; }

// The stream is only ever read by this thread, so its lock is not taken
// for every character.
int Next(FILE* stream) { return getc_unlocked(stream); }

}  // namespace

int ReadChar(FILE* stream) {
  int c = Next(stream);
  while (IsSpace(c)) c = Next(stream);
  return c;
}

int EOF_Test(FILE* stream) {
  const int c = ReadChar(stream);
  if (c == EOF) return 1;
  ungetc(c, stream);
  return 0;
}

void SkipLine(FILE* stream) {
  int c = Next(stream);
  while (c != '\n' && c != EOF) c = Next(stream);
}

void Skip(FILE* stream) { ungetc(ReadChar(stream), stream); }

void GetString(FILE* stream, char* buf, int size) {
  Skip(stream);
  int kept = 0;
  for (int c = Next(stream); c != EOF && !IsSpace(c); c = Next(stream)) {
    if (kept < size - 1) buf[kept++] = static_cast<char>(c);
  }
  buf[kept] = '\0';
}

int GetInt(FILE* stream) {
  int c = ReadChar(stream);
  const bool negative = c == '-';
  if (negative) c = Next(stream);
  // The magnitude stops growing at the limit of its sign: 2147483647, or
  // 2147483648 for a negative number.
  const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
  long long magnitude = 0;
  for (; IsDigit(c); c = Next(stream)) magnitude = std::min(magnitude * 10 + (c - '0'), limit);
  ungetc(c, stream);
  return static_cast<int>(negative ? -magnitude : magnitude);
}

void PutInt(int value, FILE* stream) {
  if (value == 0) {
    putc('0', stream);
    return;
  }
  if (value < 0) putc('-', stream);
  // 64 bits hold the magnitude of INT_MIN and the power of ten above INT_MAX.
  long long magnitude = value < 0 ? -static_cast<long long>(value) : value;
  long long p = 1;
  while (p <= magnitude) p *= 10;
  for (p /= 10; p > 0; p /= 10) {
    putc(static_cast<int>('0' + magnitude / p), stream);
    magnitude %= p;
  }
}

int Strcmp(const char* a, const char* b) { return std::strcmp(a, b) == 0 ? 1 : 0; }

void StrAppend(const char* a, const char* b, char* dst) {
  const std::size_t lengthA = std::strlen(a);
  std::memcpy(dst, a, lengthA);
  std::strcpy(dst + lengthA, b);
}

int Min(int a, int b) { return b < a ? b : a; }
int Max(int a, int b) { return b > a ? b : a; }

namespace {

constexpr std::size_t NameCapacity = 100;  // a composed name and its NUL

// `a` followed by `b` into `dst` (NameCapacity bytes); false, leaving `dst`
// alone, when the name would not fit.
bool Compose(const char* a, const char* b, char* dst) {
  if (std::strlen(a) + std::strlen(b) >= NameCapacity) return false;
  StrAppend(a, b, dst);
  return true;
}

FILE* OpenComposed(const char* a, const char* b) {
  char name[NameCapacity];
  return Compose(a, b, name) ? std::fopen(name, "r") : nullptr;
}

}  // namespace

FILE* OpenFile(const char* name) {
  FILE* stream = std::fopen(name, "r");
  if (stream == nullptr) stream = OpenComposed(name, ".max");
  char inDataDirectory[NameCapacity];
  if (stream == nullptr && Compose(DataDirectory, name, inDataDirectory)) {
    stream = std::fopen(inDataDirectory, "r");
    if (stream == nullptr) stream = OpenComposed(inDataDirectory, ".max");
  }
  return stream;
}

// Memory, fatal exit, and the character and token layer under the reader.
//
// The token functions read a stdio stream one character at a time through
// its own buffer, pushing back at most one character. Characters are the
// values 0 … 255 (255 included), EOF (-1) is the end of input, whitespace is
// the isspace set and digits are 0 … 9.
#pragma once

#include <cstdio>

// Writes `msg` and a newline on standard error and exits with status -1
// (seen as 255).
[[noreturn]] void Barf(const char* msg);

// `n` (>= 0) fresh bytes, suitably aligned for any type, carved from the data
// segment; never returned. "Out of space" through Barf when the system
// refuses to grow the segment.
void* Alloc(int n);

// Skips whitespace and consumes the first other character, which it returns;
// EOF at end of input.
int ReadChar(FILE* stream);
// 1 at end of input, else 0 with the next non-blank character pushed back.
// Leading whitespace is consumed either way.
int EOF_Test(FILE* stream);
// Discards the rest of the line, its newline included.
void SkipLine(FILE* stream);
// Discards whitespace and pushes back the first other character.
void Skip(FILE* stream);
// Reads a word (a run of non-whitespace characters after skipping
// whitespace) and consumes the whitespace character that ends it. Keeps at
// most `size` - 1 characters of it in `buf`, NUL-terminated; the rest of a
// longer word is read and dropped.
void GetString(FILE* stream, char* buf, int size);
// Optional "-" (no blank after it) and decimal digits, after skipping
// whitespace. The first non-digit is pushed back; no digit reads as 0. A
// value beyond the 32-bit range saturates at INT_MAX or INT_MIN.
int GetInt(FILE* stream);
// Writes `value` in decimal, "-" first when negative.
void PutInt(int value, FILE* stream);

// 1 when the strings are equal, else 0; not an ordering.
int Strcmp(const char* a, const char* b);
// Writes `a`, then `b`, then a NUL into `dst`, which must have the room.
void StrAppend(const char* a, const char* b, char* dst);
// The smaller, respectively larger, value; `a` on a tie.
int Min(int a, int b);
int Max(int a, int b);

// Opens a problem file for reading: `name`, `name`.max, then both inside
// DataDirectory, the first that opens. Names composed here hold at most
// 99 characters; longer ones are not tried. Null when none opens.
FILE* OpenFile(const char* name);
constexpr const char* DataDirectory = "/usr/local/share/match/";

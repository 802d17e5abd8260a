// Differential test of the input layers against the library calls they
// replace: the hand field conversion against sscanf with the readers' four
// formats, the block line splitter against getline, and match's token layer
// against a character-at-a-time version built on getc, ungetc and the
// <cctype> classes. Inputs: every standard input of the end-to-end cases
// (the directory given as the first argument), then many random and
// adversarial lines and streams from a fixed seed.
//
// Usage: input_differential CASES_DIR [RANDOM_LINES]
// Prints each disagreement and exits with 1 if there was any.

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "fail.h"
#include "field_scanner.h"
#include "line_input.h"
#include "plain_arc_line.h"
#include "utility.h"

// The solver front end's messages end bare, as in the matching programs.
const char* const messageEnd = "";

namespace {

int failures = 0;

std::string shown(const std::string& text) {
  std::string out;
  for (unsigned char c : text.substr(0, 120)) {
    if (c >= 32 && c < 127 && c != '\\') {
      out += char(c);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02x", c);
      out += escape;
    }
  }
  return text.size() > 120 ? out + "..." : out;
}

void disagree(const char* what, const std::string& input, const std::string& detail) {
  if (++failures <= 30)
    std::printf("DIFFERENT %s on \"%s\": %s\n", what, shown(input).c_str(), detail.c_str());
}

// --- Field conversion -------------------------------------------------------

// What a format yields: the count sscanf returns and the fields it assigned.
struct Fields {
  int result = 0;
  std::string word;
  long numbers[3] = {0, 0, 0};
  char kind = 0;
};

std::string describe(const Fields& f, int words, int numbers, bool kind) {
  std::ostringstream out;
  out << "result " << f.result;
  int assigned = f.result;
  if (words > 0 && assigned-- > 0) out << " word \"" << shown(f.word) << "\"";
  for (int i = 0; i < numbers && assigned-- > 0; ++i) out << " " << f.numbers[i];
  if (kind && assigned-- > 0) out << " kind " << int(f.kind);
  return out.str();
}

// Compares the two sides' results and every field they say they assigned.
void compare(const char* format, const std::string& line, const Fields& reference,
             const Fields& scanned, int words, int numbers, bool kind) {
  std::string a = describe(reference, words, numbers, kind);
  std::string b = describe(scanned, words, numbers, kind);
  if (a != b) disagree(format, line, "sscanf: " + a + " | scanner: " + b);
}

// The bulk parse of plain arc lines takes a line only with the fields that
// sscanf finds in it: `reference` is sscanf's "%*c %ld %ld %ld" of `line`.
template <int kFields>
void checkPlainArcLine(const std::string& line, const Fields& reference) {
  const std::string text = line + "\n" + std::string(LineInput::kPadding, '\0');
  uint32_t values[kFields];
  const char* after = parsePlainArcLine<kFields>(text.c_str(), values);
  if (after == nullptr) return;
  Fields got;
  got.result = kFields;
  for (int f = 0; f < kFields; ++f) got.numbers[f] = values[f];
  compare(kFields == 2 ? "plain arc line of 2" : "plain arc line of 3", line, reference, got, 0,
          kFields, false);
  if (after != text.c_str() + line.size() + 1) disagree("plain arc line end", line, "");
}

void checkLine(const std::string& line) {
  const char* s = line.c_str();
  {  // the matching programs' problem line
    Fields ref, got;
    char word[21] = "";
    ref.result = std::sscanf(s, "%*c %20s %ld %ld %ld", word, &ref.numbers[0], &ref.numbers[1],
                             &ref.numbers[2]);
    ref.word = word;
    char mine[21] = "";
    FieldScanner scan(s);
    scan.skipChar();
    scan.word(mine, 20);
    for (long& n : got.numbers) scan.integer(n);
    got.result = scan.result();
    got.word = mine;
    compare("%*c %20s %ld %ld %ld", line, ref, got, 1, 3, false);
  }
  {  // the unit-flow problem line: a word of any length
    Fields ref, got;
    std::vector<char> word(line.size() + 1), mine(line.size() + 1);
    ref.result = std::sscanf(s, "%*c %s %ld %ld", word.data(), &ref.numbers[0], &ref.numbers[1]);
    ref.word = word.data();
    FieldScanner scan(s);
    scan.skipChar();
    scan.word(mine.data(), 0);
    scan.integer(got.numbers[0]);
    scan.integer(got.numbers[1]);
    got.result = scan.result();
    got.word = mine.data();
    compare("%*c %s %ld %ld", line, ref, got, 1, 2, false);
  }
  {  // node lines
    Fields ref, got;
    ref.result = std::sscanf(s, "%*c %ld %c", &ref.numbers[0], &ref.kind);
    got.result = scanNodeLine(s, got.numbers[0], got.kind);
    compare("%*c %ld %c", line, ref, got, 0, 1, true);
  }
  {  // arc lines
    Fields ref, got;
    ref.result =
        std::sscanf(s, "%*c %ld %ld %ld", &ref.numbers[0], &ref.numbers[1], &ref.numbers[2]);
    got.result = scanArcLine(s, got.numbers[0], got.numbers[1], got.numbers[2]);
    compare("%*c %ld %ld %ld", line, ref, got, 0, 3, false);
    checkPlainArcLine<2>(line, ref);
    checkPlainArcLine<3>(line, ref);
  }
}

// --- Line splitting -----------------------------------------------------------

// A stream that reads `text`, NUL bytes included.
FILE* open(const std::string& text) {
  FILE* f =
      text.empty() ? std::tmpfile() : fmemopen(const_cast<char*>(text.data()), text.size(), "r");
  if (f == nullptr) {
    std::perror("input_differential");
    std::exit(2);
  }
  return f;
}

void checkLines(const std::string& text) {
  FILE* a = open(text);
  FILE* b = open(text);
  LineInput lines(a);
  char* buffer = nullptr;
  size_t capacity = 0;
  long count = 0;
  for (;;) {
    const char* mine = lines.next();
    ssize_t length = getline(&buffer, &capacity, b);
    if (length >= 0) {
      if (length > 0 && buffer[length - 1] == '\n') buffer[length - 1] = '\0';
      ++count;
    }
    if ((mine == nullptr) != (length < 0)) {
      disagree("lines", text, "line " + std::to_string(count) + ": one side ended early");
      break;
    }
    if (mine == nullptr) break;
    if (std::strcmp(mine, buffer) != 0) {
      disagree("lines", text, "line " + std::to_string(count) + " differs");
      break;
    }
    checkLine(mine);
  }
  if (lines.linesRead() != count) disagree("lines", text, "line counts differ");
  if (lines.failed()) disagree("lines", text, "a read error on a good stream");
  std::free(buffer);
  std::fclose(a);
  std::fclose(b);
}

// The bulk path over LineInput: the plain arc lines at the start of the
// unread text taken there and handed back by skipLines, every other line
// through next(), must give getline's lines in order (a line as a C string
// ends at a NUL), and count each once.
void checkBulkLines(const std::string& text) {
  FILE* a = open(text);
  FILE* b = open(text);
  LineInput lines(a);
  std::vector<std::string> mine, theirs;
  for (;;) {
    const char* p = lines.unread();
    if (p != lines.unreadEnd()) {
      long count = 0;
      uint32_t values[2];
      for (const char* after; (after = parsePlainArcLine<2>(p, values)) != nullptr; p = after) {
        mine.emplace_back(p, after - 1);
        ++count;
      }
      lines.skipLines(p, count);
    }
    const char* line = lines.next();
    if (line == nullptr) break;
    mine.emplace_back(line);
  }
  char* buffer = nullptr;
  size_t capacity = 0;
  for (ssize_t length; (length = getline(&buffer, &capacity, b)) >= 0;) {
    if (length > 0 && buffer[length - 1] == '\n') buffer[length - 1] = '\0';
    theirs.emplace_back(buffer);
  }
  if (mine != theirs) {
    size_t first = 0;
    while (first < mine.size() && first < theirs.size() && mine[first] == theirs[first]) ++first;
    disagree("bulk lines", text, "line " + std::to_string(first + 1) + " differs");
  }
  if (lines.linesRead() != long(theirs.size())) disagree("bulk lines", text, "line counts differ");
  std::free(buffer);
  std::fclose(a);
  std::fclose(b);
}

// --- match's token layer --------------------------------------------------------

namespace reference {

int ReadChar(FILE* s) {
  int c = getc(s);
  while (std::isspace(c)) c = getc(s);
  return c;
}
int EOF_Test(FILE* s) {
  int c = reference::ReadChar(s);
  if (c == EOF) return 1;
  ungetc(c, s);
  return 0;
}
void SkipLine(FILE* s) {
  int c = getc(s);
  while (c != '\n' && c != EOF) c = getc(s);
}
void GetString(FILE* s, char* buf, int size) {
  ungetc(reference::ReadChar(s), s);
  int kept = 0;
  for (int c = getc(s); c != EOF && !std::isspace(c); c = getc(s))
    if (kept < size - 1) buf[kept++] = char(c);
  buf[kept] = '\0';
}
int GetInt(FILE* s) {
  int c = reference::ReadChar(s);
  bool negative = c == '-';
  if (negative) c = getc(s);
  long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
  long long magnitude = 0;
  for (; std::isdigit(c); c = getc(s)) magnitude = std::min(magnitude * 10 + (c - '0'), limit);
  ungetc(c, s);
  return int(negative ? -magnitude : magnitude);
}

}  // namespace reference

// Runs the same random sequence of token calls on both layers and compares
// every result, then what is left of each stream.
void checkTokens(const std::string& text, unsigned seed) {
  FILE* a = open(text);
  FILE* b = open(text);
  std::mt19937 random(seed);
  for (int call = 0; call < 400; ++call) {
    std::string step = "call " + std::to_string(call);
    switch (random() % 5) {
      case 0: {
        int x = ReadChar(a), y = reference::ReadChar(b);
        if (x != y) disagree("ReadChar", text, step);
        break;
      }
      case 1:
        if (EOF_Test(a) != reference::EOF_Test(b)) disagree("EOF_Test", text, step);
        break;
      case 2:
        SkipLine(a);
        reference::SkipLine(b);
        break;
      case 3: {
        int size = random() % 2 ? 100 : 4;
        char x[100], y[100];
        GetString(a, x, size);
        reference::GetString(b, y, size);
        if (std::strcmp(x, y) != 0) disagree("GetString", text, step);
        break;
      }
      default: {
        int x = GetInt(a), y = reference::GetInt(b);
        if (x != y)
          disagree("GetInt", text, step + ": " + std::to_string(x) + " / " + std::to_string(y));
      }
    }
  }
  std::fclose(a);
  std::fclose(b);
}

// --- Inputs ------------------------------------------------------------------------

// The standard input of a case file: its "--- stdin" section, or the file
// named by "stdin-path:" when that is a readable regular file.
bool caseInput(const std::filesystem::path& file, std::string& text) {
  std::ifstream in(file, std::ios::binary);
  std::string line, body;
  bool inStdin = false, seen = false, noeol = false;
  while (std::getline(in, line)) {
    if (line.rfind("--- ", 0) == 0) {
      inStdin = line.rfind("--- stdin", 0) == 0;
      if (inStdin) {
        seen = true;
        noeol = line.find("noeol") != std::string::npos;
      }
      continue;
    }
    if (inStdin) body += line + "\n";
  }
  if (!seen) return false;
  if (noeol && !body.empty()) body.pop_back();
  text = body;
  return true;
}

// A random line built from pieces that stress the conversions: line letters,
// every kind of white space, signs, numbers at and past the limits of long,
// problem words of 20 and 21 characters, bytes above 127.
std::string randomLine(std::mt19937& random) {
  static const char* pieces[] = {"a",
                                 "p",
                                 "n",
                                 "c",
                                 "t",
                                 "s",
                                 "x",
                                 " ",
                                 "  ",
                                 "\t",
                                 "\r",
                                 "\v",
                                 "\f",
                                 "+",
                                 "-",
                                 "--",
                                 "+-",
                                 "0",
                                 "1",
                                 "7",
                                 "12",
                                 "00012",
                                 "2147483647",
                                 "2147483648",
                                 "-2147483648",
                                 "4294967297",
                                 "9223372036854775807",
                                 "9223372036854775808",
                                 "-9223372036854775808",
                                 "-9223372036854775809",
                                 "99999999999999999999999",
                                 "0x1f",
                                 "max",
                                 "unit-flow",
                                 "bipartite-matching",
                                 "bipartitefoo",
                                 "abcdefghijklmnopqrst",
                                 "abcdefghijklmnopqrstu",
                                 "bipartite-matchingXY5",
                                 "\x80",
                                 "\xff",
                                 "\xa0",
                                 "é",
                                 "1e5",
                                 "3.5",
                                 ",",
                                 "#"};
  std::string line;
  int count = int(random() % 9);
  for (int i = 0; i < count; ++i) {
    line += pieces[random() % (sizeof pieces / sizeof *pieces)];
    if (random() % 3 == 0) line += ' ';
  }
  return line;
}

// A stream of random lines, sometimes with a NUL inside a line, a line far
// longer than a block, or no final newline.
std::string randomStream(std::mt19937& random, bool huge) {
  std::string text;
  int lines = int(random() % 40);
  for (int i = 0; i < lines; ++i) {
    text += randomLine(random);
    if (random() % 25 == 0) text += std::string(1, '\0') + "a 1 2";
    if (huge && random() % 10 == 0) text += std::string(LineInput::kBlockBytes + 77, '7');
    text += random() % 20 == 0 ? "\r\n" : "\n";
  }
  if (random() % 3 == 0 && !text.empty()) text.pop_back();
  return text;
}

// An arc line in the plain form or near it: blanks of every kind or none,
// numbers of up to eleven digits with leading zeros or signs, one to four
// fields, junk at the end.
std::string randomArcLine(std::mt19937& random) {
  static const char* blanks[] = {" ", " ", " ", "\t", "  ", " \t", "", "\r", "\v"};
  std::string line = random() % 20 == 0 ? "b" : "a";
  int fields = 1 + int(random() % 4);
  for (int f = 0; f < fields; ++f) {
    line += blanks[random() % (sizeof blanks / sizeof *blanks)];
    if (random() % 15 == 0) line += random() % 2 ? "-" : "+";
    int digits = int(random() % 12);
    for (int d = 0; d < digits; ++d) line += char('0' + random() % 10);
  }
  if (random() % 5 == 0) line += blanks[random() % (sizeof blanks / sizeof *blanks)];
  if (random() % 15 == 0) line += "x";
  return line;
}

// Mostly plain arc lines, several blocks long, with odd lines among them:
// other arc lines, random lines, a NUL, lines longer than a block, and
// sometimes no final newline.
std::string plainStream(std::mt19937& random) {
  std::string text;
  while (text.size() < 6 * LineInput::kBlockBytes) {
    switch (random() % 40) {
      case 0:
        text += randomArcLine(random);
        break;
      case 1:
        text += randomLine(random);
        break;
      case 2:
        text += std::string("a 1") + '\0' + " 2";
        break;
      case 3:
        if (random() % 20 == 0) text += "c" + std::string(LineInput::kBlockBytes + 5, '7');
        break;
      default:
        text += "a " + std::to_string(random() % 3000000) + " " + std::to_string(random() % 30);
    }
    text += "\n";
  }
  if (random() % 2 == 0) text.pop_back();
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: input_differential CASES_DIR [RANDOM_LINES]\n");
    return 2;
  }
  long randomLines = argc > 2 ? std::atol(argv[2]) : 200000;
  int cases = 0;
  unsigned seed = 1;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[1])) {
    std::string text;
    if (entry.path().extension() != ".case" || !caseInput(entry.path(), text)) continue;
    ++cases;
    checkLines(text);
    checkBulkLines(text);
    checkTokens(text, seed++);
  }
  std::mt19937 random(20261208);
  for (long i = 0; i < randomLines; ++i) checkLine(randomLine(random));
  for (int i = 0; i < 2000; ++i) {
    std::string text = randomStream(random, false);
    checkLines(text);
    checkBulkLines(text);
    checkTokens(text, seed++);
  }
  // Streams several blocks long: lines across block boundaries and lines
  // that outgrow the buffer.
  for (int i = 0; i < 8; ++i) {
    std::string text;
    while (text.size() < 16 * LineInput::kBlockBytes) text += randomStream(random, true) + "\n";
    checkLines(text);
  }
  for (long i = 0; i < randomLines; ++i) checkLine(randomArcLine(random));
  // Plain arc lines through the bulk path, across many block boundaries.
  for (int i = 0; i < 12; ++i) checkBulkLines(plainStream(random));
  std::printf(
      "%d case inputs, %ld random lines and arc lines, 2020 random streams: %d differences\n",
      cases, randomLines, failures);
  return failures == 0 ? 0 : 1;
}

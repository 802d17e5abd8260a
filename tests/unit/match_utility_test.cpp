// The matcher's memory and file helpers.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "utility.h"

namespace {

TEST(MatchAlloc, PiecesAreAlignedAndDisjoint) {
  char* small = static_cast<char*>(Alloc(3));
  char* edge = static_cast<char*>(Alloc(16));
  char* table = static_cast<char*>(Alloc(3 << 20));  // more than a chunk
  char* after = static_cast<char*>(Alloc(1));
  for (char* piece : {small, edge, table, after}) {
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(piece) % alignof(std::max_align_t), 0u);
  }
  std::memset(small, 1, 3);
  std::memset(edge, 2, 16);
  std::memset(table, 3, 3 << 20);
  *after = 4;
  EXPECT_EQ(small[2], 1);
  EXPECT_EQ(edge[15], 2);
  EXPECT_EQ(table[0], 3);
  EXPECT_EQ(table[(3 << 20) - 1], 3);
}

// Maps a page just past the end of the data segment, so that the segment
// cannot grow by more than a page, then asks for far more.
void AllocAgainstAWall() {
  const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(sbrk(0));
  void* wall = reinterpret_cast<void*>((end + page - 1) / page * page + page);
  const int flags = MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE;
  if (mmap(wall, page, PROT_NONE, flags, -1, 0) != wall) std::exit(1);
  Alloc(1 << 30);
}

TEST(MatchAllocDeathTest, RefusedGrowthIsOutOfSpace) {
  EXPECT_EXIT(AllocAgainstAWall(), testing::ExitedWithCode(255), "^Out of space\n$");
}

TEST(MatchStrings, StrcmpTestsEqualityOnly) {
  EXPECT_EQ(Strcmp("abc", "abc"), 1);
  EXPECT_EQ(Strcmp("abc", "abd"), 0);
  EXPECT_EQ(Strcmp("abd", "abc"), 0);
  EXPECT_EQ(Strcmp("", "a"), 0);
  char joined[8];
  StrAppend("ab", "cde", joined);
  EXPECT_STREQ(joined, "abcde");
}

class MatchOpenFile : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/match-openfile-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    directory = pattern;
  }
  void TearDown() override {
    for (const std::string& file : created) std::remove(file.c_str());
    rmdir(directory.c_str());
  }
  // Creates directory/name holding `text` and returns its path.
  std::string Create(const std::string& name, const char* text) {
    const std::string path = directory + "/" + name;
    FILE* file = std::fopen(path.c_str(), "w");
    std::fputs(text, file);
    std::fclose(file);
    created.push_back(path);
    return path;
  }
  static std::string FirstLine(FILE* stream) {
    char line[32] = "";
    if (stream == nullptr) return "<none>";
    std::fgets(line, sizeof line, stream);
    std::fclose(stream);
    return line;
  }

  std::string directory;
  std::vector<std::string> created;
};

TEST_F(MatchOpenFile, PrefersTheNameItselfThenAddsMax) {
  const std::string plain = Create("problem", "plain");
  Create("problem.max", "suffixed");
  EXPECT_EQ(FirstLine(OpenFile(plain.c_str())), "plain");
  std::remove(plain.c_str());
  EXPECT_EQ(FirstLine(OpenFile(plain.c_str())), "suffixed");
  EXPECT_EQ(FirstLine(OpenFile((directory + "/absent").c_str())), "<none>");
}

TEST_F(MatchOpenFile, DoesNotTryComposedNamesBeyond99Characters) {
  const std::string stem = directory + "/" + std::string(99 - 4 - directory.size() - 1, 's');
  Create(stem.substr(directory.size() + 1) + ".max", "fits");
  EXPECT_EQ(FirstLine(OpenFile(stem.c_str())), "fits");
  const std::string longer = stem + "t";
  Create(longer.substr(directory.size() + 1) + ".max", "too long");
  EXPECT_EQ(FirstLine(OpenFile(longer.c_str())), "<none>");
}

}  // namespace

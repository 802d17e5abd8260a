// The matcher's character and token layer: what each reader consumes, what
// it leaves for the next one, and the exactness of the integer writer.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "match_test_streams.h"
#include "utility.h"

namespace {

// The value GetInt reads from `text`, and the character it leaves unread.
struct IntRead {
  int value;
  int next;
};
IntRead ReadInt(const std::string& text) {
  InputStream in(text);
  const int value = GetInt(in.get());
  return {value, getc(in.get())};
}

TEST(MatchGetInt, StopsAtTheFirstNonDigitAndLeavesIt) {
  EXPECT_EQ(ReadInt("12a").value, 12);
  EXPECT_EQ(ReadInt("12a").next, 'a');
  EXPECT_EQ(ReadInt(" \n\t-307 ").value, -307);
  EXPECT_EQ(ReadInt("x").next, 'x');
  EXPECT_EQ(ReadInt("99").next, EOF);
}

TEST(MatchGetInt, WithoutDigitsReadsZero) {
  EXPECT_EQ(ReadInt("- 5").value, 0);
  EXPECT_EQ(ReadInt("- 5").next, ' ');
  EXPECT_EQ(ReadInt("-").value, 0);
  EXPECT_EQ(ReadInt("+5").value, 0);
  EXPECT_EQ(ReadInt("+5").next, '+');
  EXPECT_EQ(ReadInt("   ").value, 0);
}

TEST(MatchGetInt, SaturatesAtThe32BitLimits) {
  EXPECT_EQ(ReadInt("2147483647").value, INT_MAX);
  EXPECT_EQ(ReadInt("2147483648").value, INT_MAX);
  EXPECT_EQ(ReadInt("4294967297").value, INT_MAX);
  EXPECT_EQ(ReadInt("-2147483648").value, INT_MIN);
  EXPECT_EQ(ReadInt("-2147483649").value, INT_MIN);
  EXPECT_EQ(ReadInt("123456789012345678901234567890;").value, INT_MAX);
  EXPECT_EQ(ReadInt("123456789012345678901234567890;").next, ';');
}

std::string Put(int value) {
  return Written([value](FILE* out) { PutInt(value, out); });
}

TEST(MatchPutInt, WritesEveryIntExactly) {
  EXPECT_EQ(Put(0), "0");
  EXPECT_EQ(Put(7), "7");
  EXPECT_EQ(Put(-10), "-10");
  EXPECT_EQ(Put(999999999), "999999999");
  EXPECT_EQ(Put(1000000000), "1000000000");
  EXPECT_EQ(Put(-1000000007), "-1000000007");
  EXPECT_EQ(Put(INT_MAX), "2147483647");
  EXPECT_EQ(Put(INT_MIN), "-2147483648");
}

TEST(MatchGetString, ReadsOneWordAndItsTerminator) {
  InputStream in("\n  bipartite-matching\t7");
  char word[100];
  GetString(in.get(), word, sizeof word);
  EXPECT_STREQ(word, "bipartite-matching");
  EXPECT_EQ(getc(in.get()), '7');
}

TEST(MatchGetString, KeepsTheHeadOfALongWordAndDropsTheRest) {
  const std::string longWord(150, 'w');
  InputStream in(longWord + " 42");
  char word[100];
  word[99] = 'x';
  GetString(in.get(), word, sizeof word);
  EXPECT_EQ(std::string(word), longWord.substr(0, 99));
  EXPECT_EQ(GetInt(in.get()), 42);
}

TEST(MatchGetString, StopsAtEndOfInput) {
  InputStream in(std::string(120, 'z'));
  char word[100];
  GetString(in.get(), word, sizeof word);
  EXPECT_EQ(std::string(word), std::string(99, 'z'));
  EXPECT_EQ(EOF_Test(in.get()), 1);
}

TEST(MatchCharacters, Byte255IsAnOrdinaryCharacter) {
  InputStream in(" \xff\xff x");
  EXPECT_EQ(EOF_Test(in.get()), 0);
  EXPECT_EQ(ReadChar(in.get()), 255);
  char word[4];
  GetString(in.get(), word, sizeof word);
  EXPECT_STREQ(word, "\xff");
  EXPECT_EQ(ReadChar(in.get()), 'x');
  EXPECT_EQ(ReadChar(in.get()), EOF);
}

}  // namespace

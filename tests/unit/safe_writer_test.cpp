// The safe writer where no program's case reaches: text across its buffer,
// a listening socket, symlinks that loop, a hard-linked file whose
// temporary file another process extended, and the outputs' clashes.
#include "fileio/safe_writer.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

class SafeWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/safe_writer_testXXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf " + folder_).c_str()); }

  std::string Path(const char* name) const { return folder_ + "/" + name; }
  static std::string Read(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::string Listing() const {
    std::string names;
    FILE* ls = popen(("ls -A " + folder_).c_str(), "r");
    for (int c; (c = std::fgetc(ls)) != EOF;) names += char(c == '\n' ? ' ' : c);
    pclose(ls);
    return names;
  }

  std::string folder_;
};

TEST_F(SafeWriterTest, TextAcrossTheBufferArrivesWhole) {
  std::string expected;
  fileio::SafeWriter file(Path("out"));
  ASSERT_TRUE(file.Open());
  const std::string block(70000, 'x');
  for (int64_t i = -3; i < 60000; ++i) {
    file.Number(i);
    file.Char('\n');
    expected += std::to_string(i) + "\n";
    if (i % 20000 == 0) {
      file.Write(block.data(), block.size());
      expected += block;
    }
  }
  file.Write(expected.data(), 0);
  ASSERT_TRUE(file.Commit()) << file.error();
  EXPECT_EQ(Read(Path("out")), expected);
  EXPECT_EQ(Listing(), "out ");
}

TEST_F(SafeWriterTest, WritesToAListeningSocket) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::string path = Path("socket");
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
  int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 1), 0);
  fileio::SafeWriter file(path);
  ASSERT_TRUE(file.Open()) << file.error();
  file.Text("c size 3\n");
  ASSERT_TRUE(file.Commit()) << file.error();
  int peer = accept(listener, nullptr, nullptr);
  char got[32] = {};
  EXPECT_EQ(read(peer, got, sizeof got - 1), 9);
  EXPECT_STREQ(got, "c size 3\n");
  close(peer);
  close(listener);
  struct stat status;
  ASSERT_EQ(stat(path.c_str(), &status), 0);
  EXPECT_TRUE(S_ISSOCK(status.st_mode));
}

TEST_F(SafeWriterTest, SymlinksThatLoopAreRefused) {
  ASSERT_EQ(symlink("b", Path("a").c_str()), 0);
  ASSERT_EQ(symlink("a", Path("b").c_str()), 0);
  fileio::SafeWriter file(Path("a"));
  EXPECT_FALSE(file.Open());
  EXPECT_NE(file.error().find("Too many levels of symbolic links"), std::string::npos)
      << file.error();
  EXPECT_FALSE(file.Commit());
  EXPECT_EQ(Listing(), "a b ");
}

TEST_F(SafeWriterTest, ChainOfDanglingSymlinksEndsInTheNewFile) {
  ASSERT_EQ(mkdir(Path("sub").c_str(), 0777), 0);
  ASSERT_EQ(symlink("sub/middle", Path("first").c_str()), 0);
  ASSERT_EQ(symlink("../end", Path("sub/middle").c_str()), 0);
  fileio::RunFiles files{false, false, {}, {{"-w", Path("first")}, {"-c", Path("end")}}};
  std::optional<fileio::Refusal> refusal = fileio::CheckOutputs(files);
  ASSERT_TRUE(refusal);
  EXPECT_TRUE(refusal->clash);
  fileio::SafeWriter file(Path("first"));
  ASSERT_TRUE(file.Open());
  file.Text("ok\n");
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(Read(Path("end")), "ok\n");
}

// As distmatch's ranks do: another writer fills the temporary file at its
// own offset; a hard-linked target then gets all of it, in place.
TEST_F(SafeWriterTest, HardLinkedFileGetsWhatOthersWroteToTheTemporaryFile) {
  std::ofstream(Path("a")) << "an old text, longer than the new one\n";
  ASSERT_EQ(link(Path("a").c_str(), Path("b").c_str()), 0);
  fileio::SafeWriter file(Path("a"));
  ASSERT_TRUE(file.Open());
  ASSERT_FALSE(file.temporary_path().empty());
  {
    std::fstream other(file.temporary_path(), std::ios::in | std::ios::out);
    other.seekp(6);
    other << "world\n";
  }
  file.Text("hello ");
  ASSERT_TRUE(file.Commit()) << file.error();
  EXPECT_EQ(Read(Path("b")), "hello world\n");
  EXPECT_EQ(Listing(), "a b ");
}

}  // namespace

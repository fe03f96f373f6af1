// jmz md5 and jmz shred end to end: printed lines, files on disk, exit status.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "cli/jmz.h"
#include "jmz_fixture.h"

namespace {

namespace fs = std::filesystem;

class JmzUtilsTest : public testing_support::JmzFixture {
 protected:
  // Writes the file and gives its path.
  std::string Put(const std::string& name, const std::string& bytes) {
    Write(name, bytes);
    return P(name);
  }
};

struct Vector {
  const char* name;
  std::string bytes;
  const char* digest;
};

// RFC 1321's vectors, one over many blocks of either mode.
const Vector kVectors[] = {
    {"empty", "", "d41d8cd98f00b204e9800998ecf8427e"},
    {"abc 文件", "abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message", "message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"million a", std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21"},
};

TEST_F(JmzUtilsTest, Md5PrintsMd5sumLinesInFileOrderInEveryMode) {
  std::string expected;
  std::vector<std::string> files;
  for (const Vector& v : kVectors) {
    files.push_back(Put(v.name, v.bytes));
    expected += std::string(v.digest) + "  " + files.back() + "\n";
  }
  for (const char* mode : {"auto", "map", "stream"}) {
    std::vector<std::string> args = {"md5", "--mode", mode, "-j", "2"};
    args.insert(args.end(), files.begin(), files.end());
    const Outcome r = Jmz(args);
    EXPECT_EQ(r.status, 0) << mode;
    EXPECT_EQ(r.out, expected) << mode;
  }
}

TEST_F(JmzUtilsTest, Md5ListPrintsTheWindowsLogLines) {
  const std::string empty = Put("空", ""), abc = Put("abc", "abc");
  const Outcome r = Jmz({"md5", "--list", abc, empty, dir_.string()});
  EXPECT_EQ(r.status, 1);  // the empty file and the folder have no digest
  EXPECT_EQ(r.out, "  " + abc + " -> MD5:\n900150983CD24FB0D6963F7D28E17F72\n  取消效验：" + empty +
                       "  -> 文件大小：0 字节。\n  \"" + dir_.string() + "\" 是(目录)文件夹，不能MD5效验。\n");
}

TEST_F(JmzUtilsTest, Md5CheckReportsEachLineAndFailsWhenOneDoes) {
  const std::string abc = Put("abc", "abc"), message = Put("消息", "message digest");
  const std::string list = Put("list.md5", "900150983CD24FB0D6963F7D28E17F72  " + abc + "\r\n" +
                                                 "f96b697d7cb7938d525a2f31aaf161d0 *" + message + "\n" +
                                                 "00000000000000000000000000000000  " + abc + "\n" +
                                                 "900150983cd24fb0d6963f7d28e17f72  " + P("gone") + "\n");
  const Outcome r = Jmz({"md5", "-c", list});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, abc + ": OK\n" + message + ": OK\n" + abc + ": FAILED\n" + P("gone") + ": FAILED\n");
  EXPECT_EQ(Jmz({"md5", "-c", Put("good.md5", "900150983cd24fb0d6963f7d28e17f72  " + abc + "\n")}).status, 0);
}

TEST_F(JmzUtilsTest, ShredYesRemovesRegularFilesAndNeverFollowsALink) {
  const std::string file = Put("粉碎", std::string(70000, 'x'));
  const std::string target = Put("target", "keep");
  fs::create_symlink(target, P("link"));
  const Outcome r = Jmz({"shred", "--yes", file, P("link")});
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(fs::exists(file));
  EXPECT_NE(r.out.find("粉碎文件已完成:" + file), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("粉碎文件出错，已停止: 要粉碎的文件正在使用中或者有只读属性等:" + P("link")), std::string::npos)
      << r.out;
  EXPECT_TRUE(fs::is_symlink(P("link")));
  std::ifstream in(target);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep");
}

TEST_F(JmzUtilsTest, ShredWithoutATerminalOrYesChangesNothing) {
  if (isatty(STDIN_FILENO)) GTEST_SKIP() << "standard input is a terminal";
  const std::string file = Put("f", "data");
  EXPECT_EQ(Jmz({"shred", file}).status, 2);
  EXPECT_TRUE(fs::exists(file));
}

}  // namespace

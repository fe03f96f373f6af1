// jmz and the authenticated container: encrypt --aead, decrypt of either
// format, upgrade of a historical container, info, and the key rules.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "jmz_fixture.h"

namespace {

namespace fs = std::filesystem;

class JmzAeadTest : public testing_support::JmzFixture {
 protected:
  void SetUp() override {
    JmzFixture::SetUp();
    fs::create_directories(dir_ / "back");
  }
};

const std::vector<std::string> kSmallKdf = {"--kdf-memory", "1", "--kdf-passes", "1"};

std::vector<std::string> Args(std::vector<std::string> head, const std::vector<std::string>& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

TEST_F(JmzAeadTest, EncryptsWithAnyKeyAndDecryptsWithTheFormatNamedInTheLog) {
  Write("a.txt", "hello");
  Write("空.dat", "");
  const std::string key = "🔑 多字节\r\n";
  Outcome enc = Jmz(Args({"encrypt", "--aead", "-k", key, "-o", P("out"), P("a.txt"), P("空.dat")}, kSmallKdf));
  EXPECT_EQ(enc.status, 0);
  EXPECT_EQ(enc.out, "认证加密(Argon2id + ChaCha20-Poly1305)加密文件已完成:" + P("a.txt") +
                         "\n认证加密(Argon2id + ChaCha20-Poly1305)加密文件已完成:" + P("空.dat") + "\n");
  Outcome info = Jmz({"info", P("out/a.jmz")});
  EXPECT_EQ(info.out, P("out/a.jmz") +
                          ": authenticated container: format version 1, Argon2id memory 1024 KiB, passes 1, lanes 1, "
                          "ChaCha20-Poly1305, chunks of 65536 bytes (exponent 16), 37 bytes of chunks\n"
                          "  strength: authenticated encryption; the key is proved by the header and every chunk is "
                          "verified\n");

  EXPECT_EQ(Jmz({"decrypt", "-k", "wrong", "-o", P("back"), P("out/a.jmz")}).status, 1);
  EXPECT_TRUE(Names("back").empty());
  Outcome dec = Jmz({"decrypt", "-k", key, "-o", P("back"), P("out/a.jmz"), P("out/空.jmz")});
  EXPECT_EQ(dec.status, 0);
  EXPECT_EQ(Names("back"), (std::vector<std::string>{"a.txt", "空.dat"}));
  EXPECT_EQ(Read("back/a.txt"), "hello");
}

TEST_F(JmzAeadTest, UpgradeReencryptsAHistoricalContainerAndKeepsIt) {
  const std::string content(100000, 'x');
  Write("a.txt", content);
  for (const char* level : {"0", "2"}) {
    SCOPED_TRACE(level);
    fs::remove_all(dir_ / "out");
    fs::remove_all(dir_ / "back");
    fs::create_directories(dir_ / "out");
    fs::create_directories(dir_ / "back");
    ASSERT_EQ(Jmz({"encrypt", "-k", "钥匙", "-l", level, "-o", P("out"), P("a.txt")}).status, 0);
    const std::string original = Read("out/a.jmz");
    Outcome up = Jmz(Args({"upgrade", "-k", "钥匙", P("out/a.jmz")}, kSmallKdf));
    EXPECT_EQ(up.status, 0);
    EXPECT_EQ(up.out, "升级为认证加密(Argon2id + ChaCha20-Poly1305)格式已完成:" + P("out/a.jmz") + "\n");
    EXPECT_EQ(Names("out"), (std::vector<std::string>{"a(1).jmz", "a.jmz"}));
    EXPECT_EQ(Read("out/a.jmz"), original);
    EXPECT_EQ(Jmz({"upgrade", "-k", "钥匙", P("out/a(1).jmz")}).status, 1);  // already authenticated
    ASSERT_EQ(Jmz({"decrypt", "-k", "钥匙", "-o", P("back"), P("out/a(1).jmz")}).status, 0);
    EXPECT_TRUE(Read("back/a(1).txt") == content);
  }
}

TEST_F(JmzAeadTest, RefusesWhatTheFormatCannotTake) {
  Write("a.txt", "hello");
  ASSERT_EQ(Jmz({"encrypt", "-k", "abc", "-o", P("out"), P("a.txt")}).status, 0);
  struct Case {
    std::vector<std::string> args;
    int status;
  };
  const Case cases[] = {
      {{"encrypt", "--aead", "-k", "", P("a.txt")}, 2},
      {{"encrypt", "--aead", "--kdf-memory", "1025", "-k", "k", P("a.txt")}, 2},
      {{"encrypt", "--aead", "--kdf-passes", "0", "-k", "k", P("a.txt")}, 2},
      {{"encrypt", "--kdf-passes", "2", "-k", "k", P("a.txt")}, 2},
      {{"decrypt", "--aead", "-k", "k", P("out/a.jmz")}, 2},
      // A historical container cannot take a key that GBK cannot write.
      {{"decrypt", "-k", "🔑", "-o", P("back"), P("out/a.jmz")}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[1] + " " + c.args[2]);
    EXPECT_EQ(Jmz(c.args).status, c.status);
  }
  EXPECT_TRUE(Names("back").empty());
  EXPECT_EQ(Names("out"), std::vector<std::string>{"a.jmz"});
}

}  // namespace

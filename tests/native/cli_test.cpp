// The jmz tool end to end: files on disk, log lines, names and exit status.
#include <gtest/gtest.h>

#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "cli/jmz.h"
#include "jmz_fixture.h"

namespace {

namespace fs = std::filesystem;

using JmzTest = testing_support::JmzFixture;

std::string Bytes(std::size_t n, unsigned seed) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 2654435761u + seed) >> 13);
  return s;
}

TEST_F(JmzTest, EncryptsAndDecryptsFilesWithTheProductsLogLines) {
  Write("a.txt", "hello");
  Write("报告.docx", Bytes(70000, 1));
  Write("noext", Bytes(1024, 2));
  Outcome enc = Jmz({"encrypt", "-k", "钥匙key", "-o", P("out"), P("a.txt"), P("报告.docx"), P("noext")});
  EXPECT_EQ(enc.status, 0);
  EXPECT_EQ(enc.out, "加密文件已完成:" + P("a.txt") + "\n加密文件已完成:" + P("报告.docx") + "\n加密文件已完成:" +
                         P("noext") + "\n");
  EXPECT_EQ(Names("out"), (std::vector<std::string>{"a.jmz", "noext.jmz", "报告.jmz"}));
  // S + 37 + E + 2K with K = 12 for a 7-byte key.
  EXPECT_EQ(fs::file_size(P("out/a.jmz")), 5u + 37 + 4 + 24);
  EXPECT_EQ(fs::file_size(P("out/noext.jmz")), 1024u + 37 + 0 + 24);

  fs::create_directories(dir_ / "back");
  Outcome dec = Jmz({"decrypt", "-k", "钥匙key", "-o", P("back"), P("out/a.jmz"), P("out/报告.jmz"), P("out/noext.jmz")});
  EXPECT_EQ(dec.status, 0);
  EXPECT_EQ(dec.out, "解密文件已完成:" + P("out/a.jmz") + "\n解密文件已完成:" + P("out/报告.jmz") +
                         "\n解密文件已完成:" + P("out/noext.jmz") + "\n");
  EXPECT_EQ(Read("back/a.txt"), "hello");
  EXPECT_TRUE(Read("back/报告.docx") == Read("报告.docx"));
  EXPECT_TRUE(Read("back/noext") == Read("noext"));
}

TEST_F(JmzTest, TakenNamesGetACounterAndNothingIsOverwritten) {
  Write("a.txt", "one");
  Write("a.doc", "two");
  EXPECT_EQ(Jmz({"encrypt", "-k", "k", P("a.txt"), P("a.doc")}).status, 0);
  EXPECT_EQ(Read("a.txt"), "one");
  ASSERT_TRUE(fs::exists(P("a.jmz")) && fs::exists(P("a(1).jmz")));
  EXPECT_EQ(Jmz({"decrypt", "-k", "k", "-o", P("out"), P("a.jmz"), P("a.jmz")}).status, 0);
  EXPECT_EQ(Names("out"), (std::vector<std::string>{"a(1).txt", "a.txt"}));
  EXPECT_EQ(Read("out/a(1).txt"), "one");
}

TEST_F(JmzTest, EveryWritableVersionRoundTrips) {
  Write("data.bin", Bytes(5000, 3));
  for (const char* version : {"66", "56", "38", "18", "11"}) {
    SCOPED_TRACE(version);
    fs::remove_all(dir_ / "out");
    fs::create_directories(dir_ / "out");
    ASSERT_EQ(Jmz({"encrypt", "--format-version", version, "-k", "v", "-o", P("out"), P("data.bin")}).status, 0);
    const Outcome info = Jmz({"info", P("out/data.jmz")});
    EXPECT_NE(info.out.find(std::string("version ") + version + ","), std::string::npos) << info.out;
    ASSERT_EQ(Jmz({"decrypt", "-k", "v", "-o", P("out"), P("out/data.jmz")}).status, 0);
    EXPECT_TRUE(Read("out/data.bin") == Read("data.bin"));
  }
}

TEST_F(JmzTest, KeysComeFromFilesAndTheEnvironmentAsTheSameBytes) {
  Write("plain.txt", "secret text");
  Write("key.txt", "line1\nline2");  // read as line1 CR LF line2
  ASSERT_EQ(Jmz({"encrypt", "--key-file", P("key.txt"), P("plain.txt")}).status, 0);
  ::setenv("XCJM_TEST_KEY", "line1\r\nline2", 1);
  EXPECT_EQ(Jmz({"decrypt", "--key-env", "XCJM_TEST_KEY", "-o", P("out"), P("plain.jmz")}).status, 0);
  EXPECT_EQ(Read("out/plain.txt"), "secret text");
  EXPECT_EQ(Jmz({"decrypt", "-k", "line1\nline2", "-o", P("out"), P("plain.jmz")}).status, 1);
}

TEST_F(JmzTest, WrongKeysAreRefusedAndWriteNothing) {
  Write("a.txt", Bytes(3000, 4));
  ASSERT_EQ(Jmz({"encrypt", "-k", "right key", P("a.txt")}).status, 0);
  for (const char* wrong : {"right ke", "right key!", "wrong key"}) {
    const Outcome r = Jmz({"decrypt", "-k", wrong, "-o", P("out"), P("a.jmz")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "解密的密钥与加密的文件里的密钥不相同,不能解密:" + P("a.jmz") + "\n");
  }
  EXPECT_TRUE(Names("out").empty());
}

TEST_F(JmzTest, FilesThatCannotBeEncryptedAreReported) {
  Write("empty.txt", "");
  Outcome r = Jmz({"encrypt", "-k", "k", P("empty.txt"), P("missing.txt")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "文件(大小0字节)是空的!(不需要)压缩/加密已取消:" + P("empty.txt") + "\n加密文件出错:" +
                       P("missing.txt") + "\n");
  Write("a.txt", "x");
  r = Jmz({"encrypt", "-k", "", P("a.txt")});
  EXPECT_EQ(r.out, "请选择文件压缩率进行压缩或者输入密钥进行加密。加密文件已取消:" + P("a.txt") + "\n");
  EXPECT_FALSE(fs::exists(P("empty.jmz")) || fs::exists(P("a.jmz")));
}

TEST_F(JmzTest, NonContainersAreExpandedAsCompressedOnlyFiles) {
  const std::string plain = Bytes(10000, 5);
  uLongf size = compressBound(plain.size());
  std::string packed(size, '\0');
  ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(plain.data()),
                      plain.size(), 6),
            Z_OK);
  packed.resize(size);
  Write("r.docx.zak", packed);
  Write("r.bin", packed);
  Write("junk.bin", "not compressed at all");

  Outcome r = Jmz({"decrypt", "-k", "", "-o", P("out"), P("r.docx.zak"), P("r.bin"), P("junk.bin")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "进行解压缩文件... 已完成:" + P("r.docx.zak") +
                       "\n文件未经此软件加密或者是另外(不保存密钥)加密的，此解密已取消。尝试解压缩:" + P("r.bin") +
                       "\n进行解压缩文件... 已完成:" + P("r.bin") +
                       "\n文件未经此软件加密或者是另外(不保存密钥)加密的，此解密已取消。尝试解压缩:" + P("junk.bin") +
                       "\n进行解压缩文件...不能完成！已经取消。可能文件未经此软件压缩过等:" + P("junk.bin") + "\n");
  EXPECT_EQ(Names("out"), (std::vector<std::string>{"r", "r.docx"}));
  EXPECT_TRUE(Read("out/r.docx") == plain);
}

TEST_F(JmzTest, UsageErrorsExitWith2BeforeTouchingFiles) {
  Write("a.txt", "x");
  const std::string longKey(2057, 'k');
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"encrypt", "-k", "k"},
           {"frobnicate", P("a.txt")},
           {"encrypt", "--bogus", P("a.txt")},
           {"encrypt", "--format-version", "12", "-k", "k", P("a.txt")},
           {"decrypt", "--format-version", "38", "-k", "k", P("a.txt")},
           {"encrypt", "-k", "k", "--key-env", "HOME", P("a.txt")},
           {"encrypt", "-k", "k", "-o", P("no-such-dir"), P("a.txt")},
           {"encrypt", "-k", longKey, P("a.txt")},
           {"encrypt", "-k", "emoji \xF0\x9F\x98\x80", P("a.txt")},
           {"encrypt", "--key-env", "XCJM_SURELY_UNSET", P("a.txt")},
       }) {
    SCOPED_TRACE(args[0] + " " + args[1]);
    EXPECT_EQ(Jmz(args).status, 2);
  }
  EXPECT_EQ(Names(""), (std::vector<std::string>{"a.txt", "out"}));
  EXPECT_EQ(Jmz({"encrypt", "-k", std::string(2056, 'k'), P("a.txt")}).status, 0);
}

TEST_F(JmzTest, InfoSaysWhenTheStoredSizeDisagreesWithACutFile) {
  Write("a.txt", Bytes(2000, 6));
  ASSERT_EQ(Jmz({"encrypt", "-k", "abc", P("a.txt")}).status, 0);
  std::filesystem::resize_file(P("a.jmz"), std::filesystem::file_size(P("a.jmz")) - 100);
  const Outcome r = Jmz({"info", P("a.jmz")});
  EXPECT_EQ(r.out, P("a.jmz") +
                       ": save-key container: version 66, layers 1, compression level 0, extension \".txt\", "
                       "payload 2000 bytes, key 3 bytes, header at offset 260\n"
                       "  damaged: the stored payload size disagrees with the file's length, which leaves room for "
                       "1900 bytes\n"
                       "  strength: obfuscation, not encryption\n");
}

TEST_F(JmzTest, InfoTellsContainersFromOtherFiles) {
  Write("a.txt", Bytes(2000, 6));
  ASSERT_EQ(Jmz({"encrypt", "-k", "abc", P("a.txt")}).status, 0);
  const Outcome r = Jmz({"info", P("a.jmz"), P("a.txt")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, P("a.jmz") +
                       ": save-key container: version 66, layers 1, compression level 0, extension \".txt\", "
                       "payload 2000 bytes, key 3 bytes, header at offset 260\n"
                       "  strength: obfuscation, not encryption\n" +
                       P("a.txt") + ": not a container\n");
}

TEST_F(JmzTest, CompressionLevelsAndCompressOnly) {
  const std::string plain = Bytes(50000, 7) + std::string(200000, 'z');
  Write("a.txt", plain);
  for (const char* level : {"1", "2", "3"}) {
    SCOPED_TRACE(level);
    fs::remove_all(dir_ / "out");
    fs::create_directories(dir_ / "out");
    ASSERT_EQ(Jmz({"encrypt", "-l", level, "-k", "k", "-o", P("out"), P("a.txt")}).status, 0);
    EXPECT_LT(fs::file_size(P("out/a.jmz")), plain.size());
    ASSERT_EQ(Jmz({"decrypt", "-k", "k", "-o", P("out"), P("out/a.jmz")}).status, 0);
    EXPECT_TRUE(Read("out/a.txt") == plain);
  }
  const Outcome zak = Jmz({"encrypt", "-l", "2", "-k", "", "-o", P("out"), P("a.txt")});
  EXPECT_EQ(zak.out, "进行压缩文件... 已完成:" + P("a.txt") + "\n");
  ASSERT_TRUE(fs::exists(P("out/a.txt.zak")));
  fs::create_directories(dir_ / "back");
  EXPECT_EQ(Jmz({"decrypt", "-o", P("back"), P("out/a.txt.zak")}).status, 0);
  EXPECT_TRUE(Read("back/a.txt") == plain);
}

TEST_F(JmzTest, AnotherLayerNeedsTheOldKey) {
  Write("a.txt", "inner");
  ASSERT_EQ(Jmz({"encrypt", "-k", "one", P("a.txt")}).status, 0);
  const Outcome refused = Jmz({"encrypt", "-k", "two", "-o", P("out"), P("a.jmz")});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "不能再次加密:解密密钥是空的,请输入已加密文件的解密密钥。" + P("a.jmz") + "\n加密文件已取消:" +
                             P("a.jmz") + "\n");
  ASSERT_EQ(Jmz({"encrypt", "-k", "two", "--old-key", "one", "-o", P("out"), P("a.jmz")}).status, 0);
  EXPECT_NE(Jmz({"info", P("out/a.jmz")}).out.find("layers 2,"), std::string::npos);
  fs::create_directories(dir_ / "back");
  ASSERT_EQ(Jmz({"decrypt", "-k", "two", "-o", P("back"), P("out/a.jmz")}).status, 0);
  EXPECT_TRUE(Read("back/a.jmz") == Read("a.jmz"));
}

TEST_F(JmzTest, ParallelJobsNeverShareAnOutputName) {
  Write("a.txt", Bytes(300000, 8));
  Write("a.doc", Bytes(300000, 9));
  Write("a.bin", Bytes(300000, 10));
  const Outcome r = Jmz({"encrypt", "-j", "3", "-k", "k", "-o", P("out"), P("a.txt"), P("a.doc"), P("a.bin")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Names("out"), (std::vector<std::string>{"a(1).jmz", "a(2).jmz", "a.jmz"}));
  // Which file took which name depends on the race; every content comes back.
  fs::create_directories(dir_ / "back");
  EXPECT_EQ(Jmz({"decrypt", "-j", "2", "-k", "k", "-o", P("back"), P("out/a.jmz"), P("out/a(1).jmz"), P("out/a(2).jmz")})
                .status,
            0);
  std::multiset<std::string> sources{Read("a.txt"), Read("a.doc"), Read("a.bin")}, back;
  for (const std::string& name : Names("back")) back.insert(Read("back/" + name));
  EXPECT_TRUE(back == sources);
}

TEST_F(JmzTest, NoKeyCommandsRoundTripEveryVersion) {
  Write("report.docx", Bytes(7777, 11));
  for (const char* version : {"38", "30", "20"}) {
    SCOPED_TRACE(version);
    fs::remove_all(dir_ / "out");
    fs::create_directories(dir_ / "out");
    const Outcome enc = Jmz({"nokey-encrypt", "--format-version", version, "-k", "k", "-o", P("out"), P("report.docx")});
    EXPECT_EQ(enc.out, "加密(不保存密钥的)文件 ... 已完成:" + P("report.docx") + "\n");
    EXPECT_EQ(fs::file_size(P("out/report.docx.jmz")), 7777u + 38);
    EXPECT_NE(Jmz({"info", P("out/report.docx.jmz")}).out.find(std::string("version ") + version), std::string::npos);
    const Outcome dec = Jmz({"nokey-decrypt", "-k", "k", "-o", P("out"), P("out/report.docx.jmz")});
    EXPECT_EQ(dec.status, 0);
    EXPECT_TRUE(Read("out/report.docx") == Read("report.docx"));
  }
  EXPECT_EQ(Jmz({"nokey-encrypt", "-k", "", P("report.docx")}).status, 2);
  EXPECT_EQ(Jmz({"nokey-encrypt", "--format-version", "66", "-k", "k", P("report.docx")}).status, 2);
}

}  // namespace

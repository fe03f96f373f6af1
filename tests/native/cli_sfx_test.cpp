// jmz sfx-create, sfx-separate, sfx-decrypt and the package part of jmz info.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/jmz.h"
#include "sfx_fixture.h"

namespace {

namespace fs = std::filesystem;

class JmzSfxTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("xcjm-cli-sfx-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "out");
    const auto pe = testing_support::MakePe(false, 0x800);
    Write("stub.exe", std::string(pe.begin(), pe.end()));
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::pair<int, std::string> Jmz(std::vector<std::string> args) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status = cli::RunJmz(args);
    std::string out = testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    return {status, out};
  }
  std::string P(const std::string& name) const { return (dir_ / fs::u8path(name)).lexically_normal().string(); }
  void Write(const std::string& name, const std::string& bytes) { std::ofstream(P(name), std::ios::binary) << bytes; }
  std::string Read(const std::string& name) const {
    std::ifstream in(P(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path dir_;
};

TEST_F(JmzSfxTest, CreateInfoSeparateAndDecryptRoundTrip) {
  Write("报告.txt", testing_support::Content(20000));
  ASSERT_EQ(Jmz({"encrypt", "-k", "钥匙", P("报告.txt")}).first, 0);
  const std::string jmz = Read("报告.jmz");

  auto [created, createLog] = Jmz({"sfx-create", "--stub", P("stub.exe"), "-o", P("out"), P("报告.jmz")});
  EXPECT_EQ(created, 0);
  EXPECT_EQ(createLog, "创建自解密文件已完成:" + P("out/报告.exe") + "\n");

  const std::string info = Jmz({"info", P("out/报告.exe")}).second;
  EXPECT_EQ(info.substr(0, info.find('\n') + 1),
            P("out/报告.exe") + ": Windows program, image 2560 bytes, package: carried name \"报告.jmz\", carried size " +
                std::to_string(jmz.size()) + " bytes\n");
  EXPECT_NE(info.find(": carried file: save-key container: version 66"), std::string::npos) << info;
  EXPECT_EQ(Jmz({"info", P("stub.exe")}).second, P("stub.exe") + ": Windows program, image 2560 bytes, no package\n");

  fs::create_directories(dir_ / "sep");
  auto [separated, separateLog] = Jmz({"sfx-separate", "-o", P("sep"), P("out/报告.exe")});
  EXPECT_EQ(separated, 0);
  EXPECT_EQ(separateLog, "分离自解密文件已完成:" + P("sep/报告.jmz") + "\n");
  EXPECT_TRUE(Read("sep/报告.jmz") == jmz);
  EXPECT_TRUE(Read("sep/星尘 文件加密.exe") == Read("stub.exe"));
  // The .jmz now exists: without --yes it is kept, the tool copy is not written twice.
  EXPECT_EQ(Jmz({"sfx-separate", "--no", "-o", P("sep"), P("out/报告.exe")}).first, 1);
  EXPECT_FALSE(fs::exists(P("sep/星尘 文件加密(1).exe")));

  auto [decrypted, decryptLog] = Jmz({"sfx-decrypt", "-k", "钥匙", "-o", P("sep"), P("out/报告.exe")});
  EXPECT_EQ(decrypted, 0);
  EXPECT_EQ(decryptLog, "解密文件已完成:自解密里的已加密文件:报告.jmz\n");
  EXPECT_TRUE(Read("sep/报告.txt") == Read("报告.txt"));
}

TEST_F(JmzSfxTest, FilesThatCarryNoPackageFail) {
  Write("plain.bin", "not a program at all");
  EXPECT_EQ(Jmz({"sfx-separate", P("stub.exe"), P("plain.bin")}).first, 1);
  EXPECT_EQ(Jmz({"sfx-decrypt", "-k", "k", P("plain.bin")}).first, 1);
  EXPECT_EQ(Jmz({"sfx-create", P("plain.bin")}).first, 2);  // no --stub
  EXPECT_EQ(Jmz({"sfx-create", "--stub", P("plain.bin"), P("plain.bin")}).first, 1);
  EXPECT_EQ(fs::directory_iterator(dir_ / "out"), fs::directory_iterator());
}

}  // namespace

// The authenticated-encryption item in the window: it encrypts a chosen
// file with a key outside GBK, decrypts it back, packs it, and a package of
// it self-decrypts; the item's state survives a restart, /rzjm turns it on
// for one start.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/win32/ui_texts.h"
#include "platform/paths.h"
#include "window_fixture.h"

namespace {

using namespace wintest;
using namespace app;

std::wstring Display(const fs::path& file) { return platform::Widen(engine::DisplayPath(file)); }

class AeadWindowTest : public WindowTest {
 protected:
  bool WaitForLine(const std::wstring& line) {
    return PumpUntil([&] { return HasLine(Primary(), line) && !primary_->WorkerRunning(); }, 60000);
  }
  std::wstring Label2() const { return TextOf(GetDlgItem(Primary(), kIdLabel2)); }
};

const std::wstring kKey = L"密钥 \U0001F511 中文\r\n第二行";

TEST_F(AeadWindowTest, TheItemEncryptsDecryptsPacksAndSelfDecryptsAndSurvivesARestart) {
  const fs::path plain = MakeFile(L"报告.txt", 200001);
  StartPrimary();
  EXPECT_EQ(Label2(), text::kLabel2);
  Command(Primary(), kIdAead);
  EXPECT_EQ(Label2(), text::kLabel2Aead);
  EXPECT_EQ(StoredDword(L"rzjm"), 1u);

  SetKey(Primary(), kIdJm1, kKey);
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{plain.wstring()});
  Click(Primary(), kIdButton1);
  ASSERT_TRUE(WaitForLine(L" 认证加密(Argon2id + ChaCha20-Poly1305)加密文件已完成:" + Display(plain)));
  const fs::path jmz = File(L"报告.jmz");
  EXPECT_EQ(ReadFileBytes(jmz).substr(0, 8), std::string("\x89JMZA\r\n\x1A", 8));

  SetKey(Primary(), kIdJm2, kKey);
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{jmz.wstring()});
  Click(Primary(), kIdButton2);
  ASSERT_TRUE(WaitForLine(L" 认证加密格式的文件解密已完成:" + Display(jmz)));
  EXPECT_TRUE(ReadFileBytes(File(L"报告(1).txt")) == ReadFileBytes(plain));

  dialogs_.openAnswers.push_back(std::vector<std::wstring>{jmz.wstring()});
  Click(Primary(), kIdButton6);
  const fs::path package = File(L"报告.exe");
  ASSERT_TRUE(WaitForLine(L" 创建自解密文件已完成:" + Display(package)));
  CloseEverything();

  // The package's window, started again: the item is still on.
  ownProgram_ = package;
  StartPrimary();
  EXPECT_EQ(Label2(), text::kLabel2Aead);
  EXPECT_TRUE(Enabled(Primary(), kIdButton7));
  fs::create_directories(File(L"back"));
  SetKey(Primary(), kIdJm2, kKey);
  dialogs_.saveAnswers.push_back(SavedFile{File(L"back\\明文").wstring(), 1});
  Click(Primary(), kIdButton7);
  ASSERT_TRUE(WaitForLine(L" 认证加密格式的文件解密已完成:自解密里的已加密文件:报告.jmz"));
  EXPECT_TRUE(ReadFileBytes(File(L"back\\明文.txt")) == ReadFileBytes(plain));

  Command(Primary(), kIdAead);
  EXPECT_EQ(Label2(), text::kLabel2);
  EXPECT_FALSE(StoredDword(L"rzjm"));
}

TEST_F(AeadWindowTest, TheSwitchTurnsTheItemOnForOneStartOnly) {
  StartPrimary({L"/RZJM"});
  EXPECT_EQ(Label2(), text::kLabel2Aead);
  EXPECT_FALSE(StoredDword(L"rzjm"));
  CloseEverything();
  StartPrimary();
  EXPECT_EQ(Label2(), text::kLabel2);
}

}  // namespace

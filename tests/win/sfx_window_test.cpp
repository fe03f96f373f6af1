// Packages in the window: Button6 packs a container behind the program's
// image; a window of a package shows what it carries and enables Button7
// and Button8, which give back the plain file and the container.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/file.h"
#include "platform/paths.h"
#include "sfx/image_length.h"
#include "sfx/package_header.h"
#include "window_fixture.h"

namespace {

using namespace wintest;
using namespace app;

std::wstring Display(const fs::path& file) { return platform::Widen(engine::DisplayPath(file)); }

fs::path TestProgram() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

class SfxWindowTest : public WindowTest {
 protected:
  bool WaitForLine(const std::wstring& line) {
    return PumpUntil([&] { return HasLine(Primary(), line) && !primary_->WorkerRunning(); });
  }
};

TEST_F(SfxWindowTest, AProgramWithoutPackageKeepsBothButtonsDisabled) {
  StartPrimary();
  EXPECT_TRUE(Enabled(Primary(), kIdButton6));
  EXPECT_FALSE(Enabled(Primary(), kIdButton7));
  EXPECT_FALSE(Enabled(Primary(), kIdButton8));
  EXPECT_EQ(StatusPanel(Primary()).find(L"自解密里的已加密文件"), std::wstring::npos);
  EXPECT_TRUE(LogLines(Primary()).empty());
}

TEST_F(SfxWindowTest, CreateThenSeparateAndSelfDecryptGiveTheOriginalBytes) {
  // A container made by the window, packed by Button6 behind this program.
  const fs::path plain = MakeFile(L"报告 甲.txt", 123457);
  StartPrimary();
  SetKey(Primary(), kIdJm1, L"星尘 key");
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{plain.wstring()});
  Click(Primary(), kIdButton1);
  ASSERT_TRUE(WaitForLine(L" 加密文件已完成:" + Display(plain)));
  const fs::path jmz = File(L"报告 甲.jmz");
  // Two files: the second is packed in a window of its own.
  fs::copy_file(jmz, File(L"乙.jmz"));
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{jmz.wstring(), File(L"乙.jmz").wstring()});
  Click(Primary(), kIdButton6);
  EXPECT_EQ(dialogs_.openRequests.back().title, L"选择已加密文件创建自解密文件(可多选):");
  EXPECT_EQ(dialogs_.openRequests.back().filter, L"jmz加密文件(*.jmz)|*.jmz|全部文件(*.*)|*.*");
  const fs::path package = File(L"报告 甲.exe");
  ASSERT_TRUE(WaitForLine(L" 创建自解密文件已完成:" + Display(package)));
  EXPECT_EQ(TextOf(GetDlgItem(Primary(), kIdButton6)), L"创建自解密");
  ASSERT_TRUE(PumpUntil([&] {
    for (HWND w : TysjmWindows())
      if (w != Primary() && HasLine(w, L" 创建自解密文件已完成:" + Display(File(L"乙.exe")))) return true;
    return false;
  }));
  EXPECT_EQ(TysjmWindows().size(), 2u);
  CloseEverything();

  // The package's window.
  ownProgram_ = package;
  StartPrimary();
  const std::string container = ReadFileBytes(jmz);
  EXPECT_EQ(StatusPanel(Primary()),
            L"自解密里的已加密文件：报告 甲.jmz  大小：" + std::to_wstring(container.size()) + L"字节。");
  EXPECT_TRUE(Enabled(Primary(), kIdButton7));
  EXPECT_TRUE(Enabled(Primary(), kIdButton8));

  fs::create_directories(File(L"back"));
  dialogs_.saveAnswers.push_back(SavedFile{File(L"back\\报告 甲.jmz").wstring(), 1});
  Click(Primary(), kIdButton8);
  ASSERT_EQ(dialogs_.saveRequests.size(), 1u);
  EXPECT_EQ(dialogs_.saveRequests[0].title, L"分离后的文件保存为");
  EXPECT_EQ(dialogs_.saveRequests[0].fileName, (folder_ / L"报告 甲.jmz").wstring());
  ASSERT_TRUE(WaitForLine(L" 分离自解密文件已完成:" + Display(File(L"back\\报告 甲.jmz"))));
  EXPECT_TRUE(ReadFileBytes(File(L"back\\报告 甲.jmz")) == container);
  platform::InputFile self(TestProgram());
  const std::string tool = ReadFileBytes(File(L"back\\星尘 文件加密.exe"));
  EXPECT_EQ(tool.size(), sfx::ImageLength(self));
  EXPECT_TRUE(ReadFileBytes(TestProgram()).substr(0, tool.size()) == tool);
  EXPECT_EQ(TextOf(GetDlgItem(Primary(), kIdButton8)), L"分离");

  SetKey(Primary(), kIdJm2, L"星尘 key");
  dialogs_.saveAnswers.push_back(SavedFile{File(L"back\\明文").wstring(), 1});
  Click(Primary(), kIdButton7);
  EXPECT_EQ(dialogs_.saveRequests.back().title, L"自解密后的文件保存为:");
  EXPECT_EQ(dialogs_.saveRequests.back().fileName, (folder_ / L"报告 甲").wstring());
  ASSERT_TRUE(WaitForLine(L" 解密文件已完成:自解密里的已加密文件:报告 甲.jmz"));
  EXPECT_TRUE(ReadFileBytes(File(L"back\\明文.txt")) == ReadFileBytes(plain));
  EXPECT_EQ(TextOf(GetDlgItem(Primary(), kIdButton7)), L"自解密");
  EXPECT_TRUE(Enabled(Primary(), kIdButton7));
}

TEST_F(SfxWindowTest, SelfDecryptionShowsTheStoredNameAndSuggestsItsReplacement) {
  // This program's image carrying 100 bytes under a damaged name.
  platform::InputFile self(TestProgram());
  const std::string image = ReadFileBytes(TestProgram()).substr(0, sfx::ImageLength(self));
  const auto header = sfx::PackageHeader{100, "c:d.jmz"}.Encode();
  ownProgram_ = File(L"damaged.exe");
  WriteFileBytes(ownProgram_, image + std::string(header.begin(), header.end()) + std::string(100, 'x'));
  StartPrimary();
  Click(Primary(), kIdButton7);  // the save dialog is cancelled
  EXPECT_EQ(StatusPanel(Primary()), L"自解密里的已加密文件：c:d.jmz  大小：100字节。");
  ASSERT_EQ(dialogs_.saveRequests.size(), 1u);
  EXPECT_EQ(dialogs_.saveRequests[0].fileName, (folder_ / L"乱名(被破坏,有错误)").wstring());
}

}  // namespace

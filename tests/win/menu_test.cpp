// The window's menu commands: about, another instance, the logo's menu, the
// click counter with the hidden commands, and the no-saved-key batches.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "window_fixture.h"

namespace {

using namespace wintest;
using namespace app;

std::wstring Display(const fs::path& file) { return platform::Widen(engine::DisplayPath(file)); }

class MenuTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    StartPrimary();
  }
};

TEST_F(MenuTest, AboutShowsTheVersionAndAloneNeverRevealsTheHiddenCommands) {
  for (int i = 0; i < 20; ++i) Command(Primary(), kIdN3);
  ASSERT_EQ(boxes_.shown.size(), 20u);
  EXPECT_EQ(boxes_.shown[0].caption, L"   星尘 文件加密");
  EXPECT_NE(boxes_.shown[0].text.find(L"星尘 文件(压缩)加密软件"), std::wstring::npos);
  EXPECT_NE(boxes_.shown[0].text.find(L"版本: " XCJM_VERSION L"\r\n"), std::wstring::npos);
  EXPECT_EQ(boxes_.shown[0].flags, 0xF0u);
  EXPECT_EQ(GetMenuItemCount(primary_->PopupMenu1()), 21);
  EXPECT_LT(primary_->HiddenClickCount(), 6);
}

TEST_F(MenuTest, SixCountedClicksRevealTheHiddenCommandsAndTheTwelfthHidesThem) {
  for (int i = 0; i < 5; ++i) Command(Primary(), kIdSiteLeft, STN_CLICKED);
  EXPECT_EQ(GetMenuItemCount(primary_->PopupMenu1()), 21);
  ASSERT_EQ(shell_.opened.size(), 5u);
  EXPECT_EQ(shell_.opened[0].target, L"http://xc.test/");
  EXPECT_EQ(shell_.opened[0].verb, L"open");
  EXPECT_EQ(shell_.opened[0].show, SW_SHOW);
  // About at 5 goes back to 0 first: about does not count as the sixth.
  Command(Primary(), kIdN3);
  EXPECT_EQ(primary_->HiddenClickCount(), 1);
  for (int i = 0; i < 5; ++i) Command(Primary(), kIdSiteRight, STN_CLICKED);
  EXPECT_EQ(shell_.opened.back().target, L"http://xcjm.test/");
  EXPECT_EQ(primary_->HiddenClickCount(), 6);
  HMENU menu = primary_->PopupMenu1();
  ASSERT_EQ(GetMenuItemCount(menu), 24);
  EXPECT_EQ(MenuCaption(menu, 0), L"创建不保存密钥的加密文件");
  EXPECT_EQ(MenuCaption(menu, 1), L"解密不保存密钥的加密文件");
  EXPECT_TRUE(GetMenuState(menu, 2, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(MenuCaption(menu, 3), L"文件(用内存流)16进制查看(编辑修改)");
  for (int i = 0; i < 5; ++i) Command(Primary(), kIdSiteLeft, STN_CLICKED);
  EXPECT_EQ(GetMenuItemCount(menu), 24);
  Command(Primary(), kIdSiteLeft, STN_CLICKED);  // the twelfth
  EXPECT_EQ(primary_->HiddenClickCount(), 0);
  EXPECT_EQ(GetMenuItemCount(menu), 21);
  EXPECT_EQ(MenuCaption(menu, 0), L"文件(用内存流)16进制查看(编辑修改)");
}

TEST_F(MenuTest, AnotherInstanceStartsTheProgramItself) {
  Command(Primary(), kIdN31);
  ASSERT_EQ(shell_.opened.size(), 1u);
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  EXPECT_EQ(shell_.opened[0].target, self);
  EXPECT_EQ(shell_.opened[0].verb, L"open");
  EXPECT_EQ(shell_.opened[0].show, SW_SHOW);
  EXPECT_EQ(boxes_.beeps, 0);
  shell_.failOpen = true;
  Command(Primary(), kIdN31);
  EXPECT_EQ(boxes_.beeps, 1);
}

TEST_F(MenuTest, ALogoClickShowsTheMainMenuBesideTheWindow) {
  Command(Primary(), kIdLabel3, STN_CLICKED);
  ASSERT_TRUE(PumpUntil([&] { return !menus_.tracked.empty(); }, 3000));
  RECT outer{};
  GetWindowRect(Primary(), &outer);
  EXPECT_EQ(menus_.tracked[0].menu, primary_->PopupMenu1());
  EXPECT_EQ(menus_.tracked[0].point.x, outer.left + 255);
  EXPECT_EQ(menus_.tracked[0].point.y, outer.top + 55);
  // A double-click opens the colour dialog instead of the menu.
  Command(Primary(), kIdLabel3, STN_CLICKED);
  Command(Primary(), kIdLabel3, STN_DBLCLK);
  PumpFor(GetDoubleClickTime() + 200);
  EXPECT_EQ(menus_.tracked.size(), 1u);
  EXPECT_EQ(dialogs_.colourRequests.size(), 1u);
  EXPECT_EQ(StoredDword(L"xcys"), 0xFFFF00u);
}

TEST_F(MenuTest, NoSavedKeyBatchesRunEveryFileOnOneWorker) {
  for (int i = 0; i < 6; ++i) Command(Primary(), kIdSiteLeft, STN_CLICKED);
  ASSERT_EQ(GetMenuItemCount(primary_->PopupMenu1()), 24);
  // Empty key: a notice, no dialog.
  Command(Primary(), kIdNoKeyEncrypt);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, L"加密密钥(不能)是空的，请输入加密的密钥。加密文件已取消:");
  EXPECT_TRUE(dialogs_.openRequests.empty());

  const fs::path a = MakeFile(L"报告.docx", 3000, 1);
  const fs::path b = MakeFile(L"b.bin", 70000, 2);
  SetKey(Primary(), kIdJm1, L"无盐 key");
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{a.wstring(), b.wstring()});
  Command(Primary(), kIdNoKeyEncrypt);
  EXPECT_EQ(dialogs_.openRequests.back().title, L"选择文件进行不保存密钥加密(可多选):");
  ASSERT_TRUE(PumpUntil([&] { return !primary_->WorkerRunning(); }));
  EXPECT_EQ(TysjmWindows().size(), 1u);
  EXPECT_TRUE(HasLine(Primary(), L" 加密(不保存密钥的)文件 ... 已完成:" + Display(a)));
  EXPECT_TRUE(HasLine(Primary(), L" 加密(不保存密钥的)文件 ... 已完成:" + Display(b)));
  EXPECT_EQ(fs::file_size(File(L"报告.docx.jmz")), 3000u + 38u);
  EXPECT_TRUE(fs::exists(File(L"b.bin.jmz")));
  // The entries and the job controls are idle again.
  HMENU menu = primary_->PopupMenu1();
  EXPECT_EQ(MenuCaption(menu, 0), L"创建不保存密钥的加密文件");
  EXPECT_TRUE(MenuEnabled(menu, kIdNoKeyDecrypt));
  EXPECT_TRUE(Enabled(Primary(), kIdButton1) && Enabled(Primary(), kIdJm1));

  SetKey(Primary(), kIdJm2, L"无盐 key");
  dialogs_.openAnswers.push_back(
      std::vector<std::wstring>{File(L"报告.docx.jmz").wstring(), File(L"b.bin.jmz").wstring()});
  Command(Primary(), kIdNoKeyDecrypt);
  EXPECT_EQ(dialogs_.openRequests.back().filter, L"jmz加密文件(*.jmz)|*.jmz|全部文件(*.*)|*.*");
  ASSERT_TRUE(PumpUntil([&] { return !primary_->WorkerRunning(); }));
  // The sources still exist: the results take the first free names.
  EXPECT_EQ(ReadFileBytes(File(L"报告(1).docx")), ReadFileBytes(a));
  EXPECT_EQ(ReadFileBytes(File(L"b(1).bin")), ReadFileBytes(b));
  EXPECT_EQ(MenuCaption(menu, 1), L"解密不保存密钥的加密文件");
}

TEST_F(MenuTest, ANoSavedKeyBatchLocksTheWindowAndItsEntryCancels) {
  for (int i = 0; i < 8; ++i) Command(Primary(), kIdSiteLeft, STN_CLICKED);
  const fs::path a = MakeFile(L"a.txt", 3000, 1);
  const fs::path b = MakeFile(L"b.txt", 3000, 2);
  SetKey(Primary(), kIdJm1, L"k");
  HMENU menu = primary_->PopupMenu1();
  // Counted clicks above seven ask for the format version: the first file
  // is cancelled while the window waits for that answer.
  bool looked = false;
  boxes_.onShow = [&](const ShownBox& box) {
    if (box.caption != L"加密算法" || looked) return;
    looked = true;
    EXPECT_EQ(MenuCaption(menu, 0), L"取消加密");
    EXPECT_FALSE(MenuEnabled(menu, kIdNoKeyDecrypt));
    EXPECT_FALSE(Enabled(Primary(), kIdButton1) || Enabled(Primary(), kIdButton2) || Enabled(Primary(), kIdJm1));
    boxes_.answers.push_front(IDYES);  // "真的要取消加密：…吗?"
    Command(Primary(), kIdNoKeyEncrypt);
  };
  boxes_.otherwise = IDNO;
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{a.wstring(), b.wstring()});
  Command(Primary(), kIdNoKeyEncrypt);
  ASSERT_TRUE(PumpUntil([&] { return !primary_->WorkerRunning(); }));
  ASSERT_TRUE(looked);
  EXPECT_EQ(boxes_.Count(L"真的要取消加密：“" + Display(a) + L"”吗?"), 1);
  EXPECT_TRUE(HasLine(Primary(), L" 加密(不保存密钥的)文件 ... 已取消:" + Display(a)));
  // The cancel also ends the batch: the second file is not started.
  EXPECT_FALSE(fs::exists(File(L"a.txt.jmz")));
  EXPECT_FALSE(fs::exists(File(L"b.txt.jmz")));
  EXPECT_EQ(MenuCaption(menu, 0), L"创建不保存密钥的加密文件");
  EXPECT_TRUE(MenuEnabled(menu, kIdNoKeyDecrypt));
  EXPECT_TRUE(Enabled(Primary(), kIdButton1));
}

}  // namespace

// Stored settings through the registry, the command line, the fold states
// and the colours.
#include <windows.h>

#include <gtest/gtest.h>

#include "window_fixture.h"

namespace {

using namespace wintest;
using namespace app;

using SettingsTest = WindowTest;

TEST_F(SettingsTest, FirstStartWithoutTheKeyKeepsTheDesignAndWritesNothing) {
  StartPrimary();
  EXPECT_TRUE(Checked(Primary(), kIdRgysl2));  // "正常压缩"
  EXPECT_TRUE(Checked(Primary(), kIdCheckBox2));
  EXPECT_EQ(ClientHeight(Primary()), 472);
  EXPECT_EQ(TextOf(GetDlgItem(Primary(), kIdSf)), L">>>>>>");
  EXPECT_EQ(primary_->Color(), 0xF0CAA6u);
  EXPECT_EQ(primary_->LogoColor(), 0xFFFF00);
  EXPECT_FALSE(SettingsKeyExists());
}

TEST_F(SettingsTest, ChangedControlsRoundTripThroughTheRegistry) {
  StartPrimary();
  Click(Primary(), kIdRgysl1);
  Click(Primary(), kIdPbmy);
  Click(Primary(), kIdCheckBox1);
  Click(Primary(), kIdCheckBox2);  // untick
  Command(Primary(), kIdN20);
  Command(Primary(), kIdN26);
  for (int i = 0; i < 4; ++i) Click(Primary(), kIdSf);
  dialogs_.colourAnswers.push_back(RGB(0, 0, 0));  // black: cannot be stored
  SendMessageW(Primary(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(300, 80));
  dialogs_.colourAnswers.push_back(RGB(255, 0, 0));
  Command(Primary(), kIdLabel3, STN_DBLCLK);
  EXPECT_EQ(primary_->Color(), 0u);

  EXPECT_EQ(StoredDword(L"zzll"), 1u);
  EXPECT_EQ(StoredDword(L"pbmy"), 1u);
  EXPECT_EQ(StoredDword(L"ztmy"), 1u);
  EXPECT_EQ(StoredDword(L"md5"), 1u);
  EXPECT_EQ(StoredDword(L"bjkxnr"), 1u);
  EXPECT_EQ(StoredDword(L"md5dqms"), 1u);
  EXPECT_EQ(StoredDword(L"ctsf"), 4u);
  EXPECT_FALSE(StoredDword(L"ctbjc"));
  EXPECT_EQ(StoredDword(L"xcys"), 0x0000FFu);
  CloseEverything();

  StartPrimary();
  EXPECT_TRUE(Checked(Primary(), kIdRgysl1));
  EXPECT_TRUE(Checked(Primary(), kIdPbmy));
  EXPECT_TRUE(Checked(Primary(), kIdCheckBox1));
  EXPECT_TRUE(MenuChecked(primary_->PopupMenu2(), kIdN30));
  EXPECT_FALSE(Checked(Primary(), kIdCheckBox2));
  EXPECT_TRUE(MenuChecked(primary_->PopupMenu2(), kIdN20));
  EXPECT_EQ(primary_->Md5ReadMode(), 1);
  EXPECT_TRUE(MenuChecked(primary_->PopupMenu3(), kIdN26));
  EXPECT_FALSE(MenuChecked(primary_->PopupMenu3(), kIdN25));
  // Stored state 4 opens as state 5: the same height as 3, never the smallest.
  EXPECT_EQ(primary_->FoldState(), 5);
  EXPECT_EQ(TextOf(GetDlgItem(Primary(), kIdSf)), L"<<<");
  EXPECT_EQ(ClientHeight(Primary()), 310);
  EXPECT_EQ(StoredDword(L"ctsf"), 4u);  // start-up folding stores nothing
  EXPECT_EQ(primary_->Color(), 0xF0CAA6u);  // black came back as the default colour
  EXPECT_EQ(primary_->LogoColor(), 0x0000FF);
}

TEST_F(SettingsTest, StoredValuesAndTheirFallBacks) {
  CreateSettingsKey();  // key present, values absent
  StartPrimary();
  EXPECT_TRUE(Checked(Primary(), kIdRgysl0));  // "不压缩"
  EXPECT_TRUE(Checked(Primary(), kIdCheckBox2));
  EXPECT_EQ(primary_->FoldState(), 0);
  CloseEverything();

  StoreDword(L"zzll", 9);
  StoreDword(L"ctsf", 7);
  StoreDword(L"md5dqms", 5);
  const wchar_t text[] = L"not a number";
  RegSetKeyValueW(HKEY_CURRENT_USER, RegistrySettingsStore::kKey, L"ctbjc", REG_SZ, text, sizeof text);
  StartPrimary();
  EXPECT_TRUE(Checked(Primary(), kIdRgysl2));
  EXPECT_EQ(StoredDword(L"zzll"), 9u);  // no change of choice, no click
  EXPECT_EQ(primary_->FoldState(), 7);
  EXPECT_EQ(ClientHeight(Primary()), 424);
  EXPECT_TRUE(MenuChecked(primary_->PopupMenu3(), kIdN27));
  EXPECT_EQ(primary_->Color(), 0xF0CAA6u);
}

TEST_F(SettingsTest, TheFoldButtonCyclesThroughTheTable) {
  StartPrimary();
  const std::vector<std::pair<std::wstring, int>> expected = {
      {L">>>>>", 424}, {L">>>>", 379}, {L">>>", 310}, {L"<<", 126}, {L"<<<", 310},
      {L"<<<<", 379},  {L"<<<<<", 424}, {L">>>>>>", 472}, {L">>>>>", 424}};
  for (const auto& [caption, height] : expected) {
    Click(Primary(), kIdSf);
    EXPECT_EQ(TextOf(GetDlgItem(Primary(), kIdSf)), caption);
    EXPECT_EQ(ClientHeight(Primary()), height) << platform::Narrow(caption);
    // The status bar stays at the bottom of what shows.
    RECT status{};
    GetWindowRect(GetDlgItem(Primary(), kIdStatusBar1), &status);
    MapWindowPoints(nullptr, Primary(), reinterpret_cast<POINT*>(&status), 2);
    EXPECT_EQ(status.bottom, height);
  }
  EXPECT_EQ(StoredDword(L"ctsf"), 1u);
  // State 0 removes the value.
  for (int i = 0; i < 7; ++i) Click(Primary(), kIdSf);
  EXPECT_FALSE(StoredDword(L"ctsf"));
}

TEST_F(SettingsTest, CommandLineSwitchesInAnyCaseAndTheColourArgument) {
  StartPrimary({L"/YSL1", L"/PbMy", L"/ZTMY", L"/NoMd5", L"<<<<", L"COLOR255"});
  EXPECT_TRUE(Checked(Primary(), kIdRgysl1));
  EXPECT_EQ(StoredDword(L"zzll"), 1u);  // the switch clicks: stored for later starts
  EXPECT_TRUE(Checked(Primary(), kIdPbmy));
  EXPECT_EQ(StoredDword(L"pbmy"), 1u);
  EXPECT_TRUE(Checked(Primary(), kIdCheckBox1));
  EXPECT_FALSE(Checked(Primary(), kIdCheckBox2));
  EXPECT_EQ(StoredDword(L"md5"), 1u);
  EXPECT_EQ(primary_->FoldState(), 6);
  EXPECT_EQ(ClientHeight(Primary()), 379);
  EXPECT_FALSE(StoredDword(L"ctsf"));
  EXPECT_EQ(primary_->Color(), 0x0000FFu);  // red
  EXPECT_FALSE(StoredDword(L"ctbjc"));
  // A switch takes part in the joined text: nothing is preselected.
  EXPECT_EQ(primary_->Hint(kIdStatusBar1), L"鼠标左键双击展示提示窗体...");
  CloseEverything();

  StartPrimary({L"Colorblue"});
  EXPECT_EQ(primary_->Color(), 0xF0CAA6u);
}

TEST_F(SettingsTest, APathWithBlanksArrivingInPiecesBecomesThePreselectedFile) {
  fs::create_directories(folder_ / L"my files");
  const fs::path file = MakeFile(L"my files\\a b.txt", 10);
  std::vector<std::wstring> pieces;
  std::wstring path = file.wstring();
  for (std::size_t start = 0;;) {
    const std::size_t blank = path.find(L' ', start);
    pieces.push_back(path.substr(start, blank - start));
    if (blank == std::wstring::npos) break;
    start = blank + 1;
  }
  ASSERT_GE(pieces.size(), 3u);
  StartPrimary(pieces);
  EXPECT_EQ(StatusPanel(Primary()), path);
  EXPECT_EQ(primary_->Hint(kIdStatusBar1), path);
  // The next open dialog starts with it.
  SetKey(Primary(), kIdJm1, L"k");
  Click(Primary(), kIdButton1);
  ASSERT_EQ(dialogs_.openRequests.size(), 1u);
  EXPECT_EQ(dialogs_.openRequests[0].fileName, path);
  CloseEverything();

  pieces.insert(pieces.begin(), L"/pbmy");
  StartPrimary(pieces);
  EXPECT_EQ(primary_->Hint(kIdStatusBar1), L"鼠标左键双击展示提示窗体...");
}

TEST_F(SettingsTest, ColoursFromTheDialogsTheLabelAndStatusBarNotice) {
  StartPrimary();
  // A cancelled colour dialog still stores the window's colour.
  SendMessageW(Primary(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(300, 80));
  ASSERT_EQ(dialogs_.colourRequests.size(), 1u);
  EXPECT_EQ(dialogs_.colourRequests[0], 0xF0CAA6u);
  EXPECT_EQ(StoredDword(L"ctbjc"), 0xF0CAA6u);
  dialogs_.colourAnswers.push_back(RGB(0, 128, 0));
  SendMessageW(Primary(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(300, 80));
  EXPECT_EQ(primary_->Color(), RGB(0, 128, 0));
  EXPECT_EQ(StoredDword(L"ctbjc"), static_cast<DWORD>(RGB(0, 128, 0)));
  // The right site label's double-click brings sky blue back and stores it.
  Command(Primary(), kIdSiteRight, STN_DBLCLK);
  EXPECT_EQ(primary_->Color(), 0xF0CAA6u);
  EXPECT_EQ(StoredDword(L"ctbjc"), 0xF0CAA6u);
  // The status bar's double-click shows its second panel as a notice.
  SendMessageW(GetDlgItem(Primary(), kIdStatusBar1), WM_LBUTTONDBLCLK, 0, MAKELPARAM(100, 10));
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, L" 请先输入/载入(或者粘贴)加密或者解密的密钥,再进行加密/解密文件的操作...");
  EXPECT_EQ(boxes_.shown[0].caption, L"星尘 文件加密(当此提示窗体后置(线程运行造成),请点桌面再点回此程序窗体)");
  EXPECT_EQ(boxes_.shown[0].flags, 0xF0u);
}

}  // namespace

// Find, replace, go to and Chinese typing in real hex view windows under
// Wine, driven by key messages as a person would.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "hexeditor/win32/go_to_dialog.h"
#include "hexeditor/win32/hex_view_window.h"
#include "tests/win/hex_window_fixture.h"

namespace {

namespace fs = std::filesystem;

class HexFindTest : public wintest::HexWindowTest {
 protected:
  void TearDown() override {
    HoldCtrl(false);
    wintest::HexWindowTest::TearDown();
  }
  // GetKeyState answers from this thread's key state.
  static void HoldCtrl(bool down) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = down ? 0x80 : 0;
    SetKeyboardState(keys);
  }
  static void Key(HWND target, UINT vk) {
    SendMessageW(target, WM_KEYDOWN, vk, 0);
    SendMessageW(target, WM_KEYUP, vk, 0);
  }
  static void CtrlKey(HWND target, UINT vk) {
    HoldCtrl(true);
    Key(target, vk);
    HoldCtrl(false);
  }
  static void WaitIdle(hexwin::HexViewWindow* w) {
    ASSERT_TRUE(wintest::PumpUntil([&] { return !w->Finder().Busy(); }));
  }
  static RECT ChildRect(HWND parent, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
};

// Ctrl+F opens the bar above the editor; text typed in Chinese is found by its
// GBK bytes, F3 moves on and wraps with a notice, Escape closes the bar.
TEST_F(HexFindTest, CtrlFFindsChineseTextAndF3MovesOn) {
  // "中文" in GBK: D6 D0 CE C4.
  hexwin::HexViewWindow* w = OpenWith("ab\xD6\xD0\xCE\xC4xy\xD6\xD0\xCE\xC4z");
  HWND editor = w->EditorControl().Handle();
  CtrlKey(editor, 'F');
  ASSERT_TRUE(w->Finder().Visible());
  EXPECT_EQ(ChildRect(w->Handle(), editor).top, w->Finder().Height());
  HWND field = GetDlgItem(w->Finder().Handle(), hexwin::kIdFindText);
  EXPECT_EQ(GetFocus(), field);
  for (wchar_t c : std::wstring(L"中文")) SendMessageW(field, WM_CHAR, c, 0);
  Key(field, VK_RETURN);
  WaitIdle(w);
  EXPECT_EQ(w->Editor().SelStart(), 2);
  EXPECT_EQ(w->Editor().SelCount(), 4);
  Key(editor, VK_F3);
  WaitIdle(w);
  EXPECT_EQ(w->Editor().SelStart(), 8);
  Key(editor, VK_F3);
  WaitIdle(w);
  EXPECT_EQ(w->Editor().SelStart(), 2);
  EXPECT_EQ(w->Finder().StatusText(), L"已查到文件末尾,从文件开头继续查找。");
  Key(field, VK_ESCAPE);
  EXPECT_FALSE(w->Finder().Visible());
  EXPECT_EQ(ChildRect(w->Handle(), editor).top, 0);
}

// Ctrl+H, then replace all: one undo from the menu restores every byte.
TEST_F(HexFindTest, ReplaceAllThenOneUndoRestoresTheFile) {
  const std::string start = "AB-AB-ab-AB";
  hexwin::HexViewWindow* w = OpenWith(start);
  CtrlKey(w->EditorControl().Handle(), 'H');
  w->Finder().SetFindText(L"ab", hexed::find::TextKind::kUtf8, true);
  w->Finder().SetReplaceText(L"xyz");
  SendMessageW(GetDlgItem(w->Finder().Handle(), hexwin::kIdReplaceAll), BM_CLICK, 0, 0);
  WaitIdle(w);
  EXPECT_EQ(Bytes(w), "xyz-xyz-xyz-xyz");
  EXPECT_EQ(w->Finder().StatusText(), L"已替换 4 处。");
  w->OnCommand(hexwin::kIdN2);
  EXPECT_EQ(Bytes(w), start);
}

// Ctrl+G: a position past the end is refused and the dialog stays; a good one
// moves the caret.
TEST_F(HexFindTest, CtrlGJumpsAndRefusesPositionsPastTheEnd) {
  hexwin::HexViewWindow* w = OpenWith(std::string(300, 'x'));
  static std::vector<std::wstring> answers;
  static int dialogsSeen;
  answers = {L"0x12D", L"0x10"};
  dialogsSeen = 0;
  SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = FindWindowW(L"#32770", hexwin::kGoToCaption);
    if (dialog == nullptr) return;
    ++dialogsSeen;
    SetDlgItemTextW(dialog, hexwin::kIdGoToText, answers.front().c_str());
    answers.erase(answers.begin());
    if (answers.empty()) KillTimer(nullptr, id);
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  CtrlKey(w->EditorControl().Handle(), 'G');
  EXPECT_EQ(dialogsSeen, 2);  // 0x12D = 301 lies past the end: asked again
  EXPECT_EQ(w->Editor().CaretPosition(), 16);
}

// A Chinese character typed into the character field becomes its two GBK bytes.
TEST_F(HexFindTest, ChineseCharacterTypedInTheCharacterField) {
  hexwin::HexViewWindow* w = OpenWith("abcd");
  HWND editor = w->EditorControl().Handle();
  Key(editor, VK_TAB);
  ASSERT_TRUE(w->Editor().CaretInCharField());
  SendMessageW(editor, WM_CHAR, 0x4E2D, 0);  // 中
  EXPECT_EQ(Bytes(w), "\xD6\xD0" "cd");
  EXPECT_EQ(w->Editor().CaretPosition(), 2);
}

}  // namespace

// Real hex view windows under Wine: opened from the main window's command,
// typed into with real key messages, undone from the menu and saved.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>
#include <vector>

#include "hexeditor/win32/hex_view_window.h"
#include "tests/win/format_dialog_answer.h"
#include "tests/win/window_fixture.h"

namespace {

// The first n bytes of the editor's data as text.
[[maybe_unused]] std::string EditorText(const hexed::TCustomQDHexEditor& e, std::int64_t n) {
  const std::vector<std::uint8_t> bytes = e.BytesAt(0, n);
  return std::string(bytes.begin(), bytes.end());
}

namespace fs = std::filesystem;

class HexViewTest : public wintest::WindowTest {
 protected:
  void TearDown() override {
    for (HWND w : HexWindows()) DestroyWindow(w);
    wintest::WindowTest::TearDown();
  }

  static std::vector<HWND> HexWindows() { return wintest::ThreadWindowsOfClass(L"TForm2"); }

  // Opens files through the main window's command; returns the new window.
  hexwin::HexViewWindow* OpenOne(const fs::path& file) {
    dialogs_.openAnswers.push_back(std::vector<std::wstring>{file.wstring()});
    const std::vector<HWND> before = HexWindows();
    wintest::Command(Primary(), app::kIdN161);
    for (HWND w : HexWindows())
      if (std::find(before.begin(), before.end(), w) == before.end())
        return reinterpret_cast<hexwin::HexViewWindow*>(GetWindowLongPtrW(w, GWLP_USERDATA));
    return nullptr;
  }

  static void Key(HWND editor, UINT vk) {
    SendMessageW(editor, WM_KEYDOWN, vk, 0);
    SendMessageW(editor, WM_KEYUP, vk, 0);
  }
  static void Type(HWND editor, const std::wstring& text) {
    for (wchar_t c : text) SendMessageW(editor, WM_CHAR, c, 0);
  }
};

TEST_F(HexViewTest, ThreeFilesOpenThreeWindowsTitledWithTheirPaths) {
  StartPrimary();
  const fs::path a = MakeFile(L"甲.bin", 100, 1), b = MakeFile(L"b.bin", 4096, 2), c = MakeFile(L"c.txt", 3, 3);
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{a.wstring(), b.wstring(), c.wstring()});
  wintest::Command(Primary(), app::kIdN161);
  ASSERT_EQ(dialogs_.openRequests.size(), 1u);
  EXPECT_EQ(dialogs_.openRequests[0].title, L"选择文件进行16进制查看或者编辑修改(可多选)：");
  EXPECT_EQ(dialogs_.openRequests[0].filter, L"全部文件(*.*)|*.*");
  const std::vector<HWND> windows = HexWindows();
  ASSERT_EQ(windows.size(), 3u);
  std::vector<std::wstring> captions;
  for (HWND w : windows) captions.push_back(wintest::TextOf(w));
  for (const fs::path& p : {a, b, c}) EXPECT_NE(std::find(captions.begin(), captions.end(), p.wstring()), captions.end());
  // The design place where the work area holds it, else inside the work area.
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT r{};
  GetWindowRect(windows[0], &r);
  EXPECT_TRUE(r.left >= work.left && r.top >= work.top && r.right <= work.right && r.bottom <= work.bottom);
  if (work.right - work.left >= 1354 && work.bottom - work.top >= 1000) {
    EXPECT_EQ(r.right - r.left, 1088);
    EXPECT_EQ(r.bottom - r.top, 750);
  }
  EXPECT_EQ(boxes_.beeps, 0);
  // The open command of a hex window starts its dialog with that window's file.
  dialogs_.openAnswers.push_back(std::nullopt);
  auto* view = reinterpret_cast<hexwin::HexViewWindow*>(GetWindowLongPtrW(windows[0], GWLP_USERDATA));
  view->OnCommand(hexwin::kIdN161);
  ASSERT_EQ(dialogs_.openRequests.size(), 2u);
  EXPECT_EQ(dialogs_.openRequests[1].fileName, wintest::TextOf(windows[0]));
}

TEST_F(HexViewTest, AMissingFileOnlyBeepsAndLeavesTheEarlierWindowsOpen) {
  StartPrimary();
  const fs::path a = MakeFile(L"a.bin", 10);
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{a.wstring(), File(L"missing.bin").wstring()});
  wintest::Command(Primary(), app::kIdN161);
  EXPECT_EQ(HexWindows().size(), 1u);
  EXPECT_EQ(boxes_.beeps, 1);
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(HexViewTest, TypingInBothFieldsUndoRedoAndSaveWithBackup) {
  StartPrimary();
  const fs::path file = File(L"data.bin");
  wintest::WriteFileBytes(file, std::string("\x41\x42\x43\x44", 4));
  hexwin::HexViewWindow* view = OpenOne(file);
  ASSERT_NE(view, nullptr);
  HWND editor = view->EditorControl().Handle();
  hexed::TQDHexEditorEx& e = view->Editor();
  Type(editor, L"7f");  // hex field: 41 -> 7F, caret to byte 1
  EXPECT_EQ(e.GetByte(0), 0x7F);
  EXPECT_TRUE(e.HasChangeMark(0));
  Key(editor, VK_TAB);  // to the character field at byte 1
  Type(editor, L"z");
  EXPECT_EQ(e.GetByte(1), 'z');
  view->OnCommand(hexwin::kIdN2);  // undo
  EXPECT_EQ(e.GetByte(1), 'B');
  view->OnCommand(hexwin::kIdN3);  // redo
  EXPECT_EQ(e.GetByte(1), 'z');
  // Insert mode from the menu: a typed character goes in before the caret's byte.
  view->OnCommand(hexwin::kIdN4);
  EXPECT_TRUE(e.InsertMode());
  Type(editor, L"Q");
  EXPECT_EQ(e.DataSize(), 5);
  // The read-only view refuses typing, but undo from the menu still works.
  view->OnCommand(hexwin::kIdN5);
  Type(editor, L"R");
  EXPECT_EQ(e.DataSize(), 5);
  view->OnCommand(hexwin::kIdN2);
  EXPECT_EQ(e.DataSize(), 4);

  dialogs_.saveAnswers.push_back(app::SavedFile{file.wstring(), 1});
  boxes_.answers.push_back(IDYES);
  view->OnCommand(hexwin::kIdN1);
  ASSERT_EQ(dialogs_.saveRequests.size(), 1u);
  EXPECT_EQ(dialogs_.saveRequests[0].title, L"16进制文件另存为：");
  EXPECT_EQ(dialogs_.saveRequests[0].fileName, file.wstring());
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].caption, L"替换文件");
  EXPECT_EQ(boxes_.shown[0].text, file.wstring() + L" 文件已经存在,是否替换? 否 则取消。");
  EXPECT_EQ(wintest::ReadFileBytes(file), std::string("\x7F" "zCD", 4));
  EXPECT_EQ(wintest::ReadFileBytes(File(L"data.bin.bak")), std::string("ABCD"));
  EXPECT_EQ(wintest::TextOf(view->Handle()), file.wstring());
  // Unmodified now: saving again makes no second backup.
  dialogs_.saveAnswers.push_back(app::SavedFile{file.wstring(), 1});
  boxes_.answers.push_back(IDYES);
  view->OnCommand(hexwin::kIdN1);
  EXPECT_FALSE(fs::exists(File(L"data.bin(1).bak")));
  EXPECT_EQ(boxes_.beeps, 0);
}

TEST_F(HexViewTest, SavingOverAReadOnlyFileShowsTheMessageAndBeeps) {
  StartPrimary();
  const fs::path file = MakeFile(L"ro.bin", 16);
  const std::string original = wintest::ReadFileBytes(file);
  // Another program holds the file and denies writing while it is opened
  // (Wine running as root ignores the read-only attribute).
  HANDLE holder = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  hexwin::HexViewWindow* view = OpenOne(file);
  CloseHandle(holder);
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->Editor().ReadOnlyFile());
  Type(view->EditorControl().Handle(), L"0");
  dialogs_.saveAnswers.push_back(app::SavedFile{file.wstring(), 1});
  boxes_.answers.push_back(IDYES);
  view->OnCommand(hexwin::kIdN1);
  EXPECT_EQ(boxes_.Count(file.wstring() + L"是只读文件，不能覆盖替换保存！"), 1);
  EXPECT_EQ(boxes_.beeps, 1);
  EXPECT_EQ(wintest::ReadFileBytes(file), original);  // nothing written
  // Under another name the save works and the file becomes the editor's.
  dialogs_.saveAnswers.push_back(app::SavedFile{File(L"copy.bin").wstring(), 1});
  view->OnCommand(hexwin::kIdN1);
  EXPECT_TRUE(fs::exists(File(L"copy.bin")));
  EXPECT_FALSE(view->Editor().ReadOnlyFile());
}

}  // namespace

namespace {

// Not a check: shows a window with a selection, change marks and bookmarks
// for a few seconds so that a screenshot can be taken
// (--gtest_also_run_disabled_tests).
TEST_F(HexViewTest, DISABLED_ShowForScreenshot) {
  StartPrimary();
  const fs::path file = MakeFile(L"屏幕 sample.bin", 5000, 4);
  hexwin::HexViewWindow* view = OpenOne(file);
  ASSERT_NE(view, nullptr);
  HWND editor = view->EditorControl().Handle();
  hexed::TQDHexEditorEx& e = view->Editor();
  SetForegroundWindow(view->Handle());
  SetFocus(editor);
  Type(editor, L"00ff12");
  e.SetBookmark(1, 40, false);
  e.SetBookmark(2, 100, true);
  e.SetCaretPosition(70, false);
  e.SetSelection(70, 90);
  e.SetDropTarget(2 + 2 * 5, 7);  // the mark a drag-and-drop shows
  InvalidateRect(editor, nullptr, FALSE);
  wintest::PumpFor(20000);
}

}  // namespace

namespace {

std::string ClipboardText() {
  std::string text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE h = GetClipboardData(CF_TEXT)) {
    text = static_cast<const char*>(GlobalLock(h));
    GlobalUnlock(h);
  }
  CloseClipboard();
  return text;
}

TEST_F(HexViewTest, CopyAndPasteBetweenTwoWindowsThroughTheClipboard) {
  StartPrimary();
  const fs::path a = File(L"a.bin"), b = File(L"b.bin");
  wintest::WriteFileBytes(a, std::string("\x41\x00\x42", 3));
  wintest::WriteFileBytes(b, std::string("\x10\x20\x30\x40\x50", 5));
  hexwin::HexViewWindow* source = OpenOne(a);
  hexwin::HexViewWindow* target = OpenOne(b);
  ASSERT_NE(source, nullptr);
  ASSERT_NE(target, nullptr);
  source->Editor().SetSelection(0, 2);
  source->OnCommand(hexwin::kIdN10);
  EXPECT_EQ(ClipboardText(), "A");  // plain text stops at the zero byte
  target->Editor().SetCaretPosition(1, false);
  target->OnCommand(hexwin::kIdN11);
  EXPECT_EQ(EditorText(target->Editor(), 8),
            std::string("\x10\x41\x00\x42\x20\x30\x40\x50", 8));
  target->OnCommand(hexwin::kIdN2);
  EXPECT_EQ(target->Editor().DataSize(), 5);

  // Hexadecimal text on both sides: the six digits read back as three bytes.
  source->Editor().SetClipboardAsHexText(true);
  source->OnCommand(hexwin::kIdN10);
  EXPECT_EQ(ClipboardText(), "410042");
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const char digits[] = "41 00 42 AB CD";
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof digits);
  std::memcpy(GlobalLock(block), digits, sizeof digits);
  GlobalUnlock(block);
  SetClipboardData(CF_TEXT, block);
  CloseClipboard();
  // Five bytes with two bytes per unit: four go in.
  target->Editor().SetClipboardAsHexText(true);
  target->Editor().SetBytesPerUnit(2);
  target->Editor().SetCaretPosition(0, false);
  // Text from another program comes with the formats the system adds to it,
  // so the editor asks which one to take.
  wintest::FormatDialogAnswer answer;
  answer.pick = L"Text";
  answer.hexText = true;
  wintest::AnswerNextFormatDialog(answer);
  target->OnCommand(hexwin::kIdN11);
  EXPECT_TRUE(answer.shown);
  EXPECT_TRUE(answer.hexTextAtStart);
  EXPECT_EQ(target->Editor().DataSize(), 9);
  EXPECT_EQ(target->Editor().GetByte(3), 0xAB);

  // Closing the window whose copy is on the clipboard empties it.
  target->Editor().SetSelection(0, 1);
  target->OnCommand(hexwin::kIdN10);
  EXPECT_TRUE(IsClipboardFormatAvailable(hexwin::PrivateClipboardFormat()));
  DestroyWindow(target->Handle());
  EXPECT_FALSE(IsClipboardFormatAvailable(hexwin::PrivateClipboardFormat()));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_EQ(boxes_.beeps, 0);
}

// Texts go through the wide API only: a name with letters that code page
// 936 has no place for (Thai, Korean) is shown as it is, not as "?".
TEST_F(HexViewTest, NamesOutsideTheAnsiCodePageShowUnchanged) {
  StartPrimary();
  const std::wstring name = L"\u0E01\uD55C\uAE00 星尘.bin";
  const fs::path file = MakeFile(name, 16, 4);
  hexwin::HexViewWindow* window = OpenOne(file);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(wintest::TextOf(window->Handle()), file.wstring());
  primary_->LogLine(platform::Narrow(L"加密文件已完成:" + file.wstring()));
  const std::vector<std::wstring> lines = wintest::LogLines(Primary());
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), L" 加密文件已完成:" + file.wstring());  // the log list indents its lines
}

}  // namespace

namespace {

TEST_F(HexViewTest, OnDrawCellSeesEachDataCellsTextAndMayReplaceIt) {
  StartPrimary();
  const fs::path a = File(L"draw.bin");
  wintest::WriteFileBytes(a, "AB");
  hexwin::HexViewWindow* view = OpenOne(a);
  ASSERT_NE(view, nullptr);
  hexwin::HexEditorControl& control = view->EditorControl();
  const int bpr = view->Editor().BytesPerRow();
  std::vector<std::pair<int, std::wstring>> seen;  // column and text in row 2
  control.OnDrawCell = [&](HDC, int col, hexed::GridRow row, std::wstring& text, const RECT&, bool& defaultDraw) {
    if (row == 2) seen.emplace_back(col, text);
    defaultDraw = true;
  };
  RedrawWindow(control.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  // Two bytes: four nibble cells and two character cells, nothing beyond the data.
  const std::vector<std::pair<int, std::wstring>> expected = {
      {2, L"4"}, {3, L"1"}, {4, L"4"}, {5, L"2"}, {hexed::FirstCharColumn(bpr), L"A"}, {hexed::FirstCharColumn(bpr) + 1, L"B"}};
  EXPECT_EQ(seen, expected);

  // The character drawn follows the handler: a blank leaves only the fill.
  // The second byte's cell: the first one carries the caret's frame.
  const auto cell = view->Editor().CellRect(hexed::FirstCharColumn(bpr) + 1, 2);
  auto colours = [&](const wchar_t* replacement) {
    control.OnDrawCell = [&](HDC, int, hexed::GridRow, std::wstring& text, const RECT&, bool&) { text = replacement; };
    RedrawWindow(control.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(control.Handle());
    std::set<COLORREF> seenColours;
    for (int y = cell[1]; y < cell[3]; ++y)
      for (int x = cell[0]; x < cell[2]; ++x) seenColours.insert(GetPixel(dc, x, y));
    ReleaseDC(control.Handle(), dc);
    return seenColours.size();
  };
  EXPECT_EQ(colours(L" "), 1u);
  EXPECT_GT(colours(L"W"), 1u);
}

TEST_F(HexViewTest, TheWindowStoresItsPrintSettingsAndShowsItsHintAsATip) {
  StartPrimary();
  const fs::path file = MakeFile(L"p.bin", 10);
  hexwin::HexViewWindow* w = OpenOne(file);
  ASSERT_NE(w, nullptr);
  ASSERT_NE(w->HintTip(), nullptr);
  wchar_t text[1024] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = w->Handle();
  tool.uId = reinterpret_cast<UINT_PTR>(w->EditorControl().Handle());
  tool.lpszText = text;
  SendMessageW(w->HintTip(), TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
  EXPECT_EQ(std::wstring(text), file.wstring());
  hexed::TQDHPrintOptions want;
  want.MarginLeft = 20, want.MarginTop = 15, want.MarginRight = 25, want.MarginBottom = 25;
  want.Flags = hexed::pfSelectionBold | hexed::pfMonochrome;
  EXPECT_EQ(w->Editor().PrintOptions(), want);
  EXPECT_EQ(w->Editor().PrintFont(), (hexed::TQDHFontSpec{"Courier New", -15}));
}

}  // namespace

// Key entry: the typing limit in GBK bytes, length hints, masking, the
// paste permission, key files, and clearing boxes and clipboard.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "app/win32/ui_texts.h"
#include "window_fixture.h"

namespace {

using namespace wintest;
using namespace app;

class KeysTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    StartPrimary();
  }

  HWND Box(int id) { return GetDlgItem(Primary(), id); }

  void Type(int id, const std::wstring& text) {
    for (wchar_t c : text) SendMessageW(Box(id), WM_CHAR, c, 0);
  }

  // Opens the key boxes' menu on a box, as a right-click does.
  void OpenMenuOn(int id) {
    RECT r{};
    GetWindowRect(Box(id), &r);
    SendMessageW(Box(id), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Box(id)), MAKELPARAM(r.left + 5, r.top + 5));
  }

  static void PutTextOnClipboard(const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(GlobalLock(data), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(data);
    SetClipboardData(CF_UNICODETEXT, data);
    CloseClipboard();
  }
};

TEST_F(KeysTest, TypingStopsAt1028BytesCountedInGbk) {
  SetKey(Primary(), kIdJm1, std::wstring(1026, L'x'));
  SendMessageW(Box(kIdJm1), EM_SETSEL, 1026, 1026);
  Type(kIdJm1, L"x星");  // would end at 1,029 bytes
  EXPECT_EQ(TextOf(Box(kIdJm1)).size(), 1027u);
  Type(kIdJm1, L"yz");
  EXPECT_EQ(TextOf(Box(kIdJm1)), std::wstring(1027, L'x') + L"y");
  // Chinese text takes two bytes a character.
  SetKey(Primary(), kIdJm2, std::wstring(510, L'尘'));
  SendMessageW(Box(kIdJm2), EM_SETSEL, 510, 510);
  Type(kIdJm2, L"尘尘尘尘尘尘");
  EXPECT_EQ(TextOf(Box(kIdJm2)), std::wstring(514, L'尘'));
  // Enter gives a line break of two bytes.
  SetKey(Primary(), kIdJm2, L"");
  Type(kIdJm2, L"a\rb");
  EXPECT_EQ(TextOf(Box(kIdJm2)), L"a\r\nb");
}

TEST_F(KeysTest, PastingIsHeldToTheLimitToo) {
  SetKey(Primary(), kIdJm1, std::wstring(1020, L'x'));
  SendMessageW(Box(kIdJm1), EM_SETSEL, 1020, 1020);
  PutTextOnClipboard(L"0123456789");
  SendMessageW(Box(kIdJm1), WM_PASTE, 0, 0);
  EXPECT_EQ(TextOf(Box(kIdJm1)), std::wstring(1020, L'x') + L"01234567");
}

TEST_F(KeysTest, LengthHintCountsGbkBytesOrShowsTheKey) {
  SetKey(Primary(), kIdJm1, L"星尘");
  SendMessageW(Box(kIdJm1), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(primary_->Hint(kIdJm1), L"密钥长度为:4字节");
  SetKey(Primary(), kIdJm2, L"ab\r\ncd");
  SendMessageW(Box(kIdJm2), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(primary_->Hint(kIdJm2), L"密钥长度为:6字节");
  Command(Primary(), kIdN20);
  EXPECT_EQ(StoredDword(L"bjkxnr"), 1u);
  SendMessageW(Box(kIdJm2), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(primary_->Hint(kIdJm2), L"ab\r\ncd");
  Command(Primary(), kIdN20);
  EXPECT_FALSE(StoredDword(L"bjkxnr"));
}

TEST_F(KeysTest, MaskingBothBoxesAndOneBox) {
  Click(Primary(), kIdPbmy);
  EXPECT_EQ(StoredDword(L"pbmy"), 1u);
  // A masked box paints its background in its font colour.
  for (int id : {kIdJm1, kIdJm2}) {
    HDC dc = GetDC(Box(id));
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(Primary(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Box(id))));
    EXPECT_EQ(GetBkColor(dc), GetTextColor(dc));
    LOGBRUSH logBrush{};
    GetObjectW(brush, sizeof logBrush, &logBrush);
    EXPECT_EQ(logBrush.lbColor, GetTextColor(dc));
    ReleaseDC(Box(id), dc);
  }
  OpenMenuOn(kIdJm1);
  ASSERT_EQ(menus_.tracked.size(), 1u);
  EXPECT_TRUE(MenuChecked(primary_->PopupMenu2(), kIdN18));
  Command(Primary(), kIdN18);  // unmask jm1 only
  HDC dc = GetDC(Box(kIdJm1));
  SendMessageW(Primary(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Box(kIdJm1)));
  EXPECT_EQ(GetBkColor(dc), 0xFFFFFFu);
  EXPECT_EQ(GetTextColor(dc), 0u);
  ReleaseDC(Box(kIdJm1), dc);
  EXPECT_TRUE(Checked(Primary(), kIdPbmy));
  OpenMenuOn(kIdJm2);
  EXPECT_TRUE(MenuChecked(primary_->PopupMenu2(), kIdN18));
  OpenMenuOn(kIdJm1);
  EXPECT_FALSE(MenuChecked(primary_->PopupMenu2(), kIdN18));
  Click(Primary(), kIdPbmy);
  EXPECT_FALSE(StoredDword(L"pbmy"));
}

TEST_F(KeysTest, PastePermissionAndItsMenuItem) {
  OpenMenuOn(kIdJm1);
  EXPECT_EQ(menus_.tracked.size(), 1u);
  EXPECT_FALSE(MenuChecked(primary_->PopupMenu2(), kIdN30));
  Command(Primary(), kIdN30);
  EXPECT_TRUE(Checked(Primary(), kIdCheckBox1));
  EXPECT_TRUE(MenuChecked(primary_->PopupMenu2(), kIdN30));
  EXPECT_EQ(StoredDword(L"ztmy"), 1u);
  Click(Primary(), kIdCheckBox1);
  EXPECT_FALSE(MenuChecked(primary_->PopupMenu2(), kIdN30));
  EXPECT_FALSE(StoredDword(L"ztmy"));
}

TEST_F(KeysTest, SaveAndLoadKeyFiles) {
  // N16 and N17 need text in the box the menu opens on.
  OpenMenuOn(kIdJm1);
  EXPECT_FALSE(MenuEnabled(primary_->PopupMenu2(), kIdN16));
  EXPECT_FALSE(MenuEnabled(primary_->PopupMenu2(), kIdN17));
  EXPECT_TRUE(MenuEnabled(primary_->PopupMenu2(), kIdN14));

  const std::wstring key = L"星尘\r\nkey line 2\r\n";
  SetKey(Primary(), kIdJm1, key);
  OpenMenuOn(kIdJm1);
  EXPECT_TRUE(MenuEnabled(primary_->PopupMenu2(), kIdN16));
  dialogs_.saveAnswers.push_back(SavedFile{File(L"密钥").wstring(), 1});
  Command(Primary(), kIdN16);
  ASSERT_EQ(dialogs_.saveRequests.size(), 1u);
  EXPECT_EQ(dialogs_.saveRequests[0].title, L"密钥保存为文件...");
  EXPECT_EQ(dialogs_.saveRequests[0].filter, L"TXT文件(*.txt)|*.txt|全部文件(*.*)|*.*");
  // The GBK bytes of the key, with no line break added.
  EXPECT_EQ(ReadFileBytes(File(L"密钥.txt")), "\xD0\xC7\xB3\xBE\r\nkey line 2\r\n");
  // The second filter keeps the name as typed.
  dialogs_.saveAnswers.push_back(SavedFile{File(L"key.k").wstring(), 2});
  Command(Primary(), kIdN16);
  EXPECT_TRUE(fs::exists(File(L"key.k")));

  OpenMenuOn(kIdJm2);
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{File(L"密钥.txt").wstring()});
  Command(Primary(), kIdN14);
  EXPECT_EQ(dialogs_.openRequests.back().title, L"选择要载入为密钥的文件...");
  EXPECT_EQ(TextOf(Box(kIdJm2)), key);

  // LF line breaks become CR LF; the key ends at a zero byte.
  WriteFileBytes(File(L"lf.txt"), std::string("one\ntwo\rthree\0rest", 18));
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{File(L"lf.txt").wstring()});
  Command(Primary(), kIdN14);
  EXPECT_EQ(TextOf(Box(kIdJm2)), L"one\r\ntwo\r\nthree");

  // A long key file is cut to 2,056 bytes, beyond the typing limit.
  WriteFileBytes(File(L"long.txt"), std::string(3000, 'k'));
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{File(L"long.txt").wstring()});
  Command(Primary(), kIdN14);
  EXPECT_EQ(TextOf(Box(kIdJm2)), std::wstring(2056, L'k'));
  Type(kIdJm2, L"x");
  EXPECT_EQ(TextOf(Box(kIdJm2)).size(), 2056u);

  // An unreadable file keeps the key.
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{File(L"missing.txt").wstring()});
  const int beeps = boxes_.beeps;
  Command(Primary(), kIdN14);
  EXPECT_EQ(TextOf(Box(kIdJm2)), std::wstring(2056, L'k'));
  EXPECT_EQ(boxes_.beeps, beeps + 1);
}

TEST_F(KeysTest, AKeyFileThatIsNoGbkTextIsRefusedWithANotice) {
  // An invalid byte, a lead byte with a blank after it, random bytes, and
  // UTF-8 text whose last character leaves a lone GBK lead byte.
  std::string random(300, '\0');
  std::uint32_t x = 99;
  for (char& c : random) c = static_cast<char>(((x = x * 1664525u + 1013904223u) >> 24) | 0x80);
  const std::string cases[] = {"ab\xFF" "cd", "ab\x81 cd", random, "key \xE4\xB8\xAD"};
  Click(Primary(), kIdPbmy);
  const std::wstring earlier = L"旧密钥";
  SetKey(Primary(), kIdJm1, earlier);
  int n = 0;
  for (const std::string& bytes : cases) {
    const fs::path file = File(L"坏密钥" + std::to_wstring(++n) + L".txt");
    WriteFileBytes(file, bytes);
    OpenMenuOn(kIdJm1);
    dialogs_.openAnswers.push_back(std::vector<std::wstring>{file.wstring()});
    const std::size_t shown = boxes_.shown.size();
    Command(Primary(), kIdN14);
    EXPECT_EQ(TextOf(Box(kIdJm1)), earlier) << n;
    ASSERT_EQ(boxes_.shown.size(), shown + 1) << n;
    EXPECT_EQ(boxes_.shown.back().text, std::wstring(text::kKeyFileNotGbk) + file.wstring()) << n;
  }
  // GBK text, cut at its first zero byte, still loads.
  WriteFileBytes(File(L"好.txt"), std::string("\xD0\xC7\0\xFF", 4));
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{File(L"好.txt").wstring()});
  Command(Primary(), kIdN14);
  EXPECT_EQ(TextOf(Box(kIdJm1)), L"星");
}

TEST_F(KeysTest, ClearingBoxesAndTheClipboard) {
  SetKey(Primary(), kIdJm1, L"one");
  SetKey(Primary(), kIdJm2, L"two");
  OpenMenuOn(kIdJm2);
  Command(Primary(), kIdN17);
  EXPECT_EQ(TextOf(Box(kIdJm1)), L"one");
  EXPECT_EQ(TextOf(Box(kIdJm2)), L"");
  Command(Primary(), kIdN5);
  EXPECT_EQ(TextOf(Box(kIdJm1)), L"");

  PutTextOnClipboard(L"secret key");
  Command(Primary(), kIdN12);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));

  // A clipboard with only an image stays as it is.
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 4);
  ReleaseDC(nullptr, screen);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  SetClipboardData(CF_BITMAP, bitmap);
  CloseClipboard();
  Command(Primary(), kIdN12);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
}

TEST_F(KeysTest, KeyBoxesAreLockedDuringAJobAndAMaskedKeyStaysHidden) {
  Click(Primary(), kIdPbmy);
  SetKey(Primary(), kIdJm1, L"hidden key");
  // The key box is disabled during a job; it paints nothing but its mask.
  EnableWindow(Box(kIdJm1), FALSE);
  RedrawWindow(Box(kIdJm1), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  HDC dc = GetDC(Box(kIdJm1));
  RECT client{};
  GetClientRect(Box(kIdJm1), &client);
  int nonBlack = 0;
  for (int y = 2; y < client.bottom - 2; y += 3)
    for (int x = 2; x < client.right - 2; x += 3)
      if (GetPixel(dc, x, y) != 0) ++nonBlack;
  ReleaseDC(Box(kIdJm1), dc);
  EXPECT_EQ(nonBlack, 0);
  EnableWindow(Box(kIdJm1), TRUE);
}

}  // namespace

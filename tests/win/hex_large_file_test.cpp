// A 5 GiB sparse file in the hex view window: it opens at once, the scroll
// bar, Ctrl+End and the go-to reach its end, also at one byte per row, where
// the rows outnumber the scroll bar's int positions.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "hexeditor/win32/go_to_dialog.h"
#include "hexeditor/win32/hex_view_window.h"
#include "tests/win/hex_window_fixture.h"

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kSize = std::int64_t{5} << 30;

class HexLargeFileTest : public wintest::HexWindowTest {
 protected:
  void TearDown() override {
    HoldCtrl(false);
    wintest::HexWindowTest::TearDown();
  }
  // A sparse file of kSize bytes, "HEAD" at its start and "TAIL" at its end.
  hexwin::HexViewWindow* OpenHuge() {
    const fs::path file = File(L"huge.bin");
    {
      std::ofstream out(file, std::ios::binary);
      out.write("HEAD", 4);
    }
    fs::resize_file(file, static_cast<std::uintmax_t>(kSize));
    {
      std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
      out.seekp(kSize - 4);
      out.write("TAIL", 4);
    }
    return hexwin::HexViewWindow::Open(file.wstring(), dialogs_, boxes_);
  }
  static void HoldCtrl(bool down) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = down ? 0x80 : 0;
    SetKeyboardState(keys);
  }
  static void CtrlKey(HWND target, UINT vk) {
    HoldCtrl(true);
    SendMessageW(target, WM_KEYDOWN, vk, 0);
    SendMessageW(target, WM_KEYUP, vk, 0);
    HoldCtrl(false);
  }
  static std::string Text(const hexed::TCustomQDHexEditor& e, std::int64_t pos, std::int64_t n) {
    const std::vector<std::uint8_t> bytes = e.BytesAt(pos, n);
    return std::string(bytes.begin(), bytes.end());
  }
  // The last row is on screen.
  static bool EndVisible(const hexed::TCustomQDHexEditor& e) {
    return e.TopRow() <= e.RowCount() - 1 && e.RowCount() - 1 <= e.LastVisibleRow();
  }
};

TEST_F(HexLargeFileTest, OpensAndShowsBothEnds) {
  hexwin::HexViewWindow* w = OpenHuge();
  ASSERT_NE(w, nullptr);
  const hexed::TCustomQDHexEditor& e = w->Editor();
  ASSERT_EQ(e.DataSize(), kSize);
  EXPECT_EQ(Text(e, 0, 4), "HEAD");
  EXPECT_EQ(Text(e, kSize - 4, 4), "TAIL");
  EXPECT_EQ(w->Editor().GetCellView(2, 2, false).ch, '4') << "the high nibble of 'H'";
}

TEST_F(HexLargeFileTest, TheScrollBarReachesTheEndAndComesBack) {
  hexwin::HexViewWindow* w = OpenHuge();
  ASSERT_NE(w, nullptr);
  HWND control = w->EditorControl().Handle();
  SendMessageW(control, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_TRUE(EndVisible(w->Editor())) << w->Editor().TopRow() << " of " << w->Editor().RowCount();
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(control, SB_VERT, &si);
  EXPECT_EQ(si.nPos, si.nMax - static_cast<int>(si.nPage) + 1) << "the thumb is at the bottom";
  const hexed::GridRow bottom = w->Editor().TopRow();
  SendMessageW(control, WM_VSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(w->Editor().TopRow(), bottom - 1) << "a line is one row, also on a scaled bar";
  SendMessageW(control, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(w->Editor().TopRow(), 2);
}

TEST_F(HexLargeFileTest, CtrlEndAndGoToReachTheLastByte) {
  hexwin::HexViewWindow* w = OpenHuge();
  ASSERT_NE(w, nullptr);
  HWND control = w->EditorControl().Handle();
  CtrlKey(control, VK_END);
  EXPECT_EQ(w->Editor().CaretPosition(), kSize - 1);
  EXPECT_TRUE(EndVisible(w->Editor()));
  CtrlKey(control, VK_HOME);
  EXPECT_EQ(w->Editor().CaretPosition(), 0);

  static int dialogsSeen;
  dialogsSeen = 0;
  SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = FindWindowW(L"#32770", hexwin::kGoToCaption);
    if (dialog == nullptr) return;
    ++dialogsSeen;
    KillTimer(nullptr, id);
    SetDlgItemTextW(dialog, hexwin::kIdGoToText, L"0x13FFFFFFE");
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  CtrlKey(control, 'G');
  EXPECT_EQ(dialogsSeen, 1);
  EXPECT_EQ(w->Editor().CaretPosition(), kSize - 2);
  EXPECT_TRUE(EndVisible(w->Editor()));
}

TEST_F(HexLargeFileTest, AtOneBytePerRowTheScaledScrollBarReachesTheEndAndStepsByRows) {
  hexwin::HexViewWindow* w = OpenHuge();
  ASSERT_NE(w, nullptr);
  hexed::TCustomQDHexEditor& e = w->Editor();
  e.SetAutoBytesPerRow(false);
  e.SetBytesPerRow(1);
  ASSERT_EQ(e.RowCount(), kSize + 2);
  HWND control = w->EditorControl().Handle();
  auto scrollInfo = [&] {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(control, SB_VERT, &si);
    return si;
  };
  CtrlKey(control, VK_END);
  EXPECT_EQ(e.CaretPosition(), kSize - 1);
  EXPECT_TRUE(EndVisible(e));
  SCROLLINFO si = scrollInfo();
  EXPECT_EQ(si.nPos, si.nMax - static_cast<int>(si.nPage) + 1) << "the thumb is at the bottom";

  // A line and a page move the 64-bit top row by one row and one page.
  const hexed::GridRow bottom = e.TopRow();
  SendMessageW(control, WM_VSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(e.TopRow(), bottom - 1);
  SendMessageW(control, WM_VSCROLL, SB_PAGEUP, 0);
  EXPECT_EQ(e.TopRow(), bottom - 1 - (e.VisibleRowCount() - 1));
  SendMessageW(control, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(e.TopRow(), bottom);
  SendMessageW(control, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(e.TopRow(), 2);
  EXPECT_EQ(scrollInfo().nPos, si.nMin);
}

}  // namespace

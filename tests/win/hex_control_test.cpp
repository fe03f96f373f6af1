// The hex editor control's context menus, its answers to the standard edit
// messages and its automatic scrolling while selecting, on real windows
// under Wine.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hexeditor/errors.h"
#include "hexeditor/win32/hex_view_window.h"
#include "tests/win/hex_window_fixture.h"

namespace {

namespace fs = std::filesystem;

class HexControlTest : public wintest::HexWindowTest {
 protected:
  static LPARAM CellMiddle(hexwin::HexViewWindow* w, int col, hexed::GridRow row) {
    const auto r = w->Editor().CellRect(col, row);
    return MAKELPARAM((r[0] + r[2]) / 2, (r[1] + r[3]) / 2);
  }
};

TEST_F(HexControlTest, RightClickOnGutterOrRulerShowsTheOffsetMenuElsewhereThePopupMenu) {
  hexwin::HexViewWindow* view = OpenWith(std::string(256, 'x'));
  view->Editor().SetShowRuler(true);
  HWND editor = view->EditorControl().Handle();
  const int bpr = view->Editor().BytesPerRow();
  HMENU offsets = CreatePopupMenu();
  AppendMenuW(offsets, MF_STRING, 1, L"offsets");
  struct Click {
    const char* where;
    int col, row;
    bool offsetMenu;
  };
  const Click clicks[] = {
      {"gutter", 0, 3, true},
      {"ruler over the hex field", 2 + 2 * 3, 0, true},
      {"ruler over the characters", hexed::FirstCharColumn(bpr) + 1, 0, true},
      {"hex field", 2 + 2 * 3, 3, false},
      {"character field", hexed::FirstCharColumn(bpr) + 1, 4, false},
  };
  for (bool withOffsetMenu : {false, true}) {
    view->EditorControl().SetOffsetPopupMenu(withOffsetMenu ? offsets : nullptr);
    for (const Click& c : clicks) {
      SCOPED_TRACE(std::string(c.where) + (withOffsetMenu ? " with an offset menu" : " without"));
      menus_.tracked.clear();
      const LPARAM at = CellMiddle(view, c.col, c.row);
      SendMessageW(editor, WM_RBUTTONDOWN, MK_RBUTTON, at);
      SendMessageW(editor, WM_RBUTTONUP, 0, at);  // the system turns it into WM_CONTEXTMENU
      ASSERT_EQ(menus_.tracked.size(), 1u);
      EXPECT_EQ(menus_.tracked[0].menu, withOffsetMenu && c.offsetMenu ? offsets : view->PopupMenu1());
      POINT screen{LOWORD(at), HIWORD(at)};
      ClientToScreen(editor, &screen);
      EXPECT_EQ(menus_.tracked[0].point.x, screen.x);
      EXPECT_EQ(menus_.tracked[0].point.y, screen.y);
    }
  }
  // The menu key belongs to the caret, in the data area.
  menus_.tracked.clear();
  SendMessageW(editor, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(editor), MAKELPARAM(-1, -1));
  ASSERT_EQ(menus_.tracked.size(), 1u);
  EXPECT_EQ(menus_.tracked[0].menu, view->PopupMenu1());
  view->EditorControl().SetOffsetPopupMenu(nullptr);
  DestroyMenu(offsets);
}

struct EditMessage {
  UINT message;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

struct EditCase {
  const char* name;
  int selFrom, selTo;  // selected before the first message; -1: nothing
  std::vector<EditMessage> messages;
  bool readOnlyAtLast;  // the read-only view is switched on before the last message
  std::string bytes;    // afterwards
  LRESULT lastResult;
  int selCount;  // afterwards; -1: not checked
};

TEST_F(HexControlTest, StandardEditMessagesRunThroughTheEditorsTests) {
  const EditCase cases[] = {
      {"copy, then paste over a selection", 1, 2, {{WM_COPY}, {EM_SETSEL, 3, 4}, {WM_PASTE}}, false, "ABCBC", 0, -1},
      {"cut", 0, 1, {{WM_CUT}}, false, "CD", 0, 0},
      {"cut, then undo", 0, 1, {{WM_CUT}, {WM_UNDO}}, false, "ABCD", TRUE, -1},
      {"cut, then EM_UNDO", 0, 1, {{WM_CUT}, {EM_UNDO}}, false, "ABCD", TRUE, -1},
      {"after a cut undo is possible", 0, 1, {{WM_CUT}, {EM_CANUNDO}}, false, "CD", TRUE, -1},
      {"nothing to undo", -1, -1, {{EM_CANUNDO}}, false, "ABCD", FALSE, -1},
      {"undo with nothing to undo", -1, -1, {{EM_UNDO}}, false, "ABCD", FALSE, -1},
      {"paste possible after a copy", 0, 0, {{WM_COPY}, {EM_CANPASTE}}, false, "ABCD", TRUE, 1},
      {"select all", -1, -1, {{EM_SETSEL, 0, static_cast<LPARAM>(-1)}}, false, "ABCD", 0, 4},
      {"select a range", -1, -1, {{EM_SETSEL, 1, 3}}, false, "ABCD", 0, 2},
      {"clear the selection", 0, 3, {{EM_SETSEL, static_cast<WPARAM>(-1), 0}}, false, "ABCD", 0, 0},
      {"copy without a selection copies nothing", -1, -1, {{WM_COPY}, {EM_SETSEL, 0, 1}, {WM_PASTE}}, false, "XBCD", 0, -1},
      {"read-only: cut refused", 0, 1, {{WM_CUT}}, true, "ABCD", 0, 2},
      {"read-only: copy works, paste refused", 1, 2, {{WM_COPY}, {EM_SETSEL, 3, 4}, {WM_PASTE}}, true, "ABCD", 0, 1},
      {"read-only: no paste possible", 0, 0, {{WM_COPY}, {EM_CANPASTE}}, true, "ABCD", FALSE, -1},
      {"read-only: undo refused", 0, 1, {{WM_CUT}, {WM_UNDO}}, true, "CD", FALSE, -1},
      {"read-only: copy, select all", -1, -1, {{EM_SETSEL, 0, static_cast<LPARAM>(-1)}, {WM_COPY}}, true, "ABCD", 0, 4},
  };
  for (const EditCase& c : cases) {
    SCOPED_TRACE(c.name);
    // The clipboard starts with a copy of "X" from another window.
    hexwin::HexViewWindow* other = OpenWith("X");
    other->Editor().SelectAll();
    SendMessageW(other->EditorControl().Handle(), WM_COPY, 0, 0);
    hexwin::HexViewWindow* view = OpenWith("ABCD");
    HWND editor = view->EditorControl().Handle();
    if (c.selFrom >= 0) view->Editor().SetSelection(c.selFrom, c.selTo);
    LRESULT last = -1;
    for (std::size_t i = 0; i < c.messages.size(); ++i) {
      if (i + 1 == c.messages.size() && c.readOnlyAtLast) view->Editor().SetReadOnlyView(true);
      last = SendMessageW(editor, c.messages[i].message, c.messages[i].wParam, c.messages[i].lParam);
    }
    EXPECT_EQ(Bytes(view), c.bytes);
    EXPECT_EQ(last, c.lastResult);
    if (c.selCount >= 0) {
      EXPECT_EQ(view->Editor().SelCount(), c.selCount);
    }
    DestroyWindow(view->Handle());
    DestroyWindow(other->Handle());
  }
  EXPECT_EQ(boxes_.beeps, 0);
}

TEST_F(HexControlTest, SelectingPastTheBottomEdgeScrollsOnATimerUntilTheButtonGoesUp) {
  hexwin::HexViewWindow* view = OpenWith(std::string(64 * 1024, 'a'));
  HWND editor = view->EditorControl().Handle();
  hexed::TQDHexEditorEx& e = view->Editor();
  const hexed::GridRow top = e.TopRow();
  SendMessageW(editor, WM_LBUTTONDOWN, MK_LBUTTON, CellMiddle(view, 2 + 2 * 2, top + 1));
  RECT client{};
  GetClientRect(editor, &client);
  const LPARAM below = MAKELPARAM(client.right / 3, client.bottom + 20);
  SendMessageW(editor, WM_MOUSEMOVE, MK_LBUTTON, below);
  const hexed::GridRow topAfterMove = e.TopRow();
  const int selAfterMove = e.SelCount();
  EXPECT_GT(topAfterMove, top) << "the move itself scrolls";
  EXPECT_GT(selAfterMove, 0);
  // Without further moves the timer keeps scrolling and selecting.
  EXPECT_TRUE(wintest::PumpUntil([&] { return e.TopRow() >= topAfterMove + 3; }, 5000));
  EXPECT_GT(e.SelCount(), selAfterMove + 2 * e.BytesPerRow());
  SendMessageW(editor, WM_LBUTTONUP, 0, below);
  const hexed::GridRow topAtRelease = e.TopRow();
  const int selAtRelease = e.SelCount();
  wintest::PumpFor(400);
  EXPECT_EQ(e.TopRow(), topAtRelease);
  EXPECT_EQ(e.SelCount(), selAtRelease);
}

// Assigning a strip copies it, a wrong size is refused and keeps the old one,
// and none brings the program's own strip back.
TEST_F(HexControlTest, BookmarkBitmapIsAssignableAndNoneReloadsTheResource) {
  hexwin::HexViewWindow* view = OpenWith("abc");
  hexwin::HexEditorControl& control = view->EditorControl();
  ASSERT_NE(control.BookmarkBitmap(), nullptr);
  HDC screen = GetDC(nullptr);
  HBITMAP strip = CreateCompatibleBitmap(screen, 200, 10);
  HBITMAP wrong = CreateCompatibleBitmap(screen, 10, 10);
  ReleaseDC(nullptr, screen);
  control.SetBookmarkBitmap(strip);
  HBITMAP assigned = control.BookmarkBitmap();
  EXPECT_NE(assigned, strip);
  BITMAP info{};
  GetObjectW(assigned, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 200);
  EXPECT_EQ(info.bmHeight, 10);
  EXPECT_THROW(control.SetBookmarkBitmap(wrong), hexed::EQDHexEditor);
  EXPECT_EQ(control.BookmarkBitmap(), assigned);
  control.SetBookmarkBitmap(nullptr);
  EXPECT_NE(control.BookmarkBitmap(), nullptr);
  EXPECT_NE(control.BookmarkBitmap(), assigned);
  DeleteObject(strip);
  DeleteObject(wrong);
}

}  // namespace

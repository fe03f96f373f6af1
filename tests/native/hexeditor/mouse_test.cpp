// Mouse press, drag, release, double click, hit adjustment and wheel on cells.
#include <gtest/gtest.h>

#include "hexeditor/errors.h"
#include "test_support.h"

namespace hexed {
namespace {

class Mouse : public testing::Test {
 protected:
  void SetUp() override {
    e.SetHost(&host);
    test::Load(e, test::Sequence(64));
  }
  void Down(int col, GridRow row, ShiftState shift = 0, bool dbl = false) {
    e.MouseDown(MouseButton::kLeft, shift | kLeftButton, CellHit{col, row, false}, dbl);
  }
  void Move(int col, GridRow row) { e.MouseMove(kLeftButton, CellHit{col, row, false}); }
  void Up(int col, GridRow row) { e.MouseUp(MouseButton::kLeft, 0, CellHit{col, row, false}); }
  test::RecordingHost host;
  TCustomQDHexEditor e;
};

TEST_F(Mouse, PressAndDragSelects) {
  Down(8, 3);
  EXPECT_EQ(e.Caret(), (Cell{8, 3}));
  EXPECT_TRUE(e.SelectionMode());
  EXPECT_EQ(e.SelCount(), 0);
  Move(14, 3);
  EXPECT_EQ(e.SelStart(), 19);
  EXPECT_EQ(e.SelEnd(), 22);
  Move(4, 3);
  EXPECT_EQ(e.SelStart(), 17);
  EXPECT_EQ(e.SelEnd(), 19);
  Up(4, 3);
  EXPECT_EQ(e.SelCount(), 3);
  e.MouseMove(0, CellHit{20, 3, false});
  EXPECT_EQ(e.SelCount(), 3) << "no button, no selecting";
}

TEST_F(Mouse, ClickOnTheSelectionClearsItOnRelease) {
  Down(8, 3);
  Move(14, 3);
  Up(14, 3);
  Down(10, 3);
  EXPECT_EQ(e.SelCount(), 4) << "a press on the selection only remembers the spot";
  Up(12, 3);
  EXPECT_EQ(e.SelCount(), 4);
  Down(10, 3);
  Up(10, 3);
  EXPECT_EQ(e.SelCount(), 0);
  EXPECT_EQ(e.Caret(), (Cell{10, 3}));
}

TEST_F(Mouse, ShiftClickStartsANewSelectionFromTheClick) {
  Down(8, 3);
  Move(14, 3);
  Up(14, 3);
  e.KeyDown(key::kShift, kShiftKey);
  Down(20, 3, kShiftKey);
  EXPECT_EQ(e.SelCount(), 0);
  EXPECT_EQ(e.Caret(), (Cell{20, 3}));
  Move(24, 3);
  EXPECT_EQ(e.SelStart(), 25);
  EXPECT_EQ(e.SelEnd(), 27);
}

TEST_F(Mouse, DoubleClickSelectsOneUnit) {
  e.SetBytesPerUnit(2);
  Down(10, 2);
  Up(10, 2);
  Down(10, 2, 0, true);
  EXPECT_EQ(e.SelStart(), 4);
  EXPECT_EQ(e.SelEnd(), 5);
  EXPECT_FALSE(e.SelectionMode());
}

TEST_F(Mouse, SeparatorGutterAndRowsBeyondTheData) {
  Down(34, 2);
  EXPECT_EQ(e.Caret(), (Cell{33, 2}));
  Down(0, 2);
  EXPECT_EQ(e.Caret(), (Cell{33, 2}));
  Down(12, 5);
  EXPECT_EQ(e.Caret(), (Cell{12, 5}));
  Down(12, 6);
  EXPECT_EQ(e.Caret(), (Cell{12, 5})) << "no such row";
  e.DeleteBytes(60, 64);
  Down(34 + 16, 5);
  EXPECT_EQ(e.CaretPosition(), 59) << "beyond the end: the last byte";
}

TEST_F(Mouse, InsertModeHitAdjustment) {
  EXPECT_EQ(e.AdjustHit(CellHit{5, 2, true}), (Cell{5, 2}));
  e.SetInsertMode(true);
  EXPECT_EQ(e.AdjustHit(CellHit{5, 2, true}), (Cell{6, 2}));
  EXPECT_EQ(e.AdjustHit(CellHit{5, 2, false}), (Cell{5, 2}));
  EXPECT_EQ(e.AdjustHit(CellHit{33, 2, true}), (Cell{2, 3}));
  EXPECT_EQ(e.AdjustHit(CellHit{50, 2, true}), (Cell{35, 3}));
  e.MouseDown(MouseButton::kLeft, kLeftButton, CellHit{33, 5, true});
  EXPECT_EQ(e.CaretPosition(), 64) << "right half of the last byte: the append position";
  EXPECT_EQ(e.Caret(), (Cell{2, 6}));
}

TEST_F(Mouse, AutoScrollAndCursor) {
  EXPECT_TRUE(e.MayAutoScroll(CellHit{10, 3, false}));
  EXPECT_FALSE(e.MayAutoScroll(CellHit{34, 3, false}));
  EXPECT_FALSE(e.MayAutoScroll(CellHit{10, 6, false}));
  EXPECT_FALSE(e.MayAutoScroll(CellHit{1, 3, false}));
  e.SetSelection(0, 3);
  EXPECT_EQ(e.CursorAt(CellHit{4, 2, false}, 0), MouseCursor::kArrow);
  EXPECT_EQ(e.CursorAt(CellHit{4, 2, false}, kLeftButton), MouseCursor::kTextBeam);
  EXPECT_EQ(e.CursorAt(CellHit{0, 4, false}, 0), MouseCursor::kArrow);
  EXPECT_EQ(e.CursorAt(CellHit{20, 4, false}, 0), MouseCursor::kTextBeam);
}

TEST_F(Mouse, WheelScrollsZoomsRowsAndFont) {
  e.SetCharMetrics(8, 14);
  e.SetClientSize(900, 80);
  e.MouseWheel(true, 0);
  EXPECT_EQ(e.TopRow(), 2) << "all rows fit: nothing to scroll";
  test::Load(e, test::Sequence(256));
  e.MouseWheel(true, 0);
  EXPECT_EQ(e.TopRow(), 6);
  EXPECT_EQ(e.Caret(), (Cell{2, 2}));
  e.MouseWheel(false, 0);
  EXPECT_EQ(e.TopRow(), 2);
  e.MouseWheel(true, kCtrlKey);
  EXPECT_EQ(e.BytesPerRow(), 15);
  e.MouseWheel(false, kCtrlKey);
  e.MouseWheel(false, kCtrlKey);
  EXPECT_EQ(e.BytesPerRow(), 17);
  e.MouseWheel(true, kCtrlKey | kShiftKey);
  EXPECT_EQ(e.FontSize(), 10);
  EXPECT_EQ(host.fontChanges, 1);
  e.SetFont("Courier New", 2);
  e.MouseWheel(true, kCtrlKey | kShiftKey);
  EXPECT_EQ(e.FontSize(), 2);
  e.SetBytesPerRow(16);
  e.SetUnicodeChars(true);
  try {
    e.MouseWheel(true, kCtrlKey);
    ADD_FAILURE() << "an odd width accepted in Unicode mode";
  } catch (const EQDHexEditor& ex) {
    EXPECT_STREQ(ex.what(), "Invalid bytes per line argument");
  }
  EXPECT_EQ(e.BytesPerRow(), 16);
  e.SetZoomOnWheel(false);
  e.MouseWheel(true, kCtrlKey);
  EXPECT_EQ(e.Caret().row, 3);
}

TEST_F(Mouse, SelectionChangesArePostedOnceUntilDelivered) {
  e.DeliverSelectionChanged();
  int delivered = 0;
  e.OnSelectionChanged = [&] { ++delivered; };
  const int before = host.posts;
  Down(8, 3);
  Move(14, 3);
  Move(16, 3);
  EXPECT_EQ(host.posts, before + 1);
  e.DeliverSelectionChanged();
  EXPECT_EQ(delivered, 1);
  Move(18, 3);
  EXPECT_EQ(host.posts, before + 2);
}

}  // namespace
}  // namespace hexed

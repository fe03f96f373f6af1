// Drag-and-drop rules on the model: effects, drop position, edge scrolling
// and how dropped bytes go in.
#include <gtest/gtest.h>

#include "hexeditor/clipboard/drop_rules.h"
#include "test_support.h"

namespace hexed::drop {
namespace {

class Drop : public testing::Test {
 protected:
  void SetUp() override {
    e.SetHost(&host);
    test::Load(e, test::Sequence(64));
  }
  test::RecordingHost host;
  TCustomQDHexEditor e;
};

TEST_F(Drop, EffectsBySourceKeysAndReadOnly) {
  struct Case {
    bool fromSelf, files, ctrl, shift, readOnly;
    Effect expected;
  } cases[] = {
      {true, false, false, false, false, Effect::kMove},  {true, false, true, false, false, Effect::kCopy},
      {false, false, false, false, false, Effect::kCopy}, {false, false, false, true, false, Effect::kMove},
      {false, true, false, true, false, Effect::kLink},   {false, false, false, true, true, Effect::kNone},
      {true, false, false, false, true, Effect::kNone},
  };
  for (const Case& c : cases) {
    e.SetReadOnlyView(c.readOnly);
    EXPECT_EQ(DragEffect(e, c.fromSelf, true, c.files, DragKeys{c.ctrl, c.shift}), c.expected)
        << c.fromSelf << c.files << c.ctrl << c.shift << c.readOnly;
  }
  e.SetReadOnlyView(false);
  EXPECT_EQ(DragEffect(e, false, false, false, {}), Effect::kNone) << "no accepted format";
}

TEST_F(Drop, PositionClampedSnappedToSelectionAndUnit) {
  // 16 bytes per row: row 3 holds bytes 16 ... 31; byte k of a row at column 2 + 2k.
  EXPECT_EQ(DropPosition(e, Cell{6, 3}), 18);
  EXPECT_EQ(DropPosition(e, Cell{0, 3}), 16) << "gutter counts as the first column";
  EXPECT_EQ(DropPosition(e, Cell{6, 0}), 2) << "ruler counts as the first row";
  EXPECT_EQ(DropPosition(e, Cell{6, 99}), 50) << "below the grid: the last row";
  e.SetSelection(17, 20);
  EXPECT_EQ(DropPosition(e, Cell{8, 3}), 17);
  e.ClearSelection();
  e.SetBytesPerUnit(4);
  EXPECT_EQ(DropPosition(e, Cell{8, 3}), 16);
  EXPECT_EQ(DropCell(e, 16, Cell{40, 3}), (Cell{FirstCharColumn(16), 3}));
}

TEST_F(Drop, ScrollsAtTheEdges) {
  e.SetCharMetrics(8, 14);
  test::Load(e, test::Sequence(4096));
  e.SetClientSize(300, 200);
  e.SetTopRow(10);
  EXPECT_TRUE(ScrollAtEdge(e, Cell{5, e.TopRow()}, 30));
  EXPECT_EQ(e.TopRow(), 9);
  const GridRow last = e.LastVisibleRow();
  EXPECT_TRUE(ScrollAtEdge(e, Cell{5, last}, 30));
  EXPECT_EQ(e.TopRow(), 10);
  EXPECT_FALSE(ScrollAtEdge(e, Cell{5, e.TopRow() + 2}, 30));
  EXPECT_TRUE(ScrollAtEdge(e, Cell{30, e.TopRow() + 2}, 30));
  EXPECT_EQ(e.LeftCol(), 3);
}

TEST_F(Drop, MoveWithinEditorIsOneUndoStep) {
  e.SetNoSizeChange(true);
  e.SetSelection(2, 4);
  const test::Bytes moved = e.SelectedBytes();
  DropMoveWithinEditor(e, moved, 10);
  FinishDrag(e, Effect::kMove, true);
  test::Bytes expected = test::Sequence(64);
  expected.erase(expected.begin() + 2, expected.begin() + 5);
  expected.insert(expected.begin() + 7, moved.begin(), moved.end());
  EXPECT_EQ(test::Content(e), expected);
  EXPECT_TRUE(e.NoSizeChange()) << "set aside only for the move";
  EXPECT_EQ(e.UndoDescription(), kDataMoved);
  e.Undo();
  EXPECT_EQ(test::Content(e), test::Sequence(64));
}

TEST_F(Drop, ForeignDropsAppendReplaceInsertOrOverwrite) {
  const test::Bytes in = {0xA0, 0xA1};
  EXPECT_TRUE(DropBytes(e, in, 64));
  EXPECT_EQ(e.DataSize(), 66);
  EXPECT_EQ(e.GetByte(65), 0xA1);
  e.SetSelection(10, 13);
  EXPECT_TRUE(DropBytes(e, in, 10));
  EXPECT_EQ(e.DataSize(), 64);
  EXPECT_EQ(e.GetByte(11), 0xA1);
  e.ClearSelection();
  EXPECT_TRUE(DropBytes(e, in, 0));
  EXPECT_EQ(e.DataSize(), 66);
  EXPECT_EQ(e.GetByte(0), 0xA0);
  EXPECT_EQ(e.UndoDescription(), kDataDropped);
  e.ClearSelection();
  e.SetNoSizeChange(true);
  EXPECT_FALSE(DropBytes(e, in, 66)) << "no append without size change";
  EXPECT_TRUE(DropBytes(e, test::Bytes{1, 2, 3}, 64));
  EXPECT_EQ(e.DataSize(), 66) << "overwrites only what is there";
  EXPECT_EQ(e.GetByte(65), 2);
}

TEST_F(Drop, MoveToAnotherProgramDeletesTheSelection) {
  e.SetSelection(0, 3);
  FinishDrag(e, Effect::kCopy, false);
  EXPECT_EQ(e.DataSize(), 64);
  FinishDrag(e, Effect::kMove, false);
  EXPECT_EQ(e.DataSize(), 60);
  EXPECT_EQ(e.GetByte(0), 4);
}

}  // namespace
}  // namespace hexed::drop

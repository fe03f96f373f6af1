// Undo of removals: small ones keep a copy of their bytes, large ones the
// removed pieces, released with the records that refer to them.
#include <gtest/gtest.h>

#include "hexeditor/editor/custom_hex_editor.h"
#include "test_support.h"

namespace hexed {
namespace {

using test::Bytes;

// Small removals keep a copy of their bytes; large ones the pieces only.
struct RemovalCase {
  std::int64_t count;
  bool held;
};

class UndoOfRemoval : public testing::TestWithParam<RemovalCase> {};

TEST_P(UndoOfRemoval, RestoresTheBytesAndHoldsPiecesOnlyWhenLarge) {
  const RemovalCase c = GetParam();
  TCustomQDHexEditor e;
  Bytes data(static_cast<std::size_t>(c.count + 20));
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
  test::Load(e, data);
  e.ChangeByte(3, data[3], 0xEE);  // an edit below the removed bytes
  data[3] = 0xEE;
  e.SetSelection(10, 10 + c.count - 1);
  e.DeleteSelection();
  EXPECT_EQ(e.UndoStorage().HeldCount(), c.held ? 1u : 0u);
  const std::int64_t record = e.UndoStorage().Size();
  EXPECT_EQ(record < 400, c.held || c.count < 200) << record;
  e.Undo();
  EXPECT_EQ(test::Content(e), data);
  e.Redo();
  EXPECT_EQ(e.DataSize(), 20);
  e.Undo();
  EXPECT_EQ(test::Content(e), data);
  // A new change discards the undone record and the pieces it held.
  e.ChangeByte(0, data[0], 1);
  e.Undo();
  e.ChangeByte(0, data[0], 2);
  e.ClearUndo();
  EXPECT_EQ(e.UndoStorage().HeldCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Sizes, UndoOfRemoval,
                         testing::Values(RemovalCase{16, false}, RemovalCase{undo::kHeldPiecesFrom - 1, false},
                                         RemovalCase{undo::kHeldPiecesFrom, true},
                                         RemovalCase{std::int64_t{3} << 20, true}));

TEST(UndoOfRemoval, HeldPiecesGoWithTheirRecords) {
  TCustomQDHexEditor e;
  test::Load(e, Bytes(static_cast<std::size_t>(4 * undo::kHeldPiecesFrom), 5));
  e.SetMaxUndo(1);  // every new record drops the older ones
  e.SetSelection(0, undo::kHeldPiecesFrom - 1);
  e.DeleteSelection();
  EXPECT_EQ(e.UndoStorage().HeldCount(), 1u);
  e.SetSelection(0, undo::kHeldPiecesFrom - 1);
  e.DeleteSelection();
  EXPECT_EQ(e.UndoStorage().HeldCount(), 1u) << "the dropped record's pieces are released";
  e.Undo();
  EXPECT_EQ(e.UndoStorage().HeldCount(), 1u) << "the undone record may still be redone";
  e.ChangeByte(0, 5, 6);
  EXPECT_EQ(e.UndoStorage().HeldCount(), 0u);
}

}  // namespace
}  // namespace hexed

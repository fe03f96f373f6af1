// The key table, nibble walks and character input in both fields.
#include <gtest/gtest.h>

#include "hexeditor/errors.h"
#include "test_support.h"

namespace hexed {
namespace {

using test::Bytes;

class Keys : public testing::Test {
 protected:
  void Press(int k, ShiftState shift = 0) { e.KeyDown(k, shift); }
  void Type(const std::u16string& text) {
    for (char16_t c : text) e.KeyPress(c);
  }
  Cell At(int col, GridRow row) const { return Cell{col, row}; }
  TCustomQDHexEditor e;
};

TEST_F(Keys, OverwriteTypingChangesOneNibbleAtATimeAndMarksTheByte) {
  test::Load(e, {0x41, 0x42});
  e.KeyPress(u'7');
  EXPECT_EQ(test::Content(e), (Bytes{0x71, 0x42}));
  EXPECT_EQ(e.Caret(), At(3, 2));
  e.KeyPress(u'f');
  EXPECT_EQ(test::Content(e), (Bytes{0x7F, 0x42}));
  EXPECT_EQ(e.Caret(), At(4, 2));
  EXPECT_TRUE(e.HasChangeMark(0));
  EXPECT_FALSE(e.HasChangeMark(1));
  EXPECT_EQ(e.UndoStorage().Count(), 2);
}

TEST_F(Keys, TypingTheDigitAlreadyThereRecordsNothingButMoves) {
  test::Load(e, {0x41});
  e.KeyPress(u'4');
  EXPECT_EQ(e.UndoStorage().Count(), 0);
  EXPECT_FALSE(e.HasChangeMark(0));
  EXPECT_FALSE(e.Modified());
  EXPECT_EQ(e.Caret(), At(3, 2));
}

TEST_F(Keys, TypingOnTheLastSecondNibbleStaysThere) {
  test::Load(e, {0x41, 0x42});
  e.SetCaretPosition(1, false, true);
  e.KeyPress(u'3');
  EXPECT_EQ(test::Content(e), (Bytes{0x41, 0x43}));
  EXPECT_EQ(e.Caret(), At(5, 2));
}

TEST_F(Keys, SwappedNibblesTypeTheLowNibbleFirst) {
  test::Load(e, {0x41, 0x42});
  e.SetSwapNibbles(true);
  Type(u"9c");
  EXPECT_EQ(test::Content(e), (Bytes{0xC9, 0x42}));
}

TEST_F(Keys, SwappedNibblesOverASelectionPutTheDigitInTheFirstNibbleShown) {
  test::Load(e, {0x41, 0x42, 0x43});
  e.SetSwapNibbles(true);
  e.SetInsertMode(true);
  e.SetCaretPosition(2, false, true);
  e.SetSelection(0, 1);
  e.KeyPress(u'9');
  EXPECT_EQ(test::Content(e), (Bytes{0x09, 0x43}));
  e.SetSwapNibbles(false);
  e.SetCaretPosition(1, false, true);
  e.SetSelection(0, 0);
  e.KeyPress(u'7');
  EXPECT_EQ(test::Content(e), (Bytes{0x70, 0x43}));
}

TEST_F(Keys, InsertModeOnAnEmptyBufferAppendsThenCompletesTheByte) {
  e.NewFile();
  e.SetInsertMode(true);
  e.KeyPress(u'4');
  EXPECT_EQ(test::Content(e), (Bytes{0x40}));
  EXPECT_EQ(e.Caret(), At(3, 2));
  EXPECT_EQ(e.SelCount(), 0);
  e.KeyPress(u'1');
  EXPECT_EQ(test::Content(e), (Bytes{0x41}));
  EXPECT_EQ(e.CaretPosition(), 1);
  EXPECT_EQ(e.Caret(), At(4, 2));
}

TEST_F(Keys, InsertModeWithTwoByteUnitsInsertsAWholeUnit) {
  test::Load(e, {0x11, 0x22, 0x33, 0x44});
  e.SetInsertMode(true);
  e.SetBytesPerUnit(2);
  e.SetCaretPosition(2, false);
  e.KeyPress(u'a');
  EXPECT_EQ(test::Content(e), (Bytes{0x11, 0x22, 0xA0, 0x00, 0x33, 0x44}));
  EXPECT_EQ(e.Caret(), At(7, 2));
  e.KeyPress(u'5');
  e.KeyPress(u'b');
  EXPECT_EQ(test::Content(e), (Bytes{0x11, 0x22, 0xA5, 0xB0, 0x33, 0x44}));
  EXPECT_EQ(e.Caret(), At(9, 2));
}

TEST_F(Keys, NibbleWalkInOverwriteModeStopsAtBothEnds) {
  test::Load(e, {1, 2, 3, 4});
  e.SetBytesPerRow(4);
  std::vector<int> cols;
  for (int i = 0; i < 8; ++i) {
    Press(key::kRight);
    cols.push_back(e.Caret().col);
  }
  EXPECT_EQ(cols, (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 9}));
  cols.clear();
  for (int i = 0; i < 8; ++i) {
    Press(key::kLeft);
    cols.push_back(e.Caret().col);
  }
  EXPECT_EQ(cols, (std::vector<int>{8, 7, 6, 5, 4, 3, 2, 2}));
  EXPECT_EQ(e.Caret().row, 2);
}

TEST_F(Keys, NibbleWalkInInsertModeReachesTheAppendPosition) {
  test::Load(e, {1, 2, 3, 4});
  e.SetBytesPerRow(4);
  e.SetInsertMode(true);
  EXPECT_EQ(e.RowCount(), 4);
  e.SetCaretPosition(3, false, true);
  Press(key::kRight);
  EXPECT_EQ(e.Caret(), At(2, 3));
  Press(key::kRight);
  EXPECT_EQ(e.Caret(), At(2, 3));
  Press(key::kLeft);
  EXPECT_EQ(e.Caret(), At(9, 2));
  e.SetInsertMode(false);
  EXPECT_EQ(e.RowCount(), 3);
}

TEST_F(Keys, CharacterFieldWalksByteByByteOrByCharacter) {
  test::Load(e, {1, 2, 3, 4});
  e.SetBytesPerRow(4);
  Press(key::kTab);
  EXPECT_EQ(e.Caret(), At(11, 2));
  for (int i = 0; i < 4; ++i) Press(key::kRight);
  EXPECT_EQ(e.Caret(), At(14, 2));
  e.SetInsertMode(true);
  Press(key::kRight);
  EXPECT_EQ(e.Caret(), At(11, 3));
  e.SetInsertMode(false);
  EXPECT_EQ(e.Caret(), At(14, 2)) << "insert mode off leaves the append position";
  e.SetUnicodeChars(true);
  EXPECT_EQ(e.Caret(), At(12, 2));
  Press(key::kHome);
  EXPECT_EQ(e.Caret(), At(11, 2));
  Press(key::kRight);
  EXPECT_EQ(e.Caret(), At(12, 2));
  EXPECT_EQ(e.CaretPosition(), 2);
  Press(key::kRight);
  EXPECT_EQ(e.Caret(), At(12, 2));
  Press(key::kLeft);
  EXPECT_EQ(e.CaretPosition(), 0);
}

TEST_F(Keys, UpDownHomeEndStayOnTheData) {
  test::Load(e, test::Sequence(10));
  e.SetBytesPerRow(4);
  e.SetCaretPosition(1, false, true);
  Press(key::kDown);
  EXPECT_EQ(e.Caret(), At(5, 3));
  Press(key::kDown);
  EXPECT_EQ(e.Caret(), At(5, 4));
  Press(key::kDown);
  EXPECT_EQ(e.Caret(), At(5, 4));
  e.SetCaretPosition(7, false, true);
  Press(key::kDown);
  EXPECT_EQ(e.Caret(), At(4, 4)) << "below the data: the last byte";
  e.SetCaretPosition(6, false, true);
  Press(key::kHome);
  EXPECT_EQ(e.Caret(), At(2, 3));
  Press(key::kEnd);
  EXPECT_EQ(e.Caret(), At(9, 3));
  Press(key::kEnd, kCtrlKey);
  EXPECT_EQ(e.Caret(), At(4, 4));
  Press(key::kEnd);
  EXPECT_EQ(e.Caret(), At(5, 4));
  Press(key::kHome, kCtrlKey);
  EXPECT_EQ(e.Caret(), At(2, 2));
  Press(key::kUp);
  EXPECT_EQ(e.Caret(), At(2, 2));
  Press(key::kTab);
  Press(key::kEnd);
  EXPECT_EQ(e.Caret(), At(14, 2));
  Press(key::kLeft, kCtrlKey);
  EXPECT_EQ(e.Caret(), At(2, 2));
  Press(key::kRight, kCtrlKey);
  EXPECT_EQ(e.Caret(), At(14, 2));
}

TEST_F(Keys, PageKeysMoveAndScrollByTheVisibleRows) {
  test::Load(e, test::Sequence(100));
  e.SetBytesPerRow(4);
  e.SetCharMetrics(8, 14);
  e.SetClientSize(400, 80);
  ASSERT_EQ(e.VisibleRowCount(), 5);
  int scrolls = 0;
  e.OnTopLeftChanged = [&] { ++scrolls; };
  Press(key::kPageDown);
  EXPECT_EQ(e.Caret(), At(2, 6));
  EXPECT_EQ(e.TopRow(), 6);
  Press(key::kPageDown, kCtrlKey);
  EXPECT_EQ(e.Caret(), At(2, 10));
  Press(key::kPageUp, kCtrlKey);
  EXPECT_EQ(e.Caret(), At(2, 6));
  Press(key::kPageUp);
  EXPECT_EQ(e.Caret(), At(2, 2));
  EXPECT_EQ(e.TopRow(), 2);
  for (int i = 0; i < 10; ++i) Press(key::kPageDown);
  EXPECT_EQ(e.Caret(), At(2, 26));
  EXPECT_EQ(e.TopRow(), 22);
  EXPECT_GE(scrolls, 3);
}

TEST_F(Keys, TabSwitchesToTheSameByteInTheOtherField) {
  test::Load(e, test::Sequence(20));
  e.SetCaretPosition(5, false, true);
  Press(key::kTab);
  EXPECT_EQ(e.Caret(), At(35 + 5, 2));
  Press(key::kTab, kShiftKey);
  EXPECT_EQ(e.Caret(), At(12, 2));
  Press(key::kT, kCtrlKey);
  EXPECT_TRUE(e.CaretInCharField());
}

TEST_F(Keys, DeleteNeedsInsertModeOrCtrlAndBackspaceOnlyStepsInOverwrite) {
  test::Load(e, {1, 2, 3, 4});
  e.SetCaretPosition(1, false);
  Press(key::kDelete);
  EXPECT_EQ(test::Content(e), (Bytes{1, 2, 3, 4}));
  Press(key::kDelete, kCtrlKey);
  EXPECT_EQ(test::Content(e), (Bytes{1, 3, 4}));
  EXPECT_EQ(e.CaretPosition(), 1);
  Press(key::kBack);
  EXPECT_EQ(test::Content(e), (Bytes{1, 3, 4}));
  EXPECT_EQ(e.Caret(), At(3, 2));
  e.SetBytesPerUnit(2);
  e.SetCaretPosition(1, false);
  Press(key::kDelete, kCtrlKey);
  EXPECT_EQ(test::Content(e), (Bytes{4}));
}

TEST_F(Keys, BackspaceInInsertModeRemovesTheUnitBeforeTheCaret) {
  test::Load(e, {1, 2, 3, 4, 5});
  e.SetInsertMode(true);
  e.SetBytesPerUnit(2);
  e.SetCaretPosition(5, false);
  Press(key::kBack);
  EXPECT_EQ(test::Content(e), (Bytes{1, 2, 3, 4})) << "odd size: only the last byte";
  EXPECT_EQ(e.CaretPosition(), 4);
  EXPECT_EQ(e.Caret(), At(10, 2));
  Press(key::kBack);
  EXPECT_EQ(test::Content(e), (Bytes{1, 2}));
  EXPECT_EQ(e.CaretPosition(), 2);
  e.SetCaretPosition(1, false);
  Press(key::kBack);
  EXPECT_EQ(test::Content(e), (Bytes{1, 2})) << "nothing before the first unit";
  e.SetSelection(0, 1);
  Press(key::kBack);
  EXPECT_EQ(e.DataSize(), 0);
}

TEST_F(Keys, DeleteInInsertModeRemovesSelectionOrUnit) {
  test::Load(e, {1, 2, 3, 4, 5, 6});
  e.SetInsertMode(true);
  e.SetSelection(1, 2);
  Press(key::kDelete);
  EXPECT_EQ(test::Content(e), (Bytes{1, 4, 5, 6}));
  EXPECT_EQ(e.CaretPosition(), 1);
  Press(key::kDelete);
  EXPECT_EQ(test::Content(e), (Bytes{1, 5, 6}));
  e.SetCaretPosition(3, false);
  Press(key::kDelete);
  EXPECT_EQ(test::Content(e), (Bytes{1, 5, 6})) << "nothing at the append position";
}

TEST_F(Keys, ReadOnlyViewChangesNothing) {
  test::Load(e, {1, 2, 3});
  e.ChangeByte(0, 1, 9);
  e.SetReadOnlyView(true);
  Type(u"5a");
  Press(key::kDelete, kCtrlKey);
  Press(key::kBack);
  Press(key::kZ, kCtrlKey);
  Press(key::kInsert);
  Press(key::kTab);
  Type(u"xy");
  EXPECT_EQ(test::Content(e), (Bytes{9, 2, 3}));
  EXPECT_FALSE(e.InsertMode());
  EXPECT_EQ(e.EffectiveCaretKind(), ckBottom);
}

TEST_F(Keys, NoSizeChangeRefusesInsertModeAndPasteOverwrites) {
  test::Load(e, test::Sequence(8));
  e.SetNoSizeChange(true);
  Press(key::kInsert);
  EXPECT_FALSE(e.InsertMode());
  e.SetSelection(2, 5);
  const Bytes six = test::Sequence(6, 0xA0);
  e.PasteBytes(six.data(), 6, "Paste from clipboard");
  EXPECT_EQ(test::Content(e), (Bytes{0, 1, 0xA0, 0xA1, 0xA2, 0xA3, 6, 7}));
  e.ClearSelection();
  e.SetCaretPosition(6, false);
  e.PasteBytes(six.data(), 6, "Paste from clipboard");
  EXPECT_EQ(test::Content(e), (Bytes{0, 1, 0xA0, 0xA1, 0xA2, 0xA3, 0xA0, 0xA1}));
}

TEST_F(Keys, PasteDropsBytesBeyondAWholeUnitAndStartsAtTheUnit) {
  test::Load(e, {1, 2, 3, 4});
  e.SetBytesPerUnit(2);
  e.SetCaretPosition(3, false);
  const Bytes five = test::Sequence(5, 0xB0);
  e.PasteBytes(five.data(), 5, "Paste from clipboard");
  EXPECT_EQ(test::Content(e), (Bytes{1, 2, 0xB0, 0xB1, 0xB2, 0xB3, 3, 4}));
  EXPECT_EQ(e.UndoDescription(), "Paste from clipboard");
}

TEST_F(Keys, ShiftRightTwiceSelectsThreeBytesInOverwriteMode) {
  test::Load(e, test::Sequence(8));
  Press(key::kShift, kShiftKey);
  Press(key::kRight, kShiftKey);
  Press(key::kRight, kShiftKey);
  EXPECT_EQ(e.SelStart(), 0);
  EXPECT_EQ(e.SelEnd(), 2);
  EXPECT_EQ(e.Caret(), At(6, 2));
  Press(key::kLeft, kShiftKey);
  EXPECT_EQ(e.SelEnd(), 1);
  Press(key::kRight);
  EXPECT_EQ(e.SelCount(), 0) << "a plain key drops the selection";
}

TEST_F(Keys, ShiftSelectionWithUnitsWidensToWholeUnits) {
  test::Load(e, test::Sequence(8));
  e.SetBytesPerUnit(4);
  Press(key::kShift, kShiftKey);
  Press(key::kRight, kShiftKey);
  EXPECT_EQ(e.SelStart(), 0);
  EXPECT_EQ(e.SelEnd(), 7);
  EXPECT_EQ(e.CaretPosition(), 4);
}

TEST_F(Keys, InsertModeSelectionEndsBeforeTheCaret) {
  test::Load(e, test::Sequence(8));
  e.SetInsertMode(true);
  Press(key::kShift, kShiftKey);
  Press(key::kRight, kShiftKey);
  EXPECT_EQ(e.SelCount(), 1);
  EXPECT_EQ(e.SelEnd(), 0);
  Press(key::kRight, kShiftKey);
  EXPECT_EQ(e.SelEnd(), 1);
  Press(key::kLeft, kShiftKey);
  Press(key::kLeft, kShiftKey);
  EXPECT_EQ(e.SelCount(), 0);
  EXPECT_TRUE(e.SelectionMode());
  e.ClearSelection();
  e.SetCaretPosition(5, false);
  Press(key::kShift, kShiftKey);
  Press(key::kLeft, kShiftKey);
  Press(key::kLeft, kShiftKey);
  EXPECT_EQ(e.SelStart(), 3);
  EXPECT_EQ(e.SelEnd(), 4);
}

TEST_F(Keys, TypingOverASelectionReplacesInInsertModeAndOverwritesOtherwise) {
  test::Load(e, {1, 2, 3, 4});
  e.SetInsertMode(true);
  e.SetCaretPosition(3, true);
  e.SetSelection(1, 2);
  e.KeyPress(u'Z');
  EXPECT_EQ(test::Content(e), (Bytes{1, 'Z', 4}));
  EXPECT_EQ(e.CaretPosition(), 2);
  EXPECT_EQ(e.SelCount(), 0);
  e.SetInsertMode(false);
  e.SetCaretPosition(0, true);
  e.SetSelection(1, 2);
  e.KeyPress(u'Y');
  EXPECT_EQ(test::Content(e), (Bytes{'Y', 'Z', 4}));
  EXPECT_EQ(e.CaretPosition(), 1);
  e.SetInsertMode(true);
  e.SetCaretPosition(0, false);
  e.SetSelection(0, 1);
  e.KeyPress(u'c');
  EXPECT_EQ(test::Content(e), (Bytes{0xC0, 4}));
  EXPECT_EQ(e.Caret(), At(3, 2));
}

TEST_F(Keys, CharacterFieldInsertsAndAppendsInInsertMode) {
  test::Load(e, {'a', 'b'});
  e.SetInsertMode(true);
  e.SetCaretPosition(1, true);
  e.KeyPress(u'X');
  EXPECT_EQ(test::Content(e), (Bytes{'a', 'X', 'b'}));
  EXPECT_EQ(e.CaretPosition(), 2);
  e.SetCaretPosition(3, true);
  Type(u"YZ");
  EXPECT_EQ(test::Content(e), (Bytes{'a', 'X', 'b', 'Y', 'Z'}));
  EXPECT_EQ(e.CaretPosition(), 5);
}

TEST_F(Keys, InvalidCharactersFireOnInvalidKeyAndMaskedOnesAreIgnored) {
  test::Load(e, {1, 2});
  int invalid = 0;
  e.OnInvalidKey = [&] { ++invalid; };
  Type(u"g\t\r");
  EXPECT_EQ(invalid, 1);
  Press(key::kTab);
  e.KeyPress(u'\x1b');
  EXPECT_EQ(invalid, 1);
  e.SetTranslation(tkASCII);
  e.KeyPress(u'\xe9');
  EXPECT_EQ(invalid, 2);
  EXPECT_EQ(test::Content(e), (Bytes{1, 2}));
  e.SetTranslation(tkBCD);
  e.KeyPress(u'A');
  EXPECT_EQ(test::Content(e), (Bytes{0xC1, 2}));
}

TEST_F(Keys, UnicodeCharactersGoInInTheChosenByteOrder) {
  test::Load(e, {0, 0, 0, 0});
  e.SetUnicodeChars(true);
  Press(key::kTab);
  e.KeyPress(u'A');
  EXPECT_EQ(test::Content(e), (Bytes{0x41, 0, 0, 0}));
  EXPECT_EQ(e.CaretPosition(), 2);
  e.SetUnicodeBigEndian(true);
  e.KeyPress(u'\u4e2d');
  EXPECT_EQ(test::Content(e), (Bytes{0x41, 0, 0x4E, 0x2D}));
  EXPECT_TRUE(e.HasChangeMark(2));
  EXPECT_TRUE(e.HasChangeMark(3));
  EXPECT_FALSE(e.HasChangeMark(1));
}

TEST_F(Keys, BookmarkKeysSetAndGo) {
  test::Load(e, test::Sequence(30));
  e.SetCaretPosition(5, true);
  Press(key::k0 + 3, kCtrlKey | kShiftKey);
  EXPECT_EQ(e.GetBookmark(3).pos, 5);
  EXPECT_TRUE(e.GetBookmark(3).inCharField);
  e.SetCaretPosition(20, false);
  Press(key::k0 + 3, kCtrlKey);
  EXPECT_EQ(e.CaretPosition(), 5);
  EXPECT_TRUE(e.CaretInCharField());
}

TEST_F(Keys, CtrlAUndoAndRedo) {
  test::Load(e, {1, 2, 3});
  Press(key::kA, kCtrlKey);
  EXPECT_EQ(e.SelCount(), 3);
  EXPECT_EQ(e.CaretPosition(), 2);
  e.KeyPress(u'9');
  EXPECT_EQ(test::Content(e), (Bytes{1, 2, 0x93}));
  Press(key::kZ, kCtrlKey);
  EXPECT_EQ(test::Content(e), (Bytes{1, 2, 3}));
  Press(key::kZ, kCtrlKey | kShiftKey);
  EXPECT_EQ(test::Content(e), (Bytes{1, 2, 0x93}));
}

TEST_F(Keys, HandlersRunFirstAndMayStopOrChangeInput) {
  test::Load(e, {0x11});
  e.OnKeyDown = [](int& k, ShiftState) {
    if (k == key::kRight) k = 0;
  };
  e.OnKeyPress = [](char16_t& c) { c = c == u'x' ? u'5' : c; };
  Press(key::kRight);
  EXPECT_EQ(e.Caret(), At(2, 2));
  e.KeyPress(u'x');
  EXPECT_EQ(test::Content(e), (Bytes{0x51}));
}

TEST_F(Keys, InsertKeyTogglesAndTheCaretShapeFollows) {
  test::Load(e, {1});
  EXPECT_EQ(e.EffectiveCaretKind(), ckFull);
  Press(key::kInsert);
  EXPECT_TRUE(e.InsertMode());
  EXPECT_EQ(e.EffectiveCaretKind(), ckLeft);
  Press(key::kInsert, kShiftKey);
  EXPECT_TRUE(e.InsertMode());
  e.SetAllowInsertMode(false);
  EXPECT_FALSE(e.InsertMode());
  Press(key::kInsert);
  EXPECT_FALSE(e.InsertMode());
}

TEST_F(Keys, SelectionAndSeekProperties) {
  test::Load(e, test::Sequence(10));
  e.SetSelStart(3);
  e.SetSelEnd(6);
  EXPECT_EQ(e.SelStart(), 3);
  EXPECT_EQ(e.SelCount(), 4);
  e.SetSelEnd(-1);
  EXPECT_EQ(e.SelCount(), 0);
  EXPECT_THROW(e.SetSelStart(10), EQDHexEditor);
  try {
    e.SetSelEnd(10);
    ADD_FAILURE();
  } catch (const EQDHexEditor& ex) {
    EXPECT_STREQ(ex.what(), "Invalid selection end");
  }
  EXPECT_EQ(e.Seek(4, 0), 4);
  EXPECT_EQ(e.Seek(-2, 1), 2);
  EXPECT_EQ(e.Seek(-1, 2), 8);
  EXPECT_EQ(e.Seek(100, 0), 9);
  EXPECT_EQ(e.Seek(100, 7), 9);
  EXPECT_EQ(e.CaretPosition(), 9);
  e.NewFile();
  EXPECT_EQ(e.Seek(0, 0), -1);
}

// A Chinese character typed into the character field stores its two GBK bytes
// as one change; overwriting never grows the data, so a pair needs two bytes.
TEST_F(Keys, ChineseCharacterTypesItsTwoCodePageBytes) {
  struct Row {
    bool insert;
    Bytes start;
    std::int32_t caret;
    Bytes want;
    std::int32_t caretAfter;
    int invalidKeys;
  };
  const Row rows[] = {
      {false, {0x41, 0x42, 0x43}, 0, {0xD6, 0xD0, 0x43}, 2, 0},
      {false, {0x41, 0x42, 0x43}, 2, {0x41, 0x42, 0x43}, 2, 1},
      {true, {0x41, 0x42}, 1, {0x41, 0xD6, 0xD0, 0x42}, 3, 0},
      {true, {0x41}, 1, {0x41, 0xD6, 0xD0}, 3, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.caret);
    TCustomQDHexEditor ed;
    int invalid = 0;
    ed.OnInvalidKey = [&] { ++invalid; };
    test::Load(ed, row.start);
    ed.SetInsertMode(row.insert);
    ed.SetCaretPosition(row.caret, true);
    ed.KeyPress(u'\u4E2D');  // 中
    EXPECT_EQ(test::Content(ed), row.want);
    EXPECT_EQ(ed.CaretPosition(), row.caretAfter);
    EXPECT_EQ(invalid, row.invalidKeys);
    if (row.invalidKeys == 0) {
      EXPECT_EQ(ed.UndoStorage().Count(), 1);
      ed.Undo();
      EXPECT_EQ(test::Content(ed), row.start);
    }
  }
}

}  // namespace
}  // namespace hexed

// Undo and redo: symmetry for every kind, the one redo step, grouping,
// suspension, refusals, marks and bookmarks.
#include <gtest/gtest.h>

#include <functional>

#include "hexeditor/errors.h"
#include "test_support.h"

namespace hexed {
namespace {

using test::Bytes;

struct Snapshot {
  Bytes data;
  Cell caret;
  std::int32_t selStart = 0;
  std::int32_t selCount = 0;
  bool modified = false;
  bool insertMode = false;
  std::vector<bool> marks;
  std::vector<std::int32_t> bookmarks;
};

Snapshot Take(const TCustomQDHexEditor& e) {
  Snapshot s;
  s.data = test::Content(e);
  s.caret = e.Caret();
  s.selStart = e.SelCount() > 0 ? e.SelStart() : -1;
  s.selCount = e.SelCount();
  s.modified = e.Modified();
  s.insertMode = e.InsertMode();
  for (std::int32_t p = 0; p < e.DataSize() + 2; ++p) s.marks.push_back(e.HasChangeMark(p));
  for (int i = 0; i < kBookmarkCount; ++i) s.bookmarks.push_back(e.GetBookmark(i).pos);
  return s;
}

testing::AssertionResult Same(const Snapshot& want, const Snapshot& got) {
  if (want.data != got.data) return testing::AssertionFailure() << "data differs";
  if (want.caret != got.caret) {
    return testing::AssertionFailure() << "caret (" << got.caret.col << "," << got.caret.row << ") want ("
                                       << want.caret.col << "," << want.caret.row << ")";
  }
  if (want.selStart != got.selStart || want.selCount != got.selCount) {
    return testing::AssertionFailure() << "selection " << got.selStart << "+" << got.selCount << " want "
                                       << want.selStart << "+" << want.selCount;
  }
  if (want.modified != got.modified) return testing::AssertionFailure() << "modified " << got.modified;
  if (want.insertMode != got.insertMode) return testing::AssertionFailure() << "insert mode";
  if (want.marks != got.marks) return testing::AssertionFailure() << "change marks differ";
  if (want.bookmarks != got.bookmarks) return testing::AssertionFailure() << "bookmarks differ";
  return testing::AssertionSuccess();
}

struct SymmetryCase {
  const char* name;
  std::function<void(TCustomQDHexEditor&)> setup;
  std::function<void(TCustomQDHexEditor&)> change;
};

void PrintTo(const SymmetryCase& c, std::ostream* os) { *os << c.name; }

const Bytes kFive = {0xA1, 0xA2, 0xA3, 0xA4, 0xA5};

std::vector<SymmetryCase> Cases() {
  return {
      {"ChangeByteRestoresMark",
       [](TCustomQDHexEditor& e) {
         e.ChangeByte(5, 0x45, 0x11);
         e.ClearUndo();
         e.SetCaretPosition(5, false, true);
       },
       [](TCustomQDHexEditor& e) { e.ChangeByte(5, 0x11, 0x99); }},
      {"ChangeWordInCharField", [](TCustomQDHexEditor& e) { e.SetCaretPosition(8, true); },
       [](TCustomQDHexEditor& e) { e.ChangeWord(8, 0x4948, 0x5958); }},
      {"DeleteSelection",
       [](TCustomQDHexEditor& e) {
         e.SetBookmark(0, 30, false);
         e.SetSelection(3, 9);
       },
       [](TCustomQDHexEditor& e) { e.DeleteSelection(); }},
      {"InsertBuffer", [](TCustomQDHexEditor& e) { e.SetBookmark(1, 30, true); },
       [](TCustomQDHexEditor& e) { e.InsertBuffer(kFive.data(), 5, 10, true); }},
      {"InsertBufferAtAppendPositionInInsertMode",
       [](TCustomQDHexEditor& e) {
         e.SetInsertMode(true);
         e.SetCaretPosition(37, false);
       },
       [](TCustomQDHexEditor& e) { e.InsertBuffer(kFive.data(), 5, 37, true); }},
      {"ReplaceGrowing",
       [](TCustomQDHexEditor& e) {
         e.SetBookmark(2, 30, false);
         e.SetSelection(2, 3);
       },
       [](TCustomQDHexEditor& e) {
         const Bytes seven = test::Sequence(7, 0xC0);
         e.ReplaceSelection(seven.data(), 7, true);
       }},
      {"ReplaceShrinking",
       [](TCustomQDHexEditor& e) {
         e.SetBookmark(2, 30, false);
         e.SetBookmark(3, 13, false);
         e.SetSelection(2, 12);
       },
       [](TCustomQDHexEditor& e) { e.ReplaceSelection(kFive.data(), 2, false); }},
      {"AppendBuffer", [](TCustomQDHexEditor& e) { e.SetCaretPosition(20, true); },
       [](TCustomQDHexEditor& e) { e.AppendBuffer(kFive.data(), 3, true); }},
      {"InsertNibbleHigh", [](TCustomQDHexEditor&) {},
       [](TCustomQDHexEditor& e) {
         e.RecordUndo(UndoKind::kInsertNibble, 7, "", 0, 1);
         e.InsertNibble(7, true);
       }},
      {"InsertNibbleLow", [](TCustomQDHexEditor&) {},
       [](TCustomQDHexEditor& e) {
         e.RecordUndo(UndoKind::kInsertNibble, 36, "", 0, 1);
         e.InsertNibble(36, false);
       }},
      {"DeleteNibbleHigh", [](TCustomQDHexEditor&) {},
       [](TCustomQDHexEditor& e) {
         e.RecordUndo(UndoKind::kDeleteNibble, 0, "", 0, 1);
         e.DeleteNibble(0, true);
       }},
      {"DeleteNibbleLow", [](TCustomQDHexEditor&) {},
       [](TCustomQDHexEditor& e) {
         e.RecordUndo(UndoKind::kDeleteNibble, 12, "", 0, 1);
         e.DeleteNibble(12, false);
       }},
      {"Convert", [](TCustomQDHexEditor&) {},
       [](TCustomQDHexEditor& e) {
         e.RecordUndo(UndoKind::kConvert, 4, "", 0, 5);
         e.WriteBytes(kFive.data(), 4, 5);
       }},
      {"WholeBufferSnapshot", [](TCustomQDHexEditor&) {},
       [](TCustomQDHexEditor& e) {
         e.RecordUndo(UndoKind::kAllDataSaved, 0, "", 0, 0);
         e.DeleteBytes(0, 30);
         e.InsertBytes(kFive.data(), 5, 2);
       }},
  };
}

class UndoSymmetry : public testing::TestWithParam<SymmetryCase> {};

TEST_P(UndoSymmetry, UndoRedoUndoReturnsToEachState) {
  TCustomQDHexEditor e;
  test::Load(e, test::Sequence(37, 0x40));
  GetParam().setup(e);
  const Snapshot before = Take(e);
  GetParam().change(e);
  const Snapshot after = Take(e);
  ASSERT_NE(before.data == after.data && before.modified == after.modified, true);
  ASSERT_TRUE(e.CanUndo());
  e.Undo();
  EXPECT_TRUE(Same(before, Take(e))) << "first undo";
  ASSERT_TRUE(e.CanRedo());
  e.Redo();
  EXPECT_TRUE(Same(after, Take(e))) << "redo";
  EXPECT_FALSE(e.CanRedo());
  e.Undo();
  EXPECT_TRUE(Same(before, Take(e))) << "second undo";
}

INSTANTIATE_TEST_SUITE_P(EveryKind, UndoSymmetry, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<SymmetryCase>& i) { return std::string(i.param.name); });

TEST(Undo, CursorMovementRecordPutsCaretAndSelectionBack) {
  TCustomQDHexEditor e;
  test::Load(e, test::Sequence(20));
  e.RecordUndo(UndoKind::kCursorMovement, 3, "", 0, 2);
  e.SetCaretPosition(15, true);
  e.Undo();
  EXPECT_EQ(e.CaretPosition(), 3);
  EXPECT_EQ(e.SelStart(), 3);
  EXPECT_EQ(e.SelEnd(), 4);
  EXPECT_EQ(test::Content(e), test::Sequence(20));
}

TEST(Undo, NothingToUndoAfterLoadAndNoRedoAfterANewChange) {
  TCustomQDHexEditor e;
  test::Load(e, {1, 2, 3});
  EXPECT_FALSE(e.CanUndo());
  e.Undo();
  EXPECT_EQ(test::Content(e), (Bytes{1, 2, 3}));
  e.ChangeByte(0, 1, 9);
  e.Undo();
  EXPECT_TRUE(e.CanRedo());
  e.ChangeByte(1, 2, 8);
  EXPECT_FALSE(e.CanRedo());
  e.Redo();
  EXPECT_EQ(test::Content(e), (Bytes{1, 8, 3}));
}

TEST(Undo, UndoUndoRedoReappliesOnlyTheSecondUndoneStep) {
  TCustomQDHexEditor e;
  test::Load(e, {1, 2, 3});
  e.ChangeByte(0, 1, 9);
  e.ChangeByte(1, 2, 8);
  e.Undo();
  e.Undo();
  EXPECT_EQ(test::Content(e), (Bytes{1, 2, 3}));
  e.Redo();
  EXPECT_EQ(test::Content(e), (Bytes{9, 2, 3}));
  EXPECT_FALSE(e.CanRedo());
  e.Redo();
  EXPECT_EQ(test::Content(e), (Bytes{9, 2, 3}));
  EXPECT_EQ(e.UndoStorage().Count(), 1);
}

TEST(Undo, GroupIsUndoneInOneStepAndCannotBeRedone) {
  TCustomQDHexEditor e;
  test::Load(e, {1, 2, 3, 4});
  e.ChangeByte(3, 4, 40);
  e.ChangeByte(0, 1, 10);
  e.InsertBuffer(test::Sequence(2, 0x70).data(), 2, 1, false);
  e.DeleteSelection();
  e.GroupUndo(3, "typing");
  EXPECT_EQ(e.UndoDescription(), "typing");
  EXPECT_EQ(e.UndoStorage().Count(), 5);
  e.Undo();
  EXPECT_EQ(test::Content(e), (Bytes{1, 2, 3, 40}));
  EXPECT_EQ(e.UndoStorage().Count(), 1);
  EXPECT_FALSE(e.CanRedo());
  EXPECT_EQ(e.UndoDescription(), "Change byte(s)");
}

TEST(Undo, NestedGroupsUndoTogether) {
  TCustomQDHexEditor e;
  test::Load(e, {1, 2, 3});
  e.ChangeByte(0, 1, 10);
  e.ChangeByte(1, 2, 20);
  e.GroupUndo(2, "");
  e.ChangeByte(2, 3, 30);
  e.GroupUndo(2, "");
  e.Undo();
  EXPECT_EQ(test::Content(e), (Bytes{1, 2, 3}));
  EXPECT_EQ(e.UndoStorage().Count(), 0);
}

TEST(Undo, SuspendedStorageRecordsNothingButMarksModified) {
  TCustomQDHexEditor e;
  test::Load(e, {1, 2, 3});
  e.ChangeByte(0, 1, 10);
  e.SuspendUndo();
  e.SuspendUndo();
  EXPECT_FALSE(e.CanUndo());
  e.ChangeByte(1, 2, 20);
  EXPECT_EQ(e.UndoStorage().Count(), 1);
  e.ResumeUndo();
  EXPECT_FALSE(e.CanUndo());
  e.ResumeUndo();
  e.ResumeUndo();
  EXPECT_EQ(e.UndoStorage().UpdateCount(), 0);
  EXPECT_TRUE(e.CanUndo());
  e.Undo();
  EXPECT_EQ(test::Content(e), (Bytes{1, 20, 3}));
  EXPECT_FALSE(e.Modified());
}

TEST(Undo, ReadOnlyViewHidesUndoButTheCallStillWorks) {
  TCustomQDHexEditor e;
  test::Load(e, {1, 2, 3});
  e.ChangeByte(0, 1, 10);
  e.SetReadOnlyView(true);
  EXPECT_FALSE(e.CanUndo());
  e.Undo();
  EXPECT_EQ(test::Content(e), (Bytes{1, 2, 3}));
  EXPECT_FALSE(e.CanRedo());
  e.Redo();
  EXPECT_EQ(test::Content(e), (Bytes{10, 2, 3}));
}

void ExpectRefused(const std::function<void()>& op, TCustomQDHexEditor& e) {
  const Bytes before = test::Content(e);
  const std::int32_t count = e.UndoStorage().Count();
  try {
    op();
    ADD_FAILURE() << "not refused";
  } catch (const EQDHexEditor& ex) {
    EXPECT_STREQ(ex.what(), "Cannot update undo storage");
  }
  EXPECT_EQ(test::Content(e), before);
  EXPECT_EQ(e.UndoStorage().Count(), count);
}

TEST(UndoRefusals, NoSizeChangeRefusesEverySizeChange) {
  TCustomQDHexEditor e;
  test::Load(e, {1, 2, 3, 4, 5, 6});
  e.ChangeByte(0, 1, 11);
  e.Undo();
  e.SetNoSizeChange(true);
  e.SetSelection(1, 2);
  ExpectRefused([&] { e.DeleteSelection(); }, e);
  ExpectRefused([&] { e.InsertBuffer(kFive.data(), 2, 0, false); }, e);
  ExpectRefused([&] { e.AppendBuffer(kFive.data(), 2, false); }, e);
  ExpectRefused([&] { e.DeleteUnit(false); }, e);
  ExpectRefused([&] { e.RecordUndo(UndoKind::kReplace, 0, "", 2, 3); }, e);
  ExpectRefused([&] { e.RecordUndo(UndoKind::kInsertNibble, 0, "", 0, 1); }, e);
  EXPECT_TRUE(e.CanRedo()) << "a refused change keeps the redo step";
  // Same-length replaces and overwrites stay possible; longer data is cut.
  e.ReplaceSelection(kFive.data(), 5, true);
  EXPECT_EQ(test::Content(e), (Bytes{1, 0xA1, 0xA2, 4, 5, 6}));
  e.ChangeByte(5, 6, 7);
  EXPECT_EQ(e.DataSize(), 6);
}

TEST(UndoRefusals, AnEmptyBufferTakesInsertsAndAppendsOnly) {
  TCustomQDHexEditor e;
  ExpectRefused([&] { e.RecordUndo(UndoKind::kChangeBytes, 0, "", 0, 1); }, e);
  ExpectRefused([&] { e.RecordUndo(UndoKind::kConvert, 0, "", 0, 0); }, e);
  ExpectRefused([&] { e.GroupUndo(1, ""); }, e);
  e.AppendBuffer(kFive.data(), 2, true);
  EXPECT_EQ(test::Content(e), (Bytes{0xA1, 0xA2}));
  e.DeleteBytes(0, 2);
  e.InsertBuffer(kFive.data(), 1, 0, false);
  EXPECT_EQ(test::Content(e), (Bytes{0xA1}));
  EXPECT_THROW(e.RecordUndo(UndoKind::kChangeBytes, 0, "", 0, 2), EQDHexEditor);
  EXPECT_EQ(e.UndoStorage().Count(), 2);
}

TEST(UndoDescriptions, DefaultsAndTheNewestRecordAfterUndoAndRedo) {
  TCustomQDHexEditor e;
  test::Load(e, {1, 2, 3, 4});
  EXPECT_EQ(e.UndoDescription(), "");
  e.ChangeByte(0, 1, 2);
  EXPECT_EQ(e.UndoDescription(), "Change byte(s)");
  e.SetSelection(1, 1);
  e.DeleteSelection("Cut to clipboard");
  EXPECT_EQ(e.UndoDescription(), "Cut to clipboard");
  e.Undo();
  EXPECT_EQ(e.UndoDescription(), "Change byte(s)");
  e.Redo();
  EXPECT_EQ(e.UndoDescription(), "Cut to clipboard");
  e.InsertBuffer(kFive.data(), 1, 0, false);
  EXPECT_EQ(e.UndoDescription(), "Insert buffer");
  e.SetSelection(0, 0);
  e.ReplaceSelection(kFive.data(), 2, false);
  EXPECT_EQ(e.UndoDescription(), "Replace");
  e.AppendBuffer(kFive.data(), 1, false);
  EXPECT_EQ(e.UndoDescription(), "Append buffer");
  e.RecordUndo(UndoKind::kAllDataSaved, 0, "", 0, 0);
  EXPECT_EQ(e.UndoDescription(), "All data saved");
}

TEST(ChangeMarks, OverwritesMarkInsertModeClearsAndSizeChangesCut) {
  TCustomQDHexEditor e;
  test::Load(e, test::Sequence(8));
  e.ChangeByte(2, 2, 0x22);
  e.ChangeByte(6, 6, 0x66);
  EXPECT_TRUE(e.HasChangeMark(2));
  EXPECT_FALSE(e.HasChangeMark(3));
  e.InsertBuffer(kFive.data(), 1, 4, false);
  EXPECT_TRUE(e.HasChangeMark(2));
  EXPECT_FALSE(e.HasChangeMark(7));
  e.SetInsertMode(true);
  EXPECT_FALSE(e.HasChangeMark(2));
  e.ChangeByte(0, 0, 0x10);
  e.SetInsertMode(false);
  EXPECT_FALSE(e.HasChangeMark(0));
  EXPECT_FALSE(e.HasChangeMark(2));
}

TEST(ChangeMarks, AWordChangeSetsOrClearsEachByteMark) {
  TCustomQDHexEditor e;
  test::Load(e, {0x10, 0x20, 0x30, 0x40});
  e.ChangeByte(1, 0x20, 0x21);
  ASSERT_TRUE(e.HasChangeMark(1));
  e.ChangeWord(0, 0x2110, 0x2111);
  EXPECT_TRUE(e.HasChangeMark(0));
  EXPECT_FALSE(e.HasChangeMark(1)) << "the byte this change left alone loses its mark";
  e.ChangeWord(2, 0x4030, 0x4130);
  EXPECT_FALSE(e.HasChangeMark(2));
  EXPECT_TRUE(e.HasChangeMark(3));
  e.Undo();
  EXPECT_FALSE(e.HasChangeMark(3));
  e.Undo();
  EXPECT_TRUE(e.HasChangeMark(1)) << "undo puts the recorded marks back";
  EXPECT_FALSE(e.HasChangeMark(0));
}

TEST(ChangeMarks, UndoingANibbleShiftDropsTheMarksFromItsPosition) {
  for (const UndoKind kind : {UndoKind::kInsertNibble, UndoKind::kDeleteNibble}) {
    TCustomQDHexEditor e;
    test::Load(e, test::Sequence(6, 0x10));
    e.ChangeByte(1, 0x11, 0x91);
    e.ChangeByte(2, 0x12, 0x92);
    e.ChangeByte(4, 0x14, 0x94);
    const Bytes before = test::Content(e);
    e.RecordUndo(kind, 2, "", 0, 1);
    const auto& stream = e.UndoStorage().Bytes();
    EXPECT_NE(undo::GetInt32(stream.data() + *e.UndoStorage().NewestOffset() + undo::kOffFlags) & undo::kFlagMarkAtPos, 0)
        << "mark recorded";
    if (kind == UndoKind::kInsertNibble) {
      e.InsertNibble(2, true);
    } else {
      e.DeleteNibble(2, true);
    }
    e.Undo();
    EXPECT_EQ(test::Content(e), before);
    EXPECT_TRUE(e.HasChangeMark(1));
    EXPECT_FALSE(e.HasChangeMark(2)) << "the recorded mark of pos is dropped with the rest";
    EXPECT_FALSE(e.HasChangeMark(4));
  }
}

TEST(ChangeMarks, UndoAndRedoOfASizeChangeKeepTheMarksBeforeIt) {
  TCustomQDHexEditor e;
  test::Load(e, test::Sequence(10));
  e.ChangeByte(1, 1, 0x71);
  e.ChangeByte(3, 3, 0x73);
  e.ChangeByte(8, 8, 0x78);
  e.SetSelection(4, 5);
  e.DeleteSelection();
  EXPECT_TRUE(e.HasChangeMark(3));
  EXPECT_FALSE(e.HasChangeMark(6)) << "marks after a removal are dropped";
  e.Undo();
  EXPECT_TRUE(e.HasChangeMark(1));
  EXPECT_TRUE(e.HasChangeMark(3));
  EXPECT_FALSE(e.HasChangeMark(8));
  e.Redo();
  EXPECT_EQ(test::Content(e), (Bytes{0, 0x71, 2, 0x73, 6, 7, 0x78, 9}));
  EXPECT_TRUE(e.HasChangeMark(1));
  EXPECT_TRUE(e.HasChangeMark(3));
  for (std::int32_t p = 4; p < 10; ++p) EXPECT_FALSE(e.HasChangeMark(p)) << p;
}

TEST(Bookmarks, EditsMoveThemAndKeepThemInsideTheData) {
  TCustomQDHexEditor e;
  test::Load(e, test::Sequence(10));
  int changes = 0;
  e.OnBookmarkChanged = [&] { ++changes; };
  e.SetBookmark(0, 9, false);
  e.SetBookmark(1, 2, true);
  e.SetBookmark(2, 6, false);
  e.InsertBuffer(kFive.data(), 2, 4, false);
  EXPECT_EQ(e.GetBookmark(0).pos, 11) << "the last byte's bookmark survives an insert before it";
  EXPECT_EQ(e.GetBookmark(1).pos, 2);
  EXPECT_EQ(e.GetBookmark(2).pos, 8);
  e.SetSelection(0, 8);
  e.ReplaceSelection(kFive.data(), 1, false);
  EXPECT_EQ(e.GetBookmark(0).pos, 3);
  EXPECT_EQ(e.GetBookmark(1).pos, 2) << "a bookmark inside a replaced range is not moved below it";
  EXPECT_EQ(e.GetBookmark(2).pos, 8) << "inside the replaced range: kept, cleared when it is visited";
  e.AdjustBookmarks(0, 10);
  EXPECT_EQ(e.GetBookmark(0).pos, -1);
  EXPECT_EQ(e.GetBookmark(1).pos, -1);
  EXPECT_GT(changes, 3);
}

TEST(Bookmarks, UndoingAnInsertMovesOnlyThoseAfterIt) {
  TCustomQDHexEditor e;
  test::Load(e, test::Sequence(20));
  e.InsertBuffer(kFive.data(), 5, 0, false);
  e.SetBookmark(0, 2, false);
  e.SetBookmark(1, 7, true);
  e.SetBookmark(2, 24, false);
  e.Undo();
  EXPECT_EQ(e.GetBookmark(0).pos, 2) << "inside the removed bytes: kept, never negative";
  EXPECT_EQ(e.GetBookmark(1).pos, 2);
  EXPECT_TRUE(e.GetBookmark(1).inCharField);
  EXPECT_EQ(e.GetBookmark(2).pos, 19);
}

TEST(Bookmarks, WhileUndoIsSuspendedTheyStay) {
  TCustomQDHexEditor e;
  test::Load(e, test::Sequence(20));
  e.SetBookmark(0, 10, false);
  e.SuspendUndo();
  e.InsertBuffer(kFive.data(), 3, 2, false);
  EXPECT_EQ(e.GetBookmark(0).pos, 10);
  e.SetSelection(0, 4);
  e.DeleteSelection();
  EXPECT_EQ(e.GetBookmark(0).pos, 10);
  e.ResumeUndo();
  e.InsertBuffer(kFive.data(), 3, 2, false);
  EXPECT_EQ(e.GetBookmark(0).pos, 13) << "recorded changes move them again";
}

TEST(Bookmarks, SetTogglesGotoMovesAndClearsStaleOnes) {
  TCustomQDHexEditor e;
  test::Load(e, test::Sequence(40));
  e.SetBookmark(4, 33, true);
  e.SetCaretPosition(0, false);
  e.GotoBookmark(4);
  EXPECT_EQ(e.CaretPosition(), 33);
  EXPECT_TRUE(e.CaretInCharField());
  e.SetBookmark(4, 33, true);
  EXPECT_EQ(e.GetBookmark(4).pos, -1);
  e.SetBookmark(5, 40, false);
  e.GotoBookmark(5);
  EXPECT_EQ(e.GetBookmark(5).pos, -1) << "at the end outside insert mode";
  EXPECT_THROW(e.SetBookmark(10, 0, false), EQDHexEditor);
  try {
    e.GotoBookmark(-1);
    ADD_FAILURE() << "index -1 accepted";
  } catch (const EQDHexEditor& ex) {
    EXPECT_STREQ(ex.what(), "Invalid bookmark index");
  }
}

}  // namespace
}  // namespace hexed

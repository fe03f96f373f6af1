// Changes that fail (memory short, size past the limit) leave the editor
// exactly as it was: buffer, undo storage with its redo and description,
// change marks, Modified, selection, caret and bookmarks.
#include <gtest/gtest.h>

#include <functional>

#include "hexeditor/clipboard/drop_rules.h"
#include "hexeditor/model/allocation_limits.h"
#include "test_support.h"

namespace hexed {
namespace {

using test::Bytes;

// Puts the allocation limits back at the end of a test.
struct LimitScope {
  ~LimitScope() { TestAllocationLimits() = AllocationLimits{}; }
};

struct State {
  Bytes data;
  Bytes undoBytes;
  std::int32_t undoCount = 0;
  std::string description;
  bool hasRedo = false;
  Bytes redo;
  bool hasLastUndone = false;
  std::vector<bool> marks;
  bool modified = false;
  bool noSizeChange = false;
  Cell caret;
  std::int32_t selStart = 0;
  std::int32_t selEnd = 0;
  std::int32_t anchor = 0;
  std::vector<std::int32_t> bookmarks;
  bool operator==(const State&) const = default;
};

State Take(const TCustomQDHexEditor& e) {
  State s;
  s.data = test::Content(e);
  const TQDHUndoStorage& u = e.UndoStorage();
  s.undoBytes = u.Bytes();
  s.undoCount = u.Count();
  s.description = u.Description();
  s.hasRedo = u.HasRedo();
  s.redo = u.Redo();
  s.hasLastUndone = u.HasLastUndone();
  for (std::int32_t p = 0; p < e.DataSize() + 2; ++p) s.marks.push_back(e.HasChangeMark(p));
  s.modified = e.Modified();
  s.noSizeChange = e.NoSizeChange();
  s.caret = e.Caret();
  s.selStart = e.SelStart();
  s.selEnd = e.SelEnd();
  s.anchor = e.SelectionAnchor();
  for (int i = 0; i < kBookmarkCount; ++i) s.bookmarks.push_back(e.GetBookmark(i).pos);
  return s;
}

// An editor with history: a marked overwrite, an undone one (so a redo and
// a last-undone record exist), bookmarks after the middle, Modified off.
void Prepare(TCustomQDHexEditor& e) {
  test::Load(e, test::Sequence(40, 0x40));
  e.ChangeByte(5, 0x45, 0x11);
  e.ChangeByte(30, 0x5E, 0x22);
  e.Undo();
  e.SetBookmark(0, 30, false);
  e.SetBookmark(1, 12, true);
  e.SetModified(false);
}

enum class Fault {
  kPastLimit,    // the size the change asks for is past the largest buffer (kHuge - 1 here)
  kDataMemory,   // the buffer cannot grow
  kUndoMemory,   // the undo storage cannot take the record
};

struct FailCase {
  const char* name;
  Fault fault;
  std::function<void(TCustomQDHexEditor&)> setup;
  std::function<void(TCustomQDHexEditor&)> change;
};

void PrintTo(const FailCase& c, std::ostream* os) { *os << c.name; }

// Far more bytes than fit; the source is never read because the change
// stops before it.
constexpr std::int64_t kHuge = INT32_MAX - 20;
const Bytes kSix = {1, 2, 3, 4, 5, 6};

void Nothing(TCustomQDHexEditor&) {}

std::vector<FailCase> FailCases() {
  return {
      {"Overwrite", Fault::kUndoMemory, Nothing, [](TCustomQDHexEditor& e) { e.ChangeByte(8, 0x48, 0x99); }},
      {"OverwriteWord", Fault::kUndoMemory, Nothing, [](TCustomQDHexEditor& e) { e.ChangeWord(8, 0x4948, 1); }},
      {"InsertPastLimit", Fault::kPastLimit, Nothing,
       [](TCustomQDHexEditor& e) { e.InsertBuffer(kSix.data(), kHuge, 10, true); }},
      {"InsertNoRecord", Fault::kUndoMemory, Nothing,
       [](TCustomQDHexEditor& e) { e.InsertBuffer(kSix.data(), 6, 10, true); }},
      {"InsertNoMemory", Fault::kDataMemory, Nothing,
       [](TCustomQDHexEditor& e) { e.InsertBuffer(kSix.data(), 6, 10, true); }},
      {"AppendPastLimit", Fault::kPastLimit, Nothing,
       [](TCustomQDHexEditor& e) { e.AppendBuffer(kSix.data(), kHuge, true); }},
      {"ReplacePastLimit", Fault::kPastLimit, [](TCustomQDHexEditor& e) { e.SetSelection(2, 4); },
       [](TCustomQDHexEditor& e) { e.ReplaceSelection(kSix.data(), kHuge, true); }},
      {"ReplaceShortenedSelectionNoRecord", Fault::kUndoMemory,
       [](TCustomQDHexEditor& e) {
         e.SetNoSizeChange(true);
         e.SetSelection(2, 20);
       },
       [](TCustomQDHexEditor& e) { e.ReplaceSelection(kSix.data(), 6, true); }},
      {"DeleteSelection", Fault::kUndoMemory, [](TCustomQDHexEditor& e) { e.SetSelection(2, 20); },
       [](TCustomQDHexEditor& e) { e.DeleteSelection(); }},
      {"DeleteUnit", Fault::kUndoMemory, [](TCustomQDHexEditor& e) { e.SetCaretPosition(7, false); },
       [](TCustomQDHexEditor& e) { e.DeleteUnit(false); }},
      {"InsertNibble", Fault::kDataMemory, Nothing,
       [](TCustomQDHexEditor& e) {
         e.RecordUndo(UndoKind::kInsertNibble, 7, "", 0, 1);
         e.InsertNibble(7, true);
       }},
      {"DeleteNibble", Fault::kUndoMemory, Nothing,
       [](TCustomQDHexEditor& e) {
         e.RecordUndo(UndoKind::kDeleteNibble, 7, "", 0, 1);
         e.DeleteNibble(7, true);
       }},
      {"Convert", Fault::kUndoMemory, Nothing,
       [](TCustomQDHexEditor& e) {
         e.RecordUndo(UndoKind::kConvert, 4, "", 0, 6);
         e.WriteBytes(kSix.data(), 4, 6);
       }},
      {"PastePastLimitMovesNoCaret", Fault::kPastLimit,
       [](TCustomQDHexEditor& e) {
         e.SetBytesPerUnit(2);
         e.SetCaretPosition(9, true);
       },
       [](TCustomQDHexEditor& e) { e.PasteBytes(kSix.data(), kHuge - 1, "Paste"); }},
      {"PasteOverwriteSelectsNothing", Fault::kUndoMemory,
       [](TCustomQDHexEditor& e) {
         e.SetNoSizeChange(true);
         e.SetCaretPosition(9, false);
       },
       [](TCustomQDHexEditor& e) { e.PasteBytes(kSix.data(), 6, "Paste"); }},
      {"DropOverwrite", Fault::kUndoMemory,
       [](TCustomQDHexEditor& e) {
         e.SetNoSizeChange(true);
         e.SetCaretPosition(3, false);
       },
       [](TCustomQDHexEditor& e) { drop::DropBytes(e, kSix, 9); }},
      {"DropInsert", Fault::kDataMemory, Nothing, [](TCustomQDHexEditor& e) { drop::DropBytes(e, kSix, 9); }},
  };
}

void Provoke(TCustomQDHexEditor& e, Fault fault) {
  if (fault == Fault::kDataMemory) TestAllocationLimits().dataBlock = e.DataSize();
  if (fault == Fault::kPastLimit) TestAllocationLimits().dataBlock = kHuge - 1;
  // Less than any record of a change needs.
  if (fault == Fault::kUndoMemory) TestAllocationLimits().undoStream = e.UndoStorage().Size() + 20;
}

class FailedChange : public testing::TestWithParam<FailCase> {};

TEST_P(FailedChange, LeavesEverythingAsItWas) {
  LimitScope limits;
  TCustomQDHexEditor e;
  Prepare(e);
  GetParam().setup(e);
  const State before = Take(e);
  Provoke(e, GetParam().fault);
  EXPECT_ANY_THROW(GetParam().change(e));
  TestAllocationLimits() = AllocationLimits{};
  EXPECT_TRUE(before == Take(e));
  // The storage still undoes the change made before.
  e.Undo();
  EXPECT_EQ(e.GetByte(5), 0x45);
}

INSTANTIATE_TEST_SUITE_P(EveryChange, FailedChange, testing::ValuesIn(FailCases()),
                         [](const testing::TestParamInfo<FailCase>& i) { return std::string(i.param.name); });

TEST(FailedChange, AMoveDropWhoseInsertFailsPutsTheDeletedBytesBack) {
  LimitScope limits;
  TCustomQDHexEditor e;
  Prepare(e);
  e.SetNoSizeChange(true);
  e.SetSelection(2, 5);
  const State before = Take(e);
  // Room for the delete record (head, 4 bytes, description, selection, size)
  // but not for the insert record after it.
  const std::int64_t deleteRecord = undo::kHeadSize + 4 + 12 + 4 + undo::kSelectionSize + 4;
  TestAllocationLimits().undoStream = e.UndoStorage().Size() + deleteRecord + 10;
  EXPECT_ANY_THROW(drop::DropMoveWithinEditor(e, e.SelectedBytes(), 20));
  TestAllocationLimits() = AllocationLimits{};
  EXPECT_TRUE(before == Take(e));
}

TEST(FailedChange, AChangeThatGoesInStillDiscardsRedoAndKeepsTheBudget) {
  TCustomQDHexEditor e;
  Prepare(e);
  e.SetMaxUndo(30);
  e.SetSelection(2, 3);
  e.PasteBytes(kSix.data(), 6, "Paste");
  EXPECT_FALSE(e.CanRedo());
  EXPECT_FALSE(e.UndoStorage().HasLastUndone());
  EXPECT_EQ(e.UndoStorage().Count(), 1) << "the older record went over the budget";
  EXPECT_EQ(e.UndoDescription(), "Paste");
}

// Where the storage runs out inside the record's trailer: after the head and
// data, inside the description, inside the selection, at the trailing size.
class TrailerCut : public testing::TestWithParam<int> {};

TEST_P(TrailerCut, LeavesNoHalfRecord) {
  LimitScope limits;
  TCustomQDHexEditor e;
  test::Load(e, test::Sequence(16));
  e.ChangeByte(3, 3, 0x33);
  e.SetSelection(1, 2);
  const Bytes storage = e.UndoStorage().Bytes();
  const std::int32_t count = e.UndoStorage().Count();
  // Head 45, one data byte, description 11 + 4, selection 24, size 4.
  TestAllocationLimits().undoStream = e.UndoStorage().Size() + GetParam();
  EXPECT_ANY_THROW(e.ChangeByte(9, 9, 0x99, "Typed digit"));
  TestAllocationLimits() = AllocationLimits{};
  EXPECT_EQ(e.UndoStorage().Bytes(), storage);
  EXPECT_EQ(e.UndoStorage().Count(), count);
  e.Undo();
  EXPECT_EQ(test::Content(e), test::Sequence(16)) << "the undo reverts the earlier change, no stray bytes";
}

INSTANTIATE_TEST_SUITE_P(Offsets, TrailerCut, testing::Values(46, 52, 62, 70, 88));

}  // namespace
}  // namespace hexed

// Files past 4 GiB in the editor: opened without being read, edited at both
// ends, saved and read back; undo and redo of a gigabyte cut and of changes
// that touch every byte after a point; at one byte per row, rows past 2^33
// reached by keys and mouse and shown.
#include <gtest/gtest.h>

#include <fstream>

#include "hexeditor/editor/custom_hex_editor.h"
#include "hexeditor/model/nibble_shift.h"
#include "test_support.h"

namespace hexed {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

constexpr std::int64_t kBig = (std::int64_t{1} << 32) + 100;  // past what 32 bits count
// At one byte per row, more rows than 32 bits count twice over.
constexpr std::int64_t kHuge = (std::int64_t{1} << 33) + 7;

// A sparse file of `size` bytes with marks at both ends; costs no disk space.
void MakeSparse(const fs::path& p, std::int64_t size = kBig) {
  {
    std::ofstream out(p, std::ios::binary);
    out.write("HEAD", 4);
  }
  fs::resize_file(p, static_cast<std::uintmax_t>(size));
  std::fstream out(p, std::ios::binary | std::ios::in | std::ios::out);
  out.seekp(size - 4);
  out.write("TAIL", 4);
}

Bytes FileBytes(const fs::path& p, std::int64_t pos, std::size_t n) {
  std::ifstream in(p, std::ios::binary);
  in.seekg(pos);
  Bytes b(n);
  in.read(reinterpret_cast<char*>(b.data()), static_cast<std::streamsize>(n));
  b.resize(static_cast<std::size_t>(in.gcount()));
  return b;
}

Bytes Text(const char* s) { return Bytes(s, s + std::char_traits<char>::length(s)); }

TEST(LargeFile, EditedAtBothEndsSavesAndReadsBack) {
  test::TempDir dir;
  const fs::path file = dir / "big.bin";
  MakeSparse(file);
  TCustomQDHexEditor e;
  e.LoadFile(file);
  ASSERT_EQ(e.DataSize(), kBig);
  EXPECT_EQ(e.BytesAt(kBig - 4, 4), Text("TAIL"));

  e.ChangeByte(0, 'H', 'h');                              // overwrite at the start
  e.InsertBuffer("++", 2, kBig - 4, false);               // insert before the tail mark
  e.SetSelection(1, 2);                                   // "EA"
  e.DeleteSelection();                                    // delete near the start
  e.SetSelection(kBig - 1 - 2 + 2, kBig - 1 - 2 + 2);     // the tail's last byte: 'L'
  e.DeleteSelection();
  const std::int64_t size = kBig + 2 - 2 - 1;
  ASSERT_EQ(e.DataSize(), size);
  EXPECT_EQ(e.BytesAt(0, 3), (Bytes{'h', 'D', 0}));
  EXPECT_EQ(e.BytesAt(size - 5, 5), Text("++TAI"));

  e.SaveFile(file, true);  // over the file shown
  EXPECT_EQ(fs::file_size(file), static_cast<std::uintmax_t>(size));
  EXPECT_EQ(FileBytes(file, 0, 3), (Bytes{'h', 'D', 0}));
  EXPECT_EQ(FileBytes(file, size - 5, 5), Text("++TAI"));
  EXPECT_EQ(e.BytesAt(size - 5, 5), Text("++TAI")) << "the editor shows the saved file";
  EXPECT_FALSE(e.Modified());
}

TEST(LargeFile, UndoAndRedoOfAGigabyteCutRestoreTheBytes) {
  test::TempDir dir;
  const fs::path file = dir / "big.bin";
  MakeSparse(file);
  TCustomQDHexEditor e;
  e.LoadFile(file);
  const std::int64_t cut = std::int64_t{1} << 30;
  e.SetSelection(2, 2 + cut - 1);
  e.DeleteSelection();
  EXPECT_EQ(e.DataSize(), kBig - cut);
  EXPECT_EQ(e.BytesAt(0, 2), Text("HE"));
  EXPECT_LT(e.UndoStorage().Size(), 200) << "the record refers to the removed pieces";
  e.Undo();
  ASSERT_EQ(e.DataSize(), kBig);
  EXPECT_EQ(e.BytesAt(0, 4), Text("HEAD"));
  EXPECT_EQ(e.BytesAt(kBig - 4, 4), Text("TAIL"));
  e.Redo();
  EXPECT_EQ(e.DataSize(), kBig - cut);
  EXPECT_EQ(e.BytesAt(kBig - cut - 4, 4), Text("TAIL"));
  e.Undo();
  EXPECT_EQ(e.DataSize(), kBig);
  EXPECT_EQ(e.BytesAt(0, 4), Text("HEAD"));
}

// The first and last `n` bytes of the data.
std::pair<Bytes, Bytes> Ends(const TCustomQDHexEditor& e, std::int64_t n) {
  return {e.BytesAt(0, n), e.BytesAt(e.DataSize() - n, n)};
}

// "HEAD" ... "TAIL" after a nibble shift at byte 1 (sparse zeros between).
std::pair<Bytes, Bytes> ShiftedEnds(NibbleShift shift, bool high) {
  Bytes head{'H', 'E', 'A', 'D', 0, 0};
  Bytes tail{0, 'T', 'A', 'I', 'L', 0};
  if (shift == NibbleShift::kInsert) {
    InsertNibbleInPlace(head.data(), 5, 1, high);
    InsertNibbleInPlace(tail.data(), 5, 0, true);  // the zero before it moves in like any other nibble
    return {Bytes(head.begin(), head.begin() + 5), tail};
  }
  DeleteNibbleInPlace(head.data(), 5, 1, high);
  DeleteNibbleInPlace(tail.data() + 1, 4, 0, true);
  return {Bytes(head.begin(), head.begin() + 5), Bytes(tail.begin() + 1, tail.begin() + 5)};
}

// Nibble shifts and the whole-data record hold pieces, not the bytes after
// their position: undo and redo of them on a file past 4 GiB copy nothing.
TEST(LargeFile, ChangesOfEveryFollowingByteUndoAndRedoWithoutCopies) {
  test::TempDir dir;
  const fs::path file = dir / "big.bin";
  MakeSparse(file);
  TCustomQDHexEditor e;
  e.LoadFile(file);
  const auto original = Ends(e, 5);
  for (const NibbleShift shift : {NibbleShift::kInsert, NibbleShift::kDelete}) {
    for (const bool high : {true, false}) {
      SCOPED_TRACE(testing::Message() << (shift == NibbleShift::kInsert ? "insert" : "delete") << " high=" << high);
      const auto expected = ShiftedEnds(shift, high);
      if (shift == NibbleShift::kInsert) {
        e.RecordUndo(UndoKind::kInsertNibble, 1, "", 0, 1);
        e.InsertNibble(1, high);
      } else {
        e.RecordUndo(UndoKind::kDeleteNibble, 1, "", 0, 1);
        e.DeleteNibble(1, high);
      }
      const std::int64_t n = static_cast<std::int64_t>(expected.second.size());
      EXPECT_EQ(e.BytesAt(0, 5), expected.first);
      EXPECT_EQ(e.BytesAt(e.DataSize() - n, n), expected.second);
      EXPECT_LT(e.UndoStorage().Size(), 200) << "the record holds the tail's pieces";
      e.Undo();
      EXPECT_EQ(Ends(e, 5), original);
      EXPECT_LT(e.UndoStorage().Redo().size(), 1000u) << "the redo record holds pieces too";
      e.Redo();
      EXPECT_EQ(e.BytesAt(e.DataSize() - n, n), expected.second);
      e.Undo();
      EXPECT_EQ(e.DataSize(), kBig);
    }
  }
  e.RecordUndo(UndoKind::kAllDataSaved, 0, "", 0, 0);
  e.SetByte(kBig - 1, 'l');
  EXPECT_LT(e.UndoStorage().Size(), 200);
  e.Undo();
  EXPECT_EQ(Ends(e, 5), original);
}

// One byte per row over a file of kHuge bytes, with the view at its end.
class OneBytePerRow : public testing::Test {
 protected:
  void SetUp() override {
    MakeSparse(file, kHuge);
    e.LoadFile(file);
    e.SetCharMetrics(8, 14);
    e.SetClientSize(400, 300);
    e.SetBytesPerRow(1);
  }
  test::TempDir dir;
  const fs::path file = dir / "huge.bin";
  TCustomQDHexEditor e;
};

TEST_F(OneBytePerRow, CtrlEndShowsTheLastByteInTheLastRow) {
  ASSERT_EQ(e.BytesPerRow(), 1);
  EXPECT_EQ(e.RowCount(), kHuge + 2);
  e.KeyDown(key::kEnd, kCtrlKey);
  EXPECT_EQ(e.CaretPosition(), kHuge - 1);
  const GridRow last = kHuge + 1;
  EXPECT_EQ(e.Caret().row, last);
  EXPECT_EQ(e.TopRow(), last - e.VisibleRowCount() + 1);
  EXPECT_EQ(e.LastVisibleRow(), last);
  EXPECT_NE(e.CaretPoint()[1], -50) << "the caret is in view";
  // "L" = 0x4C: both nibbles, the character and the row's offset.
  EXPECT_EQ(e.GetCellView(2, last, true).ch, u'4');
  EXPECT_EQ(e.GetCellView(3, last, true).ch, u'C');
  EXPECT_EQ(e.GetCellView(FirstCharColumn(1), last, true).ch, u'L');
  EXPECT_EQ(e.GetCellView(0, last, true).text, e.GetOffsetText(kHuge - 1));
  EXPECT_EQ(e.GetCellView(FirstCharColumn(1), last - 3, true).ch, u'T');
}

TEST_F(OneBytePerRow, AClickAndAShiftedCtrlHomeSelectAcrossTheRows) {
  e.SetTopRow(e.RowCount());
  const GridRow last = kHuge + 1;
  const auto r = e.CellRect(FirstCharColumn(1), last - 1);
  const CellHit hit = e.HitTest(r[0] + 1, r[1] + 1);
  ASSERT_EQ(hit.row, last - 1);
  e.MouseDown(MouseButton::kLeft, kLeftButton, hit);
  e.MouseUp(MouseButton::kLeft, 0, hit);
  EXPECT_EQ(e.CaretPosition(), kHuge - 2);
  e.KeyDown(key::kShift, kShiftKey);
  e.KeyDown(key::kHome, kCtrlKey | kShiftKey);
  EXPECT_EQ(e.SelStart(), 0);
  EXPECT_EQ(e.SelEnd(), kHuge - 2);
  EXPECT_EQ(e.TopRow(), 2);
}

}  // namespace
}  // namespace hexed

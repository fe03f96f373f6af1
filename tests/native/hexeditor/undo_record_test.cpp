// Undo records compared byte for byte with the record layout.
#include <gtest/gtest.h>

#include "hexeditor/editor/custom_hex_editor.h"
#include "test_support.h"

namespace hexed {
namespace {

using test::Bytes;

// Appends values little-endian: I 4 bytes, L 8 bytes (positions and counts), B one byte.
struct Expect {
  Bytes b;
  Expect& I(std::int32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i)));
    return *this;
  }
  Expect& L(std::int64_t v) {
    for (int i = 0; i < 8; ++i) b.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> (8 * i)));
    return *this;
  }
  Expect& B(std::uint8_t v) {
    b.push_back(v);
    return *this;
  }
  Expect& S(const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    return *this;
  }
};

Bytes NewestRecord(const TCustomQDHexEditor& e) {
  const auto& s = e.UndoStorage().Bytes();
  const std::uint32_t size = s[s.size() - 4] | (s[s.size() - 3] << 8) | (s[s.size() - 2] << 16) |
                             (static_cast<std::uint32_t>(s[s.size() - 1]) << 24);
  return Bytes(s.end() - size, s.end());
}

TEST(UndoRecordLayout, PlainByteChange) {
  TCustomQDHexEditor e;
  test::Load(e, {0x10, 0x20, 0x30, 0x40});
  e.SetCaretPosition(1, false);
  e.ChangeByte(1, 0x20, 0x2A);
  const Bytes expected = Expect{}.I(50).I(0x1).L(1).L(1).L(1).L(0).B(0).I(1).B(0x20).I(50).b;
  EXPECT_EQ(e.UndoStorage().Bytes(), expected);
  EXPECT_EQ(e.UndoStorage().Count(), 1);
}

TEST(UndoRecordLayout, MarkModifiedSecondNibbleAndDescription) {
  TCustomQDHexEditor e;
  test::Load(e, {0x10, 0x20, 0x30, 0x40});
  e.ChangeByte(1, 0x20, 0x2A);
  e.SetCaretPosition(1, false, true);
  e.ChangeByte(1, 0x2A, 0x2B, "typed");
  // kind 0 | mark at pos | modified | second nibble | description
  const Bytes expected =
      Expect{}.I(59).I(0x106801).L(1).L(1).L(1).L(0).B(0).I(1).B(0x2A).S("typed").I(5).I(59).b;
  EXPECT_EQ(NewestRecord(e), expected);
  EXPECT_EQ(e.UndoStorage().Size(), 50 + 59);
  EXPECT_EQ(e.UndoDescription(), "typed");
}

TEST(UndoRecordLayout, TwoByteChangeCarriesBothMarksAndCharField) {
  TCustomQDHexEditor e;
  test::Load(e, {0x10, 0x20, 0x30, 0x40});
  e.ChangeByte(2, 0x30, 0x31);
  e.ChangeByte(3, 0x40, 0x41);
  e.SetCaretPosition(2, true);
  e.ChangeWord(2, 0x4131, 0x4232);
  const Bytes expected =
      Expect{}.I(51).I(0x1 | 0x800 | 0x1000 | 0x2000 | 0x8000).L(2).L(2).L(2).L(0).B(0).I(1).B(0x31).B(0x41).I(51).b;
  EXPECT_EQ(NewestRecord(e), expected);
}

TEST(UndoRecordLayout, ReplaceKeepsOldBytesAndSelection) {
  TCustomQDHexEditor e;
  test::Load(e, {0x10, 0x20, 0x30, 0x40});
  e.SetSelection(1, 2);
  const std::uint8_t one = 0xEE;
  e.ReplaceSelection(&one, 1, true);
  const Bytes expected =
      Expect{}.I(75).I(0x8 | 0x10000).L(0).L(1).L(1).L(2).B(0).I(1).B(0x20).B(0x30).L(1).L(2).L(1).I(75).b;
  EXPECT_EQ(NewestRecord(e), expected);
  EXPECT_EQ(test::Content(e), (Bytes{0x10, 0xEE, 0x40}));
}

TEST(UndoRecordLayout, InsertModeUnicodeAndTranslationAreRecorded) {
  TCustomQDHexEditor e;
  test::Load(e, {0x10, 0x20, 0x30, 0x40});
  e.SetTranslation(tkMac);
  e.SetInsertMode(true);
  const std::uint8_t ab[2] = {0xAA, 0xBB};
  e.InsertBuffer(ab, 2, 4, false);
  EXPECT_EQ(NewestRecord(e), Expect{}.I(50).I(0x4 | 0x20000).L(0).L(4).L(2).L(0).B(tkMac).I(1).B(0).I(50).b);
  e.SetUnicodeChars(true);
  e.SetUnicodeBigEndian(true);
  e.AppendBuffer(ab, 2, false);
  // Unicode forces the translation to tkAsIs and two bytes per unit.
  EXPECT_EQ(NewestRecord(e),
            Expect{}.I(74).I(0x10 | 0x2000 | 0x10000 | 0x20000 | 0x40000 | 0x80000).L(0).L(6).L(2).L(0).B(0).I(2)
                .B(0).L(4).L(5).L(4).I(74).b);
}

TEST(UndoRecordLayout, CursorMovementStoresItsSelection) {
  TCustomQDHexEditor e;
  test::Load(e, {0x10, 0x20, 0x30, 0x40});
  e.RecordUndo(UndoKind::kCursorMovement, 2, "", 0, 2);
  EXPECT_EQ(NewestRecord(e), Expect{}.I(74).I(0x100 | 0x10000).L(2).L(2).L(2).L(0).B(0).I(1).B(0).L(2).L(3).L(2).I(74).b);
  e.SetSelection(0, 1);
  e.RecordUndo(UndoKind::kCursorMovement, 3, "", 0, 0);
  // A selection already stored is replaced; count 0 stores end -1.
  EXPECT_EQ(NewestRecord(e),
            Expect{}.I(74).I(0x100 | 0x2000 | 0x10000).L(3).L(3).L(0).L(0).B(0).I(1).B(0).L(3).L(-1).L(3).I(74).b);
}

TEST(UndoRecordLayout, GroupKeepsItsTextAsLengthBytePlusCharacters) {
  TCustomQDHexEditor e;
  test::Load(e, {0x10, 0x20});
  e.ChangeByte(0, 0x10, 0x11);
  e.GroupUndo(1, "ab");
  EXPECT_EQ(NewestRecord(e), Expect{}.I(52).I(0x200 | 0x2000).L(0).L(0).L(1).L(0).B(0).I(1).B(2).S("ab").I(52).b);
  e.GroupUndo(1, std::string(300, 'x'));
  const Bytes rec = NewestRecord(e);
  EXPECT_EQ(rec.size(), 45u + 1 + 255 + 4);
  EXPECT_EQ(rec[45], 255);
  EXPECT_EQ(e.UndoDescription(), std::string(255, 'x'));
}

TEST(UndoRecordLayout, WholeBufferSnapshot) {
  TCustomQDHexEditor e;
  test::Load(e, {7, 8, 9});
  e.RecordUndo(UndoKind::kAllDataSaved, 0, "", 0, 0);
  EXPECT_EQ(NewestRecord(e), Expect{}.I(52).I(0x400).L(0).L(0).L(3).L(0).B(0).I(1).B(7).B(8).B(9).I(52).b);
}

TEST(UndoBudget, OldestRecordsAreDroppedBeforeTheNewOneIsAdded) {
  TCustomQDHexEditor e;
  test::Load(e, test::Sequence(16));
  e.SetMaxUndo(140);
  // Convert records of 7 bytes are 56 bytes long.
  for (int pos = 0; pos < 3; ++pos) e.RecordUndo(UndoKind::kConvert, pos, "", 0, 7);
  EXPECT_EQ(e.UndoStorage().Size(), 168);
  EXPECT_EQ(e.UndoStorage().Count(), 3);
  e.RecordUndo(UndoKind::kConvert, 3, "", 0, 7);
  EXPECT_EQ(e.UndoStorage().Size(), 168);
  EXPECT_EQ(e.UndoStorage().Count(), 3);
  // The oldest remaining record is the one made at position 1.
  EXPECT_EQ(e.UndoStorage().Bytes()[undo::kOffPos], 1);
}

TEST(UndoBudget, ZeroMeansUnlimitedAndABigRecordStillFits) {
  TCustomQDHexEditor e;
  test::Load(e, test::Sequence(200));
  e.SetMaxUndo(0);
  for (int i = 0; i < 50; ++i) e.RecordUndo(UndoKind::kConvert, 0, "", 0, 100);
  EXPECT_EQ(e.UndoStorage().Count(), 50);
  e.SetMaxUndo(150);
  e.RecordUndo(UndoKind::kConvert, 0, "", 0, 200);
  // The storage is cut to the budget before the new record goes in, so it
  // may exceed the budget by that record.
  EXPECT_EQ(e.UndoStorage().Count(), 2);
  EXPECT_EQ(e.UndoStorage().Size(), 149 + 249);
}

}  // namespace
}  // namespace hexed

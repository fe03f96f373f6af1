// Grid geometry: columns, rows, the cell mapping, column widths, automatic
// bytes per row, rulers and the appearance properties' checks.
#include <gtest/gtest.h>

#include "hexeditor/errors.h"
#include "hexeditor/view/grid_layout.h"
#include "test_support.h"

namespace hexed {
namespace {

TEST(GridShape, ColumnAndRowCounts) {
  EXPECT_EQ(ColumnCount(16, false), 51);
  EXPECT_EQ(ColumnCount(16, true), 43);
  EXPECT_EQ(ColumnCount(1, false), 6);
  EXPECT_EQ(RowCount(0, 16, false), 3);
  EXPECT_EQ(RowCount(0, 16, true), 3);
  EXPECT_EQ(RowCount(1, 16, false), 3);
  EXPECT_EQ(RowCount(16, 16, false), 3);
  EXPECT_EQ(RowCount(16, 16, true), 4);
  EXPECT_EQ(RowCount(17, 16, true), 4);
  EXPECT_EQ(RowCount(4096, 16, false), 258);
}

TEST(GridShape, CellPositionMappingBothWays) {
  for (bool unicode : {false, true}) {
    for (std::int32_t pos : {0, 1, 5, 15, 16, 31, 1000}) {
      for (bool charField : {false, true}) {
        const Cell c = PositionToCell(pos, 16, unicode, charField);
        const CellPosition back = CellToPosition(c.col, c.row, 16, unicode);
        EXPECT_EQ(back.charField, charField);
        EXPECT_EQ(back.pos, unicode && charField ? pos - pos % 2 : pos) << pos << unicode << charField;
        const int other = OtherFieldColumn(c.col, 16, unicode);
        EXPECT_EQ(CellToPosition(other, c.row, 16, unicode).charField, !charField);
      }
    }
  }
  EXPECT_EQ(PositionToCell(-1, 16, false, true), (Cell{2, 2}));
  EXPECT_EQ(PositionToCell(19, 16, false, false), (Cell{8, 3}));
  EXPECT_EQ(PositionToCell(19, 16, false, true), (Cell{38, 3}));
  EXPECT_EQ(CellToPosition(9, 2, 16, false).pos, 3) << "second nibble of byte 3";
  EXPECT_EQ(CellToPosition(0, 2, 16, false).pos, 0) << "never below 0";
  EXPECT_EQ(OtherFieldColumn(9, 16, false), 38);
  EXPECT_EQ(OtherFieldColumn(38, 16, false), 8);
  EXPECT_EQ(OtherFieldColumn(9, 16, true), 36);
  EXPECT_EQ(OtherFieldColumn(36, 16, true), 6);
}

LayoutParams Params(int bpr, int bpc, int block, int unit, bool unicode = false) {
  LayoutParams p;
  p.bytesPerRow = bpr;
  p.bytesPerColumn = bpc;
  p.bytesPerBlock = block;
  p.rulerUnit = unit;
  p.unicode = unicode;
  p.charWidth = 8;
  return p;
}

TEST(ColumnWidths, GroupEndsAreDoubledAndTheLastColumnsWidened) {
  const std::vector<int> w = ColumnWidths(Params(4, 2, -1, 1));
  // gutter, spacer, nibbles 2..9, separator 10, characters 11..14
  EXPECT_EQ(w, (std::vector<int>{0, 6, 8, 8, 8, 16, 8, 8, 8, 16, 8, 9, 9, 9, 17}));
}

TEST(ColumnWidths, BlocksAndRulerUnitsAddSpace) {
  EXPECT_EQ(ColumnWidths(Params(4, 2, 2, 1)),
            (std::vector<int>{0, 6, 8, 8, 8, 24, 8, 8, 8, 16, 8, 9, 17, 9, 17}));
  EXPECT_EQ(ColumnWidths(Params(4, 1, -1, 2)),
            (std::vector<int>{0, 6, 8, 16, 8, 16, 8, 16, 8, 16, 8, 9, 13, 9, 17}));
  // Unicode: two characters per row of four bytes, the block counted in characters.
  EXPECT_EQ(ColumnWidths(Params(4, 2, 4, 2, true)), (std::vector<int>{0, 6, 8, 8, 8, 16, 8, 8, 8, 16, 8, 9, 17}));
}

TEST(ColumnWidths, EditorGutterFollowsTheLastOffset) {
  TCustomQDHexEditor e;
  e.SetCharMetrics(8, 14);
  test::Load(e, test::Sequence(16));
  EXPECT_EQ(e.ColWidth(0), (3 + 1) * 8 + 21) << "0x0";
  test::Load(e, std::vector<std::uint8_t>(4096));
  EXPECT_EQ(e.GetOffsetText(4080), "0xFF0");
  EXPECT_EQ(e.ColWidth(0), (5 + 1) * 8 + 21);
  e.SetGutterWidth(40);
  EXPECT_EQ(e.ColWidth(0), 40);
  EXPECT_EQ(e.ColWidth(1), 6);
  EXPECT_EQ(e.ColWidth(e.ColCount() - 1), 17);
  EXPECT_EQ(e.RowHeight(2), 16);
  EXPECT_EQ(e.RowHeight(0), 0);
  e.SetShowRuler(true);
  EXPECT_EQ(e.RowHeight(0), 19);
  EXPECT_EQ(e.RowHeight(1), 0);
}

TEST(AutoBytesPerRow, WidestEvenCountWhoseNextStepStillFits) {
  const LayoutParams p = Params(16, 2, -1, 1);
  // Estimates for 4, 6 and 8 bytes per row: 132, 190 and 248 pixels.
  EXPECT_EQ(EstimateRowWidth(p, 4), 132);
  EXPECT_EQ(EstimateRowWidth(p, 6), 190);
  EXPECT_EQ(EstimateRowWidth(p, 8), 248);
  EXPECT_EQ(AutoBytesPerRowFor(p, 131), 2);
  EXPECT_EQ(AutoBytesPerRowFor(p, 132), 4);
  EXPECT_EQ(AutoBytesPerRowFor(p, 189), 4);
  EXPECT_EQ(AutoBytesPerRowFor(p, 190), 6);
  EXPECT_EQ(AutoBytesPerRowFor(p, 200), 6);
  EXPECT_EQ(AutoBytesPerRowFor(p, 100000), 256);
  EXPECT_EQ(AutoBytesPerRowFor(p, -50), 2);
}

TEST(AutoBytesPerRow, EditorFollowsTheClientWidth) {
  TCustomQDHexEditor e;
  e.SetCharMetrics(8, 14);
  e.SetClientSize(53 + 6 + 8 + 200, 300);
  e.SetAutoBytesPerRow(true);
  EXPECT_EQ(e.BytesPerRow(), 6);
  e.SetBytesPerRow(16);
  EXPECT_EQ(e.BytesPerRow(), 6) << "ignored while automatic";
  e.SetClientSize(53 + 6 + 8 + 131, 300);
  EXPECT_EQ(e.BytesPerRow(), 2);
  e.SetAutoBytesPerRow(false);
  e.SetBytesPerRow(24);
  EXPECT_EQ(e.BytesPerRow(), 24);
}

TEST(Ruler, UnitNumbersPerNibbleAndPerCharacter) {
  EXPECT_EQ(HexRuler(4, 1, 16, false), "00010203");
  EXPECT_EQ(CharRuler(4, 1, 16, false, false), "0123");
  EXPECT_EQ(HexRuler(4, 2, 16, false), "00000001");
  EXPECT_EQ(CharRuler(4, 2, 16, false, false), " 0 1");
  EXPECT_EQ(HexRuler(12, 1, 16, true).substr(20), "0a0b");
  EXPECT_EQ(CharRuler(20, 1, 16, false, false).substr(14), "EF0123");
  EXPECT_EQ(HexRuler(4, 1, 10, false), "00010203");
  EXPECT_EQ(CharRuler(8, 2, 16, false, true), "0123");
  TCustomQDHexEditor e;
  e.SetBytesPerRow(4);
  e.SetBytesPerUnit(4);
  EXPECT_EQ(e.HexRulerText(), "00000000");
  EXPECT_EQ(e.CharRulerText(), "   0");
}

void ExpectMessage(const std::function<void()>& op, const std::string& message) {
  try {
    op();
    ADD_FAILURE() << "no error, expected " << message;
  } catch (const EQDHexEditor& e) {
    EXPECT_EQ(std::string(e.what()), message);
  }
}

TEST(AppearanceChecks, RangeErrorsKeepTheOldValue) {
  TCustomQDHexEditor e;
  ExpectMessage([&] { e.SetBytesPerRow(0); }, "Invalid bytes per line argument");
  ExpectMessage([&] { e.SetBytesPerRow(257); }, "Invalid bytes per line argument");
  ExpectMessage([&] { e.SetBytesPerColumn(0); }, "Invalid bytes per column argument");
  ExpectMessage([&] { e.SetBytesPerUnit(3); }, "Invalid bytes per unit value 3, allowed: 1,2,4,8");
  ExpectMessage([&] { e.SetRulerBytesPerUnit(0); }, "Invalid ruler bytes per unit value 0, allowed: -1,1,2,4,8");
  ExpectMessage([] { TCustomQDHexEditor::CheckBookmarkBitmap(10, 200); },
                "Invalid bookmark bitmap (must be 10 x 200 px)");
  EXPECT_NO_THROW(TCustomQDHexEditor::CheckBookmarkBitmap(200, 10));
  EXPECT_EQ(e.BytesPerRow(), 16);
  EXPECT_EQ(e.BytesPerUnit(), 1);
  EXPECT_THROW(e.SetRulerNumberBase(1), EQDHexEditor);
}

TEST(AppearanceChecks, UnicodeModePreconditionsAndEffects) {
  TCustomQDHexEditor e;
  test::Load(e, {1, 2, 3});
  ExpectMessage([&] { e.SetUnicodeChars(true); }, "Cannot use unicode mode with odd-sized files");
  test::Load(e, {1, 2, 3, 4});
  e.SetBytesPerRow(15);
  ExpectMessage([&] { e.SetUnicodeChars(true); }, "Invalid bytes per line argument");
  e.SetBytesPerRow(16);
  e.SetBytesPerColumn(3);
  ExpectMessage([&] { e.SetUnicodeChars(true); }, "Invalid bytes per column argument");
  e.SetBytesPerColumn(2);
  e.SetTranslation(tkMac);
  e.SetUnicodeChars(true);
  EXPECT_EQ(e.Translation(), tkAsIs);
  EXPECT_EQ(e.BytesPerUnit(), 2);
  EXPECT_EQ(e.ColCount(), 43);
  ExpectMessage([&] { e.SetTranslation(tkDos8); }, "Translations cannot be used in unicode mode");
  ExpectMessage([&] { e.SetBytesPerUnit(4); }, "BytesPerUnit must be set to 2 in unicode mode");
  ExpectMessage([&] { e.SetBytesPerRow(7); }, "Invalid bytes per line argument");
  e.SetUnicodeChars(false);
  EXPECT_EQ(e.BytesPerUnit(), 1);
}

TEST(AppearanceChecks, BytesPerUnitDropsASelectionOfOtherSize) {
  TCustomQDHexEditor e;
  test::Load(e, test::Sequence(8));
  e.SetSelection(0, 2);
  e.SetBytesPerUnit(2);
  EXPECT_EQ(e.SelCount(), 0);
  e.SetSelection(0, 3);
  e.SetBytesPerUnit(4);
  EXPECT_EQ(e.SelCount(), 4);
}

TEST(BytesPerRowChange, KeepsCaretByteNibbleAndSelection) {
  TCustomQDHexEditor e;
  test::Load(e, test::Sequence(40));
  e.SetSelection(3, 9);
  e.SetCaretPosition(19, false, true);
  e.SetBytesPerRow(8);
  EXPECT_EQ(e.Caret(), (Cell{9, 4}));
  EXPECT_EQ(e.CaretPosition(), 19);
  EXPECT_EQ(e.SelStart(), 3);
  EXPECT_EQ(e.SelEnd(), 9);
  e.SetCaretPosition(39, true);
  e.SetBytesPerRow(5);
  EXPECT_EQ(e.Caret(), (Cell{17, 9}));
}

TEST(ViewGeometry, CellRectsHitTestAndCaretPoint) {
  TCustomQDHexEditor e;
  test::Load(e, test::Sequence(100));
  e.SetBytesPerRow(4);
  e.SetCharMetrics(8, 14);
  e.SetClientSize(300, 80);
  const int gutter = e.ColWidth(0);
  EXPECT_EQ(e.CellRect(2, 2), (std::array<int, 4>{gutter + 6, 0, gutter + 14, 16}));
  EXPECT_EQ(e.CellRect(5, 3)[0], gutter + 6 + 24);
  const CellHit hit = e.HitTest(gutter + 6 + 24 + 9, 20);
  EXPECT_EQ(hit.col, 5);
  EXPECT_EQ(hit.row, 3);
  EXPECT_TRUE(hit.rightHalf);
  EXPECT_FALSE(e.HitTest(gutter + 6 + 24 + 7, 20).rightHalf);
  EXPECT_EQ(e.HitTest(3, 3).col, 0);
  EXPECT_EQ(e.CaretPoint(), (std::array<int, 2>{gutter + 6, 0}));
  e.SetTopRow(10);
  EXPECT_EQ(e.CaretPoint(), (std::array<int, 2>{-50, -50}));
  EXPECT_EQ(e.HitTest(gutter + 7, 17).row, 11);
  const CaretShape full = e.GetCaretShape();
  EXPECT_EQ(full.width, 8);
  EXPECT_EQ(full.height, 14);
  EXPECT_EQ(full.whiteWidth, 8);
  e.SetCaretKind(ckBottom);
  EXPECT_EQ(e.GetCaretShape().whiteTop, 12);
  EXPECT_EQ(e.GetCaretShape().whiteHeight, 2);
}

TEST(PrintSettings, PrintFontFollowsTheEditorFontUntilOneIsAssigned) {
  TCustomQDHexEditor e;
  e.SetFont("Microsoft Sans Serif", 11);
  EXPECT_TRUE(e.UseEditorFontForPrinting());
  EXPECT_EQ(e.PrintFont(), (TQDHFontSpec{"Microsoft Sans Serif", -15}));
  e.SetPrintFont({"Courier New", -15});
  e.SetFont("Arial", 20);
  EXPECT_FALSE(e.UseEditorFontForPrinting());
  EXPECT_EQ(e.PrintFont(), (TQDHFontSpec{"Courier New", -15}));
  EXPECT_EQ(e.PrintOptions(), TQDHPrintOptions{});
}

}  // namespace
}  // namespace hexed

// What cells show: text, colours, change marks, selection, frames, gutter and ruler.
#include <gtest/gtest.h>

#include "test_support.h"

namespace hexed {
namespace {

constexpr Color kWhite = Rgb(255, 255, 255);

TEST(CellView, HexDigitsCharactersAndTheMask) {
  TCustomQDHexEditor e;
  test::Load(e, {0x4F, 0x09, 0x61});
  const CellView hi = e.GetCellView(2, 2, true);
  EXPECT_EQ(hi.kind, CellKind::kHex);
  EXPECT_EQ(hi.ch, u'4');
  EXPECT_EQ(e.GetCellView(3, 2, true).ch, u'F');
  e.SetHexLowerCase(true);
  EXPECT_EQ(e.GetCellView(3, 2, true).ch, u'f');
  e.SetSwapNibbles(true);
  EXPECT_EQ(e.GetCellView(2, 2, true).ch, u'f');
  const CellView tab = e.GetCellView(36, 2, true);
  EXPECT_EQ(tab.kind, CellKind::kChar);
  EXPECT_EQ(tab.ch, '.');
  EXPECT_TRUE(tab.ansiChar);
  EXPECT_EQ(e.GetCellView(37, 2, true).ch, 'a');
  EXPECT_FALSE(e.GetCellView(38, 2, true).hasChar) << "beyond the data";
  EXPECT_FALSE(e.GetCellView(8, 2, true).hasChar);
  e.SetTranslation(tkBCD);
  EXPECT_EQ(e.GetCellView(35, 2, true).ch, '!');
}

TEST(CellView, UnicodeCharactersInBothByteOrders) {
  TCustomQDHexEditor e;
  test::Load(e, {0x00, 0x41, 0x09, 0x00});
  e.SetUnicodeChars(true);
  const int first = FirstCharColumn(16);
  EXPECT_EQ(e.GetCellView(first, 2, true).ch, 0x4100);
  EXPECT_FALSE(e.GetCellView(first, 2, true).ansiChar);
  EXPECT_EQ(e.GetCellView(first + 1, 2, true).ch, '.') << "9 is masked";
  e.SetUnicodeBigEndian(true);
  EXPECT_EQ(e.GetCellView(first, 2, true).ch, u'A');
  EXPECT_EQ(e.GetCellView(first + 1, 2, true).ch, 0x0900);
}

TEST(CellView, ColumnGroupsAlternateOddAndEvenColours) {
  TCustomQDHexEditor e;
  test::Load(e, test::Sequence(24));
  e.SetBytesPerRow(24);
  const TQDHColors& c = e.Colors();
  std::vector<Color> groups;
  for (int col = 2; col < 2 + 48; col += 4) {
    EXPECT_EQ(e.GetCellView(col, 2, true).textColor, e.GetCellView(col + 3, 2, true).textColor);
    groups.push_back(e.GetCellView(col, 2, true).textColor);
  }
  ASSERT_EQ(groups.size(), 12u);
  for (std::size_t g = 0; g < groups.size(); ++g) EXPECT_EQ(groups[g], g % 2 == 0 ? c.OddColumn : c.EvenColumn);
  EXPECT_EQ(e.GetCellView(FirstCharColumn(24), 2, true).textColor, Rgb(0, 0, 0)) << "font colour";
}

TEST(CellView, ChangedBytesAndActiveField) {
  TCustomQDHexEditor e;
  TQDHColors colors = HexWindowColors();
  colors.ActiveFieldBackground = Rgb(250, 250, 200);
  e.SetColors(colors);
  test::Load(e, {1, 2, 3});
  e.ChangeByte(1, 2, 7);
  const CellView changed = e.GetCellView(4, 2, true);
  EXPECT_TRUE(changed.changed);
  EXPECT_EQ(changed.textColor, Rgb(0, 255, 0));
  EXPECT_EQ(changed.textBackground, Rgb(0, 128, 0));
  EXPECT_EQ(e.GetCellView(36, 2, true).textBackground, Rgb(0, 128, 0));
  const CellView plain = e.GetCellView(2, 2, true);
  EXPECT_EQ(plain.fill, Rgb(250, 250, 200));
  EXPECT_EQ(plain.textBackground, Rgb(250, 250, 200));
  EXPECT_EQ(e.GetCellView(33, 2, true).fill, kWhite) << "last nibble column";
  EXPECT_EQ(e.GetCellView(35, 2, true).fill, kWhite) << "other field";
  e.SetInsertMode(true);
  EXPECT_FALSE(e.GetCellView(4, 2, true).changed);
}

TEST(CellView, SelectionInvertsGreysAndHides) {
  TCustomQDHexEditor e;
  test::Load(e, test::Sequence(16, 0x40));
  e.SetSelection(1, 4);
  const CellView in = e.GetCellView(4, 2, true);
  EXPECT_TRUE(in.selected);
  EXPECT_EQ(in.textColor, InvertColor(e.Colors().OddColumn));
  EXPECT_EQ(in.textBackground, InvertColor(kWhite));
  EXPECT_EQ(in.fill, InvertColor(kWhite));
  EXPECT_EQ(e.GetCellView(10, 2, true).fill, kWhite) << "the selection's last byte keeps its fill";
  EXPECT_EQ(e.GetCellView(10, 2, true).textBackground, 0u);
  EXPECT_FALSE(e.GetCellView(12, 2, true).selected);
  e.SetGraySelectionIfNotFocused(true);
  const CellView grey = e.GetCellView(4, 2, false);
  EXPECT_EQ(grey.textColor, Rgb(219, 219, 219));
  EXPECT_EQ(grey.fill, Rgb(0, 0, 0));
  e.SetHideSelection(true);
  EXPECT_EQ(e.GetCellView(4, 2, false).textBackground, kWhite);
  EXPECT_EQ(e.GetCellView(4, 2, true).textBackground, 0u);
}

TEST(CellView, FramesMarkTheCaretByteInTheOtherField) {
  TCustomQDHexEditor e;
  test::Load(e, test::Sequence(16));
  e.SetCaretPosition(3, false, true);
  const CellView frame = e.GetCellView(38, 2, true);
  EXPECT_EQ(frame.frame, FrameKind::kFocusRect);
  EXPECT_EQ(frame.frameSpan, 1);
  EXPECT_EQ(e.GetCellView(37, 2, true).frame, FrameKind::kNone);
  EXPECT_EQ(e.GetCellView(38, 2, false).frame, FrameKind::kNone);
  e.SetCaretPosition(3, true);
  e.SetFocusFrame(false);
  const CellView hex = e.GetCellView(8, 2, true);
  EXPECT_EQ(hex.frame, FrameKind::kColored);
  EXPECT_EQ(hex.frameColor, Rgb(0, 0, 128));
  EXPECT_EQ(hex.frameSpan, 2);
  e.SetShowPositionIfNotFocused(true);
  const CellView unfocused = e.GetCellView(38, 2, false);
  EXPECT_EQ(unfocused.frameColor, Rgb(0, 255, 255));
  EXPECT_EQ(unfocused.frameSpan, 1);
}

TEST(CellView, GutterRulerAndBookmarkIcons) {
  TCustomQDHexEditor e;
  test::Load(e, test::Sequence(40));
  e.SetBookmark(2, 17, false);
  e.SetBookmark(7, 20, true);
  e.SetCaretPosition(18, false);
  const CellView gutter = e.GetCellView(0, 3, true);
  EXPECT_EQ(gutter.kind, CellKind::kGutter);
  EXPECT_EQ(gutter.text, "0x10");
  EXPECT_EQ(gutter.align, TextAlign::kRight);
  EXPECT_EQ(gutter.bookmarkIcons, (std::vector<int>{2, 17}));
  EXPECT_EQ(gutter.textColor, Rgb(255, 255, 255)) << "current row";
  EXPECT_EQ(e.GetCellView(0, 2, true).textColor, Rgb(0, 0, 0));
  e.SetShowRuler(true);
  EXPECT_EQ(e.GetCellView(6, 0, true).text, "0");
  EXPECT_EQ(e.GetCellView(7, 0, true).text, "2");
  EXPECT_EQ(e.GetCellView(34, 0, true).text, "  ");
  EXPECT_EQ(e.GetCellView(45, 0, true).text, "A");
  EXPECT_EQ(e.GetCellView(6, 0, true).textBackground, Rgb(160, 160, 160)) << "caret column";
  EXPECT_EQ(e.GetCellView(0, 0, true).kind, CellKind::kRulerFixed);
  e.SetDrawGridLines(true);
  EXPECT_TRUE(e.GetCellView(50, 2, true).gridRight);
  EXPECT_FALSE(e.GetCellView(49, 2, true).gridRight);
  e.SetDropTarget(5, 2);
  EXPECT_TRUE(e.GetCellView(5, 2, true).dropMark);
}

}  // namespace
}  // namespace hexed

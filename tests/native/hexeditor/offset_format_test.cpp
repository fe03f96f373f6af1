// The offset format language, its errors, and the gutter texts.
#include <gtest/gtest.h>

#include "hexeditor/errors.h"
#include "hexeditor/view/offset_format.h"
#include "test_support.h"

namespace hexed {
namespace {

std::string ErrorOf(std::string_view format, int bpr = 16, int bpc = 2, int ruler = 1) {
  try {
    ParseOffsetFormat(format, bpr, bpc, ruler);
  } catch (const EQDHexEditor& e) {
    return e.what();
  }
  return "no error";
}

TEST(OffsetFormat, DefaultFormat) {
  const OffsetFormat f = ParseOffsetFormat(kDefaultOffsetFormat, 16, 2, 1);
  EXPECT_EQ(f.flags, kOffsetDigitsFollowSize | kOffsetUnitFollowsRuler);
  EXPECT_EQ(f.unit, 1);
  EXPECT_EQ(f.minDigits, 1);
  EXPECT_EQ(f.radix, 16);
  EXPECT_EQ(f.prefix, "0x");
  EXPECT_EQ(f.suffix, "");
  EXPECT_EQ(FormatOffset(f, 0x1F0, false), "0x1F0");
  EXPECT_EQ(FormatOffset(f, 0x1F0, true), "0x1f0");
}

TEST(OffsetFormat, UnitDigitsRadixPrefixAndSuffix) {
  const OffsetFormat f = ParseOffsetFormat("8%2!10:|h", 16, 2, 1);
  EXPECT_EQ(f.unit, 8);
  EXPECT_EQ(f.minDigits, 2);
  EXPECT_EQ(f.flags, 0);
  EXPECT_EQ(FormatOffset(f, 8, false), "01h");
  EXPECT_EQ(FormatOffset(f, 0x100, false), "20h");
  const OffsetFormat dec = ParseOffsetFormat("4!A:[|]", 16, 2, 1);
  EXPECT_EQ(dec.radix, 10);
  EXPECT_EQ(FormatOffset(dec, 255, false), "[0255]");
  const OffsetFormat empty = ParseOffsetFormat("0!10:|", 16, 2, 1);
  EXPECT_EQ(FormatOffset(empty, 0, false), "");
  EXPECT_EQ(FormatOffset(empty, 5, false), "5");
  EXPECT_EQ(FormatOffset(ParseOffsetFormat("", 16, 2, 1), 5, false), "");
  EXPECT_EQ(FormatOffset(ParseOffsetFormat("2:|", 16, 2, 1), 5, false), "101");
}

TEST(OffsetFormat, UnitsThatFollowTheGrid) {
  EXPECT_EQ(ParseOffsetFormat("r%10:|", 4, 2, 1).unit, 4);
  EXPECT_EQ(ParseOffsetFormat("R%10:|", 4, 2, 1).flags, kOffsetUnitFollowsRow);
  EXPECT_EQ(ParseOffsetFormat("C%10:|", 16, 8, 1).unit, 8);
  EXPECT_EQ(ParseOffsetFormat("%10:|", 16, 2, 4).unit, 4);
  EXPECT_EQ(ParseOffsetFormat("%10:|", 16, 2, 4).flags, kOffsetUnitFollowsRuler);
  EXPECT_EQ(ParseOffsetFormat("!10:|", 16, 2, 1).minDigits, 1);
}

TEST(OffsetFormat, ErrorMessages) {
  EXPECT_EQ(ErrorOf("10:0x"), "Missing char in offset format: |");
  EXPECT_EQ(ErrorOf("11:|"), "Invalid radix in offset format (11h), allowed: 02h..10h");
  EXPECT_EQ(ErrorOf("1:|"), "Invalid radix in offset format (1h), allowed: 02h..10h");
  EXPECT_EQ(ErrorOf("-!:0x|"), "Missing char in offset format: number radix");
  EXPECT_EQ(ErrorOf("-!10;0x|"), "Missing char in offset format: :");
  EXPECT_EQ(ErrorOf("3%10:|"), "Invalid bytes per unit value 3, allowed: 1,2,4,8");
  EXPECT_EQ(ErrorOf("R%10:|"), "Invalid bytes per unit value 16, allowed: 1,2,4,8");
  EXPECT_EQ(ErrorOf("%10:|", 16, 2, 1), "no error");
  try {
    RadixToInt("1G", 16);
    ADD_FAILURE();
  } catch (const EQDHexEditor& e) {
    EXPECT_STREQ(e.what(), "Invalid character G, cannot convert using radix 10h");
  }
  EXPECT_EQ(RadixToInt("ff", 16), 255);
  EXPECT_EQ(RadixToInt("777", 8), 511);
}

TEST(OffsetFormat, AnInvalidFormatLeavesTheOldOne) {
  TCustomQDHexEditor e;
  e.SetOffsetFormat("8%2!10:|h");
  EXPECT_THROW(e.SetOffsetFormat("10:0x"), EQDHexEditor);
  EXPECT_EQ(e.OffsetFormatText(), "8%2!10:|h");
  EXPECT_EQ(e.GetOffsetText(64), "08h");
}

TEST(OffsetFormat, DigitCountFollowsTheDataSize) {
  TCustomQDHexEditor e;
  test::Load(e, std::vector<std::uint8_t>(4096));
  EXPECT_EQ(e.GetOffsetText(0), "0x000");
  EXPECT_EQ(e.GetOffsetText(16), "0x010");
  EXPECT_EQ(e.GetOffsetText(4080), "0xFF0");
  e.SetInsertMode(true);
  EXPECT_EQ(e.GetOffsetText(0), "0x0000") << "the append row's offset 0x1000 has four digits";
  test::Load(e, {1});
  EXPECT_EQ(e.GetOffsetText(0), "0x0");
}

TEST(OffsetFormat, UnitFollowsTheGridWhenItChanges) {
  TCustomQDHexEditor e;
  test::Load(e, std::vector<std::uint8_t>(1024));
  e.SetOffsetFormat("C%10:|");
  e.SetBytesPerColumn(4);
  EXPECT_EQ(e.GetOffsetText(32), "8");
  e.SetOffsetFormat("-!10:|");
  e.SetBytesPerUnit(4);
  EXPECT_EQ(e.GetOffsetText(32), "08") << "last row 1008 / 4 = 0xFC: two digits";
  e.SetRulerBytesPerUnit(8);
  EXPECT_EQ(e.GetOffsetText(32), "04");
}

TEST(OffsetFormat, HandlerSuppliesTextWithoutRecursion) {
  TCustomQDHexEditor e;
  test::Load(e, std::vector<std::uint8_t>(64));
  std::string inner;
  e.OnGetOffsetText = [&](std::int64_t n, std::string& text) {
    inner = e.GetOffsetText(n);
    text = "custom";
  };
  EXPECT_EQ(e.GetOffsetText(32), "custom");
  EXPECT_EQ(inner, "0x20") << "inside the handler the format supplies the text";
}

}  // namespace
}  // namespace hexed

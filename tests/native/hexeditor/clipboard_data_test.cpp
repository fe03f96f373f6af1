// The clipboard blocks the data object offers, the choice among offered
// formats and the bytes an offered block gives back.
#include <gtest/gtest.h>

#include "hexeditor/clipboard/clipboard_data.h"

namespace hexed::clip {
namespace {

Bytes B(std::string_view s) { return Bytes(s.begin(), s.end()); }

TEST(ClipboardBlocks, PrivateAndRegEditBlocksRoundTrip) {
  const Bytes bytes = {0x41, 0x00, 0x42};
  const Bytes own = PrivateBlock(bytes);
  EXPECT_EQ(own, B(std::string_view("QDTH\x01\x00\x01\x00\x03\x00\x00\x00\x41\x00\x42", 15)));
  EXPECT_EQ(BytesFromBlock(Format::kPrivate, own, false), bytes);
  EXPECT_EQ(BytesFromBlock(Format::kRegEditHexData, RegEditBlock(bytes), false), bytes);
}

TEST(ClipboardBlocks, PlainTextStopsAtZeroOrIsHexDigits) {
  const Bytes bytes = {0x41, 0x00, 0x42, 0xAB};
  EXPECT_EQ(PlainTextBlock(bytes, false, false), B(std::string_view("A\0", 2)));
  EXPECT_EQ(PlainTextBlock(bytes, true, false), B(std::string_view("410042AB\0", 9)));
  EXPECT_EQ(PlainTextBlock(bytes, true, true), B(std::string_view("140024BA\0", 9)));
  EXPECT_EQ(HexTextToBytes(B("410042AB"), false), bytes);
  EXPECT_EQ(HexTextToBytes(B("140024BA"), true), bytes);
  EXPECT_EQ(HexTextToBytes(B("4 1-0x0g4 2 a"), false), (Bytes{0x41, 0x00, 0x42})) << "non-digits skipped, odd digit dropped";
}

TEST(ClipboardBlocks, FileGroupDescriptorLayout) {
  const Bytes d = FileGroupDescriptorBlock(0x01020304, 0x1122334455667788ULL, "Dump of a.bin");
  ASSERT_EQ(d.size(), kFileGroupDescriptorSize);
  EXPECT_EQ(d[0], 1);
  EXPECT_EQ(d[4], 0x60);
  EXPECT_EQ(Bytes(d.begin() + 60, d.begin() + 68), (Bytes{0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11}));
  EXPECT_EQ(Bytes(d.begin() + 68, d.begin() + 76), (Bytes{0, 0, 0, 0, 0x04, 0x03, 0x02, 0x01}));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(d.data() + 76)), "Dump of a.bin");
  // A long double-byte name is cut before the zero byte, never inside a character.
  std::string wide;
  for (int i = 0; i < 200; ++i) wide += "\xB0\xA1";
  const Bytes cut = FileGroupDescriptorBlock(1, 0, "x" + wide);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(cut.data() + 76)).size(), 259u);
  EXPECT_EQ(cut[76 + 259], 0);
  EXPECT_EQ(DumpFileName("报告"), "Dump of 报告.bin");
  EXPECT_EQ(DumpFileName(std::string(300, 'n')).size(), 255u);
}

struct ImportCase {
  const char* name;
  Format format;
  Bytes block;
  bool bigEndian;
  std::optional<Bytes> expected;
};

// Nothing to copy is a valid copy: no builder or reader touches the data
// of an empty block or name.
TEST(ClipboardBlocks, EmptyBytesAndNamesMakeValidBlocks) {
  EXPECT_EQ(BytesFromBlock(Format::kPrivate, PrivateBlock({}), false), Bytes{});
  EXPECT_EQ(BytesFromBlock(Format::kRegEditHexData, RegEditBlock({}), false), Bytes{});
  EXPECT_EQ(PlainTextBlock({}, true, false), Bytes{0});
  EXPECT_EQ(FileGroupDescriptorBlock(0, 0, std::string_view{}).size(), kFileGroupDescriptorSize);
  for (int f = 0; f <= static_cast<int>(Format::kHtml); ++f) BytesFromBlock(static_cast<Format>(f), {}, true);
}

TEST(ClipboardImport, BytesFromEachKindOfBlock) {
  const ImportCase cases[] = {
      {"private with bad signature", Format::kPrivate, B(std::string_view("QDTX\1\0\1\0\1\0\0\0z", 13)), false, std::nullopt},
      {"private with bad version", Format::kPrivate, B(std::string_view("QDTH\1\0\0\0\1\0\0\0z", 13)), false, std::nullopt},
      {"private count beyond block", Format::kPrivate, B(std::string_view("QDTH\1\0\1\0\x09\0\0\0ab", 14)), false, B("ab")},
      {"regedit too short", Format::kRegEditHexData, Bytes{1, 0}, false, std::nullopt},
      {"text up to zero", Format::kText, B(std::string_view("ab\0cd", 5)), false, B("ab")},
      {"html up to zero", Format::kHtml, B(std::string_view("<p>\0", 4)), false, B("<p>")},
      {"unicode little endian", Format::kUnicodeText, Bytes{'A', 0, 0x34, 0x12, 0, 0, 'x', 0}, false,
       Bytes{'A', 0, 0x34, 0x12}},
      {"unicode big endian", Format::kUnicodeText, Bytes{'A', 0, 0x34, 0x12, 0, 0}, true, Bytes{0, 'A', 0x12, 0x34}},
      {"dib gets a file header", Format::kDib, Bytes{7, 8}, false, Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7, 8}},
      {"locale is two bytes", Format::kLocale, Bytes{4, 8, 0, 0}, false, Bytes{4, 8}},
      {"wave whole block", Format::kWave, Bytes{0, 1, 0, 2}, false, Bytes{0, 1, 0, 2}},
  };
  for (const ImportCase& c : cases) EXPECT_EQ(BytesFromBlock(c.format, c.block, c.bigEndian), c.expected) << c.name;
}

TEST(ClipboardImport, FirstAcceptedFormatAndWhenToAsk) {
  using F = Format;
  EXPECT_EQ(ChooseFormat({F::kHtml, F::kText, F::kPrivate}, true), F::kPrivate);
  EXPECT_EQ(ChooseFormat({F::kHtml, F::kUnicodeText, F::kText}, true), F::kText);
  EXPECT_EQ(ChooseFormat({F::kText}, false), std::nullopt) << "foreign formats off";
  EXPECT_EQ(ChooseFormat({F::kText, F::kDroppedFiles}, false), F::kDroppedFiles);
  EXPECT_FALSE(NeedsFormatChoice({F::kText}, true));
  EXPECT_TRUE(NeedsFormatChoice({F::kText, F::kUnicodeText}, true));
  EXPECT_FALSE(NeedsFormatChoice({F::kText, F::kPrivate}, true));
  EXPECT_FALSE(NeedsFormatChoice({F::kDroppedFiles, F::kText}, true));
  EXPECT_EQ(StandardFormatName(1), "Text");
  EXPECT_EQ(StandardFormatName(9), "Color Palete");
  EXPECT_EQ(StandardFormatName(16), "Text Locale");
  EXPECT_EQ(StandardFormatName(17), "");
}

TEST(ClipboardImport, HexTextOnlyWhenPastingTextAndUnitCut) {
  EXPECT_TRUE(ReadsAsHexText(Format::kOemText, true, true));
  EXPECT_FALSE(ReadsAsHexText(Format::kText, true, false)) << "a drop takes the text as it is";
  EXPECT_FALSE(ReadsAsHexText(Format::kUnicodeText, true, true));
  Bytes five = {1, 2, 3, 4, 5};
  CutToUnit(five, 2);
  EXPECT_EQ(five, (Bytes{1, 2, 3, 4}));
}

}  // namespace
}  // namespace hexed::clip

// Character translations, their tables and the masked set.
#include <gtest/gtest.h>

#include <set>

#include "hexeditor/view/oem_codepage.h"
#include "hexeditor/view/translations.h"

namespace hexed {
namespace {

TEST(Translations, FixedTablesArePermutationsWithExactInverses) {
  for (auto [display, typing] : {std::pair{&MacDisplayTable(), &MacTypingTable()},
                                 std::pair{&EbcdicDisplayTable(), &EbcdicTypingTable()}}) {
    std::set<int> seen(display->begin(), display->end());
    EXPECT_EQ(seen.size(), 256u);
    for (int b = 0; b < 256; ++b) EXPECT_EQ((*typing)[(*display)[b]], b);
  }
}

TEST(Translations, SampleEntries) {
  EXPECT_EQ(MacDisplayTable()[0x41], 0x41);
  EXPECT_EQ(MacDisplayTable()[0x80], 0xC4);
  EXPECT_EQ(MacDisplayTable()[0xA5], 0xB4);
  EXPECT_EQ(MacDisplayTable()[0xFF], 0xAF);
  EXPECT_EQ(EbcdicDisplayTable()[0xC1], 0x41);
  EXPECT_EQ(EbcdicDisplayTable()[0x40], 0x20);
  EXPECT_EQ(EbcdicDisplayTable()[0xF0], 0x30);
  EXPECT_EQ(EbcdicDisplayTable()[0x4A], 0x5B);
  EXPECT_EQ(EbcdicTypingTable()['a'], 0x81);
}

TEST(Translations, NamesOfEveryKind) {
  EXPECT_EQ(TranslationDisplayName(tkBCD), "EBCDIC codepage 38");
  EXPECT_EQ(TranslationShortName(tkCustom), "Cust");
  EXPECT_EQ(TranslationDisplayName(tkDos8), "Dos 8 bits");
  EXPECT_EQ(TranslationShortName(tkASCII), "ASC");
}

TEST(Translations, MaskedResultsShowTheMaskCharAndAreRefusedAsInput) {
  const ByteSet mask = DefaultMaskedSet();
  EXPECT_EQ(DisplayChar(tkAsIs, 0x09, mask, '.'), '.');
  EXPECT_EQ(DisplayChar(tkAsIs, 0x41, mask, '.'), 0x41);
  EXPECT_EQ(DisplayChar(tkAsIs, 0x1F, mask, '*'), '*');
  EXPECT_EQ(DisplayChar(tkBCD, 0x25, mask, '.'), '.') << "EBCDIC line feed translates into the masked set";
  EXPECT_EQ(DisplayChar(tkASCII, 0x80, mask, '.'), '.');
  EXPECT_FALSE(TypedByte(tkAsIs, 0x0A, mask).has_value());
  EXPECT_EQ(TypedByte(tkBCD, '0', mask), 0xF0);
  EXPECT_EQ(TypedByte(tkMac, 0xC4, mask), 0x80);
  EXPECT_FALSE(TypedByte(tkASCII, 0xC7, mask).has_value());
  EXPECT_FALSE(TypedByte(tkDos8, 0x1F, ByteSet{}).has_value());
  ByteSet none;
  EXPECT_EQ(DisplayChar(tkAsIs, 0x09, none, '.'), 0x09);
}

TEST(Translations, NativeOemCodePageIs437AgainstAnsi1252) {
  EXPECT_EQ(OemToAnsiChar(0x80), 0xC7);  // C cedilla
  EXPECT_EQ(AnsiToOemChar(0xC7), 0x80);
  EXPECT_EQ(OemToAnsiChar(0x9B), 0xA2);  // cent sign
  EXPECT_EQ(OemToAnsiChar(0xB0), '?');   // a shade block has no ANSI form
  EXPECT_EQ(OemToAnsiChar('A'), 'A');
  const ByteSet mask = DefaultMaskedSet();
  EXPECT_EQ(DisplayChar(tkDos8, 0x82, mask, '.'), 0xE9);
  EXPECT_EQ(TypedByte(tkDos8, 0xE9, mask), 0x82);
  EXPECT_EQ(TypedByte(tkASCII, 'z', mask), 'z');
}

TEST(Translations, CustomTablesAreProgramWide) {
  std::array<std::uint8_t, 256> display{};
  std::array<std::uint8_t, 256> typing{};
  for (int i = 0; i < 256; ++i) {
    display[i] = static_cast<std::uint8_t>(255 - i);
    typing[i] = static_cast<std::uint8_t>(255 - i);
  }
  const ByteSet mask = DefaultMaskedSet();
  EXPECT_EQ(DisplayChar(tkCustom, 0x41, mask, '.'), 0x41);
  SetCustomTranslation(display, typing);
  EXPECT_EQ(DisplayChar(tkCustom, 0x41, mask, '.'), 0xBE);
  EXPECT_EQ(TypedByte(tkCustom, 0xBE, mask), 0x41);
  ResetCustomTranslation();
  EXPECT_EQ(DisplayChar(tkCustom, 0x41, mask, '.'), 0x41);
}

}  // namespace
}  // namespace hexed

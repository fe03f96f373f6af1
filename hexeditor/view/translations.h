// Character translations of the character field: a data byte to the shown
// character (DisplayChar) and a typed character to the data byte (TypedByte).
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <string_view>

namespace hexed {

enum TQDHTranslationKind : std::uint8_t { tkAsIs, tkDos8, tkASCII, tkMac, tkBCD, tkCustom };

inline constexpr int kTranslationKindCount = 6;

// 256-bit set of byte values.
using ByteSet = std::bitset<256>;

// The default masked set: 0 ... 31.
ByteSet DefaultMaskedSet();

// "Windows", "Dos 8 bits", "ASCII 7 bits", "Macintosh", "EBCDIC codepage 38",
// "Custom translation".
std::string_view TranslationDisplayName(TQDHTranslationKind kind);
// "WIN", "DOS", "ASC", "MAC", "BCD", "Cust".
std::string_view TranslationShortName(TQDHTranslationKind kind);

// The fixed tables: display (data byte → character) and typing (character →
// data byte), each a permutation of 0 ... 255.
const std::array<std::uint8_t, 256>& MacDisplayTable();
const std::array<std::uint8_t, 256>& MacTypingTable();
const std::array<std::uint8_t, 256>& EbcdicDisplayTable();
const std::array<std::uint8_t, 256>& EbcdicTypingTable();

// The program-wide custom tables (identity at start).
const std::array<std::uint8_t, 256>& CustomDisplayTable();
const std::array<std::uint8_t, 256>& CustomTypingTable();
void SetCustomTranslation(const std::array<std::uint8_t, 256>& display, const std::array<std::uint8_t, 256>& typing);
void ResetCustomTranslation();

// The 8-bit character shown for a data byte; a result in the masked set (and,
// for tkASCII, any byte 128 ... 255) shows as maskChar.
std::uint8_t DisplayChar(TQDHTranslationKind kind, std::uint8_t b, const ByteSet& masked, std::uint8_t maskChar);

// The data byte for a typed 8-bit character, or empty when the translation
// refuses it or the result is in the masked set.
std::optional<std::uint8_t> TypedByte(TQDHTranslationKind kind, std::uint8_t ch, const ByteSet& masked);

}  // namespace hexed

// The offset format language of the gutter:
//   unit part, digit part, radix, ":", prefix, "|", suffix
// e.g. "-!10:0x|" (unit = ruler unit, digit count from the data size,
// radix 16, prefix "0x") or "8%2!10:|h".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace hexed {

inline constexpr char kDefaultOffsetFormat[] = "-!10:0x|";

// Flags of an offset format.
inline constexpr int kOffsetDigitsFollowSize = 1;
inline constexpr int kOffsetUnitFollowsRow = 2;
inline constexpr int kOffsetUnitFollowsColumn = 4;
inline constexpr int kOffsetUnitFollowsRuler = 8;

// One editor's parsed offset format.
struct OffsetFormat {
  std::string text;      // the format itself; empty = no format, offsets are empty
  std::string prefix;
  std::string suffix;
  int minDigits = 1;
  int flags = 0;
  int radix = 16;
  int unit = 1;
};

// Parses a format; the units that "R%", "C%" and "%" refer to are given.
// Throws EQDHexEditor with the format's error messages.
OffsetFormat ParseOffsetFormat(std::string_view text, int bytesPerRow, int bytesPerColumn, int rulerUnit);

// The offset text of byte position p: p / unit in the radix, left-padded with
// "0" to the minimum digit count, between prefix and suffix.
std::string FormatOffset(const OffsetFormat& format, std::int64_t p, bool lowerCase);

// Digits of value in radix (2..16); 0 gives the empty text.
std::string IntToRadix(std::uint64_t value, int radix, bool lowerCase);

// Value of digits in radix; throws EQDHexEditor "Invalid character %s, cannot
// convert using radix %xh" for a character that is no digit of the radix.
// Values beyond 32 bits saturate at INT32_MAX.
std::int64_t RadixToInt(std::string_view digits, int radix);

// Lower-case hexadecimal text of v, as the messages show numbers ("11" for 17).
std::string HexText(std::int64_t v);

}  // namespace hexed

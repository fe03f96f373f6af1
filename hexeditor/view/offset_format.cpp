#include "hexeditor/view/offset_format.h"

#include <algorithm>
#include <cctype>

#include "hexeditor/errors.h"
#include "hexeditor/messages.h"

namespace hexed {

namespace {

bool IsHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return 99;
}

// Length of the run of hexadecimal digits at the start of s.
std::size_t HexRun(std::string_view s) {
  std::size_t n = 0;
  while (n < s.size() && IsHexDigit(s[n])) ++n;
  return n;
}

constexpr std::int64_t kMaxMinDigits = 255;

bool IsValidUnit(std::int64_t u) { return u == 1 || u == 2 || u == 4 || u == 8; }

}  // namespace

std::string HexText(std::int64_t v) {
  char buffer[24];
  std::size_t at = sizeof buffer;
  std::uint64_t magnitude = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
  do {
    buffer[--at] = "0123456789abcdef"[magnitude % 16];
    magnitude /= 16;
  } while (magnitude > 0);
  if (v < 0) buffer[--at] = '-';
  return std::string(buffer + at, buffer + sizeof buffer);
}

std::string IntToRadix(std::uint64_t value, int radix, bool lowerCase) {
  static constexpr char kUpper[] = "0123456789ABCDEF";
  static constexpr char kLower[] = "0123456789abcdef";
  const char* digits = lowerCase ? kLower : kUpper;
  std::string out;
  while (value > 0) {
    out.push_back(digits[value % static_cast<unsigned>(radix)]);
    value /= static_cast<unsigned>(radix);
  }
  std::reverse(out.begin(), out.end());
  return out;
}

std::int64_t RadixToInt(std::string_view digits, int radix) {
  std::int64_t value = 0;
  for (char c : digits) {
    const int d = DigitValue(c);
    if (d >= radix) {
      throw EQDHexEditor(FormatText(msg::kInvalidCharacter, {std::string(1, c), HexText(radix)}));
    }
    value = std::min<std::int64_t>(value * radix + d, INT32_MAX);
  }
  return value;
}

OffsetFormat ParseOffsetFormat(std::string_view text, int bytesPerRow, int bytesPerColumn, int rulerUnit) {
  OffsetFormat f;
  f.text = std::string(text);
  if (text.empty()) return f;

  std::string_view s = text;
  std::int64_t unit = 0;
  const auto upper = [&](std::size_t i) { return static_cast<char>(std::toupper(static_cast<unsigned char>(s[i]))); };
  if (s.size() >= 2 && upper(0) == 'R' && s[1] == '%') {
    f.flags |= kOffsetUnitFollowsRow;
    unit = bytesPerRow;
    s.remove_prefix(2);
  } else if (s.size() >= 2 && upper(0) == 'C' && s[1] == '%') {
    f.flags |= kOffsetUnitFollowsColumn;
    unit = bytesPerColumn;
    s.remove_prefix(2);
  } else {
    const std::size_t run = HexRun(s);
    if (run < s.size() && s[run] == '%') {
      if (run > 0) {
        unit = RadixToInt(s.substr(0, run), 16);
      } else {
        f.flags |= kOffsetUnitFollowsRuler;
        unit = rulerUnit;
      }
      s.remove_prefix(run + 1);
    } else {
      f.flags |= kOffsetUnitFollowsRuler;
      unit = rulerUnit;
    }
  }
  if (!IsValidUnit(unit)) throw EQDHexEditor(FormatText(msg::kInvalidBytesPerUnit, {std::to_string(unit)}));
  f.unit = static_cast<int>(unit);

  if (s.size() >= 2 && s[0] == '-' && s[1] == '!') {
    f.flags |= kOffsetDigitsFollowSize;
    f.minDigits = 1;
    s.remove_prefix(2);
  } else {
    const std::size_t run = HexRun(s);
    if (run < s.size() && s[run] == '!') {
      // A digit count beyond any 64-bit number's length only pads; capping it
      // keeps a mistyped format from asking for gigabytes of zeros.
      f.minDigits = run > 0 ? static_cast<int>(std::min<std::int64_t>(RadixToInt(s.substr(0, run), 16), kMaxMinDigits)) : 1;
      s.remove_prefix(run + 1);
    } else {
      f.minDigits = 1;
    }
  }

  const std::size_t run = HexRun(s);
  if (run == 0) throw EQDHexEditor(FormatText(msg::kMissingChar, {msg::kNumberRadix}));
  if (run >= s.size() || s[run] != ':') throw EQDHexEditor(FormatText(msg::kMissingChar, {":"}));
  const std::int64_t radix = RadixToInt(s.substr(0, run), 16);
  if (radix < 2 || radix > 16) throw EQDHexEditor(FormatText(msg::kInvalidRadix, {HexText(radix)}));
  f.radix = static_cast<int>(radix);
  s.remove_prefix(run + 1);

  const std::size_t bar = s.find('|');
  if (bar == std::string_view::npos) throw EQDHexEditor(FormatText(msg::kMissingChar, {"|"}));
  f.prefix = std::string(s.substr(0, bar));
  f.suffix = std::string(s.substr(bar + 1));
  return f;
}

std::string FormatOffset(const OffsetFormat& format, std::int64_t p, bool lowerCase) {
  if (format.text.empty()) return {};
  const std::int64_t number = format.unit > 0 ? p / format.unit : p;
  std::string digits = IntToRadix(static_cast<std::uint64_t>(std::max<std::int64_t>(number, 0)), format.radix, lowerCase);
  if (static_cast<int>(digits.size()) < format.minDigits) {
    digits.insert(0, static_cast<std::size_t>(format.minDigits) - digits.size(), '0');
  }
  return format.prefix + digits + format.suffix;
}

}  // namespace hexed

#include "hexeditor/editor/go_to.h"

#include <limits>

namespace hexed {

namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// Digits in `radix` times `unit`; nothing on a stray character or overflow.
std::optional<std::int64_t> Number(std::string_view digits, int radix, std::int64_t unit) {
  if (digits.empty()) return std::nullopt;
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  std::int64_t value = 0;
  for (char c : digits) {
    const int d = DigitValue(c);
    if (d >= radix || value > (kMax - d) / radix) return std::nullopt;
    value = value * radix + d;
  }
  if (unit > 1 && value > kMax / unit) return std::nullopt;
  return value * unit;
}

// The offset a text without its sign names: the editor's own format first,
// then "0x" hexadecimal, then decimal.
std::optional<std::int64_t> Offset(std::string_view text, const OffsetFormat& format) {
  const bool hasAffixes = !format.prefix.empty() || !format.suffix.empty();
  if (hasAffixes && text.size() > format.prefix.size() + format.suffix.size() && text.starts_with(format.prefix) &&
      text.ends_with(format.suffix)) {
    text.remove_prefix(format.prefix.size());
    text.remove_suffix(format.suffix.size());
    return Number(text, format.radix, format.unit);
  }
  if (text.starts_with("0x") || text.starts_with("0X")) return Number(text.substr(2), 16, 1);
  return Number(text, 10, 1);
}

}  // namespace

std::optional<std::int64_t> GoToPosition(std::string_view text, const OffsetFormat& format, std::int64_t caret,
                                         std::int64_t size) {
  text = Trimmed(text);
  const int sign = text.starts_with('+') ? 1 : text.starts_with('-') ? -1 : 0;
  if (sign != 0) text = Trimmed(text.substr(1));
  const std::optional<std::int64_t> offset = Offset(text, format);
  if (!offset) return std::nullopt;
  std::int64_t target = *offset;
  if (sign > 0) {
    if (*offset > size - caret) return std::nullopt;
    target = caret + *offset;
  } else if (sign < 0) {
    if (*offset > caret) return std::nullopt;
    target = caret - *offset;
  }
  if (target < 0 || target > size) return std::nullopt;
  return target;
}

}  // namespace hexed

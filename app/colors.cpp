#include "app/colors.h"

#include <cctype>

namespace app {

std::optional<std::int32_t> ParseInteger(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (!text.empty() && text[0] == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    int digit = -1;
    if (std::isdigit(u)) digit = c - '0';
    else if (base == 16 && std::isxdigit(u)) digit = std::tolower(u) - 'a' + 10;
    if (digit < 0) return std::nullopt;
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    if (value > 0xFFFFFFFFull) return std::nullopt;
  }
  if (base == 10) {
    if (negative ? value > 2147483648ull : value > 2147483647ull) return std::nullopt;
    return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value));
  }
  // Hexadecimal covers the whole 32 bits; the top bit makes it negative.
  const auto bits = static_cast<std::uint32_t>(value);
  return static_cast<std::int32_t>(negative ? 0u - bits : bits);
}

std::uint32_t ResolveColor(Color color, const std::function<std::uint32_t(int index)>& systemColor) {
  if (color < 0) return systemColor(color & 0xFF);
  return static_cast<std::uint32_t>(color) & 0xFFFFFFu;
}

std::uint32_t LogoRandomNumber(std::uint32_t seed) {
  // One step of a linear congruential generator scaled to the range.
  const std::uint32_t next = seed * 134775813u + 1u;
  return static_cast<std::uint32_t>((static_cast<std::uint64_t>(next) * 4294967295ull) >> 32);
}

LogoMove LogoMoveFor(std::uint32_t r) {
  const std::int64_t wide = r > 2147483647u ? 2147483647ll - static_cast<std::int64_t>(r) : static_cast<std::int64_t>(r);
  const auto c = static_cast<Color>(wide);
  const auto u = static_cast<std::uint32_t>(c);
  if (c == 0 || u == 0x00FF00FFu || u == 0xFF000006u || u == 0xFF000007u || u == 0xFF000008u || u == 0xFF000012u ||
      u == 0xFF000017u)
    return LogoMove{false, 0, kLogoCaption};
  LogoMove move{true, c, {}};
  if (u == 0x00FFFF00u || u == 0x0000FF00u || u == 0x000000FFu || u == 0x0000FFFFu) move.caption = kLogoBrightCaption;
  return move;
}

}  // namespace app

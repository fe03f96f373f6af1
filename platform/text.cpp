#include "platform/text.h"

namespace platform {

namespace {

// In code page 936 a byte 0x81..0xFE leads a double-byte character.
bool IsGbkLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

bool IsUtf8Continuation(unsigned char b) { return (b & 0xC0) == 0x80; }

}  // namespace

std::size_t GbkCutLength(std::string_view gbk, std::size_t maxBytes) {
  std::size_t i = 0;
  while (i < gbk.size()) {
    const std::size_t width = (IsGbkLeadByte(static_cast<unsigned char>(gbk[i])) && i + 1 < gbk.size()) ? 2 : 1;
    if (i + width > maxBytes) break;
    i += width;
  }
  return i;
}

std::size_t GbkCharCount(std::string_view gbk) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < gbk.size(); ++count)
    i += (IsGbkLeadByte(static_cast<unsigned char>(gbk[i])) && i + 1 < gbk.size()) ? 2 : 1;
  return count;
}

std::string Utf8Prefix(std::string_view utf8, std::size_t maxChars) {
  std::size_t i = 0;
  for (std::size_t chars = 0; i < utf8.size() && chars < maxChars; ++chars) {
    ++i;
    while (i < utf8.size() && IsUtf8Continuation(static_cast<unsigned char>(utf8[i]))) ++i;
  }
  return std::string(utf8.substr(0, i));
}

std::size_t Utf8CharCount(std::string_view utf8) {
  std::size_t count = 0;
  for (unsigned char c : utf8)
    if (!IsUtf8Continuation(c)) ++count;
  return count;
}

bool IsValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    std::size_t extra;
    char32_t cp;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1, cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2, cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3, cp = lead & 0x07;
    } else {
      return false;
    }
    if (bytes.size() - i <= extra) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto c = static_cast<unsigned char>(bytes[i + k]);
      if (!IsUtf8Continuation(c)) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    const char32_t least[] = {0, 0x80, 0x800, 0x10000};
    if (cp < least[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8) {
  if (!IsValidUtf8(utf8)) return std::nullopt;
  std::u16string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    char32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
    for (std::size_t k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += extra + 1;
    if (cp < 0x10000) {
      out.push_back(static_cast<char16_t>(cp));
    } else {  // a surrogate pair
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    }
  }
  return out;
}

}  // namespace platform

#include "hexeditor/model/search_pattern.h"

#include "platform/text.h"

namespace hexed::search {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ','; }

bool IsAsciiLetter(std::uint8_t b) { return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'); }

std::string Column(std::size_t index) { return " at column " + std::to_string(index + 1); }

PatternByte ExactByte(std::uint8_t b) { return PatternByte{b, 0}; }

// A letter compares in lower case: OR-ing 0x20 maps 'A'..'Z' onto 'a'..'z' and
// no other byte onto a letter's lower case except that letter's two forms.
PatternByte FoldedByte(std::uint8_t b) { return PatternByte{static_cast<std::uint8_t>(b | 0x20), 0x20}; }

// One byte from text[i] and text[i + 1], which are known to exist.
PatternByte HexPair(std::string_view text, std::size_t i) {
  const char hi = text[i], lo = text[i + 1];
  if (hi == '?' && lo == '?') return PatternByte{0xFF, 0xFF};
  if (hi == '?' || lo == '?')
    throw PatternError(PatternErrorKind::kHalfWildcard, "a wildcard must be a whole byte \"??\"" + Column(i));
  return ExactByte(static_cast<std::uint8_t>(HexValue(hi) * 16 + HexValue(lo)));
}

void CheckHexCharacters(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (!IsBlank(c) && c != '?' && HexValue(c) < 0)
      throw PatternError(PatternErrorKind::kBadHexDigit, std::string("invalid hex digit '") + c + "'" + Column(i));
  }
}

void CheckHasFixedByte(const Pattern& p) {
  for (const PatternByte& b : p.bytes)
    if (b.fold != 0xFF) return;
  throw PatternError(PatternErrorKind::kOnlyWildcards, "the pattern has no fixed byte");
}

// The text's UTF-16LE bytes; ASCII letters fold only in the low byte of a unit
// whose high byte is 0, so no other character can match them.
Pattern Utf16Pattern(std::string_view text, bool ignoreAsciiCase) {
  const std::optional<std::u16string> units = platform::Utf8ToUtf16(text);
  if (!units) throw PatternError(PatternErrorKind::kBadText, "the text is not valid UTF-8");
  Pattern p;
  for (char16_t u : *units) {
    const auto lo = static_cast<std::uint8_t>(u & 0xFF);
    const bool fold = ignoreAsciiCase && u < 0x80 && IsAsciiLetter(lo);
    p.bytes.push_back(fold ? FoldedByte(lo) : ExactByte(lo));
    p.bytes.push_back(ExactByte(static_cast<std::uint8_t>(u >> 8)));
  }
  return p;
}

// The text's GBK bytes; a trail byte may be a letter's code, so the walk skips
// every double-byte character whole.
Pattern GbkPattern(std::string_view text, bool ignoreAsciiCase) {
  const std::optional<std::string> gbk = platform::Utf8ToGbk(text);
  if (!gbk) throw PatternError(PatternErrorKind::kNotEncodable, "the text has a character GBK cannot write");
  Pattern p;
  for (std::size_t i = 0; i < gbk->size(); ++i) {
    const auto b = static_cast<std::uint8_t>((*gbk)[i]);
    if (b >= 0x81 && b <= 0xFE && i + 1 < gbk->size()) {
      p.bytes.push_back(ExactByte(b));
      p.bytes.push_back(ExactByte(static_cast<std::uint8_t>((*gbk)[++i])));
    } else {
      p.bytes.push_back(ignoreAsciiCase && IsAsciiLetter(b) ? FoldedByte(b) : ExactByte(b));
    }
  }
  return p;
}

// UTF-8 bytes below 0x80 are always ASCII characters of their own.
Pattern Utf8Pattern(std::string_view text, bool ignoreAsciiCase) {
  Pattern p;
  for (char c : text) {
    const auto b = static_cast<std::uint8_t>(c);
    p.bytes.push_back(ignoreAsciiCase && IsAsciiLetter(b) ? FoldedByte(b) : ExactByte(b));
  }
  return p;
}

}  // namespace

Pattern ParseHexPattern(std::string_view text) {
  CheckHexCharacters(text);
  Pattern p;
  std::size_t i = 0;
  while (i < text.size()) {
    if (IsBlank(text[i])) {
      ++i;
      continue;
    }
    if (i + 1 >= text.size() || IsBlank(text[i + 1]))
      throw PatternError(PatternErrorKind::kIncompleteByte, "a byte needs two hex digits" + Column(i));
    p.bytes.push_back(HexPair(text, i));
    i += 2;
  }
  if (p.bytes.empty()) throw PatternError(PatternErrorKind::kEmpty, "the pattern is empty");
  CheckHasFixedByte(p);
  return p;
}

Pattern TextPattern(std::string_view text, TextEncoding encoding, bool ignoreAsciiCase) {
  if (text.empty()) throw PatternError(PatternErrorKind::kEmpty, "the text is empty");
  if (!platform::IsValidUtf8(text)) throw PatternError(PatternErrorKind::kBadText, "the text is not valid UTF-8");
  switch (encoding) {
    case TextEncoding::kGbk:
      return GbkPattern(text, ignoreAsciiCase);
    case TextEncoding::kUtf16Le:
      return Utf16Pattern(text, ignoreAsciiCase);
    case TextEncoding::kUtf8:
      break;
  }
  return Utf8Pattern(text, ignoreAsciiCase);
}

}  // namespace hexed::search

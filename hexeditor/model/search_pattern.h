// What a find looks for: a byte pattern made from hex text with "??"
// wildcards or from text in one of the editor's encodings. Each pattern byte is
// a test `(data | fold) == want`, so a fixed byte, an ASCII letter in either
// case and a wildcard are all one comparison without a branch per kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace hexed::search {

// Why a pattern text was refused.
enum class PatternErrorKind {
  kEmpty,            // nothing to look for
  kBadHexDigit,      // a character that is neither a hex digit, '?' nor a blank
  kIncompleteByte,   // an odd number of digits, or a byte split by a blank
  kHalfWildcard,     // '?' beside a digit: wildcards stand for whole bytes
  kOnlyWildcards,    // no fixed byte: such a pattern matches everywhere
  kNotEncodable,     // a character the chosen encoding cannot write
  kBadText,          // the text is not valid UTF-8
  kWildcardReplacement,  // "??" in what replaces a match: it names no byte
};

// A refused pattern; what() is an English message naming the place.
class PatternError : public std::runtime_error {
 public:
  PatternError(PatternErrorKind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
  PatternErrorKind kind() const { return kind_; }

 private:
  PatternErrorKind kind_;
};

// Encodings a text pattern can be written in.
enum class TextEncoding { kGbk, kUtf16Le, kUtf8 };

// One pattern byte matches a data byte b when (b | fold) == want.
struct PatternByte {
  std::uint8_t want = 0;
  std::uint8_t fold = 0;  // 0: exact; 0x20: ASCII letter, either case; 0xFF: any byte
  bool IsExact() const { return fold == 0; }
  bool Matches(std::uint8_t b) const { return static_cast<std::uint8_t>(b | fold) == want; }
};

// A pattern: at least one byte, at least one of them not a wildcard.
struct Pattern {
  std::vector<PatternByte> bytes;
  std::size_t size() const { return bytes.size(); }
};

// Parses hex bytes such as "4D 5A ?? 00" or "4d5a??00": two hex digits or "??"
// per byte, blanks between bytes allowed. Throws PatternError.
Pattern ParseHexPattern(std::string_view text);

// The bytes of UTF-8 `text` in `encoding`; with ignoreAsciiCase the ASCII
// letters among them (never the trail bytes of a GBK character) match either
// case. Throws PatternError.
Pattern TextPattern(std::string_view text, TextEncoding encoding, bool ignoreAsciiCase);

}  // namespace hexed::search

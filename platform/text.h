// Text conversion at the edge of the core.
//
// Inside the core every text is UTF-8. Bytes that land in files (key bytes,
// stored extensions, key files, names in packages) use GBK, code page 936.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// UTF-8 → GBK. Empty when a character has no GBK form: a lossy '?' would make
// different keys or names equal.
std::optional<std::string> Utf8ToGbk(std::string_view utf8);

// GBK → UTF-8. Empty when the bytes are not valid GBK.
std::optional<std::string> GbkToUtf8(std::string_view gbk);

// Length of the longest prefix of `gbk` of at most `maxBytes` bytes that does
// not end inside a double-byte character.
std::size_t GbkCutLength(std::string_view gbk, std::size_t maxBytes);

// Number of characters in GBK text (a double-byte character counts once).
std::size_t GbkCharCount(std::string_view gbk);

// The first `maxChars` characters of UTF-8 text (a cut never splits a character).
std::string Utf8Prefix(std::string_view utf8, std::size_t maxChars);

// Number of characters in UTF-8 text.
std::size_t Utf8CharCount(std::string_view utf8);

// True when the bytes are well-formed UTF-8 (shortest forms, no surrogates,
// nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// UTF-8 → UTF-16 code units (a character above U+FFFF as a surrogate pair).
// Empty when the bytes are not well-formed UTF-8.
std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8);

}  // namespace platform

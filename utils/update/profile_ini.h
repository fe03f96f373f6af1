// Reading INI text the way the Windows profile routines read it: section and
// key names in any letter case, the first section and the first key of a
// name win, blanks around names and values trimmed, one pair of quotation
// marks around a value removed. The text is GBK; values come out as UTF-8
// (a byte that is not GBK becomes U+FFFD).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace utils {

class ProfileIni {
 public:
  static ProfileIni Parse(std::string_view gbkText);

  bool HasKey(std::string_view section, std::string_view key) const;
  // The value, or empty when the key is absent.
  std::optional<std::string> Read(std::string_view section, std::string_view key) const;
  // The value as a decimal integer (or "$"/"0x" hexadecimal); `fallback`
  // when absent or unreadable.
  std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t fallback) const;

 private:
  // Lower-case section name → lower-case key → value.
  std::map<std::string, std::map<std::string, std::string>> sections_;
};

// GBK bytes → UTF-8, every byte sequence that is not GBK replaced by U+FFFD.
std::string GbkToUtf8Lossy(std::string_view gbk);

}  // namespace utils

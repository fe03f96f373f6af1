// Paths ↔ UTF-8 text (the core's text), the same on every platform.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

inline std::string PathToUtf8(const std::filesystem::path& path) {
  const std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}

inline std::filesystem::path Utf8ToPath(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace platform

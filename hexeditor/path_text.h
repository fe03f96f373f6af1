// Paths as UTF-8 text and back (messages and names in the core are UTF-8).
#pragma once

#include <filesystem>
#include <string>

namespace hexed {

inline std::string PathText(const std::filesystem::path& p) {
  const std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

inline std::filesystem::path PathFromText(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

}  // namespace hexed

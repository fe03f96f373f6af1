#include "app/key_entry.h"

#include "platform/text.h"

namespace app {

namespace {

// Length of the UTF-8 character that starts at `i`.
std::size_t CharLength(std::string_view s, std::size_t i) {
  std::size_t n = 1;
  while (i + n < s.size() && (static_cast<unsigned char>(s[i + n]) & 0xC0) == 0x80) ++n;
  return n;
}

std::size_t CharBytes(std::string_view character) {
  if (character.size() == 1) return 1;
  const std::optional<std::string> gbk = platform::Utf8ToGbk(character);
  return gbk ? gbk->size() : 2;
}

}  // namespace

std::size_t KeyByteLength(std::string_view utf8) {
  if (const std::optional<std::string> gbk = platform::Utf8ToGbk(utf8)) return gbk->size();
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t n = CharLength(utf8, i);
    bytes += CharBytes(utf8.substr(i, n));
    i += n;
  }
  return bytes;
}

std::string KeyLengthHint(std::string_view utf8) {
  return "密钥长度为:" + std::to_string(KeyByteLength(utf8)) + "字节";
}

std::string FittingInsertion(std::string_view insert, std::size_t boxBytes, std::size_t replacedBytes) {
  const std::size_t kept = boxBytes > replacedBytes ? boxBytes - replacedBytes : 0;
  if (kept >= kMaxTypedKey) return {};
  std::size_t room = kMaxTypedKey - kept;
  std::size_t end = 0;
  while (end < insert.size()) {
    std::size_t n = CharLength(insert, end);
    if (insert.substr(end, 2) == "\r\n") n = 2;
    const std::size_t bytes = n == 2 && insert[end] == '\r' ? 2 : CharBytes(insert.substr(end, n));
    if (bytes > room) break;
    room -= bytes;
    end += n;
  }
  return std::string(insert.substr(0, end));
}

std::string KeyFileSaveName(std::string_view name, int filterIndex) {
  if (filterIndex != 1) return std::string(name);
  const std::size_t nameStart = name.find_last_of("\\/:");
  const std::size_t dot = name.rfind('.');
  const bool hasExtension = dot != std::string_view::npos && (nameStart == std::string_view::npos || dot > nameStart);
  return std::string(hasExtension ? name.substr(0, dot) : name) + ".txt";
}

std::optional<std::string> KeyBytes(std::string_view utf8) { return platform::Utf8ToGbk(utf8); }

}  // namespace app

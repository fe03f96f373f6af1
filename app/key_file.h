// Key files: plain GBK text holding exactly the key text.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace app {

// The longest key a key file can give, in GBK bytes.
constexpr std::size_t kMaxLoadedKey = 2056;

// The bytes of a key file that decide its key: what the cut keeps, one more
// to see whether a kept CR is followed by LF, and one more to end a
// double-byte character at the cut. The rest of the file is never read.
constexpr std::size_t kKeyFileBytesRead = kMaxLoadedKey + 2;

// The key text that a key file's first bytes give: the text ends at the first
// zero byte; a lone CR or LF becomes CR LF; the text is cut to its first
// 2,056 bytes without splitting a character or a CR LF pair. Empty when the
// kept bytes are not GBK text (what the cut drops does not count).
std::optional<std::string> KeyTextFromFile(std::string_view firstBytes);

// Loading a key file: its key, or why there is none.
struct LoadedKey {
  enum class Outcome { kKey, kUnreadable, kNotGbk };
  Outcome outcome = Outcome::kUnreadable;
  std::string text;  // GBK, with kKey
};
LoadedKey LoadKeyFile(const std::filesystem::path& file);

}  // namespace app

// Key files: plain GBK text holding exactly the key text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace app {

// The longest key a key file can give, in GBK bytes.
constexpr std::size_t kMaxLoadedKey = 2056;

// The key text that a key file's bytes give: the text ends at the first zero
// byte; a lone CR or LF becomes CR LF; the text is cut to its first 2,056
// bytes without splitting a character. Empty when the bytes are not GBK text.
std::optional<std::string> KeyTextFromFile(std::string_view fileBytes);

}  // namespace app

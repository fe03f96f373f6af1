#include "app/key_file.h"

#include "platform/file.h"
#include "platform/text.h"

namespace app {

namespace {

// GBK trail bytes are 0x40..0xFE, so CR, LF and NUL only ever stand for
// themselves and the text can be handled byte by byte.
std::string WithCrLfLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += "\r\n";
      ++i;
    } else if (c == '\r' || c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::optional<std::string> KeyTextFromFile(std::string_view firstBytes) {
  const std::size_t zero = firstBytes.find('\0');
  if (zero != std::string_view::npos) firstBytes = firstBytes.substr(0, zero);
  std::string text = WithCrLfLineBreaks(firstBytes.substr(0, kKeyFileBytesRead));
  std::size_t kept = platform::GbkCutLength(text, kMaxLoadedKey);
  // A key never ends in half a line break.
  if (kept > 0 && kept < text.size() && text[kept - 1] == '\r' && text[kept] == '\n') --kept;
  text.resize(kept);
  if (!platform::GbkToUtf8(text)) return std::nullopt;
  return text;
}

LoadedKey LoadKeyFile(const std::filesystem::path& file) {
  std::string bytes(kKeyFileBytesRead, '\0');
  try {
    // Read fills the buffer but at the file's end.
    bytes.resize(platform::InputFile(file).Read(bytes.data(), bytes.size()));
  } catch (const platform::IoError&) {
    return {};
  }
  std::optional<std::string> text = KeyTextFromFile(bytes);
  if (!text) return {LoadedKey::Outcome::kNotGbk, {}};
  return {LoadedKey::Outcome::kKey, std::move(*text)};
}

}  // namespace app

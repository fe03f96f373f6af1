#include "app/key_file.h"

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

std::optional<std::string> KeyTextFromFile(std::string_view fileBytes) {
  const std::size_t zero = fileBytes.find('\0');
  if (zero != std::string_view::npos) fileBytes = fileBytes.substr(0, zero);
  if (!platform::GbkToUtf8(fileBytes)) return std::nullopt;
  std::string text = WithCrLfLineBreaks(fileBytes);
  text.resize(platform::GbkCutLength(text, kMaxLoadedKey));
  return text;
}

}  // namespace app

// The key-file loader: the text up to the first zero byte, line breaks made
// CR LF, cut to 2,056 bytes without splitting a character or a CR LF; nothing
// when the kept bytes are no GBK text. A plain byte-by-byte reading is the
// reference.
#include <cstdint>
#include <optional>
#include <string>

#include "app/key_file.h"
#include "fuzz/fuzz_support.h"
#include "platform/text.h"

namespace {

std::string ReferenceLineBreaks(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      out += "\r\n";
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The kept start of the text with its line breaks made CR LF.
std::string ReferenceCut(const std::string& full) {
  std::size_t i = 0;
  while (i < full.size()) {
    const auto byte = static_cast<unsigned char>(full[i]);
    const std::size_t width = byte >= 0x81 && byte <= 0xFE && i + 1 < full.size() ? 2 : 1;
    if (i + width > app::kMaxLoadedKey) break;
    i += width;
  }
  if (i > 0 && i < full.size() && full[i - 1] == '\r' && full[i] == '\n') --i;
  return full.substr(0, i);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<std::string> key = app::KeyTextFromFile(bytes);

  const std::string_view text = bytes.substr(0, bytes.find('\0'));
  const std::string full = ReferenceLineBreaks(text);
  const std::string kept = ReferenceCut(full);
  fuzz::Check(key.has_value() == platform::GbkToUtf8(kept).has_value(), "a key comes exactly from kept GBK text");
  if (!key) return 0;

  fuzz::Check(*key == kept, "the key is the kept start of the text");
  fuzz::Check(key->size() <= app::kMaxLoadedKey, "the key is at most 2,056 bytes");
  if (full.size() <= app::kMaxLoadedKey) fuzz::Check(*key == full, "a short text is taken whole");
  else fuzz::Check(key->size() + 1 >= app::kMaxLoadedKey, "a long text is cut at most one byte short");
  return 0;
}

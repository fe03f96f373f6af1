// The key-file loader: the text up to the first zero byte, line breaks made
// CR LF, cut to 2,056 bytes without splitting a character; nothing for bytes
// that are no GBK text. A plain byte-by-byte reading is the reference.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<std::string> key = app::KeyTextFromFile(bytes);

  const std::string_view text = bytes.substr(0, bytes.find('\0'));
  const bool gbk = platform::GbkToUtf8(text).has_value();
  fuzz::Check(key.has_value() == gbk, "a key comes exactly from GBK text");
  if (!key) return 0;

  fuzz::Check(key->size() <= app::kMaxLoadedKey, "the key is at most 2,056 bytes");
  fuzz::Check(platform::GbkToUtf8(*key).has_value(), "the cut splits no character");
  const std::string full = ReferenceLineBreaks(text);
  fuzz::Check(full.compare(0, key->size(), *key) == 0, "the key is the start of the text");
  if (full.size() <= app::kMaxLoadedKey) fuzz::Check(*key == full, "a short text is taken whole");
  else fuzz::Check(key->size() + 1 >= app::kMaxLoadedKey, "a long text is cut at most one byte short");
  return 0;
}

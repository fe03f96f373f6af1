#include "engine/aead/metadata.h"

#include <string_view>

#include "platform/text.h"

namespace engine::aead {

int ZlibLevel(std::uint8_t compression) {
  constexpr int kLevels[] = {0, 1, 6, 9};
  return compression <= 3 ? kLevels[compression] : 6;
}

Bytes EncodeMetadata(const Metadata& m) {
  Bytes out(m.EncodedSize());
  out[0] = kMetadataVersion;
  out[1] = m.compression;
  out[2] = static_cast<std::uint8_t>(m.extension.size());
  out[3] = static_cast<std::uint8_t>(m.extension.size() >> 8);
  std::copy(m.extension.begin(), m.extension.end(), out.begin() + 4);
  for (int i = 0; i < 8; ++i) out[4 + m.extension.size() + i] = static_cast<std::uint8_t>(m.size >> (8 * i));
  return out;
}

MetadataParse ParseMetadata(ByteSpan b, Metadata& m) {
  if (b.size() >= 1 && b[0] != kMetadataVersion) return MetadataParse::kDamaged;
  if (b.size() >= 2 && b[1] > 3) return MetadataParse::kDamaged;
  if (b.size() < 4) return MetadataParse::kNeedMore;
  const std::size_t e = b[2] | std::size_t{b[3]} << 8;
  if (e > kMaxExtensionBytes) return MetadataParse::kDamaged;
  if (b.size() < kMetadataFixedSize + e) return MetadataParse::kNeedMore;
  m.compression = b[1];
  m.extension.assign(reinterpret_cast<const char*>(b.data() + 4), e);
  m.size = 0;
  for (int i = 7; i >= 0; --i) m.size = m.size << 8 | b[4 + e + i];
  return MetadataParse::kDone;
}

std::optional<std::string> SafeExtension(const std::string& stored) {
  if (stored.empty()) return stored;
  if (stored[0] != '.' || !platform::IsValidUtf8(stored)) return std::nullopt;
  if (stored.find_first_not_of('.') == std::string::npos) return std::nullopt;
  constexpr std::string_view kForbidden = "<>:\"/\\|?*";
  for (unsigned char ch : stored)
    if (ch < 0x20 || ch == 0x7F || kForbidden.find(static_cast<char>(ch)) != std::string_view::npos)
      return std::nullopt;
  return stored;
}

}  // namespace engine::aead

#include "engine/aead/header.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace engine::aead {

namespace {

std::uint32_t Load32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

void Store32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
  return static_cast<std::uint32_t>(crc32(crc32(0, nullptr, 0), data, static_cast<uInt>(size)));
}

}  // namespace

bool HasMagic(ByteSpan bytes) {
  return bytes.size() >= kMagic.size() && std::equal(kMagic.begin(), kMagic.end(), bytes.begin());
}

bool ParamsInRange(const KdfParams& p) {
  return p.lanes >= 1 && p.lanes <= kMaxLanes && p.memoryKiB >= 8 * p.lanes && p.memoryKiB <= kMaxMemoryKiB &&
         p.passes >= kMinPasses && p.passes <= kMaxPasses;
}

HeaderCheck ParseHeader(ByteSpan bytes, Header& h) {
  if (bytes.size() < kHeaderSize || !HasMagic(bytes)) return HeaderCheck::kNotThisFormat;
  const std::uint8_t* b = bytes.data();
  h.version = b[8];
  h.kdf = b[9];
  h.cipher = b[10];
  h.chunkExponent = b[11];
  h.kdfParams = {Load32(b + 12), Load32(b + 16), Load32(b + 20)};
  std::memcpy(h.kdfSalt.data(), b + 24, kSaltSize);
  std::memcpy(h.fileSalt.data(), b + 40, kSaltSize);
  if (h.version != kFormatVersion || h.kdf != kKdfArgon2id || h.cipher != kCipherChaCha20Poly1305)
    return HeaderCheck::kNewerVersion;
  if (h.chunkExponent < kMinChunkExponent || h.chunkExponent > kMaxChunkExponent || !ParamsInRange(h.kdfParams))
    return HeaderCheck::kOutOfRange;
  if (Crc32(b, 56) != Load32(b + 56)) return HeaderCheck::kDamaged;
  return HeaderCheck::kValid;
}

HeaderCheck ReadHeader(platform::ByteSource& source, std::uint64_t start, std::uint64_t size, Header& header,
                       RawHeader& raw) {
  source.Seek(start);
  const std::size_t n = source.Read(raw.data(), static_cast<std::size_t>(std::min<std::uint64_t>(size, raw.size())));
  if (!HasMagic({raw.data(), n})) return HeaderCheck::kNotThisFormat;
  if (n < raw.size()) return HeaderCheck::kCut;
  return ParseHeader(raw, header);
}

std::array<std::uint8_t, kMacOffset> EncodeHeaderFields(const Header& h) {
  std::array<std::uint8_t, kMacOffset> out{};
  std::uint8_t* b = out.data();
  std::copy(kMagic.begin(), kMagic.end(), b);
  b[8] = h.version;
  b[9] = h.kdf;
  b[10] = h.cipher;
  b[11] = h.chunkExponent;
  Store32(b + 12, h.kdfParams.memoryKiB);
  Store32(b + 16, h.kdfParams.passes);
  Store32(b + 20, h.kdfParams.lanes);
  std::memcpy(b + 24, h.kdfSalt.data(), kSaltSize);
  std::memcpy(b + 40, h.fileSalt.data(), kSaltSize);
  Store32(b + 56, Crc32(b, 56));
  return out;
}

FileKeys DeriveFileKeys(const Secret& master, const Salt& fileSalt) {
  const ByteSpan salt(fileSalt.data(), fileSalt.size());
  return {Hkdf32(master.span(), salt, "xcjm/1 header"), Hkdf32(master.span(), salt, "xcjm/1 payload")};
}

Mac HeaderMac(const FileKeys& keys, ByteSpan fields) { return HmacSha256(keys.headerKey.span(), fields); }

bool SameMac(ByteSpan a, ByteSpan b) {
  if (a.size() != b.size()) return false;
  std::uint8_t diff = 0;
  for (std::size_t i = 0; i < a.size(); ++i) diff |= a[i] ^ b[i];
  return diff == 0;
}

}  // namespace engine::aead

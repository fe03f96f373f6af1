// The authenticated container's 92-byte header: magic, version, algorithms,
// chunk size, Argon2 parameters, the two salts, a CRC-32 and the HMAC that
// proves the key.
#pragma once

#include <array>
#include <cstdint>

#include "engine/aead/crypto.h"
#include "engine/bytes.h"
#include "platform/stream.h"

namespace engine::aead {

constexpr std::array<std::uint8_t, 8> kMagic = {0x89, 0x4A, 0x4D, 0x5A, 0x41, 0x0D, 0x0A, 0x1A};
constexpr std::size_t kHeaderSize = 92;
constexpr std::size_t kMacOffset = 60;  // the HMAC covers bytes 0..59
constexpr std::uint8_t kFormatVersion = 1;
constexpr std::uint8_t kKdfArgon2id = 1;
constexpr std::uint8_t kCipherChaCha20Poly1305 = 1;
constexpr std::uint8_t kWrittenChunkExponent = 16;

// The limits a reader accepts, so that a crafted header cannot make the
// program allocate more than 1 GiB or run for minutes.
constexpr std::uint32_t kMinChunkExponent = 12, kMaxChunkExponent = 24;
constexpr std::uint32_t kMaxLanes = 4;
constexpr std::uint32_t kMaxMemoryKiB = 1048576;
constexpr std::uint32_t kMinPasses = 1, kMaxPasses = 10;

struct Header {
  std::uint8_t version = kFormatVersion;
  std::uint8_t kdf = kKdfArgon2id;
  std::uint8_t cipher = kCipherChaCha20Poly1305;
  std::uint8_t chunkExponent = kWrittenChunkExponent;
  KdfParams kdfParams;
  Salt kdfSalt{};
  Salt fileSalt{};

  std::size_t ChunkSize() const { return std::size_t{1} << chunkExponent; }
};

// What the header says before any key is used, in the order it is checked.
enum class HeaderCheck {
  kValid,
  kNotThisFormat,   // another magic: try the historical formats
  kNewerVersion,    // a version or an algorithm this program does not know
  kOutOfRange,      // parameters outside the reading limits
  kDamaged,         // the CRC-32 differs
  kCut,             // the magic is there, the rest of the header is not
};

// True when `bytes` starts with the magic.
bool HasMagic(ByteSpan bytes);

// Whether the parameters lie inside the reading limits (also used to refuse
// options before writing).
bool ParamsInRange(const KdfParams& params);

// Decodes and checks bytes 0..59 of `bytes` (at least kHeaderSize bytes).
HeaderCheck ParseHeader(ByteSpan bytes, Header& header);

using RawHeader = std::array<std::uint8_t, kHeaderSize>;

// Reads and checks the header at `start` of a container of `size` bytes;
// `raw` gets its bytes (for the MAC). Read errors throw platform::IoError.
HeaderCheck ReadHeader(platform::ByteSource& source, std::uint64_t start, std::uint64_t size, Header& header,
                       RawHeader& raw);

// Bytes 0..59: the fields and their CRC-32.
std::array<std::uint8_t, kMacOffset> EncodeHeaderFields(const Header& header);

// The header keys and the MAC over the first 60 bytes.
struct FileKeys {
  Secret headerKey;
  Secret payloadKey;
};
FileKeys DeriveFileKeys(const Secret& master, const Salt& fileSalt);
Mac HeaderMac(const FileKeys& keys, ByteSpan fields);

// Constant-time comparison of two MACs.
bool SameMac(ByteSpan a, ByteSpan b);

}  // namespace engine::aead

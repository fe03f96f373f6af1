// Byte layout of the save-key container: the mixed header values, the four
// header blocks and the trailer, and where the blocks sit among the body.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/bytes.h"

namespace engine {

constexpr int kCurrentVersion = 66;
constexpr int kMaxVersionWithoutAsking = 70;
constexpr std::uint64_t kMaxPayload = std::uint64_t{1} << 32;  // 4 GiB, inclusive
constexpr std::uint64_t kHeaderPoint = 260;          // payload position of the header when S >= 1024
constexpr std::uint64_t kHeaderAtStartBelow = 1024;  // payloads shorter carry the header at offset 0
constexpr std::uint64_t kProbeAtStartBelow = 5428;   // shorter files are probed at offset 0 first
constexpr std::uint64_t kRetryFrom = 1033;           // files of 1,033..5,427 bytes are retried at 260
constexpr std::uint64_t kRetryTo = 5427;
constexpr std::size_t kProbeLength = 12;   // SeedBlock, ParamBlock, marker, version byte
constexpr std::size_t kFixedHeader = 21;   // SeedBlock + ParamBlock + InfoBlock without the extension
constexpr std::size_t kMaxExtension = 215;
constexpr unsigned kMaxLayers = 12;
constexpr std::size_t kMinFilledKey = 12;

// The 8 GBK bytes of "星尘加密", the magic at the end of every container.
constexpr std::array<std::uint8_t, 8> kMagicGbk = {0xD0, 0xC7, 0xB3, 0xBE, 0xBC, 0xD3, 0xC3, 0xDC};

// The plain quantities of one save-key container.
struct SaveKeyFields {
  int version = kCurrentVersion;
  std::uint8_t r1 = 0, r2 = 0, r3 = 0;  // unmixed random bytes
  std::uint16_t keyLength = 0;          // L
  std::uint8_t compression = 0;         // C
  std::uint8_t layers = 1;              // N
  std::uint64_t payloadSize = 0;        // S
  std::string extension;                // GBK bytes with the leading dot, or empty
};

// The values derived from the fields that the blocks store.
struct MixedValues {
  std::uint8_t a = 0, b = 0, c = 0;     // A', B', C'
  std::uint8_t r1 = 0, r2 = 0, r3 = 0;  // R1', R2', R3'
  std::uint8_t x = 0;                   // X
};

MixedValues Mix(const SaveKeyFields& fields);

std::array<std::uint8_t, 4> SeedBlock(const MixedValues& m);
std::array<std::uint8_t, 3> ParamBlock(const MixedValues& m);
Bytes InfoBlock(const SaveKeyFields& fields, const MixedValues& m);
Bytes TrailerBlock(const MixedValues& m, std::size_t extensionLength, ByteSpan keyCheck);

// Payload position P where the key check is inserted when S >= 1024.
std::uint64_t KeyCheckPoint(int version, std::uint8_t r2);

// K: the filled key's length for a key of `keyLength` bytes.
inline std::size_t FilledKeyLength(std::size_t keyLength) { return keyLength < kMinFilledKey ? kMinFilledKey : keyLength; }

// The payload size that a container of `containerSize` bytes has room for
// (negative when it has none): 37 framing bytes, the extension and the key
// checks, two from version 36 on, one before.
inline std::int64_t PayloadRoom(std::uint64_t containerSize, std::size_t extLength, std::size_t keyLength,
                                int version) {
  const auto k = static_cast<std::int64_t>(FilledKeyLength(keyLength));
  return static_cast<std::int64_t>(containerSize) - 37 - static_cast<std::int64_t>(extLength) -
         (version > 35 ? 2 * k : k);
}

// Whether a stored payload size agrees with that room; old versions are
// tolerated with one key check fewer.
inline bool StoredSizeFits(std::uint64_t stored, std::int64_t room, std::size_t keyLength) {
  const auto k = static_cast<std::int64_t>(FilledKeyLength(keyLength));
  return room >= 0 && (stored == static_cast<std::uint64_t>(room) ||
                       (room >= k && stored == static_cast<std::uint64_t>(room - k)));
}

// Whether `version` has a body rule this tool can apply.
inline bool HasBodyRule(int version) { return version == 11 || version >= 13; }

// The first 12 header bytes decoded: everything a reader learns before the
// size and the extension.
struct HeaderProbe {
  bool markerOk = false;
  int version = 0;
  MixedValues mixed;
  std::uint8_t r1 = 0, r2 = 0, r3 = 0;
  std::uint8_t layers = 0;

  std::uint16_t KeyLength() const;
  std::uint8_t Compression() const;
  std::uint64_t DecodeSize(const std::uint8_t* eightBytes) const;
  std::uint8_t DecodeExtensionLength(std::uint8_t stored) const;
  std::string DecodeExtension(ByteSpan stored) const;
};

HeaderProbe DecodeProbe(const std::uint8_t* twelveBytes);

}  // namespace engine

namespace engine {

// The largest container a decryption accepts: a 4 GiB payload with the
// largest framing a reader tolerates (extension of 215 bytes, stored key of
// 5,012 bytes, its check twice).
constexpr std::uint64_t kMaxContainerSize = kMaxPayload + 37 + kMaxExtension + 2 * 5012;

}  // namespace engine

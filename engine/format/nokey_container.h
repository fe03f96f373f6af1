// The no-saved-key container: a random salt and the enciphered body, nothing
// derived from the key, so a wrong key is not detected.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/cipher/body_pump.h"
#include "engine/format/save_key_writer.h"
#include "platform/random.h"
#include "platform/stream.h"

namespace engine {

constexpr int kCurrentNoKeyVersion = 38;
constexpr int kMaxNoKeyVersionWithoutAsking = 42;
constexpr std::uint64_t kNoKeyFraming = 38;  // bytes around the body; 36 without the version bytes

using Salt = std::array<std::uint8_t, 12>;

// True for the versions the tool writes: 38, 30 and 20.
bool IsWritableNoKeyVersion(int version);

// Enciphers the whole of `source` (1 byte .. 4 GiB) with `key` (GBK bytes, not
// empty). The salt is drawn first, T0..T11.
WriteResult WriteNoKeyContainer(platform::ByteSource& source, platform::ByteSink& sink, std::string_view key,
                                int version, const platform::RandomByteSource& random, BodyMonitor& monitor);

// What the first bytes of a no-saved-key container say.
struct NoKeyHeader {
  std::uint64_t offset = 2;  // 0 for a container without the two version bytes
  int version = 0;           // 0 without version bytes
  Salt salt{};

  // Payload bytes the file's length leaves; below 1 for a file too short.
  std::int64_t PayloadSize(std::uint64_t fileSize) const {
    return static_cast<std::int64_t>(fileSize) - static_cast<std::int64_t>(offset) - 36;
  }
};

// Empty when the marker is found at neither place.
std::optional<NoKeyHeader> ReadNoKeyHeader(platform::ByteSource& source);

// The salted key stream for `key`, conditioned where the version asks for it;
// empty when the job stopped or conditioning failed.
std::optional<Bytes> NoKeyStream(std::string_view key, int version, const Salt& salt, const RunFlag& running);

// Deciphers `payloadSize` bytes of the body into `sink`; false when stopped.
bool DecryptNoKeyBody(platform::ByteSource& source, const NoKeyHeader& header, const Bytes& keyStream,
                      std::uint8_t firstKeyByte, std::uint64_t payloadSize, platform::ByteSink& sink,
                      BodyMonitor& monitor);

}  // namespace engine

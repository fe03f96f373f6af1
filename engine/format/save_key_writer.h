// Writes a save-key container.
#pragma once

#include <cstdint>
#include <string>

#include "engine/cipher/body_pump.h"
#include "engine/format/save_key_format.h"
#include "platform/random.h"
#include "platform/stream.h"

namespace engine {

// The longest key the tool accepts for encryption (the longest it can load).
constexpr std::size_t kMaxEncryptKey = 2056;

struct SaveKeyOptions {
  std::string key;  // GBK bytes, 1..kMaxEncryptKey
  int version = kCurrentVersion;  // 66, 56, 38, 18 or 11
  std::uint8_t compression = 0;   // level of the payload, 0..3
  std::uint8_t layers = 1;        // 1..12
  std::string extension;          // GBK bytes with the dot, at most 215, or empty
};

enum class WriteResult { kDone, kCancelled, kConditionFailed };

// True for the versions the tool writes.
bool IsWritableVersion(int version);

// Enciphers the whole of `source` (1 byte .. 4 GiB) into `sink`. Random bytes
// are drawn in the order filler, R1, R2, R3 (R2 again while below 4 for
// versions 11 and 18, so the key check never falls on the header point).
// Throws platform::IoError on a read or write failure and
// std::invalid_argument on options outside the limits above.
WriteResult WriteSaveKeyContainer(platform::ByteSource& source, platform::ByteSink& sink, const SaveKeyOptions& options,
                                  const platform::RandomByteSource& random, BodyMonitor& monitor);

}  // namespace engine

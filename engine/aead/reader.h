// Reads an authenticated container in the format's order: header checks,
// the key proved by the header MAC before anything is written, then every
// chunk verified before its bytes are used, the metadata and the content.
#pragma once

#include <functional>

#include "engine/aead/header.h"
#include "engine/aead/metadata.h"
#include "engine/cipher/body_pump.h"
#include "platform/stream.h"

namespace engine::aead {

// Each way a container can be refused, in reading order.
enum class Failure {
  kNone,
  kNotThisFormat,
  kNewerVersion,
  kOutOfRange,
  kDamagedHeader,
  kWrongKey,
  kDamagedChunk,
  kTruncated,
  kDataAfterEnd,
  kDamagedMetadata,
  kDamagedContent,
  kStopped,
};

// The master key for a header's KDF salt and parameters; empty when the job
// stopped while waiting. May throw KdfMemoryError.
using MasterSource = std::function<Secret(const Header& header)>;

struct OpenedFile {
  Header header;
  FileKeys keys;
};

// Reads the header of the container at `start` (of `size` bytes) and proves
// the key. Read errors throw platform::IoError.
Failure OpenFile(platform::ByteSource& source, std::uint64_t start, std::uint64_t size,
                 const MasterSource& master, OpenedFile& opened);

// Deciphers the chunks after the header into `content` (the content alone,
// expanded when compressed) and fills `record`. On a failure `content` has
// received bytes that must be discarded.
Failure ReadContent(platform::ByteSource& source, std::uint64_t start, std::uint64_t size, const OpenedFile& opened,
                    platform::ByteSink& content, BodyMonitor& monitor, Metadata& record);

}  // namespace engine::aead

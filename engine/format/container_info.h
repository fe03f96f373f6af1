// What a file is, read from its header without a key.
#pragma once

#include <cstdint>
#include <string>

#include "engine/aead/header.h"
#include "platform/stream.h"

namespace engine {

struct ContainerInfo {
  enum class Kind { kSaveKey, kNoKey, kAead, kNone };
  Kind kind = Kind::kNone;
  int version = 0;
  unsigned layers = 0;        // save-key only
  unsigned compression = 0;   // save-key only
  unsigned keyLength = 0;     // save-key only
  std::string extension;      // save-key only: the stored bytes (GBK)
  std::uint64_t payloadSize = 0;  // stored size (save-key) or size from the file length (no-saved-key)
  std::uint64_t headerOffset = 0;
  // save-key only: the payload size the file's length leaves room for, and
  // whether the stored size disagrees with it (a cut or damaged file).
  std::int64_t payloadRoom = 0;
  bool sizeDisagrees = false;
  // kAead: the decoded header and what its checks say (no key is used).
  aead::Header aeadHeader;
  aead::HeaderCheck aeadCheck = aead::HeaderCheck::kNotThisFormat;
  bool zlibStream = false;    // kNone: the file starts like a zlib stream (a compressed-only file)
};

// Throws platform::IoError when the file cannot be read.
ContainerInfo InspectContainer(platform::ByteSource& source);

}  // namespace engine

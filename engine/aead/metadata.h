// The metadata record at the start of the authenticated container's
// plaintext stream: compression, the source's extension and its size.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/bytes.h"

namespace engine::aead {

constexpr std::uint8_t kMetadataVersion = 1;
constexpr std::size_t kMetadataFixedSize = 12;  // without the extension
constexpr std::size_t kMaxExtensionBytes = 255;

struct Metadata {
  std::uint8_t compression = 0;  // 0 none; 1, 2, 3 for zlib levels 1, 6, 9
  std::string extension;         // UTF-8 with its leading ".", or empty
  std::uint64_t size = 0;        // the source's size

  std::size_t EncodedSize() const { return kMetadataFixedSize + extension.size(); }
};

// The zlib level of a compression choice 1..3.
int ZlibLevel(std::uint8_t compression);

Bytes EncodeMetadata(const Metadata& metadata);

enum class MetadataParse { kNeedMore, kDone, kDamaged };

// Decodes the record from the start of `bytes`; kNeedMore while the bytes
// cannot hold it yet.
MetadataParse ParseMetadata(ByteSpan bytes, Metadata& metadata);

// The stored extension when it is safe as the end of a file name: valid
// UTF-8, empty or starting with "." and more than dots, with no separator,
// colon, control character or other character that names cannot hold.
// Empty optional: replace it with ".ext" and warn.
std::optional<std::string> SafeExtension(const std::string& stored);

}  // namespace engine::aead

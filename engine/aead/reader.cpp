#include "engine/aead/reader.h"

#include "engine/aead/chunk_stream.h"
#include "engine/aead/payload_sink.h"

namespace engine::aead {

Failure OpenFile(platform::ByteSource& source, std::uint64_t start, std::uint64_t size, const MasterSource& master,
                 OpenedFile& opened) {
  RawHeader header{};
  switch (ReadHeader(source, start, size, opened.header, header)) {
    case HeaderCheck::kNotThisFormat: return Failure::kNotThisFormat;
    case HeaderCheck::kCut: return Failure::kTruncated;
    case HeaderCheck::kNewerVersion: return Failure::kNewerVersion;
    case HeaderCheck::kOutOfRange: return Failure::kOutOfRange;
    case HeaderCheck::kDamaged: return Failure::kDamagedHeader;
    case HeaderCheck::kValid: break;
  }
  const Secret key = master(opened.header);
  if (key.empty()) return Failure::kStopped;
  opened.keys = DeriveFileKeys(key, opened.header.fileSalt);
  const Mac mac = HeaderMac(opened.keys, {header.data(), kMacOffset});
  if (!SameMac({mac.data(), mac.size()}, {header.data() + kMacOffset, mac.size()})) return Failure::kWrongKey;
  return Failure::kNone;
}

Failure ReadContent(platform::ByteSource& source, std::uint64_t start, std::uint64_t size, const OpenedFile& opened,
                    platform::ByteSink& content, BodyMonitor& monitor, Metadata& record) {
  source.Seek(start + kHeaderSize);
  PayloadSink payload(content);
  try {
    switch (OpenChunks(source, size - kHeaderSize, opened.keys.payloadKey.span(), opened.header.chunkExponent, payload,
                       monitor)) {
      case ChunkResult::kDamaged: return Failure::kDamagedChunk;
      case ChunkResult::kTruncated: return Failure::kTruncated;
      case ChunkResult::kDataAfterEnd: return Failure::kDataAfterEnd;
      case ChunkResult::kStopped: return Failure::kStopped;
      case ChunkResult::kDone: break;
    }
    payload.Finish();
  } catch (const PayloadError& e) {
    return e.kind() == PayloadError::Kind::kMetadata ? Failure::kDamagedMetadata : Failure::kDamagedContent;
  }
  record = *payload.Record();
  return Failure::kNone;
}

}  // namespace engine::aead

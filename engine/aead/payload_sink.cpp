#include "engine/aead/payload_sink.h"

namespace engine::aead {

void PayloadSink::Write(const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  if (!metadata_) {
    // Gather the record (at most 267 bytes), then pass on what follows it.
    const std::size_t before = head_.size();
    const std::size_t take = std::min(size, kMetadataFixedSize + kMaxExtensionBytes - before);
    head_.insert(head_.end(), p, p + take);
    Metadata m;
    switch (ParseMetadata(head_, m)) {
      case MetadataParse::kDamaged:
        throw PayloadError(PayloadError::Kind::kMetadata, "damaged metadata");
      case MetadataParse::kNeedMore:
        return;
      case MetadataParse::kDone:
        break;
    }
    const std::size_t used = m.EncodedSize() - before;
    metadata_ = std::move(m);
    head_.clear();
    if (metadata_->compression > 0) inflate_ = std::make_unique<InflateSink>(counter_);
    p += used;
    size -= used;
  }
  Content(p, size);
}

void PayloadSink::Content(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return;
  if (!inflate_) return counter_.Write(data, size);
  try {
    inflate_->Write(data, size);
  } catch (const NotCompressedError&) {
    throw PayloadError(PayloadError::Kind::kContent, "damaged zlib stream");
  }
  if (inflate_->BytesAfterEnd() > 0) throw PayloadError(PayloadError::Kind::kContent, "bytes after the zlib stream");
}

void PayloadSink::Finish() {
  if (!metadata_) throw PayloadError(PayloadError::Kind::kMetadata, "short metadata");
  if (inflate_ && !inflate_->Ended()) throw PayloadError(PayloadError::Kind::kContent, "incomplete zlib stream");
  if (counter_.count != metadata_->size) throw PayloadError(PayloadError::Kind::kContent, "size differs");
}

void PayloadSink::Counter::Write(const void* data, std::size_t size) {
  if (size > owner_.metadata_->size - count) throw PayloadError(PayloadError::Kind::kContent, "content too long");
  count += size;
  owner_.content_.Write(data, size);
}

}  // namespace engine::aead

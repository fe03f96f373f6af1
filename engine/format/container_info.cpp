#include "engine/format/container_info.h"

#include "engine/format/nokey_container.h"
#include "engine/format/save_key_format.h"

namespace engine {

namespace {

bool InspectSaveKeyAt(platform::ByteSource& source, std::uint64_t offset, ContainerInfo& info) {
  if (source.Size() < offset + kProbeLength + 9) return false;
  std::uint8_t head[kProbeLength + 9];
  source.Seek(offset);
  source.ReadExact(head, sizeof head);
  const HeaderProbe h = DecodeProbe(head);
  if (!h.markerOk) return false;
  info.kind = ContainerInfo::Kind::kSaveKey;
  info.version = h.version;
  info.layers = h.layers;
  info.compression = h.Compression();
  info.keyLength = h.KeyLength();
  info.payloadSize = h.DecodeSize(head + kProbeLength);
  info.headerOffset = offset;
  const std::size_t extLength = h.DecodeExtensionLength(head[kProbeLength + 8]);
  if (extLength <= kMaxExtension && source.Size() >= source.Position() + extLength) {
    Bytes stored(extLength);
    source.ReadExact(stored.data(), stored.size());
    info.extension = h.DecodeExtension(stored);
  }
  info.payloadRoom = PayloadRoom(source.Size(), extLength, info.keyLength, info.version);
  info.sizeDisagrees = !StoredSizeFits(info.payloadSize, info.payloadRoom, info.keyLength);
  return true;
}

bool LooksLikeZlib(platform::ByteSource& source) {
  if (source.Size() < 2) return false;
  std::uint8_t b[2];
  source.Seek(0);
  source.ReadExact(b, 2);
  return (b[0] & 0x0F) == 8 && (b[0] >> 4) <= 7 && ((b[0] << 8) | b[1]) % 31 == 0;
}

// The authenticated container: its magic, then the header as far as it goes.
bool InspectAead(platform::ByteSource& source, ContainerInfo& info) {
  aead::RawHeader raw{};
  info.aeadCheck = aead::ReadHeader(source, 0, source.Size(), info.aeadHeader, raw);
  if (info.aeadCheck == aead::HeaderCheck::kNotThisFormat) return false;
  info.kind = ContainerInfo::Kind::kAead;
  info.version = info.aeadHeader.version;
  info.payloadSize = source.Size() - std::min<std::uint64_t>(source.Size(), aead::kHeaderSize);
  return true;
}

}  // namespace

ContainerInfo InspectContainer(platform::ByteSource& source) {
  ContainerInfo info;
  const std::uint64_t size = source.Size();
  if (InspectAead(source, info)) return info;
  const std::uint64_t first = size < kProbeAtStartBelow ? 0 : kHeaderPoint;
  if (InspectSaveKeyAt(source, first, info)) return info;
  if (first == 0 && size >= kRetryFrom && InspectSaveKeyAt(source, kHeaderPoint, info)) return info;
  if (std::optional<NoKeyHeader> h = ReadNoKeyHeader(source)) {
    info.kind = ContainerInfo::Kind::kNoKey;
    info.version = h->version;
    info.headerOffset = h->offset;
    const std::int64_t payload = h->PayloadSize(size);
    info.payloadSize = payload > 0 ? static_cast<std::uint64_t>(payload) : 0;
    return info;
  }
  info.zlibStream = LooksLikeZlib(source);
  return info;
}

}  // namespace engine

#include "platform/stream.h"

#include <algorithm>
#include <cstring>

namespace platform {

void ByteSource::ReadExact(void* buffer, std::size_t size) {
  if (Read(buffer, size) != size) throw IoError("unexpected end of file");
}

std::size_t MemorySource::Read(void* buffer, std::size_t size) {
  if (position_ >= bytes_.size() || size == 0) return 0;
  const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, bytes_.size() - position_));
  std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += n;
  return n;
}

void MemorySink::Write(const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  bytes_.insert(bytes_.end(), p, p + size);
}

}  // namespace platform

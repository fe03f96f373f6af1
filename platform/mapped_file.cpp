#include "platform/mapped_file.h"

#include <algorithm>
#include <cstring>

namespace platform {

std::size_t MappedReadOnlyFile::Read(void* buffer, std::size_t size) {
  if (position_ >= size_ || size == 0) return 0;
  const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, size_ - position_));
  std::memcpy(buffer, view_ + position_, n);
  position_ += n;
  return n;
}

void MappedReadOnlyFile::Write(const void*, std::size_t) { throw IoError("Could not write read only MapOfFile"); }

void MappedReadOnlyFile::SetSize(std::uint64_t) {
  throw SizeUnchangeable("Could not change the read only MapOfFile's size.");
}

}  // namespace platform

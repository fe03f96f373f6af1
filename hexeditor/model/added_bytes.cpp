#include "hexeditor/model/added_bytes.h"

#include <algorithm>
#include <cstring>

namespace hexed {

std::int64_t AddedBytes::Append(const std::uint8_t* src, std::size_t size) {
  if (blocks_.empty() || blocks_.back().capacity - blocks_.back().used < size) {
    Block block;
    block.capacity = std::max(size, kBlockSize);
    block.bytes = std::make_unique<std::uint8_t[]>(block.capacity);
    block.base = size_;
    blocks_.push_back(std::move(block));  // nothing is changed when this throws
  }
  Block& last = blocks_.back();
  if (size > 0) std::memcpy(last.bytes.get() + last.used, src, size);
  last.used += size;
  const std::int64_t offset = size_;
  size_ += static_cast<std::int64_t>(size);
  return offset;
}

void AddedBytes::DropLast(std::size_t size) noexcept {
  blocks_.back().used -= size;
  size_ -= static_cast<std::int64_t>(size);
}

void AddedBytes::Read(std::int64_t offset, std::uint8_t* dest, std::size_t size) const {
  // The first block that starts after offset follows the one holding it; a
  // piece may run on into the next block when two appends joined up.
  auto it = std::upper_bound(blocks_.begin(), blocks_.end(), offset,
                             [](std::int64_t at, const Block& b) { return at < b.base; });
  --it;
  while (size > 0) {
    const std::size_t in = static_cast<std::size_t>(offset - it->base);
    const std::size_t n = std::min(size, it->used - in);
    std::memcpy(dest, it->bytes.get() + in, n);
    dest += n;
    offset += static_cast<std::int64_t>(n);
    size -= n;
    ++it;
  }
}

}  // namespace hexed

#include "hexeditor/model/data_buffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "hexeditor/errors.h"
#include "hexeditor/messages.h"
#include "hexeditor/model/allocation_limits.h"

namespace hexed {

namespace {

constexpr std::int64_t kGrowthStep = 8192;

std::int64_t RoundUp(std::int64_t n) { return (n + kGrowthStep - 1) / kGrowthStep * kGrowthStep; }

}  // namespace

TQDHMemoryStream::~TQDHMemoryStream() { std::free(data_); }

std::int64_t TQDHMemoryStream::MaxSize() { return std::min(kMaxDataSize, TestAllocationLimits().dataBlock); }

void TQDHMemoryStream::SetSize(std::int64_t newSize) {
  Reserve(newSize);
  size_ = static_cast<std::int32_t>(newSize);
  if (position_ > size_) position_ = size_;
}

void TQDHMemoryStream::Reserve(std::int64_t newSize) {
  if (newSize < 0 || newSize > kMaxDataSize) throw OutOfMemoryError(msg::kOutOfMemory);
  if (newSize > capacity_) {
    if (newSize > MaxSize()) throw OutOfMemoryError(msg::kOutOfMemory);
    // An empty block is sized exactly, so that loading a file costs its size
    // once; a block that grows by edits gets some slack to limit reallocation.
    std::int64_t want = size_ == 0 ? newSize : RoundUp(newSize + newSize / 16);
    if (want > MaxSize()) want = newSize;
    void* p = size_ == 0 ? std::malloc(static_cast<std::size_t>(want))
                         : std::realloc(data_, static_cast<std::size_t>(want));
    if (p == nullptr) throw OutOfMemoryError(msg::kOutOfMemory);
    if (size_ == 0) std::free(data_);
    data_ = static_cast<std::uint8_t*>(p);
    capacity_ = want;
  }
}

void TQDHMemoryStream::Clear() {
  std::free(data_);
  data_ = nullptr;
  size_ = 0;
  capacity_ = 0;
  position_ = 0;
}

std::uint8_t* TQDHMemoryStream::Ptr(std::int64_t pos, std::int64_t len) {
  if (pos < 0 || len < 0 || pos + len > size_) throw EQDHexEditor(msg::kDataBounds);
  return data_ + pos;
}

const std::uint8_t* TQDHMemoryStream::Ptr(std::int64_t pos, std::int64_t len) const {
  if (pos < 0 || len < 0 || pos + len > size_) throw EQDHexEditor(msg::kDataBounds);
  return data_ + pos;
}

void TQDHMemoryStream::Read(void* dest, std::int64_t pos, std::int64_t n) const {
  const std::uint8_t* p = Ptr(pos, n);
  if (n > 0) std::memcpy(dest, p, static_cast<std::size_t>(n));
}

void TQDHMemoryStream::Write(const void* src, std::int64_t pos, std::int64_t n) {
  std::uint8_t* p = Ptr(pos, n);
  if (n > 0) std::memcpy(p, src, static_cast<std::size_t>(n));
}

void TQDHMemoryStream::Move(std::int64_t from, std::int64_t to, std::int64_t n) {
  const std::uint8_t* src = Ptr(from, n);
  std::uint8_t* dst = Ptr(to, n);
  if (n > 0) std::memmove(dst, src, static_cast<std::size_t>(n));
}

}  // namespace hexed

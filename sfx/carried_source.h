// The carried file as a stream of its own: a window of `size` bytes from
// `start` in the package, so readers of containers see only what it carries.
#pragma once

#include <algorithm>

#include "platform/stream.h"

namespace sfx {

class CarriedSource final : public platform::ByteSource {
 public:
  CarriedSource(platform::ByteSource& package, std::uint64_t start, std::uint64_t size)
      : package_(package), start_(start), size_(size) {
    package_.Seek(start_);
  }
  std::uint64_t Size() const override { return size_; }
  std::size_t Read(void* buffer, std::size_t size) override {
    const std::uint64_t position = Position();
    if (position >= size_) return 0;
    return package_.Read(buffer, static_cast<std::size_t>(std::min<std::uint64_t>(size, size_ - position)));
  }
  void Seek(std::uint64_t offset) override { package_.Seek(start_ + offset); }
  std::uint64_t Position() const override { return package_.Position() - start_; }

 private:
  platform::ByteSource& package_;
  const std::uint64_t start_;
  const std::uint64_t size_;
};

}  // namespace sfx

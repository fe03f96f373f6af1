// Key material that is wiped from memory when it goes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/bytes.h"

namespace engine::aead {

// Overwrites `size` bytes with zeros in a way the compiler may not drop.
void Wipe(void* data, std::size_t size) noexcept;

// Wipes a string or vector's bytes (the whole capacity is not reached: the
// caller wipes before it frees or reuses the buffer).
template <typename Container>
void WipeContainer(Container& c) noexcept {
  if (!c.empty()) Wipe(c.data(), c.size() * sizeof(c[0]));
}

class Secret {
 public:
  Secret() = default;
  explicit Secret(std::size_t size) : bytes_(size) {}
  Secret(const Secret& other) = default;
  Secret& operator=(const Secret& other) {
    if (this != &other) {
      WipeContainer(bytes_);
      bytes_ = other.bytes_;
    }
    return *this;
  }
  Secret(Secret&& other) noexcept : bytes_(std::move(other.bytes_)) {}
  Secret& operator=(Secret&& other) noexcept {
    WipeContainer(bytes_);
    bytes_ = std::move(other.bytes_);
    return *this;
  }
  ~Secret() { WipeContainer(bytes_); }

  std::uint8_t* data() { return bytes_.data(); }
  const std::uint8_t* data() const { return bytes_.data(); }
  std::size_t size() const { return bytes_.size(); }
  bool empty() const { return bytes_.empty(); }
  ByteSpan span() const { return {bytes_.data(), bytes_.size()}; }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace engine::aead

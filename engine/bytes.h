// Byte buffers and the job's run flag, shared by the format and cipher code.
#pragma once

#include <atomic>
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace engine {

static_assert(std::endian::native == std::endian::little, "the formats are little-endian and so is every target");

using Bytes = std::vector<std::uint8_t>;
using ByteSpan = std::span<const std::uint8_t>;

// A job's flag: true while the job runs; clearing it is the cancel.
using RunFlag = std::atomic<bool>;

inline std::uint32_t LoadWord(const std::uint8_t* p) {
  std::uint32_t w;
  std::memcpy(&w, p, 4);
  return w;
}

inline void StoreWord(std::uint8_t* p, std::uint32_t w) { std::memcpy(p, &w, 4); }

inline ByteSpan AsBytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace engine

// Random values for containers: each job draws its own fresh bytes.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

// A uniform byte in 0..254 (255 is never drawn, as the formats require).
std::uint8_t RandomByte();

// A uniform 64-bit value (temporary names).
std::uint64_t RandomU64();

// Source of random bytes 0..254 handed to the format writers, so tests can
// fix the values.
using RandomByteSource = std::function<std::uint8_t()>;

}  // namespace platform

#include "platform/random.h"

#include <chrono>
#include <random>

namespace platform {

namespace {

// One generator per thread, seeded once from the system's entropy and the
// clock, so parallel jobs neither share state nor draw the same values.
std::mt19937_64& Generator() {
  thread_local std::mt19937_64 generator = [] {
    std::random_device device;
    std::seed_seq seed{device(), device(), device(), device(),
                       static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count())};
    return std::mt19937_64(seed);
  }();
  return generator;
}

}  // namespace

std::uint8_t RandomByte() {
  return static_cast<std::uint8_t>(std::uniform_int_distribution<unsigned>(0, 254)(Generator()));
}

std::uint64_t RandomU64() { return Generator()(); }

}  // namespace platform

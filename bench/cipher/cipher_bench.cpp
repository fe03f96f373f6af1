// In-memory throughput of the body cipher for every version, beside memcpy of
// the same buffer, in the same run.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/cipher/cipher.h"

namespace {

constexpr std::size_t kSize = 256u << 20;

template <typename F>
double BestSeconds(F&& f) {
  double best = 1e9;
  for (int i = 0; i < 3; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    const std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
    best = std::min(best, d.count());
  }
  return best;
}

}  // namespace

int main() {
  std::vector<std::uint8_t> buffer(kSize, 0x5A), copy(kSize);
  const double tCopy = BestSeconds([&] { std::memcpy(copy.data(), buffer.data(), kSize); });
  const double mib = kSize / 1048576.0;
  std::printf("%-28s %8.0f MiB/s\n", "memcpy", mib / tCopy);
  engine::Bytes key(23);
  for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<std::uint8_t>(i * 37 + 11);
  for (int version : {66, 56, 38, 18, 11}) {
    const double t = BestSeconds([&] {
      engine::BodyCipher cipher = engine::BodyCipher::SaveKey(key, version, key[0], kSize);
      cipher.Apply(engine::Direction::kEncrypt, buffer.data(), kSize);
    });
    std::printf("save-key version %-11d %8.0f MiB/s  %5.2fx memcpy\n", version, mib / t, tCopy / t);
  }
  for (int version : {38, 30, 20}) {
    const double t = BestSeconds([&] {
      engine::BodyCipher cipher = engine::BodyCipher::NoKey(key, version, key[0], kSize);
      cipher.Apply(engine::Direction::kEncrypt, buffer.data(), kSize);
    });
    std::printf("no-saved-key version %-7d %8.0f MiB/s  %5.2fx memcpy\n", version, mib / t, tCopy / t);
  }
  return 0;
}

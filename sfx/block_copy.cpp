#include "sfx/block_copy.h"

#include <algorithm>
#include <vector>

namespace sfx {

namespace {

// Large blocks keep the copy near the disk's speed; the flag is still asked
// many times a second.
constexpr std::size_t kBlock = 1 << 20;

}  // namespace

bool CopyBlocks(platform::ByteSource& from, platform::ByteSink& to, std::uint64_t length,
                const std::atomic<bool>& running, engine::JobProgress* progress) {
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(length, kBlock)));
  std::uint64_t done = 0;
  while (done < length) {
    if (!running) return false;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(length - done, kBlock));
    from.ReadExact(buffer.data(), n);
    to.Write(buffer.data(), n);
    done += n;
    if (progress) progress->Step(done, n);
  }
  return running;
}

}  // namespace sfx

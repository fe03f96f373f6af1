#include "engine/body_pump.h"

#include <algorithm>

namespace engine {

BodyPump::BodyPump(platform::ByteSource& source, platform::ByteSink& sink, BodyCipher& cipher, Direction direction,
                   BodyMonitor& monitor)
    : source_(source), sink_(sink), cipher_(cipher), direction_(direction), monitor_(monitor), buffer_(kBufferSize) {}

bool BodyPump::Move(std::uint64_t count) {
  while (count > 0) {
    if (!monitor_.running) return false;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count, buffer_.size()));
    source_.ReadExact(buffer_.data(), n);
    cipher_.Apply(direction_, buffer_.data(), n);
    sink_.Write(buffer_.data(), n);
    position_ += n;
    count -= n;
    if (monitor_.advance) monitor_.advance(position_, n);
  }
  return static_cast<bool>(monitor_.running);
}

}  // namespace engine

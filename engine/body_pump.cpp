#include "engine/body_pump.h"

#include <algorithm>
#include <future>

namespace engine {

BodyPump::BodyPump(platform::ByteSource& source, platform::ByteSink& sink, BodyCipher& cipher, Direction direction,
                   BodyMonitor& monitor)
    : source_(source),
      sink_(sink),
      cipher_(cipher),
      direction_(direction),
      monitor_(monitor),
      buffer_(kBufferSize),
      next_(kBufferSize) {}

bool BodyPump::Move(std::uint64_t count) {
  // While one buffer is enciphered and written, the next one is read.
  auto readAhead = [this](std::size_t n) {
    return std::async(std::launch::async, [this, n] { source_.ReadExact(next_.data(), n); });
  };
  auto chunk = [&](std::uint64_t left) { return static_cast<std::size_t>(std::min<std::uint64_t>(left, kBufferSize)); };
  if (count == 0) return static_cast<bool>(monitor_.running);
  std::size_t n = chunk(count);
  source_.ReadExact(buffer_.data(), n);
  while (count > 0) {
    count -= n;
    std::future<void> reading;
    const std::size_t following = chunk(count);
    if (following > 0) reading = readAhead(following);
    struct Join {  // the reader must be done with next_ before anything else happens
      std::future<void>& f;
      ~Join() {
        if (f.valid()) f.wait();
      }
    } join{reading};

    if (!monitor_.running) return false;
    cipher_.Apply(direction_, buffer_.data(), n);
    sink_.Write(buffer_.data(), n);
    position_ += n;
    if (monitor_.advance) monitor_.advance(position_, n);
    if (following > 0) {
      reading.get();
      std::swap(buffer_, next_);
    }
    n = following;
  }
  return static_cast<bool>(monitor_.running);
}

}  // namespace engine

#include "engine/cipher/body_pump.h"

#include <algorithm>
#include <future>

namespace engine {

BodyPump::BodyPump(platform::ByteSource& source, platform::ByteSink& sink, BodyCipher& cipher, Direction direction,
                   BodyMonitor& monitor)
    : source_(source), sink_(sink), cipher_(cipher), direction_(direction), monitor_(monitor) {}

bool BodyPump::Move(std::uint64_t count) {
  // Three buffers take turns: while one is enciphered, the next is read and
  // the previous one is written, each on its own thread. A future's
  // destructor waits for its work, so nothing outlives this call, also when
  // a read, the cipher or a write throws.
  auto chunk = [](std::uint64_t left) { return static_cast<std::size_t>(std::min<std::uint64_t>(left, kBufferSize)); };
  Bytes* current = &buffers_[0];
  Bytes* next = &buffers_[1];
  Bytes* written = &buffers_[2];
  // Buffers grow to the largest chunk asked for, so a small file does not
  // cost three full-size buffers.
  for (Bytes& b : buffers_)
    if (b.size() < chunk(count)) b.resize(chunk(count));
  std::future<void> writing;
  std::size_t n = chunk(count);
  if (n > 0) source_.ReadExact(current->data(), n);
  while (n > 0) {
    count -= n;
    const std::size_t following = chunk(count);
    std::future<void> reading;
    if (following > 0)
      reading = std::async(std::launch::async, [this, next, following] { source_.ReadExact(next->data(), following); });
    if (!monitor_.running) return false;
    cipher_.Apply(direction_, current->data(), n);
    if (writing.valid()) writing.get();
    writing = std::async(std::launch::async, [this, current, n] { sink_.Write(current->data(), n); });
    position_ += n;
    if (monitor_.advance) monitor_.advance(position_, n);
    if (reading.valid()) reading.get();
    std::swap(written, current);  // the buffer being written is not touched until its write ends
    std::swap(current, next);
    n = following;
  }
  if (writing.valid()) writing.get();
  return static_cast<bool>(monitor_.running);
}

}  // namespace engine

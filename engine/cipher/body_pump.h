// Moves a container body from a source to a sink through its cipher in large
// buffers, reporting progress and stopping when the job's flag drops.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "engine/bytes.h"
#include "engine/cipher/cipher.h"
#include "platform/stream.h"

namespace engine {

// What a body loop tells its job and asks it.
struct BodyMonitor {
  const RunFlag& running;
  // Called after each buffer with the payload position reached and the bytes
  // just done (the job's ProgressStep). May be empty.
  std::function<void(std::uint64_t position, std::uint64_t increment)> advance;
};

class BodyPump {
 public:
  static constexpr std::size_t kBufferSize = 4 << 20;

  BodyPump(platform::ByteSource& source, platform::ByteSink& sink, BodyCipher& cipher, Direction direction,
           BodyMonitor& monitor);

  // Moves the next `count` payload bytes; false when the job was stopped.
  bool Move(std::uint64_t count);
  // Payload bytes moved so far.
  std::uint64_t Position() const { return position_; }

 private:
  platform::ByteSource& source_;
  platform::ByteSink& sink_;
  BodyCipher& cipher_;
  Direction direction_;
  BodyMonitor& monitor_;
  std::array<Bytes, 3> buffers_;  // enciphered, read ahead, being written
  std::uint64_t position_ = 0;
};

}  // namespace engine

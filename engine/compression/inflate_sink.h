// Expands a zlib stream written into it, passing the plain bytes on.
#pragma once

#include <stdexcept>

#include "engine/bytes.h"
#include "platform/stream.h"

namespace engine {

// The bytes are no zlib stream (or a damaged one).
class NotCompressedError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class InflateSink final : public platform::ByteSink {
 public:
  explicit InflateSink(platform::ByteSink& plain);
  ~InflateSink() override;
  InflateSink(const InflateSink&) = delete;
  InflateSink& operator=(const InflateSink&) = delete;

  // Throws NotCompressedError on bad data, platform::IoError from `plain`.
  // Bytes after the end of the stream are ignored.
  void Write(const void* data, std::size_t size) override;
  // Throws NotCompressedError unless the stream reached its end with a
  // matching Adler-32.
  void Finish();
  // The stream has reached its end: further input is not needed.
  bool Ended() const { return ended_; }
  // Bytes written after the end of the stream (and so ignored).
  std::uint64_t BytesAfterEnd() const { return afterEnd_; }

 private:
  platform::ByteSink& plain_;
  struct State;
  State* state_;
  Bytes buffer_;
  bool ended_ = false;
  std::uint64_t afterEnd_ = 0;
};

}  // namespace engine

// Reads a stream on a second thread into a small ring of pieces while the
// caller digests the previous ones, so reading (or faulting in a mapped view)
// and digesting run on two processors at once.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <condition_variable>
#include <mutex>
#include <span>
#include <thread>

#include "platform/stream.h"

namespace utils {

// Reads until `size` bytes are in or the stream ends; a short count is the end.
std::size_t ReadUpTo(platform::ByteSource& stream, std::uint8_t* buffer, std::size_t size);

class ReadAhead {
 public:
  static constexpr std::size_t kPieces = 4;

  // Starts reading `stream` from its current position in pieces of
  // `pieceSize` bytes. The stream belongs to the reader until destruction.
  ReadAhead(platform::ByteSource& stream, std::size_t pieceSize);
  ~ReadAhead();  // stops the reader and waits for it
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The next piece, shorter than pieceSize only at the end of the stream
  // (or empty). Rethrows a read error once the pieces before it are taken.
  // The piece stays valid until the next call.
  std::span<const std::uint8_t> Next();

 private:
  void ReadPieces() noexcept;

  platform::ByteSource& stream_;
  const std::size_t pieceSize_;
  std::unique_ptr<std::uint8_t[]> ring_;
  std::size_t lengths_[kPieces] = {};
  // A mutex and a condition rather than semaphores: the cross compiler's
  // library can miss a semaphore's wake-up and leave both threads waiting.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t filled_ = 0;  // pieces the reader has filled
  std::size_t freed_ = 0;   // pieces the caller has given back
  bool stop_ = false;
  std::exception_ptr error_;
  std::size_t taken_ = 0;   // pieces handed out by Next
  bool holding_ = false;    // the caller holds piece taken_ - 1
  bool ended_ = false;
  std::thread reader_;
};

}  // namespace utils

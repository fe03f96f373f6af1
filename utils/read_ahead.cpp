#include "utils/read_ahead.h"

namespace utils {

ReadAhead::ReadAhead(platform::ByteSource& stream, std::size_t pieceSize)
    : stream_(stream), pieceSize_(pieceSize), ring_(new std::uint8_t[pieceSize * kPieces]) {
  reader_ = std::thread([this] { ReadPieces(); });
}

ReadAhead::~ReadAhead() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  reader_.join();
}

std::size_t ReadUpTo(platform::ByteSource& stream, std::uint8_t* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const std::size_t n = stream.Read(buffer + done, size - done);
    if (n == 0) break;
    done += n;
  }
  return done;
}

void ReadAhead::ReadPieces() noexcept {
  for (std::size_t i = 0;; ++i) {
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return stop_ || i - freed_ < kPieces; });
      if (stop_) return;
    }
    const std::size_t slot = i % kPieces;
    std::size_t n = 0;
    std::exception_ptr error;
    try {
      n = ReadUpTo(stream_, ring_.get() + slot * pieceSize_, pieceSize_);
    } catch (...) {
      error = std::current_exception();
      n = 0;
    }
    {
      std::lock_guard lock(mutex_);
      lengths_[slot] = n;
      error_ = error;
      ++filled_;
    }
    changed_.notify_all();
    if (error || n < pieceSize_) return;
  }
}

std::span<const std::uint8_t> ReadAhead::Next() {
  std::unique_lock lock(mutex_);
  if (holding_) {
    ++freed_;
    holding_ = false;
    changed_.notify_all();
  }
  if (ended_) return {};
  changed_.wait(lock, [&] { return filled_ > taken_; });
  const std::size_t slot = taken_++ % kPieces;
  const std::size_t n = lengths_[slot];
  if (n < pieceSize_) {
    ended_ = true;
    if (error_) std::rethrow_exception(error_);
  }
  holding_ = true;
  return {ring_.get() + slot * pieceSize_, n};
}

}  // namespace utils

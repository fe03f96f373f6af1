#include "utils/read_ahead.h"

namespace utils {

ReadAhead::ReadAhead(platform::ByteSource& stream, std::size_t pieceSize)
    : stream_(stream), pieceSize_(pieceSize), ring_(new std::uint8_t[pieceSize * kPieces]) {
  reader_ = std::thread([this] { ReadPieces(); });
}

ReadAhead::~ReadAhead() {
  stop_ = true;
  free_.release();  // wakes a reader waiting for a free piece
  reader_.join();
}

std::size_t ReadAhead::ReadPiece(std::uint8_t* piece) {
  // Several reads fill a piece; a short one is the end of the stream.
  std::size_t done = 0;
  while (done < pieceSize_) {
    const std::size_t n = stream_.Read(piece + done, pieceSize_ - done);
    if (n == 0) break;
    done += n;
  }
  return done;
}

void ReadAhead::ReadPieces() noexcept {
  for (std::size_t i = 0;; ++i) {
    free_.acquire();
    if (stop_) return;
    const std::size_t slot = i % kPieces;
    std::size_t n = 0;
    try {
      n = ReadPiece(ring_.get() + slot * pieceSize_);
    } catch (...) {
      error_ = std::current_exception();
    }
    lengths_[slot] = error_ ? 0 : n;
    full_.release();
    if (error_ || n < pieceSize_) return;
  }
}

std::span<const std::uint8_t> ReadAhead::Next() {
  if (holding_) {
    free_.release();
    holding_ = false;
  }
  if (ended_) return {};
  full_.acquire();
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

// The bytes the user typed, pasted or inserted: an append-only store that the
// edits' pieces point into. Bytes once stored never move or change, so undo
// records can keep pieces that refer to them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "hexeditor/model/piece.h"

namespace hexed {

class AddedBytes final : public PieceSource {
 public:
  // Stores a copy of `size` bytes and returns their offset. Strong guarantee.
  std::int64_t Append(const std::uint8_t* src, std::size_t size);
  // Takes back the last Append of `size` bytes (an edit that failed after it).
  void DropLast(std::size_t size) noexcept;

  std::int64_t Size() const { return size_; }
  void Read(std::int64_t offset, std::uint8_t* dest, std::size_t size) const override;

 private:
  // Blocks of at least kBlockSize, so small edits do not allocate each time
  // and growing never copies what is stored.
  static constexpr std::size_t kBlockSize = std::size_t{1} << 20;
  struct Block {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::int64_t base = 0;  // offset of bytes[0]
    std::size_t capacity = 0;
    std::size_t used = 0;
  };
  std::vector<Block> blocks_;
  std::int64_t size_ = 0;
};

}  // namespace hexed

// The sequence of pieces that makes up the data, found by position.
//
// Pieces sit in chunks of at most kMaxChunk; a prefix sum of chunk lengths
// finds the chunk by binary search and a walk over at most kMaxChunk pieces
// finds the piece. An edit rebuilds only the chunks it touches plus the small
// array of chunk records, so it stays fast at 100,000 pieces and more
// (~200 chunks there); a plain vector would move every later piece.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "hexeditor/model/piece.h"

namespace hexed {

class PieceTable {
 public:
  static constexpr std::size_t kMaxChunk = 1024;
  static constexpr std::size_t kMinChunk = 128;

  std::int64_t Size() const { return starts_.back(); }
  std::size_t PieceCount() const;

  // Calls visit(piece, from, count) for each piece overlapping [pos, pos + size)
  // in order, with the overlap as offset into the piece and length.
  template <class Visit>
  void ForEach(std::int64_t pos, std::int64_t size, Visit&& visit) const;

  // The pieces of [pos, pos + size), cut at both ends.
  std::vector<Piece> Copy(std::int64_t pos, std::int64_t size) const;

  // Puts `with` in place of [pos, pos + eraseSize). The range lies within
  // Size(). Strong guarantee: all allocation happens before the swap.
  void Replace(std::int64_t pos, std::int64_t eraseSize, const std::vector<Piece>& with);

  void Clear() noexcept;

 private:
  struct Chunk {
    std::vector<Piece> pieces;
    std::int64_t length = 0;
  };

  std::size_t ChunkAt(std::int64_t pos) const;
  std::vector<Piece> Gather(std::size_t first, std::size_t last, std::int64_t pos, std::int64_t end,
                            const std::vector<Piece>& with) const;
  static std::vector<Chunk> CutIntoChunks(const std::vector<Piece>& pieces);

  std::vector<Chunk> chunks_;
  std::vector<std::int64_t> starts_{0};  // start of each chunk, then the total size
};

template <class Visit>
void PieceTable::ForEach(std::int64_t pos, std::int64_t size, Visit&& visit) const {
  if (size <= 0 || chunks_.empty()) return;
  const std::int64_t end = pos + size;
  for (std::size_t c = ChunkAt(pos); c < chunks_.size() && starts_[c] < end; ++c) {
    std::int64_t at = starts_[c];
    for (const Piece& piece : chunks_[c].pieces) {
      const std::int64_t next = at + piece.length;
      if (next > pos) {
        const std::int64_t from = std::max(pos, at);
        const std::int64_t to = std::min(end, next);
        if (from >= to) return;
        visit(piece, from - at, to - from);
      }
      at = next;
      if (at >= end) return;
    }
  }
}

}  // namespace hexed

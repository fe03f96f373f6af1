#include "hexeditor/model/piece_table.h"

#include <algorithm>

namespace hexed {

namespace {

// Appends `piece`, joining it to the last one when it continues it.
void AppendPiece(std::vector<Piece>& pieces, const Piece& piece) {
  if (piece.length <= 0) return;
  if (!pieces.empty() && pieces.back().Continues(piece))
    pieces.back().length += piece.length;
  else
    pieces.push_back(piece);
}

}  // namespace

std::size_t PieceTable::PieceCount() const {
  std::size_t n = 0;
  for (const Chunk& c : chunks_) n += c.pieces.size();
  return n;
}

std::size_t PieceTable::ChunkAt(std::int64_t pos) const {
  // The last chunk starting at or before pos; pos == Size() falls in the last.
  const auto it = std::upper_bound(starts_.begin(), starts_.end() - 1, pos);
  const std::size_t c = static_cast<std::size_t>(it - starts_.begin()) - 1;
  return std::min(c, chunks_.size() - 1);
}

std::vector<Piece> PieceTable::Copy(std::int64_t pos, std::int64_t size) const {
  std::vector<Piece> out;
  ForEach(pos, size, [&](const Piece& p, std::int64_t from, std::int64_t count) {
    AppendPiece(out, Piece{p.source, p.offset + from, count});
  });
  return out;
}

std::vector<Piece> PieceTable::Gather(std::size_t first, std::size_t last, std::int64_t pos, std::int64_t end,
                                      const std::vector<Piece>& with) const {
  // What chunks [first, last] keep before pos, then `with`, then what they
  // keep from end on; chunks wholly inside [pos, end) are skipped unread.
  std::vector<Piece> merged;
  merged.reserve(chunks_[first].pieces.size() + with.size() + chunks_[last].pieces.size());
  for (std::size_t c = first; c <= last && starts_[c] < pos; ++c) {
    std::int64_t at = starts_[c];
    for (const Piece& p : chunks_[c].pieces) {
      if (at >= pos) break;
      AppendPiece(merged, Piece{p.source, p.offset, std::min(p.length, pos - at)});
      at += p.length;
    }
  }
  for (const Piece& p : with) AppendPiece(merged, p);
  for (std::size_t c = first; c <= last; ++c) {
    if (starts_[c + 1] <= end) continue;
    std::int64_t at = starts_[c];
    for (const Piece& p : chunks_[c].pieces) {
      const std::int64_t next = at + p.length;
      if (next > end) {
        const std::int64_t skip = std::max<std::int64_t>(0, end - at);
        AppendPiece(merged, Piece{p.source, p.offset + skip, p.length - skip});
      }
      at = next;
    }
  }
  return merged;
}

std::vector<PieceTable::Chunk> PieceTable::CutIntoChunks(const std::vector<Piece>& pieces) {
  // Full chunks leave room: an edit inside splits at most one piece in two.
  const std::size_t per = pieces.size() <= kMaxChunk ? kMaxChunk : kMaxChunk / 2;
  std::vector<Chunk> chunks;
  chunks.reserve((pieces.size() + per - 1) / per);
  for (std::size_t i = 0; i < pieces.size(); i += per) {
    Chunk chunk;
    chunk.pieces.assign(pieces.begin() + static_cast<std::ptrdiff_t>(i),
                        pieces.begin() + static_cast<std::ptrdiff_t>(std::min(pieces.size(), i + per)));
    for (const Piece& p : chunk.pieces) chunk.length += p.length;
    chunks.push_back(std::move(chunk));
  }
  return chunks;
}

void PieceTable::Replace(std::int64_t pos, std::int64_t eraseSize, const std::vector<Piece>& with) {
  const std::int64_t end = pos + eraseSize;
  std::vector<Piece> merged;
  std::size_t first = 0;
  std::size_t last = 0;  // chunks [first, last] are replaced; none when the table is empty
  bool any = !chunks_.empty();
  if (any) {
    first = ChunkAt(pos);
    last = ChunkAt(end);
    merged = Gather(first, last, pos, end, with);
    // A small result takes in a neighbour, so chunks do not shrink to nothing.
    if (merged.size() < kMinChunk && last + 1 < chunks_.size()) {
      ++last;
      merged = Gather(first, last, pos, end, with);
    } else if (merged.size() < kMinChunk && first > 0) {
      --first;
      merged = Gather(first, last, pos, end, with);
    }
  } else {
    for (const Piece& p : with) AppendPiece(merged, p);
  }
  std::vector<Chunk> fresh = CutIntoChunks(merged);

  const std::size_t replaced = any ? last - first + 1 : 0;
  std::vector<Chunk> next;
  next.reserve(chunks_.size() - replaced + fresh.size());
  std::vector<std::int64_t> nextStarts;
  nextStarts.reserve(chunks_.size() - replaced + fresh.size() + 1);

  // Nothing below allocates or throws: moves into reserved room, then swaps.
  for (std::size_t c = 0; c < first && any; ++c) next.push_back(std::move(chunks_[c]));
  for (Chunk& c : fresh) next.push_back(std::move(c));
  for (std::size_t c = any ? last + 1 : 0; c < chunks_.size(); ++c) next.push_back(std::move(chunks_[c]));
  std::int64_t at = 0;
  for (const Chunk& c : next) {
    nextStarts.push_back(at);
    at += c.length;
  }
  nextStarts.push_back(at);
  chunks_.swap(next);
  starts_.swap(nextStarts);
}

void PieceTable::Clear() noexcept {
  chunks_.clear();
  starts_.assign(1, 0);  // capacity for one is always there
}

}  // namespace hexed

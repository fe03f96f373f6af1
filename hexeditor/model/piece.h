// The pieces that the editor's bytes are made of: each names a run of bytes in
// a source (the file on disk or the store of bytes the user added), so an edit
// of any size moves a few small records instead of the file's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace hexed {

// Where pieces read their bytes. Reads lie within what the source holds.
class PieceSource {
 public:
  virtual ~PieceSource() = default;
  // Copies `size` bytes at `offset` into `dest`; throws on a read error.
  virtual void Read(std::int64_t offset, std::uint8_t* dest, std::size_t size) const = 0;
};

struct Piece {
  const PieceSource* source = nullptr;
  std::int64_t offset = 0;  // in the source
  std::int64_t length = 0;

  // True when `next` continues this piece in the same source.
  bool Continues(const Piece& next) const { return source == next.source && offset + length == next.offset; }
};

// Pieces cut out of the data (for undo): a value that keeps its sources alive,
// so it reads the same bytes after the data reloaded or its file was saved over.
// A save over the viewed file renames or deletes the old file but never writes
// it, so keeping it open serves such lists as they were; copying their file
// ranges into memory instead could cost gigabytes for one cut.
class PieceList {
 public:
  PieceList() = default;
  PieceList(std::vector<Piece> pieces, std::vector<std::shared_ptr<const PieceSource>> sources)
      : pieces_(std::move(pieces)), sources_(std::move(sources)) {
    for (const Piece& p : pieces_) size_ += p.length;
  }

  std::int64_t Size() const { return size_; }
  const std::vector<Piece>& Pieces() const { return pieces_; }
  const std::vector<std::shared_ptr<const PieceSource>>& Sources() const { return sources_; }

 private:
  std::vector<Piece> pieces_;
  std::vector<std::shared_ptr<const PieceSource>> sources_;
  std::int64_t size_ = 0;
};

}  // namespace hexed

// The editor's data: the viewed file read where it is looked at, plus the
// edits as pieces (see piece_data.h). Positions and sizes are 64-bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <utility>

#include "hexeditor/model/piece_data.h"

namespace hexed {

// Largest size the data can take.
inline constexpr std::int64_t kMaxDataSize = INT64_MAX;

// Bounds-checked reads and edits of the data; every change happens whole or
// not at all. Ranges out of bounds raise EQDHexEditor "Data position/length
// out of data bounds"; growing past MaxSize raises OutOfMemoryError.
class TQDHMemoryStream {
 public:
  std::int64_t Size() const { return pieces_.Size(); }
  // The largest size the data can take (kMaxDataSize unless a test lowers it).
  static std::int64_t MaxSize();
  // Throws like a growth to newSize would, changing nothing.
  void Reserve(std::int64_t newSize) const;

  // Shows a file as it is (reads only its size); throws platform::IoError.
  void OpenFile(const std::filesystem::path& path) { pieces_.OpenFile(path); }
  // Size 0, no file.
  void Clear() { pieces_.Clear(); }
  void Swap(TQDHMemoryStream& other) noexcept { std::swap(pieces_, other.pieces_); }

  void CheckRange(std::int64_t pos, std::int64_t n) const;
  std::uint8_t At(std::int64_t pos) const;
  void Read(void* dest, std::int64_t pos, std::int64_t n) const;
  // Overwrites n bytes at pos.
  void Write(const void* src, std::int64_t pos, std::int64_t n);
  // Inserts n bytes at pos: src, or zeros when src is null.
  void Insert(const void* src, std::int64_t pos, std::int64_t n);
  void Erase(std::int64_t pos, std::int64_t n);
  // Cuts to newSize or grows with zeros.
  void SetSize(std::int64_t newSize);
  // Moves n bytes from `from` to `to`; the ranges may overlap.
  void Move(std::int64_t from, std::int64_t to, std::int64_t n);

  // The pieces underneath, for saving and for undo without copying bytes.
  PieceData& Pieces() { return pieces_; }
  const PieceData& Pieces() const { return pieces_; }

 private:
  PieceData pieces_;
};

}  // namespace hexed

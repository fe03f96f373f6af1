// The editor's data for files of any size: the file on disk, read where it is
// looked at, plus the edits as pieces. Positions and sizes are 64-bit.
//
// Every operation happens whole or leaves the data exactly as it was, also
// when memory runs out. Positions out of range raise EQDHexEditor with the
// data-bounds text; read errors of the file raise platform::IoError.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "hexeditor/model/added_bytes.h"
#include "hexeditor/model/file_window.h"
#include "hexeditor/model/nibble_shift.h"
#include "hexeditor/model/piece.h"
#include "hexeditor/model/piece_table.h"

namespace hexed {

class PieceData {
 public:
  PieceData();

  // Shows the file at `path` as it is (reads only its size). Pieces held in
  // PieceLists keep reading their old sources. Throws platform::IoError.
  void OpenFile(const std::filesystem::path& path);
  // Empty data, no file.
  void Clear();
  // The file shown, empty when there is none.
  std::filesystem::path FilePath() const;

  std::int64_t Size() const { return table_.Size(); }
  std::size_t PieceCount() const { return table_.PieceCount(); }

  void Read(std::int64_t pos, std::uint8_t* dest, std::int64_t size) const;
  void Overwrite(std::int64_t pos, const std::uint8_t* src, std::int64_t size);
  void Insert(std::int64_t pos, const std::uint8_t* src, std::int64_t size);
  void Erase(std::int64_t pos, std::int64_t size);
  // Puts `size` bytes from src in place of [pos, pos + eraseSize).
  void Replace(std::int64_t pos, std::int64_t eraseSize, const std::uint8_t* src, std::int64_t size);
  // Moves every nibble from byte pos (< Size) on one place (see nibble_shift.h):
  // a short tail is shifted in memory, a long one becomes one piece of a
  // source that shifts the old pieces where they are read.
  void ShiftNibbles(std::int64_t pos, NibbleShift shift, bool high);

  // For undo, without copying bytes: the pieces of a range, and putting them back.
  PieceList Copy(std::int64_t pos, std::int64_t size) const;
  PieceList Extract(std::int64_t pos, std::int64_t size);
  void InsertPieces(std::int64_t pos, const PieceList& pieces) { PutPieces(pos, 0, pieces); }
  // Puts the pieces in place of [pos, pos + eraseSize).
  void PutPieces(std::int64_t pos, std::int64_t eraseSize, const PieceList& pieces);

  // Tails shorter than this are shifted in memory.
  static constexpr std::int64_t kShiftInMemoryBelow = std::int64_t{64} << 10;

 private:
  void CheckRange(std::int64_t pos, std::int64_t size) const;
  void PutNewBytes(std::int64_t pos, std::int64_t eraseSize, const std::uint8_t* src, std::int64_t size);
  std::vector<std::shared_ptr<const PieceSource>> Sources() const;
  bool Knows(const PieceSource* source) const;

  std::shared_ptr<FileWindow> file_;
  std::shared_ptr<AddedBytes> added_;
  // Sources besides the file and the added bytes: those of pieces put back
  // from lists made before the last OpenFile, and nibble-shifted tails.
  std::vector<std::shared_ptr<const PieceSource>> kept_;
  PieceTable table_;
};

}  // namespace hexed

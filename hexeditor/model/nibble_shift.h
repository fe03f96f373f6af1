// Moving every nibble after a position one place on or back: in place over a
// buffer, or as a source that computes the shifted bytes of a piece list when
// read, so that a shift of a multi-gigabyte tail copies nothing.
#pragma once

#include <cstdint>

#include "hexeditor/model/piece.h"
#include "hexeditor/model/piece_table.h"

namespace hexed {

// data holds the old n bytes followed by one spare byte (n + 1 in all).
// Inserts a 0 nibble at byte pos (pos < n): in the high half of pos when
// `high`, else in the low half; every following nibble moves one place on and
// the new last byte holds the old last low nibble and a 0.
void InsertNibbleInPlace(std::uint8_t* data, std::int64_t n, std::int64_t pos, bool high);

// Removes a nibble of byte pos (pos < n): the high one when `high`, else the
// low one; every following nibble moves one place back and the last byte's
// low nibble becomes 0. The size stays n.
void DeleteNibbleInPlace(std::uint8_t* data, std::int64_t n, std::int64_t pos, bool high);

enum class NibbleShift { kInsert, kDelete };

// The bytes of `old` (n > 0 bytes) after InsertNibbleInPlace (n + 1 bytes) or
// DeleteNibbleInPlace (n bytes) at position 0, computed where they are read.
class NibbleShiftedSource final : public PieceSource {
 public:
  NibbleShiftedSource(PieceList old, NibbleShift shift, bool high);

  std::int64_t Size() const { return old_.Size() + (shift_ == NibbleShift::kInsert ? 1 : 0); }
  void Read(std::int64_t offset, std::uint8_t* dest, std::size_t size) const override;

 private:
  // Old bytes [from, from + n), zeros where that lies outside the old bytes.
  void ReadOld(std::int64_t from, std::uint8_t* dest, std::int64_t n) const;

  PieceList old_;  // keeps the old bytes' sources alive
  PieceTable table_;
  NibbleShift shift_;
  bool high_;
};

}  // namespace hexed

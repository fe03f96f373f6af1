// Change marks as ranges: the bytes overwritten since the last load or save,
// kept as sorted, merged, non-touching ranges, so marking a whole 4 GiB
// overwrite costs one entry. Positions are 64-bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>

namespace hexed {

class ChangeRanges {
 public:
  // True when the byte at pos carries a mark.
  bool Get(std::int64_t pos) const;
  // Sets or clears the marks of [pos, pos + len).
  void SetRange(std::int64_t pos, std::int64_t len, bool on = true);
  void Set(std::int64_t pos, bool on) { SetRange(pos, 1, on); }
  // Drops every mark at pos and beyond.
  void CutFrom(std::int64_t pos);
  // Drops every mark.
  void Clear() noexcept { ranges_.clear(); }
  // True when any byte carries a mark.
  bool Any() const { return !ranges_.empty(); }
  // Number of separate marked ranges.
  std::size_t RangeCount() const { return ranges_.size(); }

  // For edits that move the bytes after pos, when marks are to follow their
  // bytes (the editor itself cuts the marks at the edit instead):
  // `len` unmarked bytes come in at pos ...
  void InsertGap(std::int64_t pos, std::int64_t len);
  // ... or [pos, pos + len) goes away and what follows moves down.
  void RemoveRange(std::int64_t pos, std::int64_t len);

 private:
  void Mark(std::int64_t from, std::int64_t to);
  void Unmark(std::int64_t from, std::int64_t to);

  std::map<std::int64_t, std::int64_t> ranges_;  // start -> end (exclusive)
};

}  // namespace hexed

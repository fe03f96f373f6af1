// Per-byte change marks: one bit per byte position, kept only as far as the
// highest mark, so an unedited buffer costs nothing.
#pragma once

#include <cstdint>
#include <vector>

namespace hexed {

class ChangeMarks {
 public:
  // True when the byte at pos carries a mark.
  bool Get(std::int64_t pos) const;
  // Sets or clears the mark of pos.
  void Set(std::int64_t pos, bool on);
  // Drops every mark at pos and beyond.
  void CutFrom(std::int64_t pos);
  // Drops every mark.
  void Clear();
  // True when any byte carries a mark.
  bool Any() const;

 private:
  std::vector<std::uint64_t> words_;
};

}  // namespace hexed

#include "hexeditor/model/change_marks.h"

#include <algorithm>

namespace hexed {

bool ChangeMarks::Get(std::int64_t pos) const {
  if (pos < 0) return false;
  const std::size_t w = static_cast<std::size_t>(pos) / 64;
  return w < words_.size() && ((words_[w] >> (pos % 64)) & 1U) != 0;
}

void ChangeMarks::Set(std::int64_t pos, bool on) {
  if (pos < 0) return;
  const std::size_t w = static_cast<std::size_t>(pos) / 64;
  const std::uint64_t bit = std::uint64_t{1} << (pos % 64);
  if (on) {
    if (w >= words_.size()) words_.resize(w + 1, 0);
    words_[w] |= bit;
  } else if (w < words_.size()) {
    words_[w] &= ~bit;
  }
}

void ChangeMarks::CutFrom(std::int64_t pos) {
  if (pos <= 0) {
    words_.clear();
    return;
  }
  const std::size_t w = static_cast<std::size_t>(pos) / 64;
  if (w >= words_.size()) return;
  words_.resize(w + 1);
  const int keep = pos % 64;
  words_[w] &= keep == 0 ? 0 : (~std::uint64_t{0} >> (64 - keep));
}

void ChangeMarks::Clear() { words_.clear(); }

bool ChangeMarks::Any() const {
  return std::any_of(words_.begin(), words_.end(), [](std::uint64_t w) { return w != 0; });
}

}  // namespace hexed

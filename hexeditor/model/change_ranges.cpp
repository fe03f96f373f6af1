#include "hexeditor/model/change_ranges.h"

#include <algorithm>
#include <iterator>

namespace hexed {

bool ChangeRanges::Get(std::int64_t pos) const {
  auto it = ranges_.upper_bound(pos);
  if (it == ranges_.begin()) return false;
  --it;
  return pos < it->second;
}

void ChangeRanges::SetRange(std::int64_t pos, std::int64_t len, bool on) {
  const std::int64_t from = std::max<std::int64_t>(pos, 0);
  const std::int64_t to = pos + std::max<std::int64_t>(len, 0);
  if (from >= to) return;
  if (on)
    Mark(from, to);
  else
    Unmark(from, to);
}

void ChangeRanges::Mark(std::int64_t from, std::int64_t to) {
  // Ranges that overlap or touch [from, to) join it into one.
  auto first = ranges_.upper_bound(from);
  if (first != ranges_.begin() && std::prev(first)->second >= from) --first;
  auto last = first;
  while (last != ranges_.end() && last->first <= to) ++last;
  if (first == last) {
    ranges_.emplace_hint(last, from, to);  // the only step that allocates
    return;
  }
  // Reuse the first node, so nothing allocates once ranges go away.
  const std::int64_t start = std::min(from, first->first);
  const std::int64_t end = std::max(to, std::prev(last)->second);
  auto node = ranges_.extract(first++);
  ranges_.erase(first, last);
  node.key() = start;
  node.mapped() = end;
  ranges_.insert(std::move(node));
}

void ChangeRanges::Unmark(std::int64_t from, std::int64_t to) {
  auto first = ranges_.upper_bound(from);
  if (first != ranges_.begin() && std::prev(first)->second > from) --first;
  if (first == ranges_.end() || first->first >= to) return;
  auto last = first;
  while (last != ranges_.end() && last->first < to) ++last;
  const auto lastRange = std::prev(last);
  // A range that sticks out past `to` keeps its end part; its node is made
  // first, so a failed allocation changes nothing.
  auto stop = last;
  if (lastRange->second > to) stop = ranges_.emplace_hint(last, to, lastRange->second);
  if (first->first < from) {
    first->second = from;
    ++first;
  }
  ranges_.erase(first, stop);
}

void ChangeRanges::CutFrom(std::int64_t pos) {
  if (pos <= 0) {
    ranges_.clear();
    return;
  }
  auto it = ranges_.lower_bound(pos);
  if (it != ranges_.begin()) {
    auto before = std::prev(it);
    before->second = std::min(before->second, pos);
  }
  ranges_.erase(it, ranges_.end());
}

void ChangeRanges::InsertGap(std::int64_t pos, std::int64_t len) {
  if (len <= 0) return;
  pos = std::max<std::int64_t>(pos, 0);
  // Rebuilt into a new map (keys cannot change in place), then swapped: a
  // range across pos splits in two and its end part moves with its bytes.
  std::map<std::int64_t, std::int64_t> next;
  for (const auto& [start, end] : ranges_) {
    if (end <= pos) {
      next.emplace_hint(next.end(), start, end);
    } else if (start >= pos) {
      next.emplace_hint(next.end(), start + len, end + len);
    } else {
      next.emplace_hint(next.end(), start, pos);
      next.emplace_hint(next.end(), pos + len, end + len);
    }
  }
  ranges_.swap(next);
}

void ChangeRanges::RemoveRange(std::int64_t pos, std::int64_t len) {
  if (len <= 0) return;
  pos = std::max<std::int64_t>(pos, 0);
  std::map<std::int64_t, std::int64_t> next;
  std::int64_t prevEnd = -1;
  for (const auto& [start, end] : ranges_) {
    // Positions past the removed range move down; those inside go.
    const auto shift = [&](std::int64_t p) { return p <= pos ? p : std::max(pos, p - len); };
    const std::int64_t s = shift(start);
    const std::int64_t e = shift(end);
    if (s >= e) continue;
    if (s <= prevEnd)  // the two sides of the removed range meet
      std::prev(next.end())->second = e;
    else
      next.emplace_hint(next.end(), s, e);
    prevEnd = e;
  }
  ranges_.swap(next);
}

}  // namespace hexed

#include "hexeditor/model/undo_storage.h"

#include <cstring>

#include "hexeditor/model/undo_record.h"

namespace hexed {

void TQDHUndoStorage::Clear() {
  stream_.clear();
  stream_.shrink_to_fit();
  count_ = 0;
  updateCount_ = 0;
  description_.clear();
  DiscardRedo();
  DiscardLastUndone();
}

void TQDHUndoStorage::EmptyRecords() {
  const std::int32_t suspended = updateCount_;
  Clear();
  updateCount_ = suspended;
}

void TQDHUndoStorage::DropOldestOverBudget(std::int32_t budget) {
  if (budget <= 0) return;
  std::size_t dropped = 0;
  while (count_ > 0 && static_cast<std::int64_t>(stream_.size() - dropped) > budget) {
    const std::size_t left = stream_.size() - dropped;
    const std::int32_t size = left < 4 ? 0 : undo::GetInt32(stream_.data() + dropped);
    if (left < 4 || size <= undo::kHeadSize || static_cast<std::size_t>(size) > left) {
      stream_.clear();
      count_ = 0;
      return;
    }
    dropped += static_cast<std::size_t>(size);
    --count_;
  }
  // One move for all dropped records.
  if (dropped > 0) stream_.erase(stream_.begin(), stream_.begin() + static_cast<std::ptrdiff_t>(dropped));
}

std::size_t TQDHUndoStorage::Grow(std::size_t n) {
  const std::size_t at = stream_.size();
  stream_.resize(at + n, 0);
  return at;
}

void TQDHUndoStorage::Append(const void* data, std::size_t n) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  stream_.insert(stream_.end(), p, p + n);
}

std::optional<std::size_t> TQDHUndoStorage::NewestOffset() const {
  if (stream_.size() < static_cast<std::size_t>(undo::kMinRecordSize)) return std::nullopt;
  const std::int32_t size = undo::GetInt32(stream_.data() + stream_.size() - 4);
  if (size < undo::kMinRecordSize || static_cast<std::size_t>(size) > stream_.size()) return std::nullopt;
  const std::size_t at = stream_.size() - static_cast<std::size_t>(size);
  if (undo::GetInt32(stream_.data() + at) != size) return std::nullopt;
  return at;
}

std::vector<std::uint8_t> TQDHUndoStorage::TakeNewest() {
  const auto at = NewestOffset();
  if (!at) return {};
  std::vector<std::uint8_t> record(stream_.begin() + static_cast<std::ptrdiff_t>(*at), stream_.end());
  stream_.resize(*at);
  if (count_ > 0) --count_;
  return record;
}

void TQDHUndoStorage::DropNewest() {
  const auto at = NewestOffset();
  if (!at) return;
  stream_.resize(*at);
  if (count_ > 0) --count_;
}

void TQDHUndoStorage::SetRedo(std::vector<std::uint8_t> block) {
  redo_ = std::move(block);
  hasRedo_ = true;
}

void TQDHUndoStorage::DiscardRedo() {
  redo_.clear();
  redo_.shrink_to_fit();
  hasRedo_ = false;
}

std::vector<std::uint8_t> TQDHUndoStorage::TakeRedo() {
  std::vector<std::uint8_t> block = std::move(redo_);
  DiscardRedo();
  return block;
}

void TQDHUndoStorage::SetLastUndone(std::vector<std::uint8_t> record, std::string description) {
  lastUndone_ = std::move(record);
  lastUndoneDescription_ = std::move(description);
  hasLastUndone_ = true;
}

void TQDHUndoStorage::DiscardLastUndone() {
  lastUndone_.clear();
  lastUndone_.shrink_to_fit();
  lastUndoneDescription_.clear();
  hasLastUndone_ = false;
}

bool TQDHUndoStorage::PutBackLastUndone() {
  if (!hasLastUndone_) return false;
  Append(lastUndone_.data(), lastUndone_.size());
  ++count_;
  description_ = std::move(lastUndoneDescription_);
  DiscardLastUndone();
  return true;
}

}  // namespace hexed

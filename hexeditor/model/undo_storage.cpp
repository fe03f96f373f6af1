#include "hexeditor/model/undo_storage.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "hexeditor/model/allocation_limits.h"
#include "hexeditor/errors.h"
#include "hexeditor/messages.h"
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
  held_.clear();
}

void TQDHUndoStorage::EmptyRecords() {
  const std::int32_t suspended = updateCount_;
  Clear();
  updateCount_ = suspended;
}

void TQDHUndoStorage::DropOldestOverBudget(std::int32_t budget, std::size_t keep) {
  if (budget <= 0 || keep > stream_.size()) return;
  // Records that `keep` covers are not counted as droppable.
  const std::int32_t keptRecords = keep > 0 ? 1 : 0;
  const std::size_t older = stream_.size() - keep;
  std::size_t dropped = 0;
  while (count_ > keptRecords && static_cast<std::int64_t>(older - dropped) > budget) {
    const std::size_t left = older - dropped;
    const std::int32_t size = left < 4 ? 0 : undo::GetInt32(stream_.data() + dropped);
    if (left < 4 || size <= undo::kHeadSize || static_cast<std::size_t>(size) > left) {
      stream_.erase(stream_.begin(), stream_.begin() + static_cast<std::ptrdiff_t>(older));
      count_ = keptRecords;
      return;
    }
    dropped += static_cast<std::size_t>(size);
    --count_;
  }
  // One move for all dropped records.
  if (dropped > 0) stream_.erase(stream_.begin(), stream_.begin() + static_cast<std::ptrdiff_t>(dropped));
}

void TQDHUndoStorage::Reserve(std::size_t n) {
  const std::size_t want = stream_.size() + n;
  if (static_cast<std::int64_t>(want) > TestAllocationLimits().undoStream) throw std::bad_alloc();
  if (want <= stream_.capacity()) return;
  // Doubling keeps appends amortised; when that much is not to be had, the
  // exact size may still be.
  try {
    stream_.reserve(std::max(want, 2 * stream_.capacity()));
  } catch (const std::bad_alloc&) {
    stream_.reserve(want);
  }
}

std::size_t TQDHUndoStorage::Grow(std::size_t n) {
  Reserve(n);
  const std::size_t at = stream_.size();
  stream_.resize(at + n, 0);
  return at;
}

void TQDHUndoStorage::Append(const void* data, std::size_t n) {
  Reserve(n);
  const auto* p = static_cast<const std::uint8_t*>(data);
  stream_.insert(stream_.end(), p, p + n);
}

void TQDHUndoStorage::Truncate(std::size_t size, std::int32_t count) {
  if (size < stream_.size()) stream_.resize(size);
  count_ = count;
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

namespace {

// The held-list id of a record, if it refers to one.
void CollectHeldId(const std::uint8_t* record, std::size_t size, std::vector<std::uint64_t>& ids) {
  if (size < static_cast<std::size_t>(undo::kHeadSize) + 8) return;
  if ((undo::GetInt32(record + undo::kOffFlags) & undo::kFlagHeldPieces) == 0) return;
  ids.push_back(static_cast<std::uint64_t>(undo::GetInt64(record + undo::kHeadSize)));
}

}  // namespace

std::uint64_t TQDHUndoStorage::Hold(PieceList pieces) {
  const std::uint64_t id = nextHeld_;
  held_.emplace(id, std::move(pieces));
  ++nextHeld_;
  return id;
}

const PieceList& TQDHUndoStorage::Held(std::uint64_t id) const {
  const auto it = held_.find(id);
  if (it == held_.end()) throw EQDHexEditor(msg::kCannotUpdateUndo);
  return it->second;
}

void TQDHUndoStorage::ReleaseUnreferenced() {
  if (held_.empty()) return;
  std::vector<std::uint64_t> ids;
  for (std::size_t at = 0; at + 4 <= stream_.size();) {
    const std::int32_t size = undo::GetInt32(stream_.data() + at);
    if (size <= undo::kHeadSize || static_cast<std::size_t>(size) > stream_.size() - at) break;
    CollectHeldId(stream_.data() + at, static_cast<std::size_t>(size), ids);
    at += static_cast<std::size_t>(size);
  }
  if (hasLastUndone_) CollectHeldId(lastUndone_.data(), lastUndone_.size(), ids);
  if (hasRedo_) CollectHeldId(redo_.data(), redo_.size(), ids);
  std::erase_if(held_, [&](const auto& entry) { return std::find(ids.begin(), ids.end(), entry.first) == ids.end(); });
}

}  // namespace hexed

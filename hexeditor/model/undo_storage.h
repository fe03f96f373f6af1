// The undo storage: undo records appended one after another in one memory
// stream (newest at the end), the one redo record and the last-undone record.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "hexeditor/model/piece.h"

namespace hexed {

class TQDHUndoStorage {
 public:
  // Number of records.
  std::int32_t Count() const { return count_; }
  // Suspend counter; records are written only while it is 0.
  std::int32_t UpdateCount() const { return updateCount_; }
  void Suspend() { ++updateCount_; }
  void Resume() {
    if (updateCount_ > 0) --updateCount_;
  }

  // The stream's bytes and size.
  const std::vector<std::uint8_t>& Bytes() const { return stream_; }
  std::int64_t Size() const { return static_cast<std::int64_t>(stream_.size()); }

  // Description of the record that Undo would revert.
  const std::string& Description() const { return description_; }
  void SetDescription(std::string text) { description_ = std::move(text); }

  // Empties the stream, the counters, the description, the redo and the
  // last-undone record.
  void Clear();
  // Drops every record, the redo and the last-undone record but keeps the
  // suspend counter (a load while suspended stays suspended).
  void EmptyRecords();

  // Drops the oldest records while the stream without its newest record
  // (`keep` bytes, 0 for none) is larger than `budget` (when budget > 0); the
  // newest record always stays. A stream whose first size field is the head size or
  // less, or that is shorter than 4 bytes, loses every record before it.
  void DropOldestOverBudget(std::int32_t budget, std::size_t keep = 0);

  // Makes room for n more bytes, so that appending up to n bytes cannot
  // fail; throws std::bad_alloc, with nothing changed, when memory is short.
  void Reserve(std::size_t n);
  // Grows the stream by n zero bytes and returns the offset where they begin.
  std::size_t Grow(std::size_t n);
  // Appends bytes to the stream.
  void Append(const void* data, std::size_t n);
  // Cuts the stream back to `size` bytes holding `count` records (the state
  // before a change that failed).
  void Truncate(std::size_t size, std::int32_t count);

  // Piece lists that records refer to instead of holding bytes: removed
  // ranges that stay unchanged underneath (the file and the added bytes only
  // grow). The budget counts the records, not the bytes they refer to.
  // Hold returns the id the record keeps; Held throws EQDHexEditor for an
  // id it does not know.
  std::uint64_t Hold(PieceList pieces);
  const PieceList& Held(std::uint64_t id) const;
  std::size_t HeldCount() const { return held_.size(); }
  // Forgets the lists that no record of the stream, the last-undone record
  // or the redo record refers to any more.
  void ReleaseUnreferenced();
  // Writable address of the stream at offset (valid until the next growth).
  std::uint8_t* At(std::size_t offset) { return stream_.data() + offset; }
  // Counts a record that was appended.
  void AddCount() { ++count_; }

  // Offset of the newest record, or empty when the stream does not end in a
  // sound record (size fields at both ends equal and within the stream).
  std::optional<std::size_t> NewestOffset() const;
  // Takes the newest record off the stream (Count - 1) and returns its bytes.
  std::vector<std::uint8_t> TakeNewest();
  // Takes the newest record off the stream without copying it.
  void DropNewest();
  // Empties the stream alone (Count 0); redo and last-undone records stay.
  void EmptyStream() {
    stream_.clear();
    count_ = 0;
  }

  // The redo record (one block), if any.
  bool HasRedo() const { return hasRedo_; }
  const std::vector<std::uint8_t>& Redo() const { return redo_; }
  void SetRedo(std::vector<std::uint8_t> block);
  void DiscardRedo();
  // Moves the redo record out (none is left).
  std::vector<std::uint8_t> TakeRedo();

  // The most recently undone record and its description.
  bool HasLastUndone() const { return hasLastUndone_; }
  void SetLastUndone(std::vector<std::uint8_t> record, std::string description);
  void DiscardLastUndone();
  // Appends the last-undone record back to the stream (Count + 1) and makes
  // its description current; false when there is none.
  bool PutBackLastUndone();

 private:
  std::vector<std::uint8_t> stream_;
  std::int32_t count_ = 0;
  std::int32_t updateCount_ = 0;
  std::string description_;
  std::vector<std::uint8_t> redo_;
  bool hasRedo_ = false;
  std::vector<std::uint8_t> lastUndone_;
  std::string lastUndoneDescription_;
  bool hasLastUndone_ = false;
  std::map<std::uint64_t, PieceList> held_;
  std::uint64_t nextHeld_ = 1;
};

}  // namespace hexed

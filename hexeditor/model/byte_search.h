// Finding a pattern in bytes that are read in large chunks through a small
// interface, so the same search runs over the editor's buffer and over a file.
// The scan looks for the pattern's rarest exact byte with memchr and checks the
// whole pattern only where that byte is; chunks overlap by the pattern's length
// less one, so a match across a chunk edge is found like any other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "hexeditor/model/search_pattern.h"

namespace hexed::search {

// Where a search reads its bytes.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Number of bytes.
  virtual std::int64_t Size() const = 0;
  // Copies the `size` bytes at `offset` into `buffer`; the range lies within
  // Size(). A failure throws (the search passes the exception on).
  virtual void Read(std::int64_t offset, std::uint8_t* buffer, std::size_t size) = 0;
};

// A source over bytes in memory (the editor's buffer today).
class MemorySource : public ByteSource {
 public:
  MemorySource(const std::uint8_t* data, std::int64_t size) : data_(data), size_(size) {}
  std::int64_t Size() const override { return size_; }
  void Read(std::int64_t offset, std::uint8_t* buffer, std::size_t size) override;

 private:
  const std::uint8_t* data_;
  std::int64_t size_;
};

// Called after each chunk with the bytes scanned so far and the bytes the
// whole search may scan; returning false cancels the search.
using ProgressFn = std::function<bool(std::int64_t done, std::int64_t total)>;

struct FindOptions {
  // Forward: the first match starting at or after `from`. Backward: the last
  // match starting before `from`.
  std::int64_t from = 0;
  bool backward = false;
  // When nothing lies that way, go on from the other end up to `from`.
  bool wrap = true;
  // Bytes read per chunk (at least the pattern's length is used).
  std::size_t chunkSize = std::size_t{4} << 20;
  ProgressFn progress;
};

enum class FindStatus { kFound, kNotFound, kCancelled };

struct FindResult {
  FindStatus status = FindStatus::kNotFound;
  std::int64_t position = -1;  // start of the match when found
  bool wrapped = false;        // the match lies past the end the search started towards
};

// Searches `source` for `pattern` as `options` say.
FindResult Find(ByteSource& source, const Pattern& pattern, const FindOptions& options);

struct FindAllResult {
  std::vector<std::int64_t> positions;  // ascending, none overlapping the one before
  bool cancelled = false;               // then positions is empty
  bool overLimit = false;               // more matches than the limit; positions holds the first ones
};

// Every match from the start of `source` to its end, in one pass; a match
// starts after the end of the one before. Only chunkSize and progress of
// `options` count.
FindAllResult FindAll(ByteSource& source, const Pattern& pattern, const FindOptions& options, std::size_t limit);

}  // namespace hexed::search

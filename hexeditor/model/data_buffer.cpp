#include "hexeditor/model/data_buffer.h"

#include <algorithm>
#include <vector>

#include "hexeditor/errors.h"
#include "hexeditor/messages.h"
#include "hexeditor/model/allocation_limits.h"

namespace hexed {

namespace {

// Zeros are inserted from one shared block, so growing by gigabytes of
// zeros costs no more memory than the pieces that point at it.
constexpr std::size_t kZeroBlock = std::size_t{64} << 10;

// n zero bytes as pieces that all point at one block of zeros.
PieceList ZeroPieces(std::int64_t n) {
  const std::vector<std::uint8_t> block(kZeroBlock, 0);
  const auto full = static_cast<std::int64_t>(kZeroBlock);
  PieceData zeros;
  zeros.Insert(0, block.data(), full);
  const PieceList whole = zeros.Copy(0, full);
  PieceData run;
  for (std::int64_t left = n; left > 0; left -= full) {
    run.InsertPieces(run.Size(), left >= full ? whole : zeros.Copy(0, left));
  }
  return run.Copy(0, n);
}

}  // namespace

std::int64_t TQDHMemoryStream::MaxSize() { return std::min(kMaxDataSize, TestAllocationLimits().dataBlock); }

void TQDHMemoryStream::Reserve(std::int64_t newSize) const {
  if (newSize < 0 || newSize > MaxSize()) throw OutOfMemoryError(msg::kOutOfMemory);
}

void TQDHMemoryStream::CheckRange(std::int64_t pos, std::int64_t n) const {
  if (pos < 0 || n < 0 || pos > Size() || n > Size() - pos) throw EQDHexEditor(msg::kDataBounds);
}

std::uint8_t TQDHMemoryStream::At(std::int64_t pos) const {
  std::uint8_t b = 0;
  pieces_.Read(pos, &b, 1);
  return b;
}

void TQDHMemoryStream::Read(void* dest, std::int64_t pos, std::int64_t n) const {
  pieces_.Read(pos, static_cast<std::uint8_t*>(dest), n);
}

void TQDHMemoryStream::Write(const void* src, std::int64_t pos, std::int64_t n) {
  pieces_.Overwrite(pos, static_cast<const std::uint8_t*>(src), n);
}

void TQDHMemoryStream::Insert(const void* src, std::int64_t pos, std::int64_t n) {
  CheckRange(pos, 0);
  if (n < 0) throw EQDHexEditor(msg::kDataBounds);
  if (n > MaxSize() - Size()) throw OutOfMemoryError(msg::kOutOfMemory);
  if (src != nullptr) {
    pieces_.Insert(pos, static_cast<const std::uint8_t*>(src), n);
    return;
  }
  if (n <= static_cast<std::int64_t>(kZeroBlock)) {
    const std::vector<std::uint8_t> zeros(static_cast<std::size_t>(n), 0);
    pieces_.Insert(pos, zeros.data(), n);
    return;
  }
  pieces_.InsertPieces(pos, ZeroPieces(n));
}

void TQDHMemoryStream::Erase(std::int64_t pos, std::int64_t n) { pieces_.Erase(pos, n); }

void TQDHMemoryStream::SetSize(std::int64_t newSize) {
  if (newSize < 0) throw EQDHexEditor(msg::kDataBounds);
  if (newSize < Size()) {
    Erase(newSize, Size() - newSize);
  } else {
    Insert(nullptr, Size(), newSize - Size());
  }
}

void TQDHMemoryStream::Move(std::int64_t from, std::int64_t to, std::int64_t n) {
  CheckRange(from, n);
  CheckRange(to, n);
  if (from == to || n == 0) return;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(n));
  Read(bytes.data(), from, n);
  Write(bytes.data(), to, n);
}

}  // namespace hexed

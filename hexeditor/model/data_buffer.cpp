#include "hexeditor/model/data_buffer.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "hexeditor/errors.h"
#include "hexeditor/messages.h"
#include "hexeditor/model/allocation_limits.h"

namespace hexed {

namespace {

// Reads as zeros everywhere: growth by any number of zeros is one piece.
class ZeroSource final : public PieceSource {
 public:
  void Read(std::int64_t, std::uint8_t* dest, std::size_t size) const override { std::memset(dest, 0, size); }
};

PieceList ZeroPieces(std::int64_t n) {
  static const auto zeros = std::make_shared<const ZeroSource>();
  return PieceList({Piece{zeros.get(), 0, n}}, {zeros});
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
  if (n == 0) return;
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

#include "hexeditor/model/piece_data.h"

#include <algorithm>
#include <limits>

#include "hexeditor/errors.h"
#include "hexeditor/messages.h"

namespace hexed {

PieceData::PieceData() : added_(std::make_shared<AddedBytes>()) {}

void PieceData::OpenFile(const std::filesystem::path& path) {
  auto file = std::make_shared<FileWindow>(path);
  auto added = std::make_shared<AddedBytes>();
  PieceTable table;
  if (file->Size() > 0) table.Replace(0, 0, {Piece{file.get(), 0, file->Size()}});
  // Nothing below throws.
  file_ = std::move(file);
  added_ = std::move(added);
  kept_.clear();
  std::swap(table_, table);
}

void PieceData::Clear() {
  auto added = std::make_shared<AddedBytes>();
  file_.reset();
  added_ = std::move(added);
  kept_.clear();
  table_.Clear();
}

std::filesystem::path PieceData::FilePath() const { return file_ ? file_->Path() : std::filesystem::path(); }

void PieceData::CheckRange(std::int64_t pos, std::int64_t size) const {
  if (pos < 0 || size < 0 || pos > Size() || size > Size() - pos) throw EQDHexEditor(msg::kDataBounds);
}

void PieceData::Read(std::int64_t pos, std::uint8_t* dest, std::int64_t size) const {
  CheckRange(pos, size);
  table_.ForEach(pos, size, [&](const Piece& p, std::int64_t from, std::int64_t count) {
    p.source->Read(p.offset + from, dest, static_cast<std::size_t>(count));
    dest += count;
  });
}

void PieceData::PutNewBytes(std::int64_t pos, std::int64_t eraseSize, const std::uint8_t* src, std::int64_t size) {
  if (static_cast<std::uint64_t>(size) > std::numeric_limits<std::size_t>::max())
    throw EQDHexEditor(msg::kDataBounds);
  if (size == 0 && eraseSize == 0) return;
  const auto n = static_cast<std::size_t>(size);
  const std::int64_t at = added_->Append(src, n);
  try {
    std::vector<Piece> with;
    if (size > 0) with.push_back(Piece{added_.get(), at, size});
    table_.Replace(pos, eraseSize, with);
  } catch (...) {
    added_->DropLast(n);
    throw;
  }
}

void PieceData::Overwrite(std::int64_t pos, const std::uint8_t* src, std::int64_t size) {
  Replace(pos, size, src, size);
}

void PieceData::Insert(std::int64_t pos, const std::uint8_t* src, std::int64_t size) {
  CheckRange(pos, 0);
  if (size < 0) throw EQDHexEditor(msg::kDataBounds);
  PutNewBytes(pos, 0, src, size);
}

void PieceData::Replace(std::int64_t pos, std::int64_t eraseSize, const std::uint8_t* src, std::int64_t size) {
  CheckRange(pos, eraseSize);
  if (size < 0) throw EQDHexEditor(msg::kDataBounds);
  PutNewBytes(pos, eraseSize, src, size);
}

void PieceData::Erase(std::int64_t pos, std::int64_t size) {
  CheckRange(pos, size);
  if (size > 0) table_.Replace(pos, size, {});
}

std::vector<std::shared_ptr<const PieceSource>> PieceData::Sources() const {
  std::vector<std::shared_ptr<const PieceSource>> sources(kept_);
  if (file_) sources.push_back(file_);
  sources.push_back(added_);
  return sources;
}

PieceList PieceData::Copy(std::int64_t pos, std::int64_t size) const {
  CheckRange(pos, size);
  return PieceList(table_.Copy(pos, size), Sources());
}

PieceList PieceData::Extract(std::int64_t pos, std::int64_t size) {
  PieceList removed = Copy(pos, size);
  if (size > 0) table_.Replace(pos, size, {});
  return removed;
}

void PieceData::ShiftNibbles(std::int64_t pos, NibbleShift shift, bool high) {
  CheckRange(pos, 1);
  const std::int64_t n = Size() - pos;
  const std::int64_t newSize = shift == NibbleShift::kInsert ? n + 1 : n;
  if (n < kShiftInMemoryBelow) {
    std::vector<std::uint8_t> tail(static_cast<std::size_t>(n) + 1);
    Read(pos, tail.data(), n);
    if (shift == NibbleShift::kInsert)
      InsertNibbleInPlace(tail.data(), n, 0, high);
    else
      DeleteNibbleInPlace(tail.data(), n, 0, high);
    PutNewBytes(pos, n, tail.data(), newSize);
    return;
  }
  auto shifted = std::make_shared<NibbleShiftedSource>(Copy(pos, n), shift, high);
  kept_.reserve(kept_.size() + 1);
  table_.Replace(pos, n, {Piece{shifted.get(), 0, newSize}});
  kept_.push_back(std::move(shifted));  // fits the reserved room: no throw
}

bool PieceData::Knows(const PieceSource* source) const {
  if (source == file_.get() || source == added_.get()) return true;
  return std::any_of(kept_.begin(), kept_.end(), [&](const auto& s) { return s.get() == source; });
}

void PieceData::PutPieces(std::int64_t pos, std::int64_t eraseSize, const PieceList& pieces) {
  CheckRange(pos, eraseSize);
  std::vector<std::shared_ptr<const PieceSource>> newcomers;
  for (const auto& source : pieces.Sources())
    if (!Knows(source.get())) newcomers.push_back(source);
  kept_.reserve(kept_.size() + newcomers.size());
  table_.Replace(pos, eraseSize, pieces.Pieces());
  kept_.insert(kept_.end(), newcomers.begin(), newcomers.end());  // fits the reserved room: no throw
}

}  // namespace hexed

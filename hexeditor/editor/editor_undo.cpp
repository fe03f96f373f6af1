// Recording changes, undo and the one redo step.
#include <algorithm>
#include <cstring>
#include <optional>

#include "hexeditor/editor/custom_hex_editor.h"
#include "hexeditor/errors.h"
#include "hexeditor/messages.h"

namespace hexed {

using undo::GetInt32;
using undo::GetInt64;
using undo::PutInt32;
using undo::PutInt64;
using undo::RecordHead;

namespace {

constexpr int kMaxGroupText = 255;

// Length of the longest prefix of UTF-8 text of at most maxBytes bytes that
// does not end inside a character.
std::size_t Utf8Cut(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text.size();
  std::size_t n = maxBytes;
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return n;
}

bool IsSizeChange(UndoKind kind) {
  return kind == UndoKind::kRemoveData || kind == UndoKind::kInsertBuffer || kind == UndoKind::kAppendBuffer ||
         kind == UndoKind::kInsertNibble || kind == UndoKind::kDeleteNibble;
}

// Bytes of the record data that a kind keeps, given the record's counts.
std::int64_t SavedDataLength(UndoKind kind, const RecordHead& h) {
  if (h.flags & undo::kFlagHeldPieces) return 8;
  switch (kind) {
    case UndoKind::kChangeBytes:
    case UndoKind::kRemoveData:
    case UndoKind::kConvert:
    case UndoKind::kInsertNibble:
    case UndoKind::kDeleteNibble:
    case UndoKind::kAllDataSaved: return h.count;
    case UndoKind::kReplace: return h.count2;
    default: return 0;
  }
}

// Where the bytes a record keeps begin: the nibble shifts keep the tail from
// pos on, "all data saved" keeps everything.
std::int64_t SavedDataStart(UndoKind kind, std::int64_t pos) { return kind == UndoKind::kAllDataSaved ? 0 : pos; }

}  // namespace

bool TCustomQDHexEditor::CanRecordUndo(UndoKind kind, std::int64_t count, std::int64_t replacedCount) const {
  if (noSizeChange_) {
    if (IsSizeChange(kind)) return false;
    if (kind == UndoKind::kReplace && count != replacedCount) return false;
  }
  if (DataSize() > 0) return true;
  return kind == UndoKind::kInsertBuffer || kind == UndoKind::kAppendBuffer || kind == UndoKind::kAllDataSaved ||
         (kind == UndoKind::kMultipleModification && undo_.Count() >= count);
}

bool TCustomQDHexEditor::CanUndo() const {
  return !readOnlyView_ && undo_.Count() > 0 && undo_.UpdateCount() == 0 && undo_.Size() > 0;
}

bool TCustomQDHexEditor::CanRedo() const { return !readOnlyView_ && undo_.HasRedo(); }

std::int32_t TCustomQDHexEditor::StateFlags() const {
  std::int32_t flags = 0;
  if (modified_) flags |= undo::kFlagModified;
  if (CaretInCharField()) {
    flags |= undo::kFlagCharField;
  } else if (CaretOnSecondNibble()) {
    flags |= undo::kFlagSecondNibble;
  }
  if (selAnchor_ >= 0) flags |= undo::kFlagSelection;
  if (InsertMode()) flags |= undo::kFlagInsertMode;
  if (unicodeChars_) flags |= undo::kFlagUnicode;
  if (unicodeBigEndian_) flags |= undo::kFlagBigEndian;
  return flags;
}

std::int64_t TCustomQDHexEditor::CheckedDataLength(UndoKind kind, std::int64_t pos, std::int64_t replacedCount,
                                                   std::int64_t count) const {
  if (count < 0 || replacedCount < 0) throw EQDHexEditor(msg::kDataBounds);
  switch (kind) {
    case UndoKind::kChangeBytes:
    case UndoKind::kRemoveData:
    case UndoKind::kConvert: data_.CheckRange(pos, count); return count;
    case UndoKind::kReplace: data_.CheckRange(pos, replacedCount); return replacedCount;
    case UndoKind::kInsertNibble:
    case UndoKind::kDeleteNibble: data_.CheckRange(pos, 1); return DataSize() - pos;
    case UndoKind::kInsertBuffer:
      if (pos < 0 || pos > DataSize()) throw EQDHexEditor(msg::kDataBounds);
      return 0;
    case UndoKind::kAllDataSaved: return DataSize();
    default: return 0;
  }
}

std::int64_t TCustomQDHexEditor::SizeAfter(UndoKind kind, std::int64_t replacedCount, std::int64_t count) const {
  const std::int64_t size = DataSize();
  switch (kind) {
    case UndoKind::kInsertBuffer:
    case UndoKind::kAppendBuffer: return SaturatingAdd(size, count);
    case UndoKind::kReplace: return SaturatingAdd(size - replacedCount, count);
    case UndoKind::kInsertNibble: return size + 1;
    default: return size;
  }
}

void TCustomQDHexEditor::RecordUndo(UndoKind kind, std::int64_t pos, std::string_view description,
                                    std::int64_t replacedCount, std::int64_t count) {
  if (kind == UndoKind::kNone || !CanRecordUndo(kind, count, replacedCount)) {
    throw EQDHexEditor(msg::kCannotUpdateUndo);
  }
  // Every range is checked before anything changes.
  const std::int64_t dataLength = CheckedDataLength(kind, pos, replacedCount, count);
  // The buffer makes room for the change before the record goes in, so that
  // the change cannot fail for want of memory once it is recorded.
  data_.Reserve(SizeAfter(kind, replacedCount, count));
  if (undo_.UpdateCount() == 0) {
    const std::int64_t size = DataSize();
    AppendRecord(kind, pos, description, replacedCount, count, dataLength);
    // Bookmarks after the changed bytes follow them; the check against the
    // end uses the size the change leaves.
    switch (kind) {
      case UndoKind::kRemoveData: AdjustBookmarksWithin(pos + count, -count, size - count); break;
      case UndoKind::kInsertBuffer: AdjustBookmarksWithin(pos, count, size + count); break;
      case UndoKind::kReplace:
        AdjustBookmarksWithin(pos + replacedCount, count - replacedCount, size + count - replacedCount);
        break;
      default: break;
    }
  }
  modified_ = true;
}

void TCustomQDHexEditor::AppendRecord(UndoKind kind, std::int64_t pos, std::string_view description,
                                      std::int64_t replacedCount, std::int64_t count, std::int64_t dataLength) {
  const std::string_view text = description.empty() ? undo::DefaultDescription(kind) : description;

  const bool group = kind == UndoKind::kMultipleModification;
  const bool storeDescription = !description.empty() && !group;
  const std::size_t groupText = group ? Utf8Cut(text, kMaxGroupText) : 0;
  if (group) dataLength = 1 + static_cast<std::int64_t>(groupText);
  // Large ranges are kept as their pieces, not as a copy of their bytes.
  const std::int64_t savedLength = group ? 0 : dataLength;
  const std::int64_t savedStart = SavedDataStart(kind, pos);
  std::optional<PieceList> held;
  if (savedLength >= undo::kHeldPiecesFrom) {
    held = data_.Pieces().Copy(savedStart, savedLength);
    dataLength = 8;
  }
  const std::size_t dataArea = static_cast<std::size_t>(std::max<std::int64_t>(dataLength, 1));

  RecordHead h;
  h.flags = undo::KindBit(kind) | StateFlags() | (storeDescription ? undo::kFlagDescription : 0);
  if (kind == UndoKind::kCursorMovement) h.flags |= undo::kFlagSelection;
  h.caret = CaretPosition();
  h.pos = pos;
  const bool keepsTail = kind == UndoKind::kInsertNibble || kind == UndoKind::kDeleteNibble;
  h.count = kind == UndoKind::kAllDataSaved || keepsTail ? savedLength : count;
  h.count2 = kind == UndoKind::kReplace ? replacedCount : 0;
  h.translation = translation_;
  h.bytesPerUnit = bytesPerUnit_;
  std::int64_t selStart = selStart_;
  std::int64_t selEnd = selEnd_;
  std::int64_t selAnchor = selAnchor_;

  // The record goes in whole or not at all: everything that may fail for
  // want of memory (the description text, room in the stream for the whole
  // record) comes first, and what the new record discards (redo, last-undone
  // record, the oldest records over the budget) goes only once it is in.
  std::string current(group ? text.substr(0, groupText) : text);
  const std::size_t trailer = (storeDescription ? description.size() + 4 : 0) +
                              ((h.flags & undo::kFlagSelection) ? undo::kSelectionSize : 0) + 4;
  const std::size_t recordSize = static_cast<std::size_t>(undo::kHeadSize) + dataArea + trailer;
  if (recordSize > static_cast<std::size_t>(INT32_MAX)) throw OutOfMemoryError(msg::kOutOfMemory);
  undo_.Reserve(recordSize);
  std::uint64_t heldId = 0;
  if (held) {
    heldId = undo_.Hold(std::move(*held));
    h.flags |= undo::kFlagHeldPieces;
  }

  const std::size_t at = undo_.Grow(static_cast<std::size_t>(undo::kHeadSize) + dataArea);
  std::uint8_t* data = undo_.At(at + undo::kHeadSize);
  if (heldId != 0) {
    PutInt64(data, static_cast<std::int64_t>(heldId));
  } else if (savedLength > 0) {
    data_.Read(data, savedStart, savedLength);
  }
  switch (kind) {
    case UndoKind::kChangeBytes:
      if (HasChangeMark(pos)) h.flags |= undo::kFlagMarkAtPos;
      if (count == 2 && HasChangeMark(pos + 1)) h.flags |= undo::kFlagMarkAfterPos;
      break;
    case UndoKind::kInsertNibble:
    case UndoKind::kDeleteNibble:
      if (HasChangeMark(pos)) h.flags |= undo::kFlagMarkAtPos;
      break;
    case UndoKind::kCursorMovement:
      h.caret = pos;
      selStart = pos;
      // A count running past the largest position ends the selection there.
      selEnd = count > 0 ? pos + std::min<std::int64_t>(count, INT64_MAX - pos) - 1 : -1;
      selAnchor = pos;
      break;
    case UndoKind::kMultipleModification:
      data[0] = static_cast<std::uint8_t>(groupText);
      std::memcpy(data + 1, text.data(), groupText);
      break;
    default: break;
  }
  if (storeDescription) {
    undo_.Append(description.data(), description.size());
    std::uint8_t len[4];
    PutInt32(len, static_cast<std::int32_t>(description.size()));
    undo_.Append(len, 4);
  }
  if (h.flags & undo::kFlagSelection) {
    std::uint8_t sel[undo::kSelectionSize];
    PutInt64(sel, selStart);
    PutInt64(sel + 8, selEnd);
    PutInt64(sel + 16, selAnchor);
    undo_.Append(sel, sizeof sel);
  }
  undo_.Grow(4);
  h.size = static_cast<std::int32_t>(recordSize);
  undo::WriteHead(undo_.At(at), h);
  PutInt32(undo_.At(static_cast<std::size_t>(undo_.Size()) - 4), h.size);
  undo_.AddCount();
  undo_.SetDescription(std::move(current));
  // Inside a change of several steps this waits for the last step.
  if (changeDepth_ == 0) SettleUndo(recordSize);
}

void TCustomQDHexEditor::SettleUndo(std::size_t newestRecordSize) {
  undo_.DiscardRedo();
  undo_.DiscardLastUndone();
  undo_.DropOldestOverBudget(maxUndo_, newestRecordSize);
  undo_.ReleaseUnreferenced();
}

void TCustomQDHexEditor::GroupUndo(std::int32_t count, std::string_view description) {
  RecordUndo(UndoKind::kMultipleModification, 0, description, 0, count);
}

std::string TCustomQDHexEditor::RecordDescription(const std::vector<std::uint8_t>& record,
                                                  const RecordHead& h) const {
  const UndoKind kind = undo::KindOf(h.flags);
  const std::size_t end = record.size() - 4 - ((h.flags & undo::kFlagSelection) ? undo::kSelectionSize : 0);
  if ((h.flags & undo::kFlagDescription) && end >= undo::kHeadSize + 5) {
    const auto len = static_cast<std::size_t>(std::max(GetInt32(record.data() + end - 4), 0));
    if (len <= end - 4 - undo::kHeadSize) {
      return std::string(reinterpret_cast<const char*>(record.data() + end - 4 - len), len);
    }
  }
  if (kind == UndoKind::kMultipleModification && record.size() > undo::kHeadSize) {
    const std::size_t len = std::min<std::size_t>(record[undo::kHeadSize], record.size() - undo::kHeadSize - 1);
    return std::string(reinterpret_cast<const char*>(record.data() + undo::kHeadSize + 1), len);
  }
  return std::string(undo::DefaultDescription(kind));
}

void TCustomQDHexEditor::RefreshStorageDescription() {
  const auto at = undo_.NewestOffset();
  if (!at) {
    undo_.SetDescription({});
    return;
  }
  const std::vector<std::uint8_t> record(undo_.Bytes().begin() + static_cast<std::ptrdiff_t>(*at),
                                         undo_.Bytes().end());
  undo_.SetDescription(RecordDescription(record, undo::ReadHead(record.data())));
}

void TCustomQDHexEditor::BuildRedoRecord(const RecordHead& undoHead, UndoKind kind) {
  RecordHead h;
  h.pos = undoHead.pos;
  h.count = undoHead.count;
  h.count2 = undoHead.count2;
  const std::int64_t from = SavedDataStart(kind, undoHead.pos);
  std::int64_t n = 0;
  switch (kind) {
    case UndoKind::kChangeBytes:
    case UndoKind::kInsertBuffer:
    case UndoKind::kReplace:
    case UndoKind::kConvert: n = undoHead.count; break;
    case UndoKind::kAppendBuffer:
    case UndoKind::kInsertNibble:
    case UndoKind::kDeleteNibble:
    case UndoKind::kAllDataSaved:
      // Everything from the change's start to the end, as it is now.
      n = DataSize() - from;
      h.count = n;
      break;
    default: break;
  }
  data_.CheckRange(from, n);
  std::optional<PieceList> held;
  if (n >= undo::kHeldPiecesFrom) held = data_.Pieces().Copy(from, n);
  const std::size_t dataArea = held ? 8 : static_cast<std::size_t>(std::max<std::int64_t>(n, 1));
  if (dataArea > static_cast<std::size_t>(INT32_MAX - undo::kHeadSize)) throw OutOfMemoryError(msg::kOutOfMemory);
  h.size = static_cast<std::int32_t>(undo::kHeadSize + dataArea);
  h.flags = undo::KindBit(kind) | StateFlags();
  if (kind == UndoKind::kChangeBytes) {
    if (HasChangeMark(h.pos)) h.flags |= undo::kFlagMarkAtPos;
    if (h.count == 2 && HasChangeMark(h.pos + 1)) h.flags |= undo::kFlagMarkAfterPos;
  }
  h.caret = CaretPosition();
  h.translation = translation_;
  h.bytesPerUnit = bytesPerUnit_;

  std::vector<std::uint8_t> block(static_cast<std::size_t>(h.size) + kRedoTrailerSize, 0);
  if (held) {
    h.flags |= undo::kFlagHeldPieces;
    PutInt64(block.data() + undo::kHeadSize, static_cast<std::int64_t>(undo_.Hold(std::move(*held))));
  } else {
    data_.Read(block.data() + undo::kHeadSize, from, n);
  }
  undo::WriteHead(block.data(), h);
  std::uint8_t* marks = block.data() + h.size;
  for (const Bookmark& b : bookmarks_) {
    PutInt64(marks, b.pos);
    marks[8] = b.inCharField ? 1 : 0;
    marks += kBookmarkRecordSize;
  }
  PutInt64(marks, selStart_);
  PutInt64(marks + 8, selEnd_);
  PutInt64(marks + 16, selAnchor_);
  undo_.SetRedo(std::move(block));
}

void TCustomQDHexEditor::RemoveBytesRaw(std::int64_t from, std::int64_t to) {
  data_.Erase(from, to - from);
  LayoutChanged();
}

void TCustomQDHexEditor::PutSaved(const std::uint8_t* saved, std::int32_t flags, std::int64_t pos,
                                  std::int64_t eraseSize, std::int64_t n) {
  data_.CheckRange(pos, eraseSize);
  data_.Reserve(SaturatingAdd(DataSize() - eraseSize, n));
  if (flags & undo::kFlagHeldPieces) {
    data_.Pieces().PutPieces(pos, eraseSize, undo_.Held(static_cast<std::uint64_t>(GetInt64(saved))));
  } else {
    data_.Pieces().Replace(pos, eraseSize, saved, n);
  }
  if (eraseSize != n) LayoutChanged();
}

void TCustomQDHexEditor::RevertRecord(const std::uint8_t* record, const RecordHead& h, UndoKind kind) {
  const std::uint8_t* saved = record + undo::kHeadSize;
  const std::int64_t pos = h.pos;
  switch (kind) {
    case UndoKind::kChangeBytes:
      PutSaved(saved, h.flags, pos, h.count, h.count);
      marks_.Set(pos, (h.flags & undo::kFlagMarkAtPos) != 0);
      if (h.count == 2) marks_.Set(pos + 1, (h.flags & undo::kFlagMarkAfterPos) != 0);
      break;
    case UndoKind::kRemoveData:
      PutSaved(saved, h.flags, pos, 0, h.count);
      AdjustBookmarks(pos, h.count);
      marks_.CutFrom(pos);
      break;
    case UndoKind::kInsertBuffer:
      RemoveBytesRaw(pos, pos + h.count);
      AdjustBookmarksWithin(pos + h.count, -h.count, DataSize());
      marks_.CutFrom(pos);
      break;
    case UndoKind::kReplace:
      PutSaved(saved, h.flags, pos, h.count, h.count2);
      AdjustBookmarksWithin(pos + h.count, h.count2 - h.count, DataSize());
      marks_.CutFrom(pos > 0 ? pos - 1 : 0);
      break;
    case UndoKind::kAppendBuffer:
      caret_.col = 2;
      data_.SetSize(pos);
      LayoutChanged();
      marks_.CutFrom(pos);
      break;
    case UndoKind::kInsertNibble:
    case UndoKind::kDeleteNibble:
      // The record keeps the tail as it was; like every size change, this
      // drops the marks from pos on.
      PutSaved(saved, h.flags, pos, DataSize() - pos, h.count);
      marks_.CutFrom(pos);
      LayoutChanged();
      break;
    case UndoKind::kConvert:
      PutSaved(saved, h.flags, pos, h.count, h.count);
      marks_.CutFrom(pos);
      break;
    case UndoKind::kAllDataSaved:
      PutSaved(saved, h.flags, 0, DataSize(), h.count);
      LayoutChanged();
      break;
    default: break;
  }
}

void TCustomQDHexEditor::RestoreState(std::int32_t flags, std::int64_t caret, std::uint8_t translation,
                                      std::int32_t bytesPerUnit, bool hasSelection, std::int64_t selStart,
                                      std::int64_t selEnd, std::int64_t selAnchor) {
  unicodeChars_ = (flags & undo::kFlagUnicode) != 0;
  unicodeBigEndian_ = (flags & undo::kFlagBigEndian) != 0;
  if (translation < kTranslationKindCount) translation_ = static_cast<TQDHTranslationKind>(translation);
  if (bytesPerUnit == 1 || bytesPerUnit == 2 || bytesPerUnit == 4 || bytesPerUnit == 8) bytesPerUnit_ = bytesPerUnit;
  insertMode_ = (flags & undo::kFlagInsertMode) != 0;
  modified_ = (flags & undo::kFlagModified) != 0;
  SyncOffsetUnit();
  AdjustMetrics();
  UpdateRuler();

  const bool charField = (flags & undo::kFlagCharField) != 0;
  selectionMode_ = false;
  extensionAnchor_ = -1;
  SetSelectionRaw(-1, -1, -1);
  std::int64_t pos = std::clamp<std::int64_t>(caret, 0, std::max<std::int64_t>(LastCaretPosition(), 0));
  Cell cell = PositionToCell(pos, bytesPerRow_, unicodeChars_, charField);
  if ((flags & undo::kFlagSecondNibble) && !charField && pos == caret && pos < DataSize()) ++cell.col;
  if (hasSelection) {
    if (selEnd == -1) {
      pos = std::clamp<std::int64_t>(selStart, 0, std::max<std::int64_t>(LastCaretPosition(), 0));
      cell = PositionToCell(pos, bytesPerRow_, unicodeChars_, charField);
    } else if (selStart >= 0 && selStart <= selEnd && selEnd < DataSize() && selAnchor >= 0) {
      SetSelectionRaw(selStart, selEnd, selAnchor);
    }
  }
  SetCaretCell(cell);
  LayoutChanged();
}

void TCustomQDHexEditor::Undo() {
  if (undo_.Count() <= 0 || undo_.UpdateCount() > 0 || undo_.Size() == 0) return;
  const auto at = undo_.Size() < undo::kMinRecordHead ? std::nullopt : undo_.NewestOffset();
  if (!at) {
    undo_.Clear();
    return;
  }
  std::vector<std::uint8_t> record(undo_.Bytes().begin() + static_cast<std::ptrdiff_t>(*at), undo_.Bytes().end());
  const RecordHead h = undo::ReadHead(record.data());
  const UndoKind kind = undo::KindOf(h.flags);

  if (kind == UndoKind::kMultipleModification) {
    undo_.DropNewest();
    RefreshStorageDescription();
    for (std::int64_t i = 0; i < h.count && undo_.Count() > 0; ++i) Undo();
    undo_.DiscardRedo();
    return;
  }
  const std::int64_t room = static_cast<std::int64_t>(record.size()) - undo::kHeadSize - 4;
  if (kind == UndoKind::kNone || SavedDataLength(kind, h) > room) {
    undo_.Clear();
    return;
  }

  std::int64_t selStart = -1;
  std::int64_t selEnd = -1;
  std::int64_t selAnchor = -1;
  const bool hasSelection = (h.flags & undo::kFlagSelection) != 0;
  if (hasSelection) {
    const std::uint8_t* sel = record.data() + record.size() - 4 - undo::kSelectionSize;
    selStart = GetInt64(sel);
    selEnd = GetInt64(sel + 8);
    selAnchor = GetInt64(sel + 16);
  }
  std::string description = RecordDescription(record, h);

  BuildRedoRecord(h, kind);
  RevertRecord(record.data(), h, kind);
  RestoreState(h.flags, h.caret, h.translation, h.bytesPerUnit, hasSelection, selStart, selEnd, selAnchor);

  undo_.DropNewest();
  undo_.SetLastUndone(std::move(record), std::move(description));
  undo_.ReleaseUnreferenced();
  RefreshStorageDescription();
  if (undo_.Size() < undo::kMinRecordHead) undo_.EmptyStream();
  Host().Invalidate();
  FireChange();
}

void TCustomQDHexEditor::Redo() {
  if (!undo_.HasRedo()) return;
  const std::vector<std::uint8_t> block = undo_.TakeRedo();
  if (block.size() < static_cast<std::size_t>(undo::kHeadSize) + 1 + kRedoTrailerSize) return;
  const RecordHead h = undo::ReadHead(block.data());
  if (h.size < undo::kHeadSize + 1 || static_cast<std::size_t>(h.size) + kRedoTrailerSize != block.size()) return;
  const UndoKind kind = undo::KindOf(h.flags);
  const std::uint8_t* data = block.data() + undo::kHeadSize;
  const std::int64_t pos = h.pos;

  // The undo before this redo already dropped the marks from pos on.
  switch (kind) {
    case UndoKind::kChangeBytes:
    case UndoKind::kConvert: PutSaved(data, h.flags, pos, h.count, h.count); break;
    case UndoKind::kRemoveData: RemoveBytesRaw(pos, pos + h.count); break;
    case UndoKind::kInsertBuffer: PutSaved(data, h.flags, pos, 0, h.count); break;
    case UndoKind::kReplace: PutSaved(data, h.flags, pos, h.count2, h.count); break;
    case UndoKind::kAppendBuffer: {
      const bool wasEmpty = DataSize() == 0;
      PutSaved(data, h.flags, DataSize(), 0, h.count);
      if (wasEmpty) marks_.Clear();
      break;
    }
    case UndoKind::kInsertNibble:
    case UndoKind::kDeleteNibble:
    case UndoKind::kAllDataSaved: {
      const std::int64_t from = SavedDataStart(kind, pos);
      PutSaved(data, h.flags, from, DataSize() - from, h.count);
      LayoutChanged();
      break;
    }
    default: break;
  }

  const std::uint8_t* saved = block.data() + h.size;
  for (Bookmark& b : bookmarks_) {
    b.pos = GetInt64(saved);
    b.inCharField = saved[8] != 0;
    saved += kBookmarkRecordSize;
  }
  const std::int64_t selStart = GetInt64(saved);
  const std::int64_t selEnd = GetInt64(saved + 8);
  const std::int64_t selAnchor = GetInt64(saved + 16);
  RestoreState(h.flags, h.caret, h.translation, h.bytesPerUnit, selAnchor >= 0, selStart, selEnd, selAnchor);
  if (kind == UndoKind::kChangeBytes) {
    marks_.Set(pos, (h.flags & undo::kFlagMarkAtPos) != 0);
    if (h.count == 2) marks_.Set(pos + 1, (h.flags & undo::kFlagMarkAfterPos) != 0);
  }
  undo_.PutBackLastUndone();
  undo_.ReleaseUnreferenced();
  Host().Invalidate();
  FireChange();
}

}  // namespace hexed

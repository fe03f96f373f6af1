#include "hexeditor/clipboard/drop_rules.h"

#include <algorithm>

#include "hexeditor/errors.h"
#include "hexeditor/messages.h"

namespace hexed::drop {

namespace {

bool InsideSelection(const TCustomQDHexEditor& e, std::int64_t pos) {
  return e.SelCount() > 0 && pos >= e.SelStart() && pos <= e.SelEnd();
}

// The count as the editor takes it; more than the buffer can ever hold is
// refused rather than cut to 32 bits.
std::int64_t Count(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() > static_cast<std::uint64_t>(kMaxDataSize)) throw OutOfMemoryError(msg::kOutOfMemory);
  return static_cast<std::int64_t>(bytes.size());
}

}  // namespace

Effect DragEffect(const TCustomQDHexEditor& e, bool fromSelf, bool acceptable, bool files, DragKeys keys) {
  if (e.ReadOnlyView() || !acceptable) return Effect::kNone;
  Effect effect = Effect::kCopy;
  if (fromSelf) {
    effect = keys.ctrl ? Effect::kCopy : Effect::kMove;
  } else if (keys.shift) {
    effect = Effect::kMove;
  }
  return effect == Effect::kMove && files ? Effect::kLink : effect;
}

std::int64_t DropPosition(const TCustomQDHexEditor& e, Cell cell) {
  const int col = std::max(cell.col, 2);
  const GridRow row = std::clamp<GridRow>(cell.row, 2, std::max<GridRow>(2, e.RowCount() - 1));
  std::int64_t pos = CellToPosition(col, row, e.BytesPerRow(), e.UnicodeChars()).pos;
  pos = std::min(pos, e.DataSize());
  if (InsideSelection(e, pos)) pos = e.SelStart();
  return pos - pos % e.BytesPerUnit();
}

Cell DropCell(const TCustomQDHexEditor& e, std::int64_t pos, Cell pointed) {
  const bool charField = pointed.col > SeparatorColumn(e.BytesPerRow());
  return PositionToCell(pos, e.BytesPerRow(), e.UnicodeChars(), charField);
}

bool ScrollAtEdge(TCustomQDHexEditor& e, Cell cell, int lastVisibleCol) {
  const GridRow top = e.TopRow();
  const int left = e.LeftCol();
  if (cell.row <= e.TopRow()) {
    e.SetTopRow(top - 1);
  } else if (cell.row >= e.LastVisibleRow()) {
    e.SetTopRow(top + 1);
  }
  if (cell.col >= 2 && cell.col <= e.LeftCol()) {
    e.SetLeftCol(left - 1);
  } else if (cell.col >= lastVisibleCol) {
    e.SetLeftCol(left + 1);
  }
  return e.TopRow() != top || e.LeftCol() != left;
}

void DropMoveWithinEditor(TCustomQDHexEditor& e, const std::vector<std::uint8_t>& bytes, std::int64_t pos) {
  const std::int64_t n = Count(bytes);
  const bool noSizeChange = e.NoSizeChange();
  // Delete and insert go in together or not at all.
  e.ChangeAtomically([&] {
    e.SetNoSizeChange(false);
    const std::int64_t start = e.SelStart();
    const std::int64_t count = e.SelCount();
    e.DeleteSelection(kDataDropped);
    if (pos > start) pos = std::max(start, pos - count);
    if (pos >= e.DataSize()) {
      e.AppendBuffer(bytes.data(), n, true, kDataDropped);
    } else {
      e.InsertBuffer(bytes.data(), n, pos, true, kDataDropped);
    }
    e.SetNoSizeChange(noSizeChange);
  });
}

bool DropBytes(TCustomQDHexEditor& e, const std::vector<std::uint8_t>& bytes, std::int64_t pos) {
  if (bytes.empty()) return false;
  const std::int64_t n = Count(bytes);
  if (pos >= e.DataSize()) {
    if (e.NoSizeChange()) return false;
    e.AppendBuffer(bytes.data(), n, true, kDataDropped);
    return true;
  }
  if (InsideSelection(e, pos)) {
    e.ReplaceSelection(bytes.data(), n, true, kDataDropped);
    return true;
  }
  if (!e.NoSizeChange()) {
    e.InsertBuffer(bytes.data(), n, pos, true, kDataDropped);
    return true;
  }
  // Overwrite as many bytes as fit from the drop position on; the selection
  // stays only when the overwrite goes in.
  e.ChangeAtomically([&] {
    e.SetSelection(pos, e.LastOverwritten(pos, n));
    e.ReplaceSelection(bytes.data(), n, true, kDataDropped);
  });
  return true;
}

void FinishDrag(TCustomQDHexEditor& e, Effect effect, bool droppedOnSelf) {
  if (effect != Effect::kMove) return;
  if (droppedOnSelf) {
    e.GroupUndo(2, kDataMoved);
  } else if (!e.ReadOnlyView() && e.SelCount() > 0) {
    e.DeleteSelection(kDataMoved);
  }
}

}  // namespace hexed::drop

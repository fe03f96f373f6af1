// Caret, cell check, selection and the editing-state switches.
#include <algorithm>

#include "hexeditor/editor/custom_hex_editor.h"
#include "hexeditor/errors.h"
#include "hexeditor/messages.h"

namespace hexed {

// --- notifications -------------------------------------------------------------------

void TCustomQDHexEditor::FireChange() {
  if (OnChange) OnChange();
}

void TCustomQDHexEditor::NotifySelectionChanged() {
  if (loadingFromForm_) return;
  if (selectionChangeCount_++ == 0) Host().PostSelectionChanged();
}

void TCustomQDHexEditor::DeliverSelectionChanged() {
  selectionChangeCount_ = 0;
  if (OnSelectionChanged) OnSelectionChanged();
}

// --- caret ---------------------------------------------------------------------------

std::int64_t TCustomQDHexEditor::CaretPosition() const {
  return CellToPosition(caret_.col, caret_.row, bytesPerRow_, unicodeChars_).pos;
}

std::int64_t TCustomQDHexEditor::LastCaretPosition() const { return InsertMode() ? DataSize() : DataSize() - 1; }

void TCustomQDHexEditor::SetCaretCell(Cell cell) {
  if (cell != caret_) {
    caret_ = cell;
    Host().Invalidate();
    NotifySelectionChanged();
  }
  ScrollCaretIntoView();
  Host().CaretMoved();
}

void TCustomQDHexEditor::SetCaretPosition(std::int64_t pos, bool charField, bool secondNibble) {
  pos = std::clamp<std::int64_t>(pos, 0, std::max<std::int64_t>(LastCaretPosition(), 0));
  Cell cell = PositionToCell(pos, bytesPerRow_, unicodeChars_, charField);
  if (secondNibble && !charField && pos < DataSize()) ++cell.col;
  SetCaretCell(cell);
}

void TCustomQDHexEditor::ClampCaretToGrid() {
  Cell c = caret_;
  c.row = std::clamp<GridRow>(c.row, 2, RowCount() - 1);
  c.col = std::clamp(c.col, 2, ColCount() - 1);
  if (c != caret_) caret_ = c;
}

void TCustomQDHexEditor::PlaceCaretAfterDelete() {
  const bool charField = CaretInCharField();
  if (DataSize() == 0) {
    caret_ = Cell{charField ? FirstCharColumn(bytesPerRow_) : 2, 2};
  } else if (CaretPosition() >= DataSize()) {
    caret_ = PositionToCell(LastCaretPosition(), bytesPerRow_, unicodeChars_, charField);
  }
  NotifySelectionChanged();
}

bool TCustomQDHexEditor::FocusCell(int col, GridRow row, ShiftState shift) {
  if (col < 2 || col >= ColCount() || row < 2 || row >= RowCount()) return false;
  const int separator = SeparatorColumn(bytesPerRow_);
  if (DataSize() == 0) {
    if (row != 2 || (col != 2 && col != FirstCharColumn(bytesPerRow_))) return false;
  } else {
    if ((shift & (kShiftKey | kLeftButton)) == 0) ClearSelection();
    if (col == separator) return false;
    const CellPosition cp = CellToPosition(col, row, bytesPerRow_, unicodeChars_);
    if (cp.pos >= DataSize()) {
      const bool appendCell = InsertMode() && cp.pos == DataSize() && (cp.charField || (col - 2) % 2 == 0);
      if (!appendCell) {
        const Cell last = PositionToCell(LastCaretPosition(), bytesPerRow_, unicodeChars_, cp.charField);
        if (last == Cell{col, row}) return false;
        return FocusCell(last.col, last.row, shift);
      }
    }
  }
  const std::int64_t oldPos = CaretPosition();
  SetCaretCell(Cell{col, row});
  if (selectionMode_) {
    ExtendSelection(oldPos, CaretPosition());
  } else if (selAnchor_ >= 0) {
    ClearSelection();
  }
  return true;
}

void TCustomQDHexEditor::ExtendSelection(std::int64_t oldPos, std::int64_t newPos) {
  if (extensionAnchor_ == -1) extensionAnchor_ = oldPos;
  if (!InsertMode()) {
    SetSelection(extensionAnchor_, newPos);
    return;
  }
  // In insert mode the caret stands between bytes: the selection ends before it.
  const std::int64_t a = UnitFloor(extensionAnchor_);
  const std::int64_t b = UnitFloor(newPos);
  if (a == b) {
    ClearSelection();
    selectionMode_ = true;
    extensionAnchor_ = a;
  } else if (b < a) {
    SetSelection(b, a - 1);
  } else {
    SetSelection(a, b - 1);
  }
}

void TCustomQDHexEditor::StepBack(ShiftState shift) {
  const bool charField = CaretInCharField();
  const std::int64_t pos = CaretPosition();
  const std::int64_t step = selectionMode_ || (charField && unicodeChars_) ? bytesPerUnit_ : 1;
  Cell target = caret_;
  if (!charField && !selectionMode_) {
    if (CaretOnSecondNibble()) {
      --target.col;
    } else if (pos > 0) {
      target = PositionToCell(pos - 1, bytesPerRow_, unicodeChars_, false);
      ++target.col;
    } else {
      return;
    }
  } else {
    std::int64_t t = std::max<std::int64_t>(pos - step, 0);
    if (!charField) t = UnitFloor(t);
    target = PositionToCell(t, bytesPerRow_, unicodeChars_, charField);
  }
  FocusCell(target.col, target.row, shift);
}

void TCustomQDHexEditor::StepForward(ShiftState shift) {
  const bool charField = CaretInCharField();
  const std::int64_t pos = CaretPosition();
  const std::int64_t last = LastCaretPosition();
  if (last < 0) return;
  const std::int64_t step = selectionMode_ || (charField && unicodeChars_) ? bytesPerUnit_ : 1;
  Cell target = caret_;
  if (!charField && !selectionMode_) {
    const bool onAppend = InsertMode() && pos == DataSize();
    if (!CaretOnSecondNibble() && !onAppend) {
      ++target.col;
    } else if (pos + 1 <= last) {
      target = PositionToCell(pos + 1, bytesPerRow_, unicodeChars_, false);
    } else {
      return;
    }
  } else {
    std::int64_t t = pos + step;
    if (!charField) t = UnitFloor(t);
    t = std::min(t, last);
    target = PositionToCell(t, bytesPerRow_, unicodeChars_, charField);
  }
  FocusCell(target.col, target.row, shift);
}

// --- selection ---------------------------------------------------------------------------

void TCustomQDHexEditor::SetSelectionRaw(std::int64_t start, std::int64_t end, std::int64_t anchor) {
  selStart_ = start;
  selEnd_ = end;
  selAnchor_ = anchor;
}

std::int64_t TCustomQDHexEditor::SelStart() const { return selAnchor_ >= 0 ? selStart_ : CaretPosition(); }

void TCustomQDHexEditor::SetSelection(std::int64_t from, std::int64_t to) {
  const std::int64_t size = DataSize();
  if (size == 0) {
    ClearSelection();
    return;
  }
  std::int64_t lo = std::clamp<std::int64_t>(std::min(from, to), 0, size - 1);
  std::int64_t hi = std::clamp<std::int64_t>(std::max(from, to), 0, size - 1);
  lo = UnitFloor(lo);
  hi = std::min<std::int64_t>(UnitFloor(hi) + bytesPerUnit_ - 1, size - 1);
  SetSelectionRaw(lo, hi, from <= to ? lo : hi);
  Host().Invalidate();
  NotifySelectionChanged();
}

void TCustomQDHexEditor::ClearSelection() {
  const bool had = selAnchor_ >= 0;
  selectionMode_ = false;
  SetSelectionRaw(-1, -1, -1);
  extensionAnchor_ = -1;
  if (had) {
    Host().Invalidate();
    NotifySelectionChanged();
  }
}

void TCustomQDHexEditor::SetSelStart(std::int64_t v) {
  if (v < 0 || v >= DataSize()) throw EQDHexEditor(msg::kInvalidSelStart);
  ClearSelection();
  SetCaretPosition(v, CaretInCharField());
}

void TCustomQDHexEditor::SetSelEnd(std::int64_t v) {
  if (v < -1 || v >= DataSize()) throw EQDHexEditor(msg::kInvalidSelEnd);
  const std::int64_t anchor = selAnchor_ >= 0 ? selAnchor_ : CaretPosition();
  ClearSelection();
  if (v >= 0) SetSelection(anchor, v);
}

void TCustomQDHexEditor::SelectAll() {
  if (DataSize() == 0) return;
  SetCaretPosition(LastCaretPosition(), CaretInCharField());
  SetSelection(0, DataSize() - 1);
}

std::int64_t TCustomQDHexEditor::Seek(std::int64_t offset, int origin) {
  const std::int64_t size = DataSize();
  if (size == 0) return -1;
  std::int64_t target = 0;
  switch (origin) {
    case 0: target = offset; break;
    case 1: target = SaturatingAdd(CaretPosition(), offset); break;
    case 2: target = SaturatingAdd(size - 1, offset); break;
    default: target = CaretPosition(); break;
  }
  const std::int64_t result = std::clamp<std::int64_t>(target, 0, size - 1);
  SetSelStart(result);
  return result;
}

std::vector<std::uint8_t> TCustomQDHexEditor::SelectedBytes() const {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(SelCount()));
  if (!bytes.empty()) data_.Read(bytes.data(), selStart_, SelCount());
  return bytes;
}

// --- editing state -------------------------------------------------------------------------

void TCustomQDHexEditor::SetInsertMode(bool on) {
  if (on == insertMode_ || !InsertionAllowed()) return;
  insertMode_ = on;
  Host().CaretShapeChanged();
  if (!on && DataSize() > 0 && CaretPosition() >= DataSize()) {
    SetCaretCell(PositionToCell(DataSize() - 1, bytesPerRow_, unicodeChars_, CaretInCharField()));
  }
  marks_.Clear();
  LayoutChanged();
  Host().Invalidate();
}

void TCustomQDHexEditor::SetAllowInsertMode(bool on) {
  if (!on) SetInsertMode(false);
  allowInsertMode_ = on;
  Host().CaretShapeChanged();
}

void TCustomQDHexEditor::SetNoSizeChange(bool on) {
  if (on) SetInsertMode(false);
  noSizeChange_ = on;
  Host().CaretShapeChanged();
}

void TCustomQDHexEditor::SetReadOnlyView(bool on) {
  const bool wasInsert = InsertMode();
  readOnlyView_ = on;
  if (wasInsert != InsertMode()) {
    // Insert mode is suspended with the view: the append position goes away.
    if (!InsertMode() && DataSize() > 0 && CaretPosition() >= DataSize()) {
      SetCaretCell(PositionToCell(DataSize() - 1, bytesPerRow_, unicodeChars_, CaretInCharField()));
    }
    LayoutChanged();
  }
  Host().CaretShapeChanged();
  Host().Invalidate();
}

}  // namespace hexed

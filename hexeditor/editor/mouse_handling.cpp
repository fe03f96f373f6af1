// Mouse press, move, release, double click and wheel on cells.
#include "hexeditor/editor/custom_hex_editor.h"

namespace hexed {

Cell TCustomQDHexEditor::AdjustHit(CellHit hit) const {
  Cell c{hit.col, hit.row};
  if (!InsertMode() || !hit.rightHalf || hit.col < 2 || hit.row < 2) return c;
  if (hit.col == LastNibbleColumn(bytesPerRow_)) return Cell{2, AddRows(hit.row, 1)};
  if (hit.col == ColCount() - 1) return Cell{FirstCharColumn(bytesPerRow_), AddRows(hit.row, 1)};
  return Cell{hit.col + 1, hit.row};
}

bool TCustomQDHexEditor::MayAutoScroll(CellHit hit) const {
  const Cell c = AdjustHit(hit);
  return c.col >= 2 && c.col < ColCount() && c.row >= 2 && c.row < RowCount() &&
         c.col != SeparatorColumn(bytesPerRow_);
}

MouseCursor TCustomQDHexEditor::CursorAt(CellHit hit, ShiftState shift) const {
  if ((shift & (kLeftButton | kRightButton | kMiddleButton)) != 0) return MouseCursor::kTextBeam;
  if (hit.col < 2 || hit.row < 2) return MouseCursor::kArrow;
  const Cell c = AdjustHit(hit);
  if (c.col == SeparatorColumn(bytesPerRow_) || c.col >= ColCount()) return MouseCursor::kTextBeam;
  const std::int64_t p = CellToPosition(c.col, c.row, bytesPerRow_, unicodeChars_).pos;
  const bool selected = selAnchor_ >= 0 && p >= selStart_ && p <= selEnd_ && p < DataSize();
  return selected ? MouseCursor::kArrow : MouseCursor::kTextBeam;
}

void TCustomQDHexEditor::MouseDown(MouseButton button, ShiftState shift, CellHit hit, bool doubleClick) {
  if (button != MouseButton::kLeft) return;
  Cell c = AdjustHit(hit);
  if (c.col < 2 || c.row < 2 || c.col >= ColCount() || c.row >= RowCount()) return;
  if (c.col == SeparatorColumn(bytesPerRow_)) --c.col;
  const std::int64_t p = CellToPosition(c.col, c.row, bytesPerRow_, unicodeChars_).pos;
  if (doubleClick) {
    if (FocusCell(c.col, c.row, shift | kLeftButton) && p < DataSize()) SetSelection(p, p);
    selectionMode_ = false;
    mouseSelecting_ = false;
    return;
  }
  if (selAnchor_ >= 0 && p >= selStart_ && p <= selEnd_ && p < DataSize()) {
    pressedOnSelection_ = true;
    pressedCell_ = c;
    return;
  }
  FocusCell(c.col, c.row, shift | kLeftButton);
  ClearSelection();
  selectionMode_ = true;
  mouseSelecting_ = true;
}

void TCustomQDHexEditor::MouseMove(ShiftState shift, CellHit hit) {
  if (!mouseSelecting_ || (shift & kLeftButton) == 0) return;
  const Cell c = AdjustHit(hit);
  if (!MayAutoScroll(hit)) return;
  FocusCell(c.col, c.row, shift | kLeftButton);
}

void TCustomQDHexEditor::MouseUp(MouseButton button, ShiftState shift, CellHit hit) {
  if (button != MouseButton::kLeft) return;
  mouseSelecting_ = false;
  if (!pressedOnSelection_) return;
  pressedOnSelection_ = false;
  const Cell c = AdjustHit(hit);
  if (c != pressedCell_) return;
  ClearSelection();
  FocusCell(c.col, c.row, shift & ~kLeftButton);
}

void TCustomQDHexEditor::MouseWheel(bool down, ShiftState shift) {
  const ShiftState mods = shift & kModifierKeys;
  if (mods == 0) {
    const int step = VisibleRowCount() - 1;
    SetTopRow(AddRows(topRow_, down ? step : -step));
    return;
  }
  if (zoomOnWheel_ && mods == kCtrlKey) {
    if (autoBytesPerRow_) return;
    const int v = bytesPerRow_ + (down ? -1 : 1);
    // An odd width in Unicode mode raises; the control answers with a beep.
    if (v >= 1 && v <= 256) SetBytesPerRow(v);
    return;
  }
  if (zoomOnWheel_ && mods == (kCtrlKey | kShiftKey)) {
    const int size = fontSize_ + (down ? -1 : 1);
    if (size >= 2) SetFont(fontName_, size);
    return;
  }
  // The grid's own wheel handling: the caret moves one row.
  const GridRow row = AddRows(caret_.row, down ? 1 : -1);
  if (row >= 2 && row < RowCount()) FocusCell(caret_.col, row, shift);
}

}  // namespace hexed

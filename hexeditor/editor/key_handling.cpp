// The key table and character input.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "hexeditor/editor/custom_hex_editor.h"
#include "hexeditor/view/typed_chars.h"

namespace hexed {

namespace {

int HexDigitValue(char16_t ch) {
  if (ch >= u'0' && ch <= u'9') return ch - u'0';
  if (ch >= u'a' && ch <= u'f') return ch - u'a' + 10;
  if (ch >= u'A' && ch <= u'F') return ch - u'A' + 10;
  return -1;
}

}  // namespace

void TCustomQDHexEditor::SwitchField(ShiftState shift) {
  FocusCell(OtherFieldColumn(caret_.col, bytesPerRow_, unicodeChars_), caret_.row, shift);
}

void TCustomQDHexEditor::KeyDown(int key, ShiftState shift) {
  if (OnKeyDown) {
    OnKeyDown(key, shift);
    if (key == 0) return;
  }
  const ShiftState mods = shift & kModifierKeys;
  if (mods == 0 && key != key::kShift && !InsertMode()) ClearSelection();
  if (!MoveKey(key, shift)) CommandKey(key, shift);
}

bool TCustomQDHexEditor::MoveKey(int key, ShiftState shift) {
  const ShiftState mods = shift & kModifierKeys;
  const bool ctrl = (mods & kCtrlKey) != 0;
  const bool charField = CaretInCharField();
  const GridRow row = caret_.row;
  const int col = caret_.col;
  switch (key) {
    case key::kLeft:
      if (ctrl) {
        FocusCell(2, row, shift);
      } else {
        StepBack(shift);
      }
      return true;
    case key::kRight:
      if (ctrl) {
        FocusCell(ColCount() - 1, row, shift);
      } else {
        StepForward(shift);
      }
      return true;
    case key::kUp:
      if (!ctrl && row > 2) FocusCell(col, row - 1, shift);
      return true;
    case key::kDown:
      if (!ctrl && row < RowCount() - 1) FocusCell(col, row + 1, shift);
      return true;
    case key::kHome:
      FocusCell(charField ? FirstCharColumn(bytesPerRow_) : 2, ctrl ? 2 : row, shift);
      return true;
    case key::kEnd: {
      const std::int64_t last = LastCaretPosition();
      if (last < 0) return true;
      if (ctrl) {
        const Cell c = PositionToCell(last, bytesPerRow_, unicodeChars_, charField);
        FocusCell(c.col, c.row, shift);
      } else {
        const std::int64_t rowFirst = CellToPosition(2, row, bytesPerRow_, false).pos;
        const std::int64_t rowLast = SaturatingAdd(rowFirst, bytesPerRow_ - 1);
        Cell c = PositionToCell(std::min(rowLast, last), bytesPerRow_, unicodeChars_, charField);
        if (!charField) ++c.col;
        FocusCell(c.col, c.row, shift);
      }
      return true;
    }
    case key::kPageUp:
      if (ctrl) {
        FocusCell(col, topRow_, shift);
      } else {
        const GridRow newRow = std::max<GridRow>(2, row - (VisibleRowCount() - 1));
        SetTopRow(topRow_ - (row - newRow));
        FocusCell(col, newRow, shift);
      }
      return true;
    case key::kPageDown:
      if (ctrl) {
        FocusCell(col, LastVisibleRow(), shift);
      } else {
        const GridRow newRow = std::min(RowCount() - 1, AddRows(row, VisibleRowCount() - 1));
        SetTopRow(topRow_ + (newRow - row));
        FocusCell(col, newRow, shift);
      }
      return true;
    case key::kTab:
      if ((mods & ~kShiftKey) == 0) SwitchField(shift);
      return true;
    case key::kT:
      if (mods == kCtrlKey) SwitchField(shift);
      return true;
    default: return false;
  }
}

void TCustomQDHexEditor::CommandKey(int key, ShiftState shift) {
  const ShiftState mods = shift & kModifierKeys;
  const bool ctrlAlone = mods == kCtrlKey;
  const bool ctrlShift = mods == (kCtrlKey | kShiftKey);
  switch (key) {
    case key::kBack:
      if (InsertMode() && !readOnlyView_) {
        if (SelCount() >= 1) {
          DeleteSelection();
        } else {
          DeleteUnit(true);
        }
      } else if ((mods & kCtrlKey) == 0) {
        StepBack(shift);
      }
      break;
    case key::kShift:
      if (mods == kShiftKey || ctrlShift) selectionMode_ = true;
      break;
    case key::kInsert:
      if (mods == 0) SetInsertMode(!InsertMode());
      break;
    case key::kDelete:
      if (!readOnlyView_ && (InsertMode() || ctrlAlone)) {
        if (SelCount() > 0) {
          DeleteSelection();
        } else {
          DeleteUnit(false);
        }
      }
      break;
    case key::kC:
      if (ctrlAlone && CanCopy()) CopyToClipboard();
      break;
    case key::kX:
      if (ctrlAlone && CanCut()) CutToClipboard();
      break;
    case key::kV:
      if (ctrlAlone && CanPaste()) PasteFromClipboard();
      break;
    case key::kA:
      if (ctrlAlone) SelectAll();
      break;
    case key::kZ:
      if (ctrlAlone && CanUndo()) {
        Undo();
      } else if (ctrlShift && CanRedo()) {
        Redo();
      }
      break;
    default:
      if (key >= key::k0 && key <= key::k0 + 9) {
        const int index = key - key::k0;
        if (ctrlAlone) {
          GotoBookmark(index);
        } else if (ctrlShift) {
          SetBookmark(index, CaretPosition(), CaretInCharField());
        }
      }
      break;
  }
}

void TCustomQDHexEditor::KeyPress(char16_t ch) {
  if (OnKeyPress) {
    OnKeyPress(ch);
    if (ch == 0) return;
  }
  if (readOnlyView_) return;
  if (ch < 256 && masked_.test(ch)) return;
  if (!InsertMode() && CaretPosition() >= DataSize()) return;
  if (CaretInCharField()) {
    TypeInCharField(ch);
    return;
  }
  const int digit = HexDigitValue(ch);
  if (digit < 0) {
    if (OnInvalidKey) OnInvalidKey();
    return;
  }
  TypeInHexField(digit);
}

std::optional<std::string> TCustomQDHexEditor::TypedBytes(char16_t ch) const {
  const std::string bytes = ch < 0x80 ? std::string(1, static_cast<char>(ch)) : CodePageBytes(ch);
  if (bytes.size() == 1) {
    const std::optional<std::uint8_t> b = TypedByte(static_cast<std::uint8_t>(bytes[0]));
    if (!b) return std::nullopt;
    return std::string(1, static_cast<char>(*b));
  }
  // A double-byte character is stored as it is: the translations map single
  // bytes and would break its pair apart.
  if (bytes.size() == 2 && translation_ == tkAsIs) return bytes;
  return std::nullopt;
}

void TCustomQDHexEditor::TypeInCharField(char16_t ch) {
  std::uint16_t value = ch;
  std::int64_t n = bytesPerUnit_;
  bool pair = false;
  if (!unicodeChars_) {
    const std::optional<std::string> typed = TypedBytes(ch);
    // Overwriting never grows the data: a pair needs two bytes to cover.
    const bool fits = typed && (InsertMode() || typed->size() == 1 || CaretPosition() + 2 <= DataSize());
    if (!fits) {
      if (OnInvalidKey) OnInvalidKey();
      return;
    }
    value = static_cast<std::uint8_t>((*typed)[0]);
    if (typed->size() == 2) {
      value = static_cast<std::uint16_t>(value | static_cast<std::uint8_t>((*typed)[1]) << 8);
      pair = true;
      n = std::max(2, bytesPerUnit_);
    }
  }
  if (!InsertMode()) ClearSelection();
  std::vector<std::uint8_t> unit(static_cast<std::size_t>(n), 0);
  if (unicodeChars_ && unicodeBigEndian_) {
    unit[0] = static_cast<std::uint8_t>(value >> 8);
    unit[1] = static_cast<std::uint8_t>(value);
  } else {
    unit[0] = static_cast<std::uint8_t>(value);
    if (unit.size() > 1) unit[1] = static_cast<std::uint8_t>(value >> 8);
  }
  const std::int64_t pos = CaretPosition();
  if (InsertMode()) {
    if (SelCount() == 0) {
      if (pos == DataSize()) {
        AppendBuffer(unit.data(), n, true);
      } else if (pos % bytesPerUnit_ != 0 && !pair) {
        ChangeByte(pos, GetByte(pos), unit[0]);
      } else {
        InsertBuffer(unit.data(), n, pos, false);
      }
    } else {
      ReplaceSelection(unit.data(), n, true);
    }
    selectionMode_ = false;
  } else if (unicodeChars_ || pair) {
    const std::uint16_t oldWord = static_cast<std::uint16_t>(
        (pos < DataSize() ? GetByte(pos) : 0) | ((pos + 1 < DataSize() ? GetByte(pos + 1) : 0) << 8));
    ChangeWord(pos, oldWord, static_cast<std::uint16_t>(unit[0] | (unit[1] << 8)));
  } else {
    ChangeByte(pos, GetByte(pos), unit[0]);
  }
  StepForward(0);
  // The second byte of a pair is passed like the first.
  if (pair) StepForward(0);
}

void TCustomQDHexEditor::TypeInHexField(int digit) {
  if (!InsertMode()) ClearSelection();
  const std::int64_t pos = CaretPosition();
  const bool hasSelection = SelCount() > 0;
  const std::uint8_t old = pos < DataSize() ? GetByte(pos) : 0;
  const int swapped = swapNibbles_ ? 1 : 0;
  // Over a selection the digit goes into the first nibble shown, as on a
  // unit's first column.
  const bool highNibble = hasSelection ? swapped == 0 : (caret_.col - 2) % 2 == swapped;
  const auto newByte = static_cast<std::uint8_t>(highNibble ? digit * 16 + old % 16 : old - old % 16 + digit);
  const bool unitStart = (caret_.col - 2) % (2 * bytesPerUnit_) == 0;
  if (!InsertMode() || (!unitStart && !hasSelection)) {
    if (pos >= DataSize()) return;
    ChangeByte(pos, old, newByte);
  } else {
    std::vector<std::uint8_t> unit(static_cast<std::size_t>(bytesPerUnit_), 0);
    unit[0] = static_cast<std::uint8_t>(swapNibbles_ ? newByte & 0x0F : newByte & 0xF0);
    if (DataSize() == 0) {
      AppendBuffer(unit.data(), bytesPerUnit_, true);
    } else if (hasSelection) {
      ReplaceSelection(unit.data(), bytesPerUnit_, true);
    } else {
      InsertBuffer(unit.data(), bytesPerUnit_, pos, false);
    }
    selectionMode_ = false;
  }
  StepForward(0);
}

}  // namespace hexed

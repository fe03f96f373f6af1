// Editing operations: every one records its undo entry before it changes data.
#include <algorithm>

#include "hexeditor/editor/custom_hex_editor.h"

namespace hexed {

void TCustomQDHexEditor::ChangeByte(std::int64_t pos, std::uint8_t oldByte, std::uint8_t newByte,
                                    std::string_view description) {
  if (oldByte == newByte) return;
  RecordUndo(UndoKind::kChangeBytes, pos, description, 0, 1);
  data_.Write(&newByte, pos, 1);
  if (!InsertMode()) marks_.Set(pos, true);
  Host().Invalidate();
  FireChange();
}

void TCustomQDHexEditor::ChangeWord(std::int64_t pos, std::uint16_t oldWord, std::uint16_t newWord,
                                    std::string_view description) {
  if (oldWord == newWord) return;
  RecordUndo(UndoKind::kChangeBytes, pos, description, 0, 2);
  const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(newWord), static_cast<std::uint8_t>(newWord >> 8)};
  data_.Write(bytes, pos, 2);
  if (!InsertMode()) {
    // Each byte's mark tells whether this change altered that byte.
    marks_.Set(pos, (oldWord & 0xFF) != (newWord & 0xFF));
    marks_.Set(pos + 1, (oldWord >> 8) != (newWord >> 8));
  }
  Host().Invalidate();
  FireChange();
}

void TCustomQDHexEditor::InsertBuffer(const void* data, std::int64_t n, std::int64_t pos, bool moveCaret,
                                      std::string_view description) {
  if (n <= 0) return;
  const bool charField = CaretInCharField();
  RecordUndo(UndoKind::kInsertBuffer, pos, description, 0, n);
  InsertBytes(data, n, pos);
  marks_.CutFrom(pos);
  if (moveCaret) SetCaretPosition(pos + n - 1, charField);
  SetSelectionRaw(pos, pos + n - 1, pos);
  Host().Invalidate();
  NotifySelectionChanged();
  FireChange();
}

void TCustomQDHexEditor::AppendBuffer(const void* data, std::int64_t n, bool moveCaret,
                                      std::string_view description) {
  if (data == nullptr || n <= 0) return;
  const bool charField = CaretInCharField();
  const std::int64_t old = DataSize();
  RecordUndo(UndoKind::kAppendBuffer, old, description, 0, n);
  AppendBytes(data, n);
  marks_.CutFrom(old);
  if (moveCaret) SetCaretPosition(old, charField);
  SetSelectionRaw(old, old + n - 1, old);
  Host().Invalidate();
  NotifySelectionChanged();
  FireChange();
}

void TCustomQDHexEditor::ReplaceSelection(const void* data, std::int64_t n, bool moveCaret,
                                          std::string_view description) {
  if (SelCount() == 0) {
    InsertBuffer(data, n, CaretPosition(), moveCaret, description);
    return;
  }
  if (n <= 0) return;
  // The shortened selection goes into the record: a refused record puts it back.
  ChangeAtomically([&] {
    if (noSizeChange_) {
      n = std::min(n, SelCount());
      if (n < SelCount()) selEnd_ = selStart_ + n - 1;
    }
    const bool charField = CaretInCharField();
    const std::int64_t start = selStart_;
    const std::int64_t replaced = SelCount();
    RecordUndo(UndoKind::kReplace, start, description, replaced, n);
    DeleteBytes(start, start + replaced);
    InsertBytes(data, n, start);
    marks_.CutFrom(start);
    if (moveCaret) {
      SetCaretPosition(start + n - 1, charField);
      SetSelectionRaw(start, start + n - 1, start);
      NotifySelectionChanged();
    }
  });
  Host().Invalidate();
  FireChange();
}

void TCustomQDHexEditor::DeleteSelection(std::string_view description) {
  std::int64_t from = CaretPosition();
  std::int64_t n = 1;
  if (SelCount() > 0) {
    from = selStart_;
    n = SelCount();
  }
  if (from >= DataSize()) return;
  n = std::min(n, DataSize() - from);
  const bool charField = CaretInCharField();
  RecordUndo(UndoKind::kRemoveData, from, description, 0, n);
  SetCaretCell(PositionToCell(from, bytesPerRow_, unicodeChars_, charField));
  DeleteBytes(from, from + n);
  marks_.CutFrom(from);
  Host().Invalidate();
  FireChange();
}

void TCustomQDHexEditor::DeleteUnit(bool backward) {
  const std::int64_t size = DataSize();
  const bool charField = CaretInCharField();
  if (!backward) {
    const std::int64_t a = UnitFloor(CaretPosition());
    if (a >= size) return;
    const std::int64_t n = std::min<std::int64_t>(bytesPerUnit_, size - a);
    RecordUndo(UndoKind::kRemoveData, a, {}, 0, n);
    DeleteBytes(a, a + n);
    marks_.CutFrom(a);
    Host().Invalidate();
    FireChange();
    return;
  }
  const std::int64_t pos = std::min(CaretPosition(), size);
  const bool atAppend = pos >= size;
  std::int64_t from = 0;
  std::int64_t to = 0;
  if (atAppend && size % bytesPerUnit_ != 0) {
    from = size - 1;
    to = size;
  } else {
    to = UnitFloor(pos);
    if (to == 0) return;
    from = to - bytesPerUnit_;
  }
  RecordUndo(UndoKind::kRemoveData, from, {}, 0, to - from);
  DeleteBytes(from, to);
  marks_.CutFrom(from);
  if (!atAppend) {
    SetCaretPosition(from, charField);
  } else if (caret_.col + 1 < ColCount()) {
    // One column on; the cell check turns that into the new append position.
    FocusCell(caret_.col + 1, caret_.row, 0);
  }
  Host().Invalidate();
  FireChange();
}

void TCustomQDHexEditor::PasteBytes(const void* data, std::int64_t n, std::string_view description) {
  n -= n % bytesPerUnit_;
  if (data == nullptr || n <= 0) return;
  // The caret and selection set up here stay only when the paste goes in.
  ChangeAtomically([&] {
    if (SelCount() == 0) {
      const bool charField = CaretInCharField();
      SetCaretPosition(UnitFloor(CaretPosition()), charField);
      if (noSizeChange_ && CaretPosition() < DataSize()) {
        const std::int64_t from = CaretPosition();
        SetSelectionRaw(from, LastOverwritten(from, n), from);
        NotifySelectionChanged();
      }
    }
    ReplaceSelection(data, n, true, description);
  });
}

std::int64_t TCustomQDHexEditor::LastOverwritten(std::int64_t from, std::int64_t n) const {
  return std::min<std::int64_t>(SaturatingAdd(from, n) - 1, DataSize() - 1);
}

}  // namespace hexed

// Changes of several steps that happen whole or not at all.
#include "hexeditor/editor/custom_hex_editor.h"

namespace hexed {

TCustomQDHexEditor::StateRestore TCustomQDHexEditor::SaveState() const {
  StateRestore s;
  s.undoSize = static_cast<std::size_t>(undo_.Size());
  s.undoCount = undo_.Count();
  s.undoDescription = undo_.Description();
  s.fields = RestorableFields(*this);
  return s;
}

void TCustomQDHexEditor::ChangeAtomically(const std::function<void()>& steps) {
  StateRestore saved = SaveState();
  ++changeDepth_;
  try {
    steps();
  } catch (...) {
    --changeDepth_;
    RollBack(saved);
    throw;
  }
  --changeDepth_;
  // The records of the steps discard the redo and the oldest records only
  // now that the whole change is in.
  if (changeDepth_ > 0 || static_cast<std::size_t>(undo_.Size()) <= saved.undoSize) return;
  const auto newest = undo_.NewestOffset();
  SettleUndo(newest ? static_cast<std::size_t>(undo_.Size()) - *newest : 0);
}

void TCustomQDHexEditor::RollBack(StateRestore& saved) {
  // Each record holds what its step replaced: reverting them newest first
  // gives the buffer back.
  while (static_cast<std::size_t>(undo_.Size()) > saved.undoSize) {
    const auto at = undo_.NewestOffset();
    if (!at || *at < saved.undoSize) break;
    const std::uint8_t* record = undo_.Bytes().data() + *at;
    const undo::RecordHead head = undo::ReadHead(record);
    RevertRecord(record, head, undo::KindOf(head.flags));
    undo_.Truncate(*at, undo_.Count() - 1);
  }
  undo_.Truncate(saved.undoSize, saved.undoCount);
  undo_.SetDescription(std::move(saved.undoDescription));
  const auto oldBookmarks = bookmarks_;
  RestorableFields(*this) = std::move(saved.fields);
  const bool bookmarksMoved = bookmarks_ != oldBookmarks;
  LayoutChanged();
  Host().Invalidate();
  Host().CaretShapeChanged();
  Host().CaretMoved();
  NotifySelectionChanged();
  if (bookmarksMoved && OnBookmarkChanged) OnBookmarkChanged();
}

}  // namespace hexed

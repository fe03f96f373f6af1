// Changes of several steps that happen whole or not at all.
#include "hexeditor/editor/custom_hex_editor.h"

namespace hexed {

TCustomQDHexEditor::StateRestore TCustomQDHexEditor::SaveState() const {
  StateRestore s;
  s.undoSize = static_cast<std::size_t>(undo_.Size());
  s.undoCount = undo_.Count();
  s.undoDescription = undo_.Description();
  s.marks = marks_;
  s.bookmarks = bookmarks_;
  s.modified = modified_;
  s.noSizeChange = noSizeChange_;
  s.caret = caret_;
  s.selStart = selStart_;
  s.selEnd = selEnd_;
  s.selAnchor = selAnchor_;
  s.extensionAnchor = extensionAnchor_;
  s.selectionMode = selectionMode_;
  s.topRow = topRow_;
  s.leftCol = leftCol_;
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
  marks_ = std::move(saved.marks);
  const bool bookmarksMoved = [&] {
    for (int i = 0; i < kBookmarkCount; ++i) {
      const Bookmark& a = bookmarks_[static_cast<std::size_t>(i)];
      const Bookmark& b = saved.bookmarks[static_cast<std::size_t>(i)];
      if (a.pos != b.pos || a.inCharField != b.inCharField) return true;
    }
    return false;
  }();
  bookmarks_ = saved.bookmarks;
  modified_ = saved.modified;
  noSizeChange_ = saved.noSizeChange;
  caret_ = saved.caret;
  selStart_ = saved.selStart;
  selEnd_ = saved.selEnd;
  selAnchor_ = saved.selAnchor;
  extensionAnchor_ = saved.extensionAnchor;
  selectionMode_ = saved.selectionMode;
  topRow_ = saved.topRow;
  leftCol_ = saved.leftCol;
  LayoutChanged();
  Host().Invalidate();
  Host().CaretShapeChanged();
  Host().CaretMoved();
  NotifySelectionChanged();
  if (bookmarksMoved && OnBookmarkChanged) OnBookmarkChanged();
}

}  // namespace hexed

// The standard edit messages, so that the system's edit commands (and
// programs that send them) copy, cut, paste, undo and select like the
// editor's own keys and menu: each runs only when its Can... test allows it,
// and a refused one changes nothing. Errors of the model reach the window
// procedure, which beeps.
#include <richedit.h>

#include <algorithm>

#include "hexeditor/win32/hex_editor_control.h"

namespace hexwin {

namespace {

// EM_SETSEL: start and end (one past the last selected byte) like an edit
// control's characters; (0, -1) selects all, a start of -1 clears.
void SetSelectionRange(hexed::TQDHexEditorEx& e, int start, int end) {
  if (start == 0 && end == -1) return e.SelectAll();
  if (start == -1) return e.ClearSelection();
  const int size = e.DataSize();
  if (end < 0 || end > size) end = size;
  start = std::clamp(start, 0, size);
  if (start > end) std::swap(start, end);
  if (start == end) return e.ClearSelection();
  e.SetSelection(start, end - 1);
}

}  // namespace

std::optional<LRESULT> HexEditorControl::OnEditMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  ClipboardEditor& e = editor_;
  switch (message) {
    case WM_COPY:
      if (e.CanCopy()) e.CopyToClipboard();
      return 0;
    case WM_CUT:
      if (e.CanCut()) e.CutToClipboard();
      return 0;
    case WM_PASTE:
      if (e.CanPaste()) e.PasteFromClipboard();
      return 0;
    case WM_UNDO:
    case EM_UNDO:
      if (!e.CanUndo()) return FALSE;
      e.Undo();
      return TRUE;
    case EM_CANUNDO:
      return e.CanUndo() ? TRUE : FALSE;
    case EM_CANPASTE:
      // Format 0 asks for any format the editor takes.
      return e.CanPaste() && (wParam == 0 || IsClipboardFormatAvailable(static_cast<UINT>(wParam))) ? TRUE : FALSE;
    case EM_SETSEL:
      SetSelectionRange(e, static_cast<int>(wParam), static_cast<int>(lParam));
      return 0;
    default:
      return std::nullopt;
  }
}

}  // namespace hexwin

// OLE drag-and-drop of the editor: the drop target registered on the
// control's window, and the drag of the selection out of it.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <atomic>
#include <functional>

#include "hexeditor/clipboard/drop_rules.h"
#include "hexeditor/win32/ole/clipboard_editor.h"

namespace hexwin {

// What the drop target needs of the control.
struct DropSite {
  ClipboardEditor* editor = nullptr;
  HWND window = nullptr;
  bool draggingFromHere = false;  // a drag of this control is running
  bool droppedOnHere = false;     // that drag was dropped on this control
  std::function<void()> viewChanged;  // scroll bars and caret after a change
};

class EditorDropTarget final : public IDropTarget {
 public:
  explicit EditorDropTarget(DropSite& site) : site_(site) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override;
  // IDropTarget
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;

 private:
  ~EditorDropTarget() = default;
  hexed::Cell CellAt(POINTL point) const;
  // The effect for the keys and the allowed effects; marks the drop cell.
  DWORD Track(DWORD keys, POINTL point, DWORD allowed);
  void ClearMark();

  std::atomic<ULONG> refs_{1};
  DropSite& site_;
  bool acceptable_ = false;
  bool files_ = false;
};

// Drags the editor's selection: copy only in ReadOnlyView, else copy or
// move. After the drag, a move within the editor becomes one undo step and
// a move into another program deletes the selection. Returns the effect.
DWORD DragSelection(DropSite& site);

}  // namespace hexwin

// The hex editor on screen: a child window of class "TQDHexEditorEx" that
// shows a TQDHexEditorEx model. It paints only the visible cells off-screen
// and copies them once per paint, owns the system caret and the scroll bars,
// and turns keyboard and mouse messages into the model's calls.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "app/win32/services.h"

#include "hexeditor/win32/ole/clipboard_editor.h"
#include "hexeditor/win32/ole/hex_drag_drop.h"

namespace hexwin {

class HexEditorControl final : public hexed::HexEditorHost {
 public:
  static constexpr wchar_t kClassName[] = L"TQDHexEditorEx";
  // Private message: deliver the coalesced selection change.
  static constexpr UINT kSelectionChangedMessage = WM_APP + 1;
  // Private message: reposition the caret once a resize is done.
  static constexpr UINT kPositionCaretMessage = WM_APP + 2;

  HexEditorControl();
  ~HexEditorControl() override;
  HexEditorControl(const HexEditorControl&) = delete;
  HexEditorControl& operator=(const HexEditorControl&) = delete;

  // Creates the control as a child of parent. Throws std::system_error.
  void Create(HWND parent, int id, const RECT& bounds);
  HWND Handle() const { return hwnd_; }
  ClipboardEditor& Editor() { return editor_; }

  // The bookmark icon strip: a copy of `strip` (20 icons of 10 × 10 pixels;
  // throws EQDHexEditor "Invalid bookmark bitmap ..." otherwise, keeping the
  // old one), or the program's own strip again when null. The colour of its
  // top-left pixel is transparent.
  void SetBookmarkBitmap(HBITMAP strip);
  HBITMAP BookmarkBitmap() const { return bookmarks_; }

  // Registers the control as a drop target and lets the selection be
  // dragged out; off by default.
  bool OleDragDrop() const { return oleDragDrop_; }
  void SetOleDragDrop(bool on);
  // The registered drop target (null while OleDragDrop is off).
  IDropTarget* DropTarget() const { return dropTarget_; }
  // Drags the selection now (a press on the selection and a move by the
  // drag distance start it); returns the effect.
  DWORD StartDrag();

  // Runs before a data cell's character is drawn: col, row, the text (its
  // first character is drawn), the cell rectangle; clearing defaultDraw
  // leaves the character to the handler.
  std::function<void(HDC dc, int col, hexed::GridRow row, std::wstring& text, const RECT& rect, bool& defaultDraw)>
      OnDrawCell;

  // The menu for a right click on the gutter or the ruler; none (null) by
  // default, and then the click shows the parent's context menu like the
  // data area does. Its commands go to the parent window. Not owned.
  HMENU OffsetPopupMenu() const { return offsetPopupMenu_; }
  void SetOffsetPopupMenu(HMENU menu) { offsetPopupMenu_ = menu; }
  // Where context menus are tracked (the system's by default). Not owned.
  void SetPopupMenus(app::PopupMenus& menus) { menus_ = &menus; }
  app::PopupMenus& PopupMenus() const { return *menus_; }

  // Message boxes the model asks for (text in UTF-8); MessageBoxW when unset.
  std::function<void(const std::string&)> onShowMessage;
  // Offered each key first, for the window's own keys (find, go to); true
  // when the window took it.
  std::function<bool(UINT key, bool ctrl, bool shift)> onWindowKey;

  // HexEditorHost
  void Invalidate() override;
  void LayoutChanged() override;
  void CaretShapeChanged() override;
  void CaretMoved() override;
  void PostSelectionChanged() override;
  void ShowMessage(const std::string& text) override;
  void SetBusyCursor(bool busy) override;
  void FontChanged() override;
  hexed::Color ResolveSystemColor(int index) override;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HDC target, const RECT& update);
  void PaintCell(HDC dc, int col, hexed::GridRow row);
  // Frames, grid lines and the drop mark over a painted cell.
  void PaintCellDecorations(HDC dc, int col, const RECT& r, const hexed::CellView& v);
  void DrawBookmarkIcon(HDC dc, int icon, int x, int y);
  void UpdateScrollBars();
  void OnScroll(int bar, int code);
  void OnVerticalScroll(int code);
  void CreateSystemCaret();
  void DestroySystemCaret();
  hexed::CellHit HitAt(LPARAM lParam) const;
  static hexed::ShiftState KeyShift();
  static hexed::ShiftState MouseShift(WPARAM wParam);

  // A right click's context menu: the offset menu for the gutter and the
  // ruler; false leaves the message to the parent's menu.
  bool ShowOffsetMenu(LPARAM screenPoint);
  // The standard edit messages (WM_COPY, WM_CUT, WM_PASTE, WM_UNDO, EM_UNDO,
  // EM_CANUNDO, EM_CANPASTE, EM_SETSEL); none for any other message.
  std::optional<LRESULT> OnEditMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void RegisterDropTarget();
  void RevokeDropTarget();
  // Arms a drag for a press on the selection; starts it once the mouse
  // moved by the system drag distance.
  void ArmDrag(LPARAM lParam);
  bool DragDistanceReached(LPARAM lParam) const;
  void OnAutoScrollTimer();

  ClipboardEditor editor_;
  HWND hwnd_ = nullptr;
  bool oleDragDrop_ = false;
  DropSite site_;
  EditorDropTarget* dropTarget_ = nullptr;
  bool dragArmed_ = false;
  POINT dragFrom_{};
  bool autoScrolling_ = false;
  POINT lastMouse_{};  // of the last move with the left button held
  HMENU offsetPopupMenu_ = nullptr;
  app::PopupMenus* menus_;
  HFONT font_ = nullptr;
  HBITMAP caretBitmap_ = nullptr;
  HBITMAP bookmarks_ = nullptr;  // the "BOOKMARKICONS" strip
  COLORREF iconTransparent_ = RGB(255, 0, 255);
  bool focused_ = false;
  bool caretCreated_ = false;
  int busy_ = 0;
  HCURSOR savedCursor_ = nullptr;
};

}  // namespace hexwin

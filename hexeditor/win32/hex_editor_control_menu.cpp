// The control's context menus: a right click on the gutter or the ruler
// shows OffsetPopupMenu; anywhere else, or without that menu, the message
// goes on to the parent, whose context menu serves the data area.
#include <windowsx.h>

#include "hexeditor/win32/hex_editor_control.h"
#include "app/win32/system_popup_menus.h"
#include "hexeditor/win32/system_popup_menus.h"

namespace hexwin {

app::PopupMenus& SystemPopupMenus() {
  static app::SystemPopupMenus menus;
  return menus;
}

bool HexEditorControl::ShowOffsetMenu(LPARAM screenPoint) {
  if (offsetPopupMenu_ == nullptr) return false;
  POINT p{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
  // (-1, -1) comes from the keyboard: the menu belongs to the caret, which
  // is always in the data area.
  if (p.x == -1 && p.y == -1) return false;
  POINT client = p;
  ScreenToClient(hwnd_, &client);
  const hexed::CellHit hit = editor_.HitTest(client.x, client.y);
  const bool onOffsets = hit.col == 0 || (hit.col > 0 && hit.row == 0);  // gutter column or ruler row
  if (!onOffsets) return false;
  HWND owner = GetParent(hwnd_);
  menus_->Track(owner != nullptr ? owner : hwnd_, offsetPopupMenu_, p);
  return true;
}

}  // namespace hexwin

// Context menus tracked by the system; header-only so the hex editor's
// windows use the same one without the program's other services.
#pragma once

#include <windows.h>

#include "app/win32/services.h"

namespace app {

class SystemPopupMenus final : public PopupMenus {
 public:
  void Track(HWND owner, HMENU menu, POINT screen) override {
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, owner, nullptr);
  }
};

}  // namespace app

// Context menus shown by the system, where the control and the hex view
// window track their menus unless given another place (tests record them).
#pragma once

#include "app/win32/services.h"

namespace hexwin {

app::PopupMenus& SystemPopupMenus();

}  // namespace hexwin

#include "app/win32/last_error.h"

#include <windows.h>

#include <system_error>

namespace app {

void ThrowLastError(const char* what) {
  throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), what);
}

}  // namespace app

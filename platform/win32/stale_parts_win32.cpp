#include <windows.h>

#include "platform/stale_parts.h"
#include "platform/win32/api_path.h"

namespace platform {

// A running job holds its staged output open without sharing it for
// deletion, so the system refuses to delete a file still in use.
bool DeleteUnlessHeld(const std::filesystem::path& file) {
  return DeleteFileW(win32io::ApiPath(file).c_str()) != FALSE;
}

}  // namespace platform

// Failures of Windows calls as exceptions.
#pragma once

namespace app {

// Throws std::system_error carrying GetLastError() and `what` (the failed call).
[[noreturn]] void ThrowLastError(const char* what);

}  // namespace app

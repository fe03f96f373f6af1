#include <windows.h>

#include "platform/long_path.h"
#include "platform/win32/api_path.h"

namespace platform::win32io {

std::wstring ApiPath(const std::filesystem::path& path) {
  const std::wstring& given = path.native();
  if (given.empty()) return given;
  // The first call tells the length a long path needs.
  std::wstring full(MAX_PATH, L'\0');
  DWORD n = GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n >= full.size()) {
    full.resize(n);
    n = GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  }
  if (n == 0 || n >= full.size()) return ExtendedLengthPath(given);
  full.resize(n);
  return ExtendedLengthPath(full);
}

}  // namespace platform::win32io

#include "platform/long_path.h"

namespace platform {

namespace {

bool StartsWith(std::wstring_view text, std::wstring_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDrivePath(std::wstring_view path) {
  return path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
         path[1] == L':' && IsSeparator(path[2]);
}

bool IsUncPath(std::wstring_view path) {
  return path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2]);
}

}  // namespace

std::wstring ExtendedLengthPath(std::wstring_view fullPath) {
  std::wstring path(fullPath);
  if (path.size() < kLongPathThreshold || StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\")) return path;
  const bool drive = IsDrivePath(path);
  if (!drive && !IsUncPath(path)) return path;
  // The kernel does not turn slashes into backslashes in this form.
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return drive ? L"\\\\?\\" + path : L"\\\\?\\UNC\\" + path.substr(2);
}

}  // namespace platform

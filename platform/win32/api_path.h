// A path as the Windows file routines take it at any length.
#pragma once

#include <filesystem>
#include <string>

namespace platform::win32io {

// `path` made complete (GetFullPathNameW) and, when long, in the "\\?\"
// form; the path as given when the system cannot complete it.
std::wstring ApiPath(const std::filesystem::path& path);

}  // namespace platform::win32io

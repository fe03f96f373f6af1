// Paths beyond the old 260-character limit of the Windows file API. The
// kernel takes any length in the "\\?\" form, which it passes on without
// normalising: the path must then be complete, with backslashes only.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// From this length on a path gets the "\\?\" form: below it every Windows
// file routine takes the plain path (CreateDirectoryW has the smallest
// limit, 248 characters).
inline constexpr std::size_t kLongPathThreshold = 248;

// `fullPath` (absolute and normalised, as GetFullPathNameW returns it) in
// the form the file API takes at any length: "C:\…" → "\\?\C:\…",
// "\\server\share\…" → "\\?\UNC\server\share\…". Short paths, paths already
// in a device or "\\?\" form and paths that are not absolute come back as
// they are.
std::wstring ExtendedLengthPath(std::wstring_view fullPath);

}  // namespace platform

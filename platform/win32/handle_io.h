// The Windows file routines' shared pieces: the stored handle, the error
// with the system's code, opening a file to read, and a write that loops
// until every byte is out.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/file.h"
#include "platform/win32/api_path.h"
#include "platform/win32/wide.h"

namespace platform::win32io {

inline HANDLE H(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

[[noreturn]] inline void ThrowLastError(const std::string& what) {
  throw IoError(what + " (error " + std::to_string(GetLastError()) + ")");
}

// A file opened for reading, with its size when opened.
struct OpenedFile {
  HANDLE handle;
  std::uint64_t size;
};

// Opens `path` for reading with the given sharing and flags and reads its
// size. On failure calls `fail` (which throws) with the step and the file;
// the handle is closed first.
inline OpenedFile OpenForReading(const std::filesystem::path& path, DWORD share, DWORD flags,
                                 void (*fail)(const std::string& what)) {
  HANDLE h = CreateFileW(ApiPath(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, flags, nullptr);
  if (h == INVALID_HANDLE_VALUE) fail("cannot open " + Narrow(path.wstring()));
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(h, &size)) {
    CloseHandle(h);
    fail("cannot read the size of " + Narrow(path.wstring()));
  }
  return {h, static_cast<std::uint64_t>(size.QuadPart)};
}

// WriteFile takes at most 4 GiB a call and may write less than asked.
inline void WriteAll(HANDLE handle, const void* data, std::size_t size) {
  const auto* p = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    DWORD wrote = 0;
    if (!WriteFile(handle, p, want, &wrote, nullptr) || wrote == 0) ThrowLastError("write failed");
    p += wrote;
    size -= wrote;
  }
}

}  // namespace platform::win32io

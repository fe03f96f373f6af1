// The Windows file routines' shared pieces: the stored handle, the error
// with the system's code, and a write that loops until every byte is out.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/file.h"

namespace platform::win32io {

inline HANDLE H(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

[[noreturn]] inline void ThrowLastError(const std::string& what) {
  throw IoError(what + " (error " + std::to_string(GetLastError()) + ")");
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

#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/read_at_file.h"
#include "platform/win32/handle_io.h"
#include "platform/win32/wide.h"

namespace platform {

using win32io::H;

namespace {

// The system's own text for the last error, so the user reads why.
[[noreturn]] void ThrowSystemError(const std::string& what) {
  const DWORD code = GetLastError();
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = n > 0 && text ? std::wstring(text, n) : std::wstring();
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L'.'))
    message.pop_back();
  throw IoError(what + ": " + (message.empty() ? "error " + std::to_string(code) : Narrow(message)));
}

}  // namespace

ReadAtFile::ReadAtFile(const std::filesystem::path& path) {
  // FILE_SHARE_DELETE: a save may rename or delete the viewed file while this
  // handle still reads the old bytes; writers are kept out so they stay put.
  const win32io::OpenedFile file = win32io::OpenForReading(
      path, FILE_SHARE_READ | FILE_SHARE_DELETE, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, &ThrowSystemError);
  handle_ = reinterpret_cast<std::intptr_t>(file.handle);
  size_ = file.size;
}

ReadAtFile::~ReadAtFile() { CloseHandle(H(handle_)); }

std::size_t ReadAtFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const {
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    // The offset travels in the OVERLAPPED block, so no shared file pointer
    // is moved first; ReadFile takes at most 4 GiB a call.
    const std::uint64_t at = offset + done;
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(H(handle_), out + done, want, &got, &where)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      ThrowSystemError("read failed");
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}

}  // namespace platform

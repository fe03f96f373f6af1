#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/shred_file.h"
#include "platform/win32/api_path.h"
#include "platform/win32/handle_io.h"
#include "platform/win32/wide.h"

namespace platform {

namespace {

using win32io::H;
constexpr auto Fail = win32io::ThrowLastError;

// Zeros written into these files land elsewhere than the old data (new
// compressed units, newly allocated ranges, or ciphertext of the zeros), and
// a reparse point is not the file itself.
constexpr DWORD kRefusedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY |
                                     FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_COMPRESSED |
                                     FILE_ATTRIBUTE_SPARSE_FILE | FILE_ATTRIBUTE_ENCRYPTED;

}  // namespace

// Windows flushes only at the end (FlushFileBuffers): nothing runs beside the pass.
class ShredTarget::Flusher {};

ShredTarget::ShredTarget(const std::filesystem::path& path) {
  HANDLE h = CreateFileW(win32io::ApiPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) Fail("cannot open " + Narrow(path.wstring()));
  // A refused file is closed again at once: no destructor runs for a
  // constructor that throws, and the open shares the file with nobody.
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info)) {
    const DWORD error = GetLastError();
    CloseHandle(h);
    SetLastError(error);
    Fail("not a disk file " + Narrow(path.wstring()));
  }
  if (info.dwFileAttributes & kRefusedAttributes) {
    CloseHandle(h);
    SetLastError(ERROR_ACCESS_DENIED);
    Fail("cannot be overwritten in place " + Narrow(path.wstring()));
  }
  handle_ = reinterpret_cast<std::intptr_t>(h);
  open_ = true;
  size_ = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

ShredTarget::~ShredTarget() {
  if (open_) CloseHandle(H(handle_));
}

void ShredTarget::Write(const void* data, std::size_t size) { win32io::WriteAll(H(handle_), data, size); }

void ShredTarget::Flush() {
  if (!FlushFileBuffers(H(handle_))) Fail("flush failed");
}

void ShredTarget::Close() {
  open_ = false;
  if (!CloseHandle(H(handle_))) Fail("close failed");
}

void WriteOneZeroByte(const std::filesystem::path& path) {
  HANDLE h = CreateFileW(win32io::ApiPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) Fail("cannot create " + Narrow(path.wstring()));
  const char zero = 0;
  DWORD wrote = 0;
  const bool ok = WriteFile(h, &zero, 1, &wrote, nullptr) && wrote == 1;
  if (!CloseHandle(h) || !ok) Fail("cannot write " + Narrow(path.wstring()));
}

}  // namespace platform

#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/file.h"
#include "platform/win32/api_path.h"
#include "platform/win32/handle_io.h"
#include "platform/win32/wide.h"

namespace platform {

using win32io::ApiPath;
using win32io::H;
using win32io::ThrowLastError;

InputFile::InputFile(const std::filesystem::path& path) {
  // Others may read the file while a job reads it, but not write it.
  const win32io::OpenedFile file = win32io::OpenForReading(
      path, FILE_SHARE_READ, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, &ThrowLastError);
  handle_ = reinterpret_cast<std::intptr_t>(file.handle);
  size_ = file.size;
}

InputFile::~InputFile() { CloseHandle(H(handle_)); }

std::size_t InputFile::Read(void* buffer, std::size_t size) {
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(H(handle_), out + done, want, &got, nullptr)) ThrowLastError("read failed");
    if (got == 0) break;
    done += got;
  }
  position_ += done;
  return done;
}

void InputFile::Seek(std::uint64_t offset) {
  LARGE_INTEGER to{};
  to.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(H(handle_), to, nullptr, FILE_BEGIN)) ThrowLastError("seek failed");
  position_ = offset;
}

std::optional<OutputFile> OutputFile::CreateNew(const std::filesystem::path& path, bool /*ownerOnly*/) {
  HANDLE h = CreateFileW(ApiPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return std::nullopt;
    ThrowLastError("cannot create " + Narrow(path.wstring()));
  }
  return OutputFile(reinterpret_cast<std::intptr_t>(h));
}

OutputFile::OutputFile(OutputFile&& other) noexcept : handle_(other.handle_) {
  other.handle_ = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
  if (this != &other) {
    if (H(handle_) != INVALID_HANDLE_VALUE) CloseHandle(H(handle_));
    handle_ = other.handle_;
    other.handle_ = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
  }
  return *this;
}

OutputFile::~OutputFile() {
  if (H(handle_) != INVALID_HANDLE_VALUE) CloseHandle(H(handle_));
}

void OutputFile::Write(const void* data, std::size_t size) { win32io::WriteAll(H(handle_), data, size); }

// Windows has no call that appends a range of one open file to another
// inside the system; the caller copies through memory.
std::uint64_t OutputFile::CopyFrom(const ReadAtFile&, std::uint64_t, std::uint64_t) { return 0; }

void OutputFile::Close() {
  HANDLE h = H(handle_);
  handle_ = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
  if (!CloseHandle(h)) ThrowLastError("close failed");
}

bool RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
  // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken,
  // so choosing the name and claiming it are one step.
  if (MoveFileExW(ApiPath(from).c_str(), ApiPath(to).c_str(), 0)) return true;
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return false;
  ThrowLastError("cannot rename to " + Narrow(to.wstring()));
}

bool DeleteIfExists(const std::filesystem::path& path) noexcept {
  if (DeleteFileW(ApiPath(path).c_str())) return true;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::filesystem::path SystemTempFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  if (n == 0 || n > MAX_PATH) return std::filesystem::path(L".");
  return std::filesystem::path(buffer);
}

std::filesystem::path ExecutablePath() {
  // GetModuleFileNameW cuts a long path silently; it fills the whole buffer
  // then, so grow it until the name fits.
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      return std::filesystem::path(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::filesystem::path ExecutableFolder() {
  const std::filesystem::path exe = ExecutablePath();
  std::error_code ec;
  return exe.empty() ? std::filesystem::current_path(ec) : exe.parent_path();
}

}  // namespace platform

#include <windows.h>

#include "platform/mapped_file.h"
#include "platform/win32/api_path.h"
#include "platform/win32/wide.h"

namespace platform {

MappedReadOnlyFile::MappedReadOnlyFile(const std::filesystem::path& path, const std::string& mappingName) {
  HANDLE file = CreateFileW(win32io::ApiPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  LARGE_INTEGER size{};
  if (file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size)) {
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    throw IoError("Error opening " + Narrow(path.wstring()));
  }
  file_ = reinterpret_cast<std::intptr_t>(file);
  size_ = static_cast<std::uint64_t>(size.QuadPart);
  if (size_ == 0) return;  // a mapping of an empty file cannot be created
  // The mapping stays unnamed: a named one would be shared with any other
  // process mapping a file of the same base name, and could show its bytes.
  HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  const void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
  if (!view) {
    if (mapping) CloseHandle(mapping);
    CloseHandle(file);
    throw IoError("Error creating file mapping object " + mappingName);
  }
  mapping_ = reinterpret_cast<std::intptr_t>(mapping);
  view_ = static_cast<const std::uint8_t*>(view);
}

MappedReadOnlyFile::~MappedReadOnlyFile() {
  if (view_) UnmapViewOfFile(view_);
  if (mapping_) CloseHandle(reinterpret_cast<HANDLE>(mapping_));
  if (file_ != -1) CloseHandle(reinterpret_cast<HANDLE>(file_));
}

bool MappedViewsSurviveTruncation() { return true; }

}  // namespace platform

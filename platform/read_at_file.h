// A file read at any offset, for viewers that look at parts of large files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace platform {

// A file opened for positioned reads. Others may read it, rename it or delete
// it while it is open (the open handle keeps reading the same bytes), but not
// write it. Opening reads nothing but the size; offsets are 64-bit, also in a
// 32-bit program.
class ReadAtFile final {
 public:
  explicit ReadAtFile(const std::filesystem::path& path);  // throws IoError
  ~ReadAtFile();
  ReadAtFile(const ReadAtFile&) = delete;
  ReadAtFile& operator=(const ReadAtFile&) = delete;

  // The size when the file was opened.
  std::uint64_t Size() const { return size_; }
  // Reads up to `size` bytes at `offset`; fewer only at the file's end.
  // Throws IoError with the system's text.
  std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const;

 private:
  friend class OutputFile;  // copies from it inside the system
  std::intptr_t handle_;
  std::uint64_t size_ = 0;
};

}  // namespace platform

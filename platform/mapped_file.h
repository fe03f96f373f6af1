// A file read through a read-only memory-mapped view of the whole file.
// Writing and resizing are refused: the view is never written back.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/stream.h"

namespace platform {

// Resizing a read-only mapped file was asked for.
class SizeUnchangeable : public IoError {
 public:
  using IoError::IoError;
};

// Whether reading a mapped view of a file that another process cuts short
// stays an ordinary read: Windows keeps a mapped file's size; on POSIX
// systems the read raises SIGBUS and ends the process.
bool MappedViewsSurviveTruncation();

class MappedReadOnlyFile final : public ByteSource {
 public:
  // Maps the whole file; throws IoError ("Error opening ..." or "Error
  // creating file mapping object ..." with `mappingName`). An empty file has
  // no view and reads nothing.
  MappedReadOnlyFile(const std::filesystem::path& path, const std::string& mappingName);
  ~MappedReadOnlyFile() override;
  MappedReadOnlyFile(const MappedReadOnlyFile&) = delete;
  MappedReadOnlyFile& operator=(const MappedReadOnlyFile&) = delete;

  std::uint64_t Size() const override { return size_; }
  // Copies up to `size` bytes from the view; 0 at or beyond the end.
  std::size_t Read(void* buffer, std::size_t size) override;
  // No bounds check: Read answers positions beyond the end with 0.
  void Seek(std::uint64_t offset) override { position_ = offset; }
  std::uint64_t Position() const override { return position_; }
  // The view's bytes (null for an empty file).
  const std::uint8_t* Data() const { return view_; }

  // Always throws IoError "Could not write read only MapOfFile".
  [[noreturn]] void Write(const void* data, std::size_t size);
  // Always throws SizeUnchangeable.
  [[noreturn]] void SetSize(std::uint64_t size);

 private:
  std::intptr_t file_ = -1;
  std::intptr_t mapping_ = 0;
  const std::uint8_t* view_ = nullptr;
  std::uint64_t size_ = 0;
  std::uint64_t position_ = 0;
};

}  // namespace platform

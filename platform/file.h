// Files of the jobs: opened for one job, closed at its end.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

#include "platform/stream.h"

namespace platform {

class ReadAtFile;

// A file opened for reading; while it is open others may read it but not write it.
class InputFile final : public ByteSource {
 public:
  explicit InputFile(const std::filesystem::path& path);  // throws IoError
  ~InputFile() override;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  std::uint64_t Size() const override { return size_; }
  std::size_t Read(void* buffer, std::size_t size) override;
  void Seek(std::uint64_t offset) override;
  std::uint64_t Position() const override { return position_; }

 private:
  std::intptr_t handle_;
  std::uint64_t size_ = 0;
  std::uint64_t position_ = 0;
};

// A new file, created exclusively (never an existing one).
class OutputFile final : public ByteSink {
 public:
  // Empty when `path` already exists; throws IoError for other failures.
  // `ownerOnly`: no other user may read it (intermediates in the shared
  // temporary folder; Windows' per-user temporary folder already is private).
  static std::optional<OutputFile> CreateNew(const std::filesystem::path& path, bool ownerOnly = false);
  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&& other) noexcept;
  ~OutputFile() override;

  void Write(const void* data, std::size_t size) override;
  // Appends up to `length` bytes of `source` at `offset`, copied inside the
  // system without passing through this process; returns how many. Fewer
  // (down to 0) when the system cannot copy so, or the source ends early:
  // the caller writes the rest itself. Throws IoError like Write.
  std::uint64_t CopyFrom(const ReadAtFile& source, std::uint64_t offset, std::uint64_t length);
  // Flushes and closes; throws IoError when the data could not be stored.
  void Close();

 private:
  explicit OutputFile(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_;
};

// Renames `from` to `to` unless `to` exists (one atomic step). False when `to`
// exists; throws IoError for other failures.
bool RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

// True when `path` does not exist afterwards.
bool DeleteIfExists(const std::filesystem::path& path) noexcept;

// The system's temporary folder.
std::filesystem::path SystemTempFolder();

// The running program's file; empty when the system cannot say.
std::filesystem::path ExecutablePath();

// The folder of the running program.
std::filesystem::path ExecutableFolder();

}  // namespace platform

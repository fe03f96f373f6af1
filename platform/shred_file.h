// The file operations of shredding: an exclusive read-write open that
// refuses whatever zeros written through it would not reliably destroy, a
// write that reaches the device, and the one-byte re-creation.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

#include "platform/stream.h"

namespace platform {

class ShredTarget final {
 public:
  // Opens `path` for reading and writing, shared with nobody. Throws IoError
  // for a missing, read-only or busy file and for anything but a plain
  // regular file (link, folder, device, pipe; on Windows also compressed,
  // sparse and encrypted files, whose old clusters would keep their data).
  explicit ShredTarget(const std::filesystem::path& path);
  ~ShredTarget();
  ShredTarget(const ShredTarget&) = delete;
  ShredTarget& operator=(const ShredTarget&) = delete;

  std::uint64_t Size() const { return size_; }
  // Writes all `size` bytes at the current position or throws IoError.
  void Write(const void* data, std::size_t size);
  // Waits until the written data is on the device; throws IoError.
  void Flush();
  // Closes the file; throws IoError.
  void Close();

 private:
  // Makes what is written durable in the background while the pass goes on
  // (Linux; nothing on Windows).
  class Flusher;

  std::intptr_t handle_;
  std::uint64_t size_ = 0;
  bool open_ = false;
  // Bytes written, and how far the device has been asked to write them.
  std::uint64_t written_ = 0;
  std::uint64_t writebackStarted_ = 0;
  std::unique_ptr<Flusher> flusher_;  // started once a file is large enough
};

// Creates or truncates `path` (no sharing), writes one 0x00 byte and closes
// it; throws IoError.
void WriteOneZeroByte(const std::filesystem::path& path);

}  // namespace platform

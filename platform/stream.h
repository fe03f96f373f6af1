// Byte streams that the core reads and writes through: files in production,
// memory buffers and failing sinks in tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace platform {

// A read, write, seek or create that failed (disk full, device error, ...).
class IoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Total length in bytes.
  virtual std::uint64_t Size() const = 0;
  // Reads up to `size` bytes at the current position; fewer only at the end.
  virtual std::size_t Read(void* buffer, std::size_t size) = 0;
  virtual void Seek(std::uint64_t offset) = 0;
  virtual std::uint64_t Position() const = 0;

  // Reads exactly `size` bytes or throws IoError.
  void ReadExact(void* buffer, std::size_t size);
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Writes all `size` bytes or throws IoError.
  virtual void Write(const void* data, std::size_t size) = 0;
};

class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  std::size_t Read(void* buffer, std::size_t size) override;
  void Seek(std::uint64_t offset) override { position_ = offset; }
  std::uint64_t Position() const override { return position_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::uint64_t position_ = 0;
};

class MemorySink final : public ByteSink {
 public:
  void Write(const void* data, std::size_t size) override;
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace platform

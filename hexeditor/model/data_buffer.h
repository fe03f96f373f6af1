// The editor's data: one contiguous, growable block of bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace hexed {

// Largest size the buffer can hold: positions and sizes are signed 32-bit.
inline constexpr std::int64_t kMaxDataSize = INT32_MAX;

// A growable memory block with a bounds-checked view of (position, length)
// ranges. Every read, write and move of data bytes goes through `Ptr`.
class TQDHMemoryStream {
 public:
  TQDHMemoryStream() = default;
  ~TQDHMemoryStream();
  TQDHMemoryStream(const TQDHMemoryStream&) = delete;
  TQDHMemoryStream& operator=(const TQDHMemoryStream&) = delete;

  // Number of bytes held.
  std::int32_t Size() const { return size_; }
  // Resizes, keeping the bytes below the new size; bytes added hold no set value.
  // Throws OutOfMemoryError when the block cannot be had or is 2 GiB or more.
  void SetSize(std::int64_t newSize);
  // Makes room for newSize bytes without changing the size, so that a later
  // SetSize up to newSize cannot fail; throws like SetSize.
  void Reserve(std::int64_t newSize);
  // The largest size the block can take (kMaxDataSize unless a test lowers it).
  static std::int64_t MaxSize();
  // Size 0 and the memory released.
  void Clear();

  // Address of [pos, pos + len); throws EQDHexEditor "Data position/length
  // out of data bounds" unless 0 <= pos, 0 <= len and pos + len <= Size().
  std::uint8_t* Ptr(std::int64_t pos, std::int64_t len);
  const std::uint8_t* Ptr(std::int64_t pos, std::int64_t len) const;

  // Copies n bytes at pos into dest (bounds-checked).
  void Read(void* dest, std::int64_t pos, std::int64_t n) const;
  // Copies n bytes from src to pos (bounds-checked).
  void Write(const void* src, std::int64_t pos, std::int64_t n);
  // Moves n bytes from `from` to `to`; the ranges may overlap (bounds-checked).
  void Move(std::int64_t from, std::int64_t to, std::int64_t n);

  // Stream position used by whole-buffer writes.
  std::int32_t Position() const { return position_; }
  void SetPosition(std::int32_t pos) { position_ = pos; }

 private:
  std::uint8_t* data_ = nullptr;
  std::int32_t size_ = 0;
  std::int64_t capacity_ = 0;
  std::int32_t position_ = 0;
};

}  // namespace hexed

// The viewed file on disk, read where it is looked at: positioned reads
// through a small cache of blocks, never the whole file. Opening reads only
// the size, so a file of any size opens at once, in a 32-bit program too.
// The cache is shared under a lock: a search thread may read while the
// window paints.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "hexeditor/model/piece.h"
#include "platform/read_at_file.h"

namespace hexed {

class FileWindow final : public PieceSource {
 public:
  static constexpr std::size_t kBlockSize = std::size_t{64} << 10;
  static constexpr std::size_t kBlockCount = 32;  // 2 MiB of cache

  explicit FileWindow(const std::filesystem::path& path);  // throws platform::IoError

  std::int64_t Size() const { return size_; }
  const std::filesystem::path& Path() const { return path_; }
  // The open file, for copies that need no cache (a save).
  const platform::ReadAtFile& File() const { return file_; }
  // Throws platform::IoError "Cannot read <file>. (<why>.)" on a read error,
  // and when the file has become shorter than it was when opened.
  void Read(std::int64_t offset, std::uint8_t* dest, std::size_t size) const override;

 private:
  struct Slot {
    std::int64_t block = -1;  // block number held, -1 for none
    std::uint64_t lastUse = 0;
    std::size_t valid = 0;  // bytes read into it (less at the file's end)
    std::unique_ptr<std::uint8_t[]> bytes;
  };

  void ReadDirect(std::int64_t offset, std::uint8_t* dest, std::size_t size) const;
  std::size_t ReadAt(std::int64_t offset, std::uint8_t* dest, std::size_t size) const;
  [[noreturn]] void ThrowReadError(const std::string& why) const;
  const Slot& CachedBlock(std::int64_t block) const;
  Slot& VictimSlot() const;

  std::filesystem::path path_;
  platform::ReadAtFile file_;
  std::int64_t size_;
  mutable std::vector<Slot> slots_;
  mutable std::uint64_t clock_ = 0;
  mutable std::mutex mutex_;  // guards the slots, the clock and the file position
};

}  // namespace hexed

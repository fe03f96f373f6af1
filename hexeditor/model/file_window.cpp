#include "hexeditor/model/file_window.h"

#include <algorithm>
#include <cstring>

#include "hexeditor/errors.h"
#include "hexeditor/messages.h"
#include "hexeditor/path_text.h"
#include "platform/stream.h"

namespace hexed {

namespace {

constexpr char kShrank[] = "the file has become shorter since it was opened";

}  // namespace

FileWindow::FileWindow(const std::filesystem::path& path)
    : path_(path), file_(path), size_(static_cast<std::int64_t>(file_.Size())), slots_(kBlockCount) {}

void FileWindow::Read(std::int64_t offset, std::uint8_t* dest, std::size_t size) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  // Large reads (saving, finding) go straight to the caller's buffer; the
  // cache serves the small reads of painting and editing.
  if (size >= kBlockSize) {
    ReadDirect(offset, dest, size);
    return;
  }
  while (size > 0) {
    const std::int64_t block = offset / static_cast<std::int64_t>(kBlockSize);
    const Slot& slot = CachedBlock(block);
    const std::size_t in = static_cast<std::size_t>(offset - block * static_cast<std::int64_t>(kBlockSize));
    const std::size_t n = std::min(size, kBlockSize - in);
    if (in + n > slot.valid) ThrowReadError(kShrank);
    std::memcpy(dest, slot.bytes.get() + in, n);
    dest += n;
    offset += static_cast<std::int64_t>(n);
    size -= n;
  }
}

void FileWindow::ReadDirect(std::int64_t offset, std::uint8_t* dest, std::size_t size) const {
  if (ReadAt(offset, dest, size) != size) ThrowReadError(kShrank);
}

std::size_t FileWindow::ReadAt(std::int64_t offset, std::uint8_t* dest, std::size_t size) const {
  try {
    return file_.ReadAt(static_cast<std::uint64_t>(offset), dest, size);
  } catch (const platform::IoError& e) {
    ThrowReadError(e.what());
  }
}

void FileWindow::ThrowReadError(const std::string& why) const {
  throw platform::IoError(FormatText(msg::kReadError, {PathText(path_), why}));
}

const FileWindow::Slot& FileWindow::CachedBlock(std::int64_t block) const {
  ++clock_;
  for (Slot& slot : slots_) {
    if (slot.block == block) {
      slot.lastUse = clock_;
      return slot;
    }
  }
  Slot& slot = VictimSlot();
  if (!slot.bytes) slot.bytes = std::make_unique<std::uint8_t[]>(kBlockSize);
  slot.block = -1;  // stays empty when the read throws
  slot.valid = ReadAt(block * static_cast<std::int64_t>(kBlockSize), slot.bytes.get(), kBlockSize);
  slot.block = block;
  slot.lastUse = clock_;
  return slot;
}

FileWindow::Slot& FileWindow::VictimSlot() const {
  return *std::min_element(slots_.begin(), slots_.end(),
                           [](const Slot& a, const Slot& b) { return a.lastUse < b.lastUse; });
}

}  // namespace hexed

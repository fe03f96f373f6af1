// The data buffer, loading and saving, and bookmarks.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <istream>
#include <ostream>

#include "hexeditor/editor/custom_hex_editor.h"
#include "hexeditor/errors.h"
#include "hexeditor/messages.h"
#include "hexeditor/model/nibble_shift.h"
#include "hexeditor/path_text.h"
#include "platform/staged_output.h"

namespace hexed {

namespace fs = std::filesystem;

namespace {

std::string ErrorText(int err) {
  if (err == 0) return "Unknown error";
  return std::strerror(err);
}

// Writes n bytes from src at p, or n zeros when src is null.
void CopyOrZero(std::uint8_t* p, const void* src, std::int64_t n) {
  if (n <= 0) return;
  if (src != nullptr) {
    std::memcpy(p, src, static_cast<std::size_t>(n));
  } else {
    std::memset(p, 0, static_cast<std::size_t>(n));
  }
}

}  // namespace

TCustomQDHexEditor::TCustomQDHexEditor() : fileName_(msg::kUntitled) {
  offsetFormat_ = ParseOffsetFormat(kDefaultOffsetFormat, bytesPerRow_, bytesPerColumn_, RulerUnit());
  AdjustMetrics();
  UpdateRuler();
}

TCustomQDHexEditor::~TCustomQDHexEditor() = default;

// --- primitives ----------------------------------------------------------------

std::uint8_t TCustomQDHexEditor::GetByte(std::int64_t pos) const { return *data_.Ptr(pos, 1); }

void TCustomQDHexEditor::SetByte(std::int64_t pos, std::uint8_t b) {
  *data_.Ptr(pos, 1) = b;
  FireChange();
}

void TCustomQDHexEditor::ReadBytes(void* dest, std::int64_t pos, std::int64_t n) const { data_.Read(dest, pos, n); }

void TCustomQDHexEditor::WriteBytes(const void* src, std::int64_t pos, std::int64_t n) {
  data_.Write(src, pos, n);
  FireChange();
}

void TCustomQDHexEditor::MoveBytes(std::int64_t from, std::int64_t to, std::int64_t n) { data_.Move(from, to, n); }

void TCustomQDHexEditor::AppendBytes(const void* src, std::int64_t n) {
  if (n < 0) throw EQDHexEditor(msg::kDataBounds);
  const std::int64_t old = data_.Size();
  data_.SetSize(std::int64_t{old} + n);
  if (old == 0) marks_.Clear();
  CopyOrZero(data_.Ptr(old, n), src, n);
  LayoutChanged();
}

void TCustomQDHexEditor::InsertBytes(const void* src, std::int64_t n, std::int64_t pos) {
  const std::int64_t old = data_.Size();
  if (n < 0 || pos < 0 || pos > old) throw EQDHexEditor(msg::kDataBounds);
  data_.SetSize(std::int64_t{old} + n);
  data_.Move(pos, pos + n, old - pos);
  CopyOrZero(data_.Ptr(pos, n), src, n);
  LayoutChanged();
}

void TCustomQDHexEditor::DeleteBytes(std::int64_t from, std::int64_t to) {
  const std::int64_t old = data_.Size();
  if (from < 0 || to < from || to > old) throw EQDHexEditor(msg::kDataBounds);
  data_.Move(to, from, old - to);
  data_.SetSize(old - (to - from));
  PlaceCaretAfterDelete();
  LayoutChanged();
  ClearSelection();
}

void TCustomQDHexEditor::InsertNibble(std::int64_t pos, bool high) {
  const std::int64_t old = data_.Size();
  if (pos < 0 || pos >= old) throw EQDHexEditor(msg::kDataBounds);
  data_.SetSize(std::int64_t{old} + 1);
  InsertNibbleInPlace(data_.Ptr(0, old + 1), old, pos, high);
  LayoutChanged();
}

void TCustomQDHexEditor::DeleteNibble(std::int64_t pos, bool high) {
  const std::int64_t size = data_.Size();
  if (pos < 0 || pos >= size) throw EQDHexEditor(msg::kDataBounds);
  DeleteNibbleInPlace(data_.Ptr(0, size), size, pos, high);
}

// --- loading and saving ------------------------------------------------------------

void TCustomQDHexEditor::EmptyBufferAndUndo() {
  data_.Clear();
  undo_.EmptyRecords();
  marks_.Clear();
  LayoutChanged();
}

void TCustomQDHexEditor::ResetCaretAndView() {
  topRow_ = 2;
  leftCol_ = 2;
  SetCaretCell(Cell{2, 2});
  LayoutChanged();
  Host().Invalidate();
  FireChange();
}

void TCustomQDHexEditor::ResetAfterLoad() {
  if (undo_.UpdateCount() == 0) undo_.Clear();
  marks_.Clear();
  modified_ = false;
  ClearSelection();
  ResetCaretAndView();
}

void TCustomQDHexEditor::CopyWithProgress(TQDHProgressKind kind, const std::string& name, std::int64_t total,
                                          const std::function<void(std::int64_t, std::int64_t)>& copyBlock) {
  std::int64_t remaining = total;
  std::int64_t done = 0;
  int last = 255;
  while (remaining > 0) {
    const int percent = static_cast<int>((done * 200 + total) / (2 * total));
    if (percent != last || remaining <= kCopyBlockSize) {
      last = remaining <= kCopyBlockSize ? 100 : percent;
      if (OnProgress) {
        bool cancel = false;
        OnProgress(kind, name, last, cancel);
        if (cancel) throw EQDHexEditor(msg::kCancelled);
      }
    }
    const auto n = static_cast<std::int64_t>(std::min<std::int64_t>(remaining, kCopyBlockSize));
    copyBlock(done, n);
    done += n;
    remaining -= n;
  }
}

void TCustomQDHexEditor::NewFile(const fs::path& name) {
  data_.Clear();
  fileName_ = name.empty() ? fs::path(msg::kUntitled) : name;
  undo_.Clear();
  ClearSelection();
  marks_.Clear();
  modified_ = false;
  readOnlyFile_ = true;
  ResetCaretAndView();
}

void TCustomQDHexEditor::LoadFile(const fs::path& name) {
  const std::string nameText = PathText(name);
  errno = 0;
  std::error_code ec;
  // A folder opens as a stream on some systems but has no size: refused as unopenable.
  if (fs::is_directory(name, ec)) throw FileError(FormatText(msg::kCannotOpen, {nameText, ErrorText(EISDIR)}));
  {
    std::ifstream probe(name, std::ios::binary);
    if (!probe.is_open()) throw FileError(FormatText(msg::kCannotOpen, {nameText, ErrorText(errno)}));
  }
  bool writable = false;
  {
    std::fstream probe(name, std::ios::binary | std::ios::in | std::ios::out);
    writable = probe.is_open();
  }
  const std::uintmax_t size = fs::file_size(name, ec);
  if (ec) throw FileError(FormatText(msg::kCannotOpen, {nameText, ec.message()}));
  if (size > static_cast<std::uintmax_t>(kMaxDataSize)) {
    // Positions are 32-bit: such a file cannot be held, and is refused before
    // anything of the current data is dropped.
    ShowMessage(msg::kOutOfMemoryLoad);
    throw OutOfMemoryError(msg::kOutOfMemory);
  }

  errno = 0;
  std::ifstream in(name, std::ios::binary);
  if (!in.is_open()) throw FileError(FormatText(msg::kCannotOpen, {nameText, ErrorText(errno)}));

  EmptyBufferAndUndo();
  BusyCursor busy(*this);
  try {
    data_.SetSize(static_cast<std::int64_t>(size));
  } catch (const OutOfMemoryError&) {
    EmptyBufferAndUndo();
    ShowMessage(msg::kOutOfMemoryLoad);
    throw;
  }
  try {
    CopyWithProgress(pkLoad, nameText, static_cast<std::int64_t>(size), [&](std::int64_t at, std::int64_t n) {
      // Read straight into the buffer: no second copy of the file.
      in.read(reinterpret_cast<char*>(data_.Ptr(at, n)), n);
      if (in.gcount() != n) throw FileError(FormatText(msg::kReadError, {nameText, ErrorText(errno)}));
    });
  } catch (...) {
    EmptyBufferAndUndo();
    throw;
  }
  fileName_ = name;
  readOnlyFile_ = !writable;
  ResetAfterLoad();
}

void TCustomQDHexEditor::LoadData(std::istream& in) {
  std::int64_t size = -1;
  in.seekg(0, std::ios::end);
  if (in) {
    size = static_cast<std::int64_t>(in.tellg());
    in.seekg(0, std::ios::beg);
  }
  if (!in || size < 0) {
    in.clear();
    in.seekg(0, std::ios::beg);
    in.clear();
    size = -1;
  }
  if (size > kMaxDataSize) throw OutOfMemoryError(msg::kOutOfMemory);
  EmptyBufferAndUndo();
  try {
    if (size >= 0) {
      data_.SetSize(size);
      if (size > 0) in.read(reinterpret_cast<char*>(data_.Ptr(0, size)), size);
      if (in.gcount() != size) throw FileError(FormatText(msg::kReadError, {"stream", ErrorText(errno)}));
    } else {
      // A stream that cannot seek is read block by block.
      std::vector<char> block(kCopyBlockSize);
      while (in.read(block.data(), kCopyBlockSize) || in.gcount() > 0) {
        const auto n = static_cast<std::int64_t>(in.gcount());
        const std::int64_t at = data_.Size();
        data_.SetSize(std::int64_t{at} + n);
        data_.Write(block.data(), at, n);
      }
    }
  } catch (...) {
    EmptyBufferAndUndo();
    throw;
  }
  ResetAfterLoad();
}

void TCustomQDHexEditor::CheckOverwrite() {
  if (!readOnlyFile_) return;
  const std::string name = PathText(fileName_);
  ShowMessage(name + msg::kReadOnlyFile);
  throw FileError(FormatText(msg::kCannotSaveReadOnly, {name}));
}

void TCustomQDHexEditor::SaveFile(const fs::path& name, bool markSaved) {
  if (name.native() == fileName_.native()) CheckOverwrite();
  const std::string nameText = PathText(name);
  // The data goes to a temporary file beside the target, which replaces the
  // target only when complete: a save that fails half way keeps the old file.
  std::optional<platform::StagedOutput> out;
  errno = 0;
  std::error_code ec;
  if (fs::exists(name, ec) && !std::fstream(name, std::ios::binary | std::ios::in | std::ios::out).is_open())
    throw FileError(FormatText(msg::kCannotCreate, {nameText, ErrorText(errno)}));
  try {
    const fs::path folder = name.parent_path();
    out.emplace(folder.empty() ? fs::path(".") : folder);
  } catch (const platform::IoError&) {
    throw FileError(FormatText(msg::kCannotCreate, {nameText, ErrorText(errno)}));
  }
  {
    BusyCursor busy(*this);
    try {
      CopyWithProgress(pkSave, nameText, data_.Size(), [&](std::int64_t at, std::int64_t n) {
        out->Write(data_.Ptr(at, n), static_cast<std::size_t>(n));
      });
      out->CommitReplacing(name);
    } catch (const platform::IoError&) {
      throw FileError(FormatText(msg::kWriteError, {nameText, ErrorText(errno)}));
    }
  }
  if (markSaved) {
    marks_.Clear();
    modified_ = false;
    readOnlyFile_ = false;
    fileName_ = name;
    data_.SetPosition(0);
    undo_.Clear();
    Host().Invalidate();
  }
}

void TCustomQDHexEditor::SaveData(std::ostream& out) const {
  if (data_.Size() > 0) out.write(reinterpret_cast<const char*>(data_.Ptr(0, data_.Size())), data_.Size());
  if (!out) throw FileError(FormatText(msg::kWriteError, {"stream", ErrorText(errno)}));
}

// --- bookmarks ---------------------------------------------------------------------

Bookmark TCustomQDHexEditor::GetBookmark(int index) const {
  if (index < 0 || index >= kBookmarkCount) throw EQDHexEditor(msg::kInvalidBookmarkIndex);
  return bookmarks_[static_cast<std::size_t>(index)];
}

void TCustomQDHexEditor::SetBookmark(int index, std::int64_t pos, bool inCharField) {
  if (index < 0 || index >= kBookmarkCount) throw EQDHexEditor(msg::kInvalidBookmarkIndex);
  Bookmark& b = bookmarks_[static_cast<std::size_t>(index)];
  if (b.pos == pos && b.inCharField == inCharField) {
    b = Bookmark{};
  } else {
    b = Bookmark{pos < 0 ? -1 : pos, pos < 0 ? false : inCharField};
  }
  Host().Invalidate();
  if (OnBookmarkChanged) OnBookmarkChanged();
}

void TCustomQDHexEditor::GotoBookmark(int index) {
  if (index < 0 || index >= kBookmarkCount) throw EQDHexEditor(msg::kInvalidBookmarkIndex);
  Bookmark& b = bookmarks_[static_cast<std::size_t>(index)];
  if (b.pos < 0) return;
  ClearSelection();
  if (b.pos > DataSize() || (b.pos == DataSize() && !InsertMode())) {
    b = Bookmark{};
    Host().Invalidate();
    if (OnBookmarkChanged) OnBookmarkChanged();
    return;
  }
  SetCaretPosition(b.pos, b.inCharField);
}

void TCustomQDHexEditor::AdjustBookmarks(std::int64_t from, std::int64_t delta) {
  AdjustBookmarksWithin(from, delta, DataSize());
}

void TCustomQDHexEditor::AdjustBookmarksWithin(std::int64_t from, std::int64_t delta, std::int64_t limit) {
  bool moved = false;
  for (Bookmark& b : bookmarks_) {
    if (b.pos < 0 || b.pos < from) continue;
    const std::int64_t now = std::int64_t{b.pos} + delta;
    b.pos = now < 0 || now > limit ? -1 : static_cast<std::int64_t>(now);
    if (b.pos < 0) b.inCharField = false;
    moved = true;
  }
  if (moved && OnBookmarkChanged) OnBookmarkChanged();
}

}  // namespace hexed

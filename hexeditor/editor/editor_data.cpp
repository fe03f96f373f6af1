// The data buffer, loading and saving, and bookmarks.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <istream>
#include <ostream>
#include <utility>

#include "hexeditor/editor/custom_hex_editor.h"
#include "hexeditor/errors.h"
#include "hexeditor/messages.h"
#include "hexeditor/path_text.h"
#include "hexeditor/model/piece_save.h"
#include "platform/file.h"

namespace hexed {

namespace fs = std::filesystem;

namespace {

std::string ErrorText(int err) {
  if (err == 0) return "Unknown error";
  return std::strerror(err);
}

// Bytes per block when a stream is read or written.
constexpr std::int64_t kStreamBlock = std::int64_t{1} << 20;

}  // namespace

TCustomQDHexEditor::TCustomQDHexEditor() : fileName_(msg::kUntitled) {
  offsetFormat_ = ParseOffsetFormat(kDefaultOffsetFormat, bytesPerRow_, bytesPerColumn_, RulerUnit());
  AdjustMetrics();
  UpdateRuler();
}

TCustomQDHexEditor::~TCustomQDHexEditor() = default;

// --- primitives ----------------------------------------------------------------

std::uint8_t TCustomQDHexEditor::GetByte(std::int64_t pos) const { return data_.At(pos); }

void TCustomQDHexEditor::SetByte(std::int64_t pos, std::uint8_t b) {
  data_.Write(&b, pos, 1);
  FireChange();
}

void TCustomQDHexEditor::ReadBytes(void* dest, std::int64_t pos, std::int64_t n) const { data_.Read(dest, pos, n); }

std::vector<std::uint8_t> TCustomQDHexEditor::BytesAt(std::int64_t pos, std::int64_t n) const {
  data_.CheckRange(pos, n);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(n));
  data_.Read(bytes.data(), pos, n);
  return bytes;
}

void TCustomQDHexEditor::WriteBytes(const void* src, std::int64_t pos, std::int64_t n) {
  data_.Write(src, pos, n);
  FireChange();
}

void TCustomQDHexEditor::MoveBytes(std::int64_t from, std::int64_t to, std::int64_t n) { data_.Move(from, to, n); }

void TCustomQDHexEditor::AppendBytes(const void* src, std::int64_t n) {
  if (n < 0) throw EQDHexEditor(msg::kDataBounds);
  const std::int64_t old = data_.Size();
  data_.Insert(src, old, n);
  if (old == 0) marks_.Clear();
  LayoutChanged();
}

void TCustomQDHexEditor::InsertBytes(const void* src, std::int64_t n, std::int64_t pos) {
  if (n < 0 || pos < 0 || pos > data_.Size()) throw EQDHexEditor(msg::kDataBounds);
  data_.Insert(src, pos, n);
  LayoutChanged();
}

void TCustomQDHexEditor::DeleteBytes(std::int64_t from, std::int64_t to) {
  if (from < 0 || to < from || to > data_.Size()) throw EQDHexEditor(msg::kDataBounds);
  data_.Erase(from, to - from);
  PlaceCaretAfterDelete();
  LayoutChanged();
  ClearSelection();
}

// The nibble shifts change every byte after pos; the data shifts a long
// tail where it is read instead of copying it.
void TCustomQDHexEditor::InsertNibble(std::int64_t pos, bool high) {
  const std::int64_t old = data_.Size();
  if (pos < 0 || pos >= old) throw EQDHexEditor(msg::kDataBounds);
  data_.Reserve(old + 1);
  data_.Pieces().ShiftNibbles(pos, NibbleShift::kInsert, high);
  LayoutChanged();
}

void TCustomQDHexEditor::DeleteNibble(std::int64_t pos, bool high) {
  if (pos < 0 || pos >= data_.Size()) throw EQDHexEditor(msg::kDataBounds);
  data_.Pieces().ShiftNibbles(pos, NibbleShift::kDelete, high);
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

bool TCustomQDHexEditor::ReportProgress(TQDHProgressKind kind, const std::string& name, int percent) {
  if (!OnProgress) return true;
  bool cancel = false;
  OnProgress(kind, name, percent, cancel);
  return !cancel;
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
  // The file is shown where it lies: opening reads only its size, and the
  // bytes are read as they are looked at. The current data stays until the
  // new file is open.
  TQDHMemoryStream opened;
  BusyCursor busy(*this);
  try {
    opened.OpenFile(name);
  } catch (const platform::IoError& e) {
    throw FileError(FormatText(msg::kCannotOpen, {nameText, e.what()}));
  } catch (const std::bad_alloc&) {
    ShowMessage(msg::kOutOfMemoryLoad);
    throw OutOfMemoryError(msg::kOutOfMemory);
  }
  EmptyBufferAndUndo();
  if (opened.Size() > 0 && !ReportProgress(pkLoad, nameText, 100)) throw EQDHexEditor(msg::kCancelled);
  data_.Swap(opened);
  fileName_ = name;
  readOnlyFile_ = !writable;
  ResetAfterLoad();
}

void TCustomQDHexEditor::LoadData(std::istream& in) {
  // The whole stream from its start, when it can seek there.
  in.seekg(0, std::ios::beg);
  in.clear();
  EmptyBufferAndUndo();
  try {
    // Read block by block: a stream's size is not always known.
    std::vector<char> block(static_cast<std::size_t>(kStreamBlock));
    while (in.read(block.data(), kStreamBlock) || in.gcount() > 0) {
      const auto n = static_cast<std::int64_t>(in.gcount());
      data_.Insert(block.data(), data_.Size(), n);
    }
    if (in.bad()) throw FileError(FormatText(msg::kReadError, {"stream", ErrorText(errno)}));
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
  saveBackup_.clear();
  if (name.native() == fileName_.native()) CheckOverwrite();
  const fs::path backup = std::exchange(saveBackup_, fs::path());
  const std::string nameText = PathText(name);
  errno = 0;
  std::error_code ec;
  // A file that cannot be written is refused. The file shown is not probed:
  // Windows lets no one write it while it is open for reading, and the save
  // replaces it rather than writing into it (its read-only state is known).
  const bool shown = !data_.Pieces().FilePath().empty() && fs::equivalent(name, data_.Pieces().FilePath(), ec);
  if (!shown && fs::exists(name, ec) &&
      !std::fstream(name, std::ios::binary | std::ios::in | std::ios::out).is_open())
    throw FileError(FormatText(msg::kCannotCreate, {nameText, ErrorText(errno)}));
  // The data goes to a temporary file beside the target, which replaces the
  // target only when complete: a save that fails or is cancelled half way
  // keeps the old file. The target may be the file shown.
  SaveOptions options;
  options.backup = backup;
  options.chunkSize = kSaveChunkSize;
  int last = -1;
  options.progress = [&](std::int64_t done, std::int64_t total) {
    if (done == total) return true;  // the last chunk already reported 100
    const std::int64_t left = total - done;
    const int percent =
        left <= static_cast<std::int64_t>(options.chunkSize) ? 100 : static_cast<int>(done * 100 / total);
    if (percent == last) return true;
    last = percent;
    return ReportProgress(pkSave, nameText, percent);
  };
  {
    BusyCursor busy(*this);
    try {
      if (markSaved) {
        SaveAndShow(data_.Pieces(), name, options);
      } else {
        SaveToFile(data_.Pieces(), name, options);
      }
    } catch (const platform::IoError& e) {
      throw FileError(FormatText(msg::kWriteError, {nameText, e.what()}));
    }
  }
  if (markSaved) {
    marks_.Clear();
    modified_ = false;
    readOnlyFile_ = false;
    fileName_ = name;
    undo_.Clear();
    Host().Invalidate();
  }
}

void TCustomQDHexEditor::SaveData(std::ostream& out) const {
  std::vector<char> block(static_cast<std::size_t>(std::min(kStreamBlock, data_.Size())));
  for (std::int64_t at = 0; at < data_.Size() && out;) {
    const std::int64_t n = std::min(kStreamBlock, data_.Size() - at);
    data_.Read(block.data(), at, n);
    out.write(block.data(), n);
    at += n;
  }
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

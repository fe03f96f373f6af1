#include "hexeditor/model/piece_save.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "hexeditor/errors.h"
#include "hexeditor/messages.h"
#include "hexeditor/model/file_window.h"
#include "hexeditor/path_text.h"
#include "platform/file.h"
#include "platform/random.h"
#include "platform/staged_output.h"

namespace hexed {

namespace {

// One chunk of the data: runs of a file copied inside the system where it
// can (several times faster than through this process), everything else
// gathered in the buffer and written at once.
void WriteChunk(const PieceData& data, std::int64_t pos, std::int64_t size, platform::StagedOutput& out,
                std::vector<std::uint8_t>& buffer) {
  std::size_t pending = 0;
  const auto flush = [&] {
    if (pending > 0) out.Write(buffer.data(), pending);
    pending = 0;
  };
  const PieceList pieces = data.Copy(pos, size);
  for (const Piece& piece : pieces.Pieces()) {
    std::int64_t copied = 0;
    if (const auto* file = dynamic_cast<const FileWindow*>(piece.source)) {
      flush();
      copied = static_cast<std::int64_t>(out.CopyFrom(file->File(), static_cast<std::uint64_t>(piece.offset),
                                                      static_cast<std::uint64_t>(piece.length)));
    }
    const auto rest = static_cast<std::size_t>(piece.length - copied);
    if (rest == 0) continue;
    piece.source->Read(piece.offset + copied, buffer.data() + pending, rest);
    pending += rest;
  }
  flush();
}

void WriteChunks(const PieceData& data, platform::StagedOutput& out, const SaveOptions& options) {
  const std::int64_t total = data.Size();
  const std::size_t chunk = std::max(options.chunkSize, kMinSaveChunk);
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::int64_t>(total, static_cast<std::int64_t>(chunk))));
  for (std::int64_t done = 0;;) {
    if (options.progress && !options.progress(done, total)) throw EQDHexEditor(msg::kCancelled);
    if (done == total) break;
    const auto n = std::min<std::int64_t>(total - done, static_cast<std::int64_t>(chunk));
    WriteChunk(data, done, n, out, buffer);
    done += n;
  }
}

// A name beside `target` for the old file while the new one moves in. Not
// the temporary-part pattern: if the program dies between the two renames,
// the start-up clean-up must not take the user's only copy.
std::filesystem::path AsideName(const std::filesystem::path& target) {
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".~%08x.old", static_cast<unsigned>(platform::RandomU64()));
  return target.parent_path() / (target.filename().native() + std::filesystem::path(suffix).native());
}

// The system's reason at the end of a platform error ("... <path>: reason").
std::string ReasonOf(const platform::IoError& e) {
  const std::string text = e.what();
  const std::size_t colon = text.rfind(": ");
  return colon == std::string::npos ? text : text.substr(colon + 2);
}

[[noreturn]] void ThrowBackupError(const std::filesystem::path& backup, const std::string& why) {
  throw EQDHexEditor(FormatText(msg::kCannotCreateBackup, {PathText(backup), why}));
}

// Moves the existing target out of the way and returns where it went. The
// file shown may be the target: the viewer's handle allows renaming, so it
// goes on reading the old bytes under the new name.
std::filesystem::path MoveTargetAside(const std::filesystem::path& target, const std::filesystem::path& backup) {
  if (!backup.empty()) {
    bool moved = false;
    try {
      moved = platform::RenameNoReplace(target, backup);
    } catch (const platform::IoError& e) {
      ThrowBackupError(backup, ReasonOf(e));
    }
    if (!moved) ThrowBackupError(backup, "the file exists");
    return backup;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path aside = AsideName(target);
    if (platform::RenameNoReplace(target, aside)) return aside;
  }
  throw platform::IoError("cannot move " + PathText(target) + " aside");
}

// After a failed move-in the old file gets its name back; the first error is
// the one reported.
void PutBack(const std::filesystem::path& aside, const std::filesystem::path& target) noexcept {
  if (aside.empty()) return;
  try {
    platform::RenameNoReplace(aside, target);
  } catch (const platform::IoError&) {
  }
}

// Puts the complete temporary file in the target's place. Windows cannot
// replace a file that is open, even for reading, so there the old file first
// moves aside (or to the backup) and the new one takes the free name.
// Elsewhere, without a backup, one rename replaces the target: there is no
// moment without a file under its name.
void PutInPlace(platform::StagedOutput& staged, const std::filesystem::path& target, const SaveOptions& options) {
  staged.Close();  // a failed flush stops here, before the target is touched
#ifndef _WIN32
  if (options.backup.empty()) {
    staged.CommitReplacing(target);
    return;
  }
#endif
  std::error_code ec;
  const bool exists = std::filesystem::exists(std::filesystem::symlink_status(target, ec));
  const std::filesystem::path aside = exists ? MoveTargetAside(target, options.backup) : std::filesystem::path();
  try {
    staged.Commit([&](unsigned n) -> std::filesystem::path {
      if (n > 0) throw platform::IoError("cannot save " + PathText(target) + ": the name was taken meanwhile");
      return target;
    });
  } catch (...) {
    PutBack(aside, target);
    throw;
  }
  // Without a backup the old file goes; a handle still reading it keeps its
  // bytes until it closes (on Windows the delete waits for that).
  if (!aside.empty() && options.backup.empty()) platform::DeleteIfExists(aside);
}

}  // namespace

void SaveToFile(const PieceData& data, const std::filesystem::path& target, const SaveOptions& options) {
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  platform::StagedOutput staged(folder);  // discarded on every failure below
  WriteChunks(data, staged, options);
  PutInPlace(staged, target, options);
}

void SaveAndShow(PieceData& data, const std::filesystem::path& target, const SaveOptions& options) {
  SaveToFile(data, target, options);
  data.OpenFile(target);
}

}  // namespace hexed

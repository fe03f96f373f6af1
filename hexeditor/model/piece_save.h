// Saving the piece data: the bytes go in large chunks to a temporary file
// beside the target, which takes the target's place only when complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>

#include "hexeditor/model/piece_data.h"

namespace hexed {

struct SaveOptions {
  // Where the existing target goes, kept as a backup; empty for none.
  std::filesystem::path backup;
  // Called before each chunk and at the end with the bytes written and the
  // total; false cancels.
  std::function<bool(std::int64_t done, std::int64_t total)> progress;
  // Bytes per write; at least kMinSaveChunk is used.
  std::size_t chunkSize = std::size_t{4} << 20;
};

inline constexpr std::size_t kMinSaveChunk = std::size_t{1} << 20;

// Writes `data` to `target`, which may be the file `data` shows. Throws
// EQDHexEditor "Operation cancelled" when the progress callback cancels,
// EQDHexEditor "Cannot create backup" when the backup cannot be made, and
// platform::IoError for read or write failures; then `target` is as it was
// and no temporary file is left.
void SaveToFile(const PieceData& data, const std::filesystem::path& target, const SaveOptions& options);

// SaveToFile, then `data` shows the saved file as one piece.
void SaveAndShow(PieceData& data, const std::filesystem::path& target, const SaveOptions& options);

}  // namespace hexed

// The MD5 log lines of one file and the saved log list.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "utils/md5_hash.h"

namespace utils {

struct VerifyResult {
  std::vector<std::string> lines;  // the log list's new lines
  std::string hex;                 // the digest, empty when none
};

// VerifyFileMD5's lines for one file in read mode `mode` (normalised: below 1
// auto, above 1 the file stream); a missing file gets a line saying so. Open
// errors of the MD5 unit throw IoError.
VerifyResult VerifyFileMD5(const std::filesystem::path& file, int mode, const MD5ProgressEvent& progress);

// The line of a dropped folder.
std::string FolderLine(const std::string& path);

// The saved list's bytes: GBK, every line ended by CR LF, no byte-order mark.
// Empty when an item has no GBK form.
std::optional<std::string> SavedListBytes(const std::vector<std::string>& items);

// The chosen name with its extension replaced by ".txt".
std::filesystem::path SavedListPath(std::filesystem::path chosen);

// Writes the list under the chosen name (a temporary beside it first); false
// on any error.
bool SaveList(const std::filesystem::path& chosen, const std::vector<std::string>& items);

}  // namespace utils

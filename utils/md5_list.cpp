#include "utils/md5_list.h"

#include <system_error>

#include "platform/file.h"
#include "platform/paths.h"
#include "platform/staged_output.h"
#include "platform/text.h"

namespace utils {

namespace {

// The size of a file opened as the digest will open it: one that another
// program holds locked, or that cannot be read at all, counts as empty.
std::uint64_t SizeAsOpened(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return 0;
  try {
    return platform::InputFile(file).Size();
  } catch (const platform::IoError&) {
    return 0;
  }
}

}  // namespace

VerifyResult VerifyFileMD5(const std::filesystem::path& file, int mode, const MD5ProgressEvent& progress) {
  VerifyResult r;
  const std::string path = platform::PathToUtf8(file);
  std::error_code ec;
  // A missing file is said to be missing: "取消效验" would read as a cancel.
  if (!std::filesystem::exists(file, ec) && !ec) {
    r.lines.push_back("  \"" + path + "\" 不存在，不能MD5效验。");
    return r;
  }
  const std::uint64_t size = SizeAsOpened(file);
  if (size == 0) {
    r.lines.push_back("  取消效验：" + path + "  -> 文件大小：0 字节。");
    return r;
  }
  mode = mode < 1 ? kMD5Auto : (mode > 1 ? kMD5Stream : kMD5Mapped);
  if (mode == kMD5Mapped && size > 2147483648u) {
    r.lines.push_back("取消效验：" + path + "  -> 文件大小: " + std::to_string(size) +
                      "字节大于2GB，不能使用内存流(请使用文件流)进行MD5效验。");
    return r;
  }
  r.hex = MD5HashFileHex(file, mode, progress);
  if (r.hex.empty()) {
    r.lines.push_back("  取消效验：" + path);
  } else {
    r.lines.push_back("  " + path + " -> MD5:");
    r.lines.push_back(r.hex);
  }
  return r;
}

std::string FolderLine(const std::string& path) { return "  \"" + path + "\" 是(目录)文件夹，不能MD5效验。"; }

std::optional<std::string> SavedListBytes(const std::vector<std::string>& items) {
  std::string bytes;
  for (const std::string& item : items) {
    const std::optional<std::string> gbk = platform::Utf8ToGbk(item);
    if (!gbk) return std::nullopt;
    bytes += *gbk + "\r\n";
  }
  return bytes;
}

std::filesystem::path SavedListPath(std::filesystem::path chosen) { return chosen.replace_extension(".txt"); }

bool SaveList(const std::filesystem::path& chosen, const std::vector<std::string>& items) {
  const std::optional<std::string> bytes = SavedListBytes(items);
  if (!bytes) return false;
  const std::filesystem::path target = SavedListPath(chosen);
  const std::filesystem::path folder = target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path();
  // A fresh temporary name of its own (never an existing file's), which
  // replaces the target only when complete; a failed replace is a failure.
  try {
    platform::StagedOutput out(folder);
    out.Write(bytes->data(), bytes->size());
    out.CommitReplacing(target);
    return true;
  } catch (const platform::IoError&) {
    return false;
  }
}

}  // namespace utils

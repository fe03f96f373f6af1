#include "engine/jobs/result_place.h"

#include "engine/jobs/job_window.h"

namespace engine {

namespace {

std::filesystem::path FolderOf(const std::filesystem::path& file) {
  const std::filesystem::path folder = file.parent_path();
  return folder.empty() ? std::filesystem::path(".") : folder;
}

}  // namespace

bool BesideSource(const std::filesystem::path& source, const std::filesystem::path& result) {
  const std::filesystem::path a = FolderOf(source), b = FolderOf(result);
  // The same folder may be spelt two ways (case, "..", a trailing separator).
  std::error_code ec;
  const bool same = std::filesystem::equivalent(a, b, ec);
  return ec ? a.lexically_normal() == b.lexically_normal() : same;
}

void LogResultPlace(JobHost& host, const std::filesystem::path& source, const std::filesystem::path& result) {
  if (host.NamesResultsAwayFromSource() && !BesideSource(source, result)) host.LogLine("  结果文件已保存到:" + DisplayPath(result));
}

}  // namespace engine

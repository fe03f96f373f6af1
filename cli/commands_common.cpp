#include "cli/commands.h"

#include "cli/terminal.h"
#include "platform/paths.h"

namespace cli {

void LogLine(std::string_view text, std::string_view file) {
  std::string line(text);
  line += file;
  line += '\n';
  WriteOut(line);
}

std::string DisplayPath(const std::filesystem::path& file) {
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(file, ec);
  return platform::PathToUtf8(ec ? file : full.lexically_normal());
}

std::filesystem::path OutputFolder(const Job& job, const std::filesystem::path& source) {
  if (job.outputDir) return *job.outputDir;
  const std::filesystem::path parent = source.parent_path();
  return parent.empty() ? std::filesystem::path(".") : parent;
}

}  // namespace cli

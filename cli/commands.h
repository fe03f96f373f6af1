// The jmz tool's commands, one file at a time. Each returns true when the
// file succeeded; refusals and failures are reported as log lines.
#pragma once

#include <filesystem>
#include <string>

#include "cli/options.h"

namespace cli {

struct Job {
  std::string key;  // GBK bytes
  int formatVersion = 0;
  std::optional<std::filesystem::path> outputDir;
  Answer answer = Answer::kAsk;
};

bool EncryptFile(const std::string& file, const Job& job);
bool DecryptFile(const std::string& file, const Job& job);
bool InfoFile(const std::string& file);

// Log line: the product's text followed by the file.
void LogLine(std::string_view text, std::string_view file);

// The full path of a file as the log shows it.
std::string DisplayPath(const std::filesystem::path& file);

// The folder a job writes into: the chosen one, or the source's own.
std::filesystem::path OutputFolder(const Job& job, const std::filesystem::path& source);

}  // namespace cli

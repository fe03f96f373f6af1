// Command line of the jmz tool.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cli {

enum class Command { kEncrypt, kDecrypt, kInfo, kHelp };

// How the tool's yes/no questions are answered.
enum class Answer { kAsk, kYes, kNo };

struct Options {
  Command command = Command::kHelp;
  std::vector<std::string> files;  // UTF-8
  std::optional<std::string> keyText;
  std::optional<std::string> keyFile;
  std::optional<std::string> keyEnv;
  std::optional<std::string> outputDir;
  int formatVersion = 0;  // 0: the current version
  Answer answer = Answer::kAsk;
};

struct ParseResult {
  Options options;
  std::string error;  // not empty: a usage error
};

ParseResult ParseOptions(const std::vector<std::string>& args);

extern const char* const kUsage;

}  // namespace cli

// Command line of the jmz tool.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cli {

enum class Command { kEncrypt, kDecrypt, kNoKeyEncrypt, kNoKeyDecrypt, kInfo, kHelp, kSfxCreate, kSfxSeparate,
                     kSfxDecrypt, kUpgrade, kVersion };

// How the tool's yes/no questions are answered.
enum class Answer { kAsk, kYes, kNo };

// Where a key comes from: the command line, a key file or the environment.
struct KeyOption {
  std::optional<std::string> text;
  std::optional<std::string> file;
  std::optional<std::string> env;
  bool Given() const { return text || file || env; }
};

struct Options {
  Command command = Command::kHelp;
  std::vector<std::string> files;  // UTF-8
  KeyOption key;
  KeyOption oldKey;  // the decrypt key of a container that gets another layer
  std::optional<std::string> outputDir;
  int level = 0;          // compression: 0 none, 1 fastest, 2 normal, 3 maximum
  int formatVersion = 0;  // 0: the current version
  unsigned jobs = 1;      // files at once, each its own job
  Answer answer = Answer::kAsk;
  std::optional<std::string> stub;  // sfx-create: the Windows program that leads each package
  bool quiet = false;     // no log lines and no progress; errors still go to standard error
  bool aead = false;      // encrypt: write the authenticated container
  int kdfMemoryMiB = 256; // its Argon2 memory and passes (--kdf-memory, --kdf-passes)
  int kdfPasses = 3;
  bool kdfGiven = false;
};

struct ParseResult {
  Options options;
  std::string error;  // not empty: a usage error
};

ParseResult ParseOptions(const std::vector<std::string>& args);

extern const char* const kUsage;

// "jmz VERSION", the version of the build.
std::string VersionLine();

}  // namespace cli

#include "cli/jmz.h"

#include "cli/commands.h"
#include "cli/key_input.h"
#include "cli/terminal.h"
#include "engine/save_key_writer.h"
#include "platform/paths.h"

namespace cli {

namespace {

constexpr int kUsageError = 2;

int UsageError(const std::string& message) {
  WriteErr("jmz: " + message + "\nTry 'jmz --help'.\n");
  return kUsageError;
}

// Checks what can be checked before a key is asked for.
std::string CheckJobOptions(const Options& o) {
  if (o.formatVersion != 0 && (o.command != Command::kEncrypt || !engine::IsWritableVersion(o.formatVersion)))
    return "--format-version takes 66, 56, 38, 18 or 11 and only for encrypt";
  if (o.outputDir) {
    std::error_code ec;
    if (!std::filesystem::is_directory(platform::Utf8ToPath(*o.outputDir), ec))
      return "the output folder " + *o.outputDir + " does not exist";
  }
  return {};
}

}  // namespace

int RunJmz(const std::vector<std::string>& args) {
  InitTerminal();
  const ParseResult parsed = ParseOptions(args);
  if (!parsed.error.empty()) return UsageError(parsed.error);
  const Options& o = parsed.options;
  if (o.command == Command::kHelp) {
    WriteOut(kUsage);
    return 0;
  }

  bool allSucceeded = true;
  if (o.command == Command::kInfo) {
    for (const std::string& file : o.files) allSucceeded &= InfoFile(file);
    return allSucceeded ? 0 : 1;
  }

  if (std::string problem = CheckJobOptions(o); !problem.empty()) return UsageError(problem);
  const bool encrypting = o.command == Command::kEncrypt;
  const KeyResult key = ResolveKey(o, encrypting);
  if (!key.gbk) return UsageError(key.error);
  if (encrypting && key.gbk->size() > engine::kMaxEncryptKey)
    return UsageError("the key has " + std::to_string(key.gbk->size()) +
                      " bytes; keys for encryption hold at most 2,056 bytes");

  Job job;
  job.key = *key.gbk;
  job.formatVersion = o.formatVersion;
  if (o.outputDir) job.outputDir = platform::Utf8ToPath(*o.outputDir);
  job.answer = o.answer;
  for (const std::string& file : o.files) allSucceeded &= encrypting ? EncryptFile(file, job) : DecryptFile(file, job);
  return allSucceeded ? 0 : 1;
}

}  // namespace cli

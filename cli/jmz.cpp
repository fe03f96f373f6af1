#include "cli/jmz.h"

#include "cli/commands.h"
#include "cli/key_input.h"
#include "cli/sfx_commands.h"
#include "cli/terminal.h"
#include "cli/utils_commands.h"
#include "engine/format/nokey_container.h"
#include "engine/format/save_key_writer.h"
#include "engine/jobs/job_files.h"
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
  if (o.formatVersion != 0) {
    if (o.command == Command::kEncrypt && !engine::IsWritableVersion(o.formatVersion))
      return "--format-version takes 66, 56, 38, 18 or 11";
    if (o.command == Command::kNoKeyEncrypt && !engine::IsWritableNoKeyVersion(o.formatVersion))
      return "--format-version takes 38, 30 or 20 for nokey-encrypt";
    if (o.command != Command::kEncrypt && o.command != Command::kNoKeyEncrypt)
      return "--format-version is for encrypting only";
  }
  if (o.outputDir) {
    std::error_code ec;
    if (!std::filesystem::is_directory(platform::Utf8ToPath(*o.outputDir), ec))
      return "the output folder " + *o.outputDir + " does not exist";
  }
  return {};
}

// The authenticated container takes any key text but an empty one.
int EncryptAead(const Options& o) {
  const KeyResult key = ResolveKey(o.key, "key", true);
  if (!key.utf8) return UsageError(key.error);
  if (key.utf8->empty()) return UsageError("an empty key is refused");
  return RunEncrypt(o, key.gbk.value_or(""), {}, *key.utf8) ? 0 : 1;
}

int Encrypt(const Options& o) {
  if (o.aead) return EncryptAead(o);
  // With a compression level and nobody to ask, no key means: compress only.
  const KeyResult key = ResolveKey(o.key, "key", true, o.level > 0 ? std::optional<std::string>("") : std::nullopt);
  if (!key.gbk) return UsageError(key.error);
  if (key.gbk->size() > engine::kMaxEncryptKey)
    return UsageError("the key has " + std::to_string(key.gbk->size()) +
                      " bytes; keys for encryption hold at most 2,056 bytes");
  std::string oldKey;
  if (o.oldKey.Given()) {
    const KeyResult old = ResolveKey(o.oldKey, "old key", false);
    if (!old.gbk) return UsageError(old.error);
    oldKey = *old.gbk;
  }
  return RunEncrypt(o, *key.gbk, oldKey, key.utf8.value_or("")) ? 0 : 1;
}

// A key that GBK cannot write still opens authenticated containers; the
// historical ones then refuse it file by file.
int Decrypt(const Options& o) {
  // Compressed-only files need no key.
  const KeyResult key = ResolveKey(o.key, "key", false, std::string());
  if (!key.utf8) return UsageError(key.error);
  return RunDecrypt(o, key.gbk.value_or(""), *key.utf8) ? 0 : 1;
}

int SfxDecrypt(const Options& o) {
  const KeyResult key = ResolveKey(o.key, "key", false);
  if (!key.utf8) return UsageError(key.error);
  return RunSfxDecrypt(o, key.gbk.value_or(""), *key.utf8) ? 0 : 1;
}

// The historical container's key is also the new one.
int Upgrade(const Options& o) {
  const KeyResult key = ResolveKey(o.key, "key", false);
  if (!key.gbk) return UsageError(key.error);
  if (key.gbk->empty()) return UsageError("an empty key is refused");
  return RunUpgrade(o, *key.gbk, *key.utf8) ? 0 : 1;
}

int NoKey(const Options& o) {
  const KeyResult key = ResolveKey(o.key, "key", o.command == Command::kNoKeyEncrypt);
  if (!key.gbk) return UsageError(key.error);
  if (key.gbk->empty()) return UsageError("containers without a stored key need a key");
  return RunNoKey(o, *key.gbk) ? 0 : 1;
}

}  // namespace

int RunJmz(const std::vector<std::string>& args) {
  InitTerminal();
  if (!args.empty() && args[0] == "md5") return RunMd5({args.begin() + 1, args.end()});
  if (!args.empty() && args[0] == "shred") return RunShred({args.begin() + 1, args.end()});
  const ParseResult parsed = ParseOptions(args);
  if (!parsed.error.empty()) return UsageError(parsed.error);
  const Options& o = parsed.options;
  if (o.command == Command::kHelp) {
    WriteOut(kUsage);
    return 0;
  }
  if (o.command == Command::kVersion) {
    WriteOut(VersionLine());
    return 0;
  }
  if (o.command == Command::kInfo) {
    bool allRead = true;
    for (const std::string& file : o.files) allRead &= InfoFile(file);
    return allRead ? 0 : 1;
  }
  if (std::string problem = CheckJobOptions(o); !problem.empty()) return UsageError(problem);
  engine::RemoveStaleIntermediates();
  switch (o.command) {
    case Command::kEncrypt: return Encrypt(o);
    case Command::kDecrypt: return Decrypt(o);
    case Command::kSfxCreate: return RunSfxCreate(o) ? 0 : 1;
    case Command::kSfxSeparate: return RunSfxSeparate(o) ? 0 : 1;
    case Command::kSfxDecrypt: return SfxDecrypt(o);
    case Command::kUpgrade: return Upgrade(o);
    default: return NoKey(o);
  }
}

}  // namespace cli

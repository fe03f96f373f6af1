#include "cli/commands.h"

#include "engine/output_names.h"
#include "engine/save_key_writer.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/staged_output.h"

namespace cli {

namespace {

constexpr std::string_view kDone = "加密文件已完成:";
constexpr std::string_view kFailed = "加密文件出错!已停止:";
constexpr std::string_view kMissingBefore = "要加密的文件:“";
constexpr std::string_view kMissingAfter = "”不存在!加密文件已取消:";
constexpr std::string_view kEmpty = "文件(大小0字节)是空的!(不需要)压缩/加密已取消:";
constexpr std::string_view kTooBig = "不能压缩/加密大于4GB的文件!压缩/加密已取消:";
constexpr std::string_view kNoKey = "请选择文件压缩率进行压缩或者输入密钥进行加密。加密文件已取消:";
constexpr std::string_view kExtensionNotGbk = "文件扩展名含有GBK编码不能表示的字符,加密文件已取消:";
constexpr std::string_view kCancelled = "加密文件已取消:";

}  // namespace

bool EncryptFile(const std::string& file, const Job& job) {
  const std::filesystem::path source = platform::Utf8ToPath(file);
  const std::string display = DisplayPath(source);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(source, ec)) {
    LogLine(std::string(kMissingBefore) + display + std::string(kMissingAfter), "");
    return false;
  }
  try {
    platform::InputFile in(source);
    if (in.Size() == 0) return LogLine(kEmpty, display), false;
    if (in.Size() > engine::kMaxPayload) return LogLine(kTooBig, display), false;
    if (job.key.empty()) return LogLine(kNoKey, display), false;

    const engine::NameParts parts = engine::SplitFileName(source);
    engine::SaveKeyOptions options;
    std::optional<std::string> extension = engine::StoredExtension(parts.extension);
    if (!extension) return LogLine(kExtensionNotGbk, display), false;
    options.extension = *extension;
    options.key = job.key;
    options.version = job.formatVersion ? job.formatVersion : engine::kCurrentVersion;

    const std::filesystem::path folder = OutputFolder(job, source);
    platform::StagedOutput out(folder);
    engine::RunFlag running{true};
    engine::BodyMonitor monitor{running, {}};
    if (engine::WriteSaveKeyContainer(in, out, options, platform::RandomByte, monitor) != engine::WriteResult::kDone)
      return LogLine(kCancelled, display), false;
    out.Commit([&](unsigned n) { return engine::ContainerCandidate(folder, parts.name, n); });
    LogLine(kDone, display);
    return true;
  } catch (const platform::IoError&) {
    LogLine(kFailed, display);
    return false;
  }
}

}  // namespace cli

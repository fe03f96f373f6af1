#include "cli/commands.h"

#include <algorithm>

#include "cli/terminal.h"
#include "engine/inflate_sink.h"
#include "engine/output_names.h"
#include "engine/save_key_reader.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/staged_output.h"

namespace cli {

namespace {

constexpr std::string_view kDone = "解密文件已完成:";
constexpr std::string_view kFailed = "解密文件出错!已停止:";
constexpr std::string_view kFailedInUse = "解密文件出错!已停止:可能要解密的文件正在被使用读写等:";
constexpr std::string_view kMissingBefore = "要解密的文件:“";
constexpr std::string_view kMissingAfter = "”不存在!解密文件已取消:";
constexpr std::string_view kEmpty = "文件(大小0字节)是空的!不需要解密/解压缩。解密文件已取消:";
constexpr std::string_view kTooBig = "不能解密大于4GB的文件!解密文件已取消:";
constexpr std::string_view kNotEncrypted = "文件未经此软件加密或者是另外(不保存密钥)加密的，此解密已取消。尝试解压缩:";
constexpr std::string_view kExpandStatus = "进行解压缩文件...";
constexpr std::string_view kExpandDone = " 已完成:";
constexpr std::string_view kExpandFailed = "不能完成！已经取消。可能文件未经此软件压缩过等:";

// The reader's reports go to the log; its question to the terminal or the
// answer chosen on the command line.
class LogEvents final : public engine::ReaderEvents {
 public:
  LogEvents(std::string display, Answer answer) : display_(std::move(display)), answer_(answer) {}
  void Report(std::string text) override { LogLine(text, display_); }
  void Status(std::string_view) override {}
  bool AskTryNewerVersion() override {
    if (answer_ != Answer::kAsk) return answer_ == Answer::kYes;
    if (!InputIsInteractive()) return false;
    std::optional<std::string> reply =
        ReadTerminalLine(std::string(engine::read_text::kAskNewer) + " [y/N] ", false);
    return reply && !reply->empty() && (reply->front() == 'y' || reply->front() == 'Y');
  }

 private:
  std::string display_;
  Answer answer_;
};

bool IsZakExtension(std::string extension) {
  std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
  return extension == ".zak";
}

// Expands a compressed-only file into `base`, or base(n) when that is taken.
bool ExpandPlainFile(platform::InputFile& in, const std::filesystem::path& folder, const engine::NameParts& parts,
                     const std::string& display) {
  platform::StagedOutput out(folder);
  try {
    engine::InflateSink inflate(out);
    std::vector<std::uint8_t> buffer(1 << 20);
    in.Seek(0);
    while (std::size_t n = in.Read(buffer.data(), buffer.size())) inflate.Write(buffer.data(), n);
    inflate.Finish();
  } catch (const engine::NotCompressedError&) {
    LogLine(std::string(kExpandStatus) + std::string(kExpandFailed), display);
    return false;
  }
  out.Commit([&](unsigned n) {
    return folder / platform::Utf8ToPath(n == 0 ? parts.name : parts.name + "(" + std::to_string(n) + ")");
  });
  LogLine(std::string(kExpandStatus) + std::string(kExpandDone), display);
  return true;
}

bool DecryptOpened(platform::InputFile& in, const engine::OpenedContainer& c, const std::filesystem::path& folder,
                   const engine::NameParts& parts, const std::string& display) {
  if (c.fields.payloadSize == 0) return LogLine(kFailed, display), false;
  const engine::ContainerSpan span{0, in.Size()};
  platform::StagedOutput out(folder);
  engine::RunFlag running{true};
  engine::BodyMonitor monitor{running, {}};
  if (c.fields.compression == 0) {
    if (!engine::DecryptSaveKeyBody(in, span, c, out, monitor)) return false;
  } else {
    try {
      engine::InflateSink inflate(out);
      if (!engine::DecryptSaveKeyBody(in, span, c, inflate, monitor)) return false;
      inflate.Finish();
    } catch (const engine::NotCompressedError&) {
      LogLine(std::string(kExpandStatus) + std::string(kExpandFailed), display);
      return false;
    }
  }
  out.Commit([&](unsigned n) { return engine::DecryptedCandidate(folder, parts.name, c.extension, n); });
  LogLine(kDone, display);
  return true;
}

}  // namespace

bool DecryptFile(const std::string& file, const Job& job) {
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
    if (in.Size() > engine::kMaxContainerSize) return LogLine(kTooBig, display), false;

    const engine::NameParts parts = engine::SplitFileName(source);
    const std::filesystem::path folder = OutputFolder(job, source);
    LogEvents events(display, job.answer);
    engine::RunFlag running{true};
    engine::OpenOutcome opened =
        engine::OpenSaveKeyContainer(in, {0, in.Size()}, engine::AsBytes(job.key), events, running);
    switch (opened.result) {
      case engine::OpenResult::kOpened:
        return DecryptOpened(in, *opened.container, folder, parts, display);
      case engine::OpenResult::kNotContainer:
        if (!IsZakExtension(parts.extension)) LogLine(kNotEncrypted, display);
        return ExpandPlainFile(in, folder, parts, display);
      case engine::OpenResult::kRefused:
      case engine::OpenResult::kStopped:
        return false;
    }
    return false;
  } catch (const platform::IoError&) {
    LogLine(kFailedInUse, display);
    return false;
  }
}

}  // namespace cli

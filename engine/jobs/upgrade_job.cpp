#include "engine/jobs/upgrade_job.h"

#include "engine/aead/writer.h"
#include "engine/compression/inflate_sink.h"
#include "engine/format/save_key_reader.h"
#include "engine/jobs/aead_jobs.h"
#include "engine/jobs/job_progress.h"
#include "engine/jobs/job_report.h"
#include "engine/jobs/output_names.h"
#include "platform/file.h"
#include "platform/staged_output.h"

namespace engine {

namespace {

constexpr std::string_view kDone = "升级为认证加密(Argon2id + ChaCha20-Poly1305)格式已完成:";
constexpr std::string_view kAlreadyAead = "文件已经是认证加密格式,不需要升级:";
constexpr std::string_view kNotContainer = "文件不是本软件保存密钥加密的文件,不能升级:";
constexpr std::string_view kDamagedStream = "加密的文件(被破坏)解密后的压缩数据有误,不能升级:";
constexpr std::string_view kFailed = "升级文件出错!已停止:";

// Counts what it is given, for the first pass over a compressed body.
class CountingSink final : public platform::ByteSink {
 public:
  void Write(const void*, std::size_t size) override { count += size; }
  std::uint64_t count = 0;
};

class UpgradeJob final : public ReaderEvents {
 public:
  UpgradeJob(JobWindow& window, const UpgradeJobInput& input)
      : w_(window), in_(input), display_(DisplayPath(input.source)), progress_(window.host), report_(window.host) {}

  void Report(std::string text) override { report_.Log(text + display_); }
  bool AskTryNewerVersion() override {
    return w_.host.AskYesNo(std::string(read_text::kAskNewerCaption), std::string(read_text::kAskNewer));
  }
  void Status(std::string_view text) override { report_.Status(std::string(text)); }

  void Run() {
    w_.state.encryptActive = true;
    w_.host.SetJobControls(JobControl::kButton1, false);
    try {
      Upgrade();
    } catch (const NotCompressedError&) {
      report_.Log(std::string(kDamagedStream) + display_);
    } catch (const std::exception& e) {
      w_.host.ReportCause(e.what());
      w_.host.Beep();
      report_.Log(std::string(kFailed) + display_);
    }
    w_.state.encryptActive = false;
    w_.host.SetJobControls(JobControl::kButton1, true);
  }

 private:
  void Upgrade() {
    platform::InputFile file(in_.source);
    const ContainerSpan span{0, file.Size()};
    if (IsAeadContainer(file, span)) return report_.Log(std::string(kAlreadyAead) + display_);
    const OpenOutcome opened = OpenSaveKeyContainer(file, span, AsBytes(in_.decryptKey), *this, w_.state.encryptActive);
    if (opened.result == OpenResult::kNotContainer) return report_.Log(std::string(kNotContainer) + display_);
    if (opened.result != OpenResult::kOpened) return;
    const OpenedContainer& c = *opened.container;
    const bool compressed = c.fields.compression > 0;

    report_.Status("进行升级文件...");
    std::uint64_t contentSize = c.fields.payloadSize;
    if (compressed) {
      // The expanded size goes first in the new container: one pass to count it.
      CountingSink counter;
      InflateSink inflate(counter);
      if (!Body(file, span, c, inflate)) return;
      inflate.Finish();
      contentSize = counter.count;
    }

    const std::shared_ptr<aead::KdfBatch> batch = in_.aead.BatchOrOwn();
    const aead::WriteOptions options = NewWriteOptions(*batch, in_.aead.params, c.fields.compression, c.extension);
    AeadJobContext job{w_, report_, progress_, w_.state.encryptActive, display_};
    const aead::Secret master = WritingMaster(job, *batch, in_.keyText, options);
    if (master.empty()) return;

    const std::filesystem::path folder = in_.outputFolder;
    const std::string name = SplitFileName(in_.source).name;
    platform::StagedOutput out(folder);
    aead::ContainerWriter writer(out, options, master, contentSize);
    if (compressed) {
      InflateSink inflate(writer);
      if (!Body(file, span, c, inflate)) return;
      inflate.Finish();
    } else if (!Body(file, span, c, writer)) {
      return;
    }
    writer.Finish();
    if (!w_.state.encryptActive) return;
    out.Commit([folder, name](unsigned n) { return ContainerCandidate(folder, name, n); });
    progress_.Complete();
    report_.Log(std::string(kDone) + display_);
  }

  bool Body(platform::InputFile& file, ContainerSpan span, const OpenedContainer& c, platform::ByteSink& sink) {
    progress_.Init(c.fields.payloadSize);
    BodyMonitor monitor{w_.state.encryptActive,
                        [this](std::uint64_t position, std::uint64_t increment) { progress_.Step(position, increment); }};
    return DecryptSaveKeyBody(file, span, c, sink, monitor) && w_.state.encryptActive;
  }

  JobWindow& w_;
  const UpgradeJobInput& in_;
  const std::string display_;
  JobProgress progress_;
  JobReport report_;
};

}  // namespace

void RunUpgradeJob(JobWindow& window, const UpgradeJobInput& input) { UpgradeJob(window, input).Run(); }

}  // namespace engine

#include "engine/jobs/encrypt_job.h"

#include "engine/jobs/aead_jobs.h"
#include "engine/jobs/job_files.h"
#include "engine/jobs/job_progress.h"
#include "engine/jobs/job_report.h"
#include "engine/jobs/job_texts.h"
#include "engine/jobs/output_names.h"
#include "engine/jobs/result_place.h"
#include "engine/jobs/reencryption_check.h"
#include "engine/format/save_key_writer.h"
#include "engine/jobs/zak_names.h"
#include "engine/jobs/zn_zip_end.h"
#include "platform/file.h"
#include "platform/random.h"

namespace engine {

namespace {

constexpr std::string_view kEmpty = "文件(大小0字节)是空的!(不需要)压缩/加密已取消:";
constexpr std::string_view kTooBig = "不能压缩/加密大于4GB的文件!压缩/加密已取消:";
constexpr std::string_view kCancelled = "加密文件已取消:";
constexpr std::string_view kDriverError = "加密文件出错:";
constexpr std::string_view kNothingToDo = "请选择文件压缩率进行压缩或者输入密钥进行加密。加密文件已取消:";
constexpr std::string_view kExtensionNotGbk = "文件扩展名含有GBK编码不能表示的字符,加密文件已取消:";
constexpr std::string_view kDone = "加密文件已完成:";
constexpr std::string_view kCompressionCancelledByUser = "压缩文件已取消:";
constexpr std::string_view kVersionCaption = "加密算法";

using job_text::About;

class EncryptJob {
 public:
  EncryptJob(JobWindow& window, const EncryptJobInput& input)
      : w_(window),
        in_(input),
        display_(DisplayPath(input.file)),
        parts_(SplitFileName(input.file)),
        progress_(window.host),
        report_(window.host) {}

  void Run() {
    w_.state.encryptActive = true;
    w_.state.compressActive = false;
    try {
      Driver();
    } catch (const std::exception& e) {
      w_.host.ReportCause(e.what());
      report_.Log(About(kDriverError, display_));
      w_.host.Beep();
    }
  }

 private:
  // Ends a job whose controls are locked.
  void Unlock() {
    w_.state.encryptActive = false;
    w_.host.SetJobControls(JobControl::kButton1, true);
  }

  void Driver() {
    if (in_.aead.enabled && !in_.encryptKeyText.empty()) return AeadDriver();
    const bool haveKey = !in_.encryptKey.empty();
    {
      platform::InputFile file(in_.file);
      if (CheckJobFileSize(w_.host, file.Size(), About(kEmpty, display_), About(kTooBig, display_))) {
        w_.state.encryptActive = false;
        return;
      }
      if (haveKey && !in_.decryptKeyRefusal.empty() && HasContainerHeader(file)) {
        w_.host.ShowNotice(in_.decryptKeyRefusal);
        w_.state.encryptActive = false;
        return;
      }
      if (haveKey) {
        const ReencryptionCheck check = CheckForReencryption(file, AsBytes(in_.decryptKey), w_.host, display_);
        if (check.stop) Unlock();
        layers_ = check.layers;
      }
    }
    w_.host.Pause(111);
    if (!w_.state.encryptActive) {
      report_.Log(About(kCancelled, display_));
      return;
    }
    if (in_.zipLevel != 0) w_.zip.SourceFile = in_.file;
    // encryptActive is still set here; setting it again could undo a cancel
    // that arrived since the check above.
    w_.host.SetJobControls(JobControl::kButton1, false);
    report_.Status("加密文件 ...");
    w_.host.SetProgressPosition(0);
    w_.host.SetStatusHint("进行加密的文件：" + display_);

    if (in_.zipLevel >= 1 && in_.zipLevel <= 3) return CompressFirst(haveKey);
    if (haveKey) return EncryptionWorker(in_.file, 0);
    Unlock();
    report_.Log(About(kNothingToDo, display_));
  }

  // The authenticated container: any size, an empty file too, compressed in
  // the pipeline rather than through an intermediate file.
  void AeadDriver() {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(in_.file, ec)) {
      w_.state.encryptActive = false;
      return report_.Log(job_text::Missing(true, display_));
    }
    w_.host.Pause(111);
    if (!w_.state.encryptActive) return report_.Log(About(kCancelled, display_));
    w_.host.SetJobControls(JobControl::kButton1, false);
    report_.Status("加密文件 ...");
    w_.host.SetProgressPosition(0);
    w_.host.SetStatusHint("进行加密的文件：" + display_);
    AeadJobContext job{w_, report_, progress_, w_.state.encryptActive, display_};
    EncryptAead(job, {in_.file, in_.encryptKeyText, in_.aead, in_.zipLevel, parts_.extension, in_.outputFolder,
                      parts_.name});
    Unlock();
  }

  void CompressFirst(bool haveKey) {
    const ZakName zak = ZakNameFor(parts_);
    if (haveKey) {
      const std::filesystem::path temp = TempDirectory();
      w_.zip.DestNames = [temp, name = zak.name](unsigned n) { return IntermediateCandidate(temp, name, n); };
    } else {
      w_.state.compressActive = true;
      w_.state.encryptActive = false;
      const std::filesystem::path folder = in_.outputFolder;
      w_.zip.DestNames = [folder, zak](unsigned n) { return ZakCandidate(folder, zak, n); };
      w_.host.SetProgressHint("压缩后的文件：" + DisplayPath(FirstFree(w_.zip.DestNames)));
    }
    w_.zip.DestFile = FirstFree(w_.zip.DestNames);
    w_.zip.DestOwnerOnly = haveKey;
    w_.zip.ZipLevel = static_cast<TCompressionLevel>(in_.zipLevel);
    w_.zip.OnBegin = [this](std::uint64_t total) { progress_.ZnZip1Begin(total); };
    w_.zip.OnProcess = [this](std::uint64_t done) { progress_.ZnZip1Process(done); };
    report_.Status("进行压缩文件...");
    const bool success = w_.zip.RunCompression();
    ZnZip1End(success, haveKey);
  }

  static std::filesystem::path FirstFree(const platform::StagedOutput::NameCandidate& names) {
    for (unsigned n = 0;; ++n) {
      std::filesystem::path p = names(n);
      std::error_code ec;
      if (!std::filesystem::exists(p, ec)) return p;
    }
  }

  void ZnZip1End(bool success, bool intermediate) {
    if (success && w_.state.encryptActive) return EncryptionWorker(w_.zip.DestFile, in_.zipLevel);
    if (success && intermediate) {
      // Cancelled after the compression had finished: the intermediate goes.
      platform::DeleteIfExists(w_.zip.DestFile);
    } else if (success) {
      report_.Log(report_.StatusText() + " 已完成:" + display_);
    } else {
      report_.Log(ZnZipFailureText(w_.zip, report_.StatusText(), display_));
    }
    ZnZipStageEnded(w_);
  }

  int ChooseVersion() {
    if (!in_.offerOldVersions) return kCurrentVersion;
    const char* const questions[] = {"是否使用旧的加密算法进行加密?", "是否使用更旧的加密算法进行加密?",
                                     "是否使用更更旧的加密算法进行加密?", "是否使用更更更旧的加密算法进行加密?"};
    const int versions[] = {66, 56, 38, 18};
    for (int i = 0; i < 4; ++i)
      if (!w_.host.AskYesNo(std::string(kVersionCaption), questions[i])) return versions[i];
    return 11;
  }

  void EncryptionWorker(const std::filesystem::path& working, int level) {
    const bool intermediate = level > 0 && working.extension() == ".zak";
    struct Cleanup {
      EncryptJob& job;
      const std::filesystem::path& working;
      bool intermediate;
      ~Cleanup() {
        if (intermediate) platform::DeleteIfExists(working);
        job.Unlock();
      }
    } cleanup{*this, working, intermediate};

    if (in_.encryptKey.empty()) return report_.Log(About(job_text::kEncryptKeyMissing, display_));
    report_.Status("进行加密文件...");
    if (!w_.state.encryptActive) return;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(working, ec))
      return report_.Log(job_text::Missing(true, DisplayPath(working)));

    try {
      platform::InputFile file(working);
      if (CheckJobFileSize(w_.host, file.Size(), About(job_text::kEncryptEmpty, display_), About(job_text::kEncryptTooBig, display_))) return;
      SaveKeyOptions options;
      options.key = in_.encryptKey;
      options.compression = static_cast<std::uint8_t>(level);
      options.layers = static_cast<std::uint8_t>(layers_);
      const std::optional<std::string> extension = StoredExtension(parts_.extension);
      if (!extension) return report_.Log(About(kExtensionNotGbk, display_));
      options.extension = *extension;
      options.version = ChooseVersion();
      if (!w_.state.encryptActive) return;

      const std::filesystem::path folder = in_.outputFolder;
      const std::string name = parts_.name;
      const platform::StagedOutput::NameCandidate names = [folder, name](unsigned n) {
        return ContainerCandidate(folder, name, n);
      };
      w_.host.SetProgressHint("加密后的文件：" + DisplayPath(FirstFree(names)));
      platform::StagedOutput out(folder);
      progress_.Init(file.Size());
      BodyMonitor monitor{w_.state.encryptActive,
                          [this](std::uint64_t position, std::uint64_t increment) { progress_.Step(position, increment); }};
      const WriteResult result = WriteSaveKeyContainer(file, out, options, platform::RandomByte, monitor);
      if (result != WriteResult::kDone || !w_.state.encryptActive) return;  // cancelled: the output goes
      const std::filesystem::path written = out.Commit(names);
      progress_.Complete();
      report_.Log(About(kDone, display_));
      LogResultPlace(w_.host, in_.file, written);
    } catch (const std::exception& e) {
      w_.host.ReportCause(e.what());
      w_.state.encryptActive = false;
      w_.host.Beep();
      report_.Log(About(job_text::kEncryptFailed, display_));
    }
  }

  JobWindow& w_;
  const EncryptJobInput& in_;
  const std::string display_;
  const NameParts parts_;
  JobProgress progress_;
  JobReport report_;
  unsigned layers_ = 1;
};

}  // namespace

void RunEncryptJob(JobWindow& window, const EncryptJobInput& input) { EncryptJob(window, input).Run(); }

void CancelEncryptJob(JobWindow& window, const std::string& displayPath) {
  const bool compressing = window.state.compressActive;
  const std::string question =
      std::string("真的要") + (compressing ? "取消压缩" : "取消加密") + "：“" + displayPath + "”吗?";
  if (!window.host.AskYesNo("取消加密", question)) return;
  if (!window.state.encryptActive && !window.state.compressActive) return;
  const bool compressOnly = window.state.compressActive && !window.state.encryptActive;
  window.state.idleFlag = true;
  window.state.encryptActive = false;
  window.state.compressActive = false;
  window.zip.Stop();
  window.host.SetJobControls(JobControl::kButton1, true);
  window.host.LogLine(std::string(compressOnly ? kCompressionCancelledByUser : kCancelled) + displayPath);
}

}  // namespace engine

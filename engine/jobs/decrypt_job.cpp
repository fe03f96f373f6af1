#include "engine/jobs/decrypt_job.h"

#include <algorithm>

#include "engine/jobs/aead_jobs.h"
#include "engine/jobs/job_files.h"
#include "engine/jobs/job_progress.h"
#include "engine/jobs/job_report.h"
#include "engine/jobs/job_texts.h"
#include "engine/jobs/output_names.h"
#include "engine/jobs/result_place.h"
#include "engine/jobs/reencryption_check.h"
#include "engine/format/save_key_reader.h"
#include "engine/jobs/zak_names.h"
#include "engine/jobs/zn_zip_end.h"
#include "platform/file.h"
#include "platform/text.h"

namespace engine {

namespace {

constexpr std::string_view kDriverError = "解密文件出错:";
constexpr std::string_view kInUse = "解密文件出错!已停止:可能要解密的文件正在被使用读写等:";
constexpr std::string_view kSelfInUse = "解密文件出错!已停止:可能自解密的文件正在被使用读写等:";
constexpr std::string_view kSelfDriverError = "自解密文件出错!已停止:";
constexpr std::string_view kFailed = "解密文件出错!已停止:";
constexpr std::string_view kDone = "解密文件已完成:";
constexpr std::string_view kCarried = "自解密里的已加密文件:";
constexpr std::string_view kMarkerMismatch = "加密的文件(被破坏)保存的文件标识不相符。解密文件已取消:";
constexpr std::string_view kNotEncrypted = "文件未经此软件加密或者是另外(不保存密钥)加密的，此解密已取消。尝试解压缩:";
constexpr std::string_view kPlainCancelled = "解压缩文件已取消:";
constexpr std::string_view kCancelled = "解密文件已取消:";
constexpr std::string_view kKeyNotGbk = "解密密钥含有GBK编码不能表示的字符,只能解密认证加密格式的文件,解密文件已取消:";

bool HasZakExtension(const std::filesystem::path& file) {
  std::string ext = platform::PathToUtf8(file.extension());
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".zak";
}

class DecryptJob final : public ReaderEvents {
 public:
  DecryptJob(JobWindow& window, const DecryptJobInput& input)
      : w_(window),
        in_(input),
        display_(DisplayPath(input.source)),
        parts_(SplitFileName(input.source)),
        button_(input.selfDecryption ? JobControl::kButton7 : JobControl::kButton2),
        progress_(window.host),
        report_(window.host) {}

  void Run() {
    try {
      w_.state.decryptActive = true;
      w_.state.plainDecompress = false;
      w_.host.SetJobControls(button_, false);
      w_.host.SetProgressPosition(0);
      w_.host.Pause(111);
    } catch (const std::exception& e) {
      w_.host.ReportCause(e.what());
      report_.Log(in_.selfDecryption ? std::string(kSelfDriverError) + in_.carriedName
                                     : std::string(kDriverError) + display_);
      w_.host.Beep();
      return;
    }
    Entry();
  }

  // The reader's side.
  void Report(std::string text) override { report_.Log(text + Subject()); }
  bool AskTryNewerVersion() override {
    return w_.host.AskYesNo(std::string(read_text::kAskNewerCaption), std::string(read_text::kAskNewer));
  }
  void Status(std::string_view text) override { report_.Status(std::string(text)); }

 private:
  // What a report names: the source, or the file carried in a package.
  std::string Subject() const {
    return in_.selfDecryption ? std::string(kCarried) + in_.carriedName : display_;
  }

  void Unlock() {
    w_.state.decryptActive = false;
    w_.host.SetJobControls(button_, true);
  }

  void Entry() {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(in_.source, ec)) {
      report_.Log(job_text::Missing(false, display_));
      return Unlock();
    }
    try {
      platform::InputFile file(in_.source);
      const std::uint64_t size = in_.containerSize ? in_.containerSize : file.Size();
      if (IsAeadContainer(file, ContainerSpan{in_.containerStart, size}))
        return AeadJob(file, ContainerSpan{in_.containerStart, size});
      if (CheckContainerFileSize(w_.host, size, job_text::About(job_text::kDecryptEmpty, display_),
                                 job_text::About(job_text::kDecryptTooBig, display_)))
        return Unlock();
      Job(file, ContainerSpan{in_.containerStart, size});
    } catch (const std::exception& e) {
      w_.host.ReportCause(e.what());
      w_.state.decryptActive = false;
      w_.host.Beep();
      report_.Log(std::string(in_.selfDecryption ? kSelfInUse : kInUse) + display_);
      w_.host.SetJobControls(button_, true);
    }
  }

  void Job(platform::InputFile& file, ContainerSpan span) {
    // A key GBK cannot write has no historical form: such a container is
    // refused rather than read as if no key had been typed.
    if (in_.decryptKey.empty() && !in_.decryptKeyText.empty() && (in_.selfDecryption || HasContainerHeader(file))) {
      report_.Log(std::string(kKeyNotGbk) + Subject());
      return Unlock();
    }
    OpenOutcome opened = OpenSaveKeyContainer(file, span, AsBytes(in_.decryptKey), *this, w_.state.decryptActive);
    switch (opened.result) {
      case OpenResult::kOpened:
        return Decipher(file, span, *opened.container);
      case OpenResult::kNotContainer:
        return NotAContainer();
      case OpenResult::kRefused:
      case OpenResult::kStopped:
        return Unlock();
    }
  }

  // The authenticated container: no size limit, nothing written before the
  // key is proved, the output only in the output folder.
  void AeadJob(platform::InputFile& file, ContainerSpan span) {
    const std::string what = in_.selfDecryption ? "进行自解密的文件：" + in_.carriedName : "进行解密的文件：" + display_;
    w_.host.SetStatusHint(what);
    report_.Status(what);
    AeadJobContext job{w_, report_, progress_, w_.state.decryptActive, Subject()};
    try {
      DecryptAead(job, file, {span, in_.decryptKeyText, in_.aeadBatch, in_.outputFolder,
                              in_.outputName.empty() ? parts_.name : in_.outputName,
                              in_.selfDecryption ? std::filesystem::path() : in_.source});
    } catch (const std::exception& e) {
      w_.host.ReportCause(e.what());
      report_.Log(std::string(kFailed) + Subject());
    }
    Unlock();
  }

  void Decipher(platform::InputFile& file, ContainerSpan span, const OpenedContainer& c) {
    const std::filesystem::path folder = in_.outputFolder;
    const std::string name = in_.outputName.empty() ? parts_.name : in_.outputName;
    const std::string extension = c.extension;
    const platform::StagedOutput::NameCandidate finalNames = [folder, name, extension](unsigned n) {
      return DecryptedCandidate(folder, name, extension, n);
    };
    w_.host.SetProgressHint("解密后的文件：" + DisplayPath(finalNames(0)));
    const std::string what = in_.selfDecryption ? "进行自解密的文件：" + in_.carriedName : "进行解密的文件：" + display_;
    w_.host.SetStatusHint(what);
    report_.Status(what);

    const bool compressed = c.fields.compression > 0;
    const std::filesystem::path temp = compressed ? TempDirectory() : folder;
    const std::string stem = platform::PathToUtf8(finalNames(0).stem());
    const platform::StagedOutput::NameCandidate targetNames =
        compressed ? platform::StagedOutput::NameCandidate(
                         [temp, stem](unsigned n) { return IntermediateCandidate(temp, stem, n); })
                   : finalNames;

    std::filesystem::path target;
    try {
      platform::StagedOutput out(temp, compressed);
      progress_.Init(c.fields.payloadSize);
      if (!w_.state.decryptActive || c.keyStream.empty() || c.fields.payloadSize == 0) {
        if (w_.state.decryptActive) report_.Log(std::string(kFailed) + Subject());
        return Unlock();
      }
      report_.Status("进行解密文件...");
      BodyMonitor monitor{w_.state.decryptActive,
                          [this](std::uint64_t position, std::uint64_t increment) { progress_.Step(position, increment); }};
      if (!DecryptSaveKeyBody(file, span, c, out, monitor) || !w_.state.decryptActive) return Unlock();
      target = out.Commit(targetNames);
    } catch (const std::exception& e) {
      w_.host.ReportCause(e.what());
      w_.state.decryptActive = false;
      report_.Log(std::string(kFailed) + Subject());
      return w_.host.SetJobControls(button_, true);
    }

    if (!compressed) {
      Unlock();
      progress_.Complete();
      report_.Log(std::string(kDone) + Subject());
      return NameResultPlace(target);
    }
    w_.state.decompressPending = true;
    Expand(target, finalNames);
  }

  void NotAContainer() {
    if (in_.selfDecryption) {
      w_.state.decryptActive = false;
      report_.Log(std::string(kMarkerMismatch) + Subject());
      return w_.host.SetJobControls(button_, true);
    }
    if (!HasZakExtension(in_.source)) report_.Log(std::string(kNotEncrypted) + display_);
    const std::filesystem::path folder = in_.outputFolder;
    const std::string base = parts_.name;
    const platform::StagedOutput::NameCandidate names = [folder, base](unsigned n) {
      return NumberedCandidate(folder, platform::Utf8Prefix(base, kMaxBaseName), "", n);
    };
    w_.state.plainDecompress = true;
    if (!w_.state.decryptActive) return;
    w_.state.decompressPending = false;
    w_.host.SetProgressHint("解压缩后的文件：" + DisplayPath(names(0)));
    w_.host.SetStatusHint("进行解压缩的文件：" + display_);
    Expand(in_.source, names);
  }

  void Expand(const std::filesystem::path& source, const platform::StagedOutput::NameCandidate& names) {
    w_.zip.SourceFile = source;
    w_.zip.DestNames = names;
    w_.zip.DestFile = names(0);
    w_.zip.DestOwnerOnly = false;
    w_.zip.OnBegin = [this](std::uint64_t total) { progress_.ZnZip1Begin(total); };
    w_.zip.OnProcess = [this](std::uint64_t done) { progress_.ZnZip1Process(done); };
    report_.Status("进行解压缩文件...");
    ZnZip1End(w_.zip.RunDecompression());
  }

  void ZnZip1End(bool success) {
    // The lines name the file the user chose, not the job's intermediate.
    if (success)
      report_.Log(report_.StatusText() + " 已完成:" + Subject());
    else
      report_.Log(ZnZipFailureText(w_.zip, report_.StatusText(), Subject()));
    ZnZipStageEnded(w_);
    w_.state.plainDecompress = false;
    if (w_.state.decompressPending && HasZakExtension(w_.zip.SourceFile)) {
      w_.state.decompressPending = false;
      platform::DeleteIfExists(w_.zip.SourceFile);
      if (success) report_.Log(std::string(kDone) + Subject());
      // The container was fine; its result could not be written.
      else if (w_.zip.OutputFailed()) report_.Log(std::string(kFailed) + Subject());
    }
    if (success) NameResultPlace(w_.zip.DestFile);
  }

  // A carried package's result goes where the user chose it.
  void NameResultPlace(const std::filesystem::path& result) {
    if (!in_.selfDecryption) LogResultPlace(w_.host, in_.source, result);
  }

  JobWindow& w_;
  const DecryptJobInput& in_;
  const std::string display_;
  const NameParts parts_;
  const JobControl button_;
  JobProgress progress_;
  JobReport report_;
};

}  // namespace

void RunDecryptJob(JobWindow& window, const DecryptJobInput& input) { DecryptJob(window, input).Run(); }

void CancelDecryptJob(JobWindow& window, const std::string& sourceDisplayPath) {
  const bool plain = window.state.plainDecompress;
  const std::string question =
      std::string("真的要") + (plain ? "取消解压缩" : "取消解密") + "：“" + sourceDisplayPath + "”吗?";
  if (!window.host.AskYesNo("取消解密", question)) return;
  if (!window.state.decryptActive && !window.state.plainDecompress) return;
  const bool plainCancelled = window.state.plainDecompress;
  window.state.idleFlag = true;
  window.state.decryptActive = false;
  window.state.plainDecompress = false;
  window.zip.Stop();
  window.host.SetJobControls(JobControl::kButton2, true);
  window.host.LogLine(std::string(plainCancelled ? kPlainCancelled : kCancelled) + sourceDisplayPath);
}

}  // namespace engine

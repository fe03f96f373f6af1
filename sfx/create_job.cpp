#include "sfx/create_job.h"

#include <optional>

#include "engine/jobs/job_files.h"
#include "engine/jobs/job_progress.h"
#include "engine/jobs/job_report.h"
#include "engine/format/save_key_format.h"
#include "platform/file.h"
#include "platform/staged_output.h"
#include "sfx/acceptance.h"
#include "sfx/block_copy.h"
#include "sfx/image_length.h"
#include "sfx/package_header.h"
#include "sfx/package_names.h"

namespace sfx {

namespace {

constexpr std::string_view kEmpty = "文件(大小0字节)是空的!不需要创建自解密文件!创建自解密文件已取消:";
constexpr std::string_view kTooBig = "文件大小大于4GB，不能创建自解密文件!创建自解密文件已取消:";
constexpr std::string_view kNewer = "文件是由本软件的更高版本的加密算法加密的,不能创建自解密文件:";
constexpr std::string_view kRefused = "文件未经此软件加密或者是另外(不保存密钥)加密的，不能创建自解密文件:";
constexpr std::string_view kPrepareError = "创建自解密文件出错:";
constexpr std::string_view kWriteError = "创建自解密文件出错!已停止:可能文件正在被使用读写等:";
constexpr std::string_view kDone = "创建自解密文件已完成:";
constexpr std::string_view kCancelled = "创建自解密文件已取消:";
constexpr std::uint64_t kStartLimit = std::uint64_t{1} << 32;

std::string Text(std::string_view text, const std::string& file) { return std::string(text) + file; }

class CreateJob {
 public:
  CreateJob(engine::JobWindow& window, const SfxCreateInput& input)
      : w_(window), in_(input), display_(engine::DisplayPath(input.source)), report_(window.host) {}

  void Run() {
    std::optional<platform::InputFile> source;
    std::optional<PackNames> names;
    try {
      names = MakePackNames(in_.source);
      if (!names) throw platform::IoError("name not representable");
      w_.state.sfxCreateActive = false;
      source.emplace(in_.source);
      if (engine::CheckJobFileSize(w_.host, source->Size(), Text(kEmpty, display_), Text(kTooBig, display_))) return;
      const Acceptance accepted = TestPackSource(*source);
      if (accepted == Acceptance::kNewerVersion) report_.Log(Text(kNewer, display_));
      if (accepted != Acceptance::kAccepted) return report_.Log(Text(kRefused, display_));
      w_.host.SetJobControls(engine::JobControl::kButton6, false);
      w_.state.sfxCreateActive = true;
      report_.Status("进行创建自解密文件...");
      w_.host.SetStatusHint("进行创建自解密的文件：" + display_);
      w_.host.Pause(111);
    } catch (const std::exception& e) {
      w_.host.ReportCause(e.what());
      report_.Log(Text(kPrepareError, display_));
      w_.host.Beep();
      return;
    }
    Write(*source, *names);
  }

 private:
  void Write(platform::InputFile& source, const PackNames& names) {
    const std::filesystem::path folder = in_.outputFolder;
    const std::string base = names.base;
    const platform::StagedOutput::NameCandidate candidates = [folder, base](unsigned n) {
      return PackageCandidate(folder, base, n);
    };
    std::string name = engine::DisplayPath(candidates(0));
    w_.host.SetProgressHint("创建自解密后的文件：" + name);
    w_.host.SetProgressPosition(0);
    bool failed = false;
    bool complete = false;
    std::uint64_t packageSize = 0;
    try {
      platform::StagedOutput out(folder);
      CopyImage(out);
      PackageHeader header{source.Size(), names.storedName};
      const auto bytes = header.Encode();
      out.Write(bytes.data(), bytes.size());
      engine::JobProgress progress(w_.host);
      progress.Init(source.Size());
      source.Seek(0);
      // Past EndJob a cancel finds nothing to cancel: the package is named
      // and reported complete (or the failure to name it is reported).
      if (CopyBlocks(source, out, source.Size(), w_.state.sfxCreateActive, &progress) &&
          engine::EndJob(w_.state.sfxCreateActive)) {
        packageSize = out.BytesWritten();
        name = engine::DisplayPath(out.Commit(candidates));
        progress.Complete();
        complete = true;
      }
    } catch (const std::exception& e) {
      w_.host.ReportCause(e.what());
      failed = true;
      w_.state.sfxCreateActive = false;
    }
    if (failed) {
      report_.Log(Text(kWriteError, name));
    } else if (complete) {
      report_.Log(Text(kDone, name));
      if (packageSize >= kStartLimit) report_.Log(Text(kTooBigToStart, name));
    }
    w_.state.sfxCreateActive = false;
    w_.host.SetJobControls(engine::JobControl::kButton6, true);
  }

  // The stub's image only: a stub that carries a package itself gives
  // nothing of what it carries.
  void CopyImage(platform::ByteSink& out) {
    platform::InputFile stub(in_.stub);
    const std::uint64_t image = ImageLength(stub);
    stub.Seek(0);
    CopyBlocks(stub, out, image, w_.state.sfxCreateActive, nullptr);
  }

  engine::JobWindow& w_;
  const SfxCreateInput& in_;
  const std::string display_;
  engine::JobReport report_;
};

}  // namespace

void PrepareSfxJob(engine::JobWindow& window, const SfxCreateInput& input) { CreateJob(window, input).Run(); }

void CancelSfxCreate(engine::JobWindow& window, const std::string& sourceDisplayPath) {
  const std::string question = "真的要取消：“" + sourceDisplayPath + "”创建自解密文件吗?";
  if (!window.host.AskYesNo("取消创建", question)) return;
  if (!engine::EndJob(window.state.sfxCreateActive)) return;
  window.state.idleFlag = true;
  window.host.SetJobControls(engine::JobControl::kButton6, true);
  window.host.LogLine(Text(kCancelled, sourceDisplayPath));
}

}  // namespace sfx

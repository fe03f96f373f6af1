#include "sfx/separate_job.h"

#include <optional>

#include "engine/jobs/job_progress.h"
#include "engine/jobs/job_report.h"
#include "engine/jobs/output_names.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/staged_output.h"
#include "sfx/block_copy.h"
#include "sfx/package_names.h"

namespace sfx {

namespace {

constexpr std::string_view kCancelled = "分离自解密文件已取消:";
constexpr std::string_view kPrepareError = "分离自解密文件出错!已停止:可能要分离的文件(自身程序)正在被使用读写等:";
constexpr std::string_view kFailed = "分离自解密文件出错!已停止:";
constexpr std::string_view kDone = "分离自解密文件已完成:";
constexpr const char* kToolName = "星尘 文件加密";

namespace fs = std::filesystem;

class SeparateJob {
 public:
  SeparateJob(engine::JobWindow& window, const SeparateInput& input)
      : w_(window),
        in_(input),
        name_(UsableCarriedName(input.info.carriedName)),
        folder_(input.chosen.parent_path().empty() ? fs::path(".") : input.chosen.parent_path()),
        target_(fs::path(input.chosen).replace_extension(".jmz")),
        targetText_(engine::DisplayPath(target_)),
        program_(engine::DisplayPath(input.package)),
        report_(window.host) {}

  void Run() {
    std::error_code ec;
    const bool replace = fs::exists(target_, ec);
    if (replace && !w_.host.AskYesNo("替换文件", targetText_ + " 文件已经存在,是否替换? 否 则取消。"))
      return w_.host.SetStatusPanel(std::string(kCancelled) + name_);

    std::optional<platform::InputFile> input;
    try {
      w_.state.separateActive = true;
      report_.Status("进行分离自解密里的已加密文件：" + name_ + " ...");
      w_.host.SetProgressHint("分离自解密后的已加密文件：" + targetText_);
      w_.host.SetProgressPosition(0);
      w_.host.SetStatusHint("进行分离自解密里的已加密文件：" + name_);
      input.emplace(in_.package);
      w_.host.SetJobControls(engine::JobControl::kButton8, false);
      WriteToolCopy(*input);
    } catch (const std::exception& e) {
      w_.host.ReportCause(e.what());
      w_.state.separateActive = false;
      report_.Log(std::string(kPrepareError) + program_);
      return w_.host.SetJobControls(engine::JobControl::kButton8, true);
    }
    if (w_.state.separateActive) CopyCarried(*input, replace);
    w_.state.separateActive = false;
    w_.host.SetJobControls(engine::JobControl::kButton8, true);
  }

 private:
  // The package's image alone: the plain tool, carrying nothing.
  void WriteToolCopy(platform::InputFile& input) {
    platform::StagedOutput tool(folder_);
    input.Seek(0);
    if (!CopyBlocks(input, tool, in_.info.imageLength, w_.state.separateActive, nullptr)) return;
    const fs::path folder = folder_;
    tool.Commit([folder](unsigned n) { return ToolCopyCandidate(folder, n); });
  }

  void CopyCarried(platform::InputFile& input, bool replace) {
    const std::uint64_t size = static_cast<std::uint64_t>(in_.info.carriedSize);
    bool failed = false;
    try {
      input.Seek(in_.info.CarriedStart());
      engine::JobProgress progress(w_.host);
      progress.Init(size);
      platform::StagedOutput out(folder_);
      if (!CopyBlocks(input, out, size, w_.state.separateActive, &progress)) return;
      // A full disk at the flush is a failed copy, not a failed replace.
      out.Close();
      // Past EndJob a cancel finds nothing to cancel: the copy is named and
      // reported (or the failure to name it is).
      if (!engine::EndJob(w_.state.separateActive)) return;
      const std::optional<fs::path> written = Commit(out, replace);
      if (!written) return;
      progress.Complete();
      report_.Log(std::string(kDone) + engine::DisplayPath(*written));
    } catch (const std::exception& e) {
      w_.host.ReportCause(e.what());
      failed = true;
    }
    if (failed) report_.Log(std::string(kFailed) + program_);
  }

  // The finished copy takes the target's name and gives the path written;
  // empty after reporting that an existing target could not be replaced.
  std::optional<fs::path> Commit(platform::StagedOutput& out, bool replace) {
    if (!replace) {
      const fs::path target = target_;
      // The name was free when asked; should it be taken since, the next free one.
      const std::string base = platform::PathToUtf8(target.stem());
      return out.Commit([target, base](unsigned n) {
        return n == 0 ? target : engine::NumberedCandidate(target.parent_path(), base, ".jmz", n);
      });
    }
    try {
      out.CommitReplacing(target_);
      return target_;
    } catch (const platform::IoError&) {
      report_.Log("替换删除文件“" + targetText_ + "”失败！文件正在使用中或者有只读属性等。" + std::string(kCancelled));
      return std::nullopt;
    }
  }

  engine::JobWindow& w_;
  const SeparateInput& in_;
  const std::string name_;
  const fs::path folder_;
  const fs::path target_;
  const std::string targetText_;
  const std::string program_;
  engine::JobReport report_;
};

}  // namespace

fs::path ToolCopyCandidate(const fs::path& folder, unsigned n) {
  return engine::NumberedCandidate(folder, kToolName, ".exe", n);
}

void SeparatePackage(engine::JobWindow& window, const SeparateInput& input) { SeparateJob(window, input).Run(); }

void CancelSeparate(engine::JobWindow& window, const std::string& carriedName) {
  const std::string question = "真的要取消分离自解密里的已加密文件：“" + carriedName + "”吗?";
  if (!window.host.AskYesNo("取消分离", question)) return;
  if (!engine::EndJob(window.state.separateActive)) return;
  window.host.SetJobControls(engine::JobControl::kButton8, true);
  window.host.LogLine(std::string(kCancelled) + carriedName);
}

}  // namespace sfx

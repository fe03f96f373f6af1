#include "utils/shred_job.h"

#include <memory>

#include "engine/jobs/job_progress.h"
#include "engine/jobs/job_window.h"
#include "platform/file.h"
#include "platform/shred_file.h"

namespace utils {

namespace {

constexpr const char* kCaption = "粉碎文件(彻底删除文件(不能恢复),请三思后慎用!)(此窗体后置:线程运行造成)";
constexpr const char* kQuestion =
    "(点此窗体后置是线程运行造成的，请点桌面(或者另外程序窗体)再点回此程序窗体即可)  真的要粉碎文件:  ";

bool Delete(ShredWindow& w, const std::filesystem::path& file) {
  return w.deleteFile ? w.deleteFile(file) : platform::DeleteIfExists(file);
}

// Overwrites the whole file with zeros; false when stopped. The zeros are
// flushed before the caller deletes: a deleted file's unwritten pages would
// otherwise be dropped and the old data stay on the disk.
bool Overwrite(ShredWindow& w, platform::ShredTarget& target, const std::string& display,
               engine::JobProgress& progress) {
  progress.Init(target.Size());
  w.host.SetProgressPosition(0);
  w.host.SetProgressHint("粉碎的文件：" + display);
  w.host.SetStatusPanel("进行粉碎文件 ...");
  w.state.shredActive = true;
  w.delflRunning(true);
  const auto zeros = std::make_unique<std::uint8_t[]>(kZeroBlock);  // value-initialised: all 0x00
  std::uint64_t remaining = target.Size(), written = 0;
  while (w.state.shredActive && remaining > 0) {
    const std::size_t n = remaining > kZeroBlock ? kZeroBlock : static_cast<std::size_t>(remaining);
    target.Write(zeros.get(), n);
    written += n;
    progress.Step(written, kZeroBlock);
    remaining -= n;
  }
  if (!w.state.shredActive) return false;
  target.Flush();
  return true;
}

}  // namespace

void ShredFile(ShredWindow& w, const std::filesystem::path& file) {
  const std::string display = engine::DisplayPath(file);
  if (!w.host.AskYesNo(kCaption, std::string(kQuestion) + "\r\n“" + display + "”吗？")) {
    w.host.LogLine("粉碎文件已取消:" + display);
    return;
  }
  std::unique_ptr<platform::ShredTarget> target;
  try {
    target = std::make_unique<platform::ShredTarget>(file);
  } catch (const std::exception& e) {
    w.host.ReportCause(e.what());
    w.host.Beep();
    w.host.LogLine("粉碎文件出错，已停止: 要粉碎的文件正在使用中或者有只读属性等:" + display);
    return;
  }
  engine::JobProgress progress(w.host);
  bool finished = false;
  try {
    finished = Overwrite(w, *target, display, progress);
    target->Close();
  } catch (const std::exception& e) {
    w.host.ReportCause(e.what());
    // A failed write, flush or close: the file stays, never reported done.
    w.state.shredActive = false;
    w.host.Beep();
    w.host.LogLine("粉碎文件出错，已停止:" + display);
    return;
  }
  target.reset();
  if (!finished || !w.state.shredActive) return;
  if (!Delete(w, file)) {
    w.state.shredActive = false;
    w.host.LogLine("粉碎文件出错，已停止:文件不能被删除:" + display);
    return;
  }
  try {
    platform::WriteOneZeroByte(file);
  } catch (const std::exception&) {
    // A re-creation that failed after creating the file must not leave it
    // under the name: the second deletion runs either way.
  }
  Delete(w, file);
  w.state.shredActive = false;
  progress.Complete();
  w.host.LogLine("粉碎文件已完成:" + display);
}

void ShredBatch(ShredWindow& w, const std::vector<std::filesystem::path>& files) {
  w.host.SetJobControls(engine::JobControl::kNone, false);
  w.state.idleFlag = false;
  for (const std::filesystem::path& file : files)
    if (!w.state.idleFlag) ShredFile(w, file);
  ShredBatchEnd(w);
}

void ShredBatchEnd(ShredWindow& w) {
  w.delflRunning(false);
  w.state.idleFlag = true;
  w.host.SetJobControls(engine::JobControl::kNone, true);
}

}  // namespace utils

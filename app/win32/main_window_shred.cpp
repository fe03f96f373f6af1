// Shredding in the main window: `delfl` starts a batch on the window's
// worker thread (the `Tfsw` thread) and, while the batch runs, stops it. The
// batch itself is portable (utils/shred_job.h); its questions, log lines and
// progress reach the window through the job host, which carries them to the
// user-interface thread while the worker waits.
#include <windows.h>

#include <filesystem>

#include "app/win32/main_window.h"
#include "app/win32/main_window_ids.h"
#include "app/win32/ui_texts.h"
#include "utils/shred_job.h"

namespace app {

namespace {

constexpr wchar_t kDelflIdle[] = L"粉碎文件(彻底删除文件，慎用)";
constexpr wchar_t kDelflRunning[] = L"停止粉碎文件";
constexpr wchar_t kShredTitle[] = L"选择要粉碎的文件进行粉碎(可多选)：";
constexpr wchar_t kShredCancelled[] = L"粉碎文件已取消:";
constexpr wchar_t kShredStopped[] = L"粉碎文件已停止。";

}  // namespace

void MainWindow::delflClick() {
  if (delflTag_ != 0) {
    if (!state_.shredActive) return;
    state_.shredActive = false;
    utils::ShredBatchEnd(shredWindow_);
    SetStatusPanelText(kShredStopped);
    return;
  }
  RunJobCommand([this] {
    try {
      const FileDialogRequest request{kShredTitle, text::kAllFilesFilter, 1, L""};
      ResetJobs();
      const std::optional<std::vector<std::wstring>> files = group_.services.dialogs.OpenFiles(Handle(), request);
      if (!files || files->empty() || closing_) {
        SetStatusPanelText(kShredCancelled);
        return;
      }
      std::vector<std::filesystem::path> paths(files->begin(), files->end());
      // Tfsw: runs the batch and ends; the worker swallows whatever escapes it.
      if (!StartWorker([this, paths = std::move(paths)] { utils::ShredBatch(shredWindow_, paths); }))
        group_.services.boxes.Beep();
    } catch (const std::exception&) {
      group_.services.boxes.Beep();
    }
  });
}

void MainWindow::SetDelflRunning(bool running) {
  RunOnUiThread([&] {
    delflTag_ = running ? 1 : 0;
    if (closing_) return;
    // The caption changes, the enabled state stays, except that the running
    // item is the stop command and always enabled.
    const bool grayed = !running && (GetMenuState(popupMenu1_, kIdDelfl, MF_BYCOMMAND) & MF_GRAYED);
    ModifyMenuW(popupMenu1_, kIdDelfl, MF_BYCOMMAND | MF_STRING | (grayed ? MF_GRAYED : MF_ENABLED), kIdDelfl,
                running ? kDelflRunning : kDelflIdle);
  });
}

}  // namespace app

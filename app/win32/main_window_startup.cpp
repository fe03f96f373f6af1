// The creation sequence of a main window (stored settings, command line)
// and its closing: the close query, the closing of the other windows, and
// the end that waits for the window's worker.
#include <windows.h>

#include <commctrl.h>
#include <filesystem>

#include "app/command_line.h"
#include "app/fold.h"
#include "app/job_lock.h"
#include "app/key_entry.h"
#include "app/win32/main_window.h"
#include "app/win32/main_window_ids.h"
#include "app/win32/ui_texts.h"
#include "platform/paths.h"
#include "platform/win32/wide.h"
#include "platform/win32/window_text.h"

namespace app {

void MainWindow::FormCreate() {
  // Every step catches its own errors with a beep; the next step still runs.
  const auto step = [this](auto&& body) {
    try {
      body();
    } catch (const std::exception&) {
      group_.services.boxes.Beep();
    }
  };
  step([&] {
    hiddenClickCount_ = 0;
    jobDisplayPath_.clear();
    noKeyFiles_.clear();
    closing_ = false;
    const std::wstring limits = platform::Widen(kKeyLimitsHint);
    SetHint(kIdLabel1, limits);
    SetHint(kIdLabel2, limits);
    SetWindowTextW(Control(kIdSiteLeft), group_.sites.first.c_str());
    SetWindowTextW(Control(kIdSiteRight), group_.sites.second.c_str());
    SetUpDownloads();
    DragAcceptFiles(Handle(), TRUE);
    tag_ = 0;
  });
  step([&] { ClearJobFlags(); });
  step([&] { DetectOwnPackage(); });
  step([&] { ApplyJobLock(SetJobControlsPlan(engine::JobControl::kNone, true, carriesPackage_, closing_)); });
  step([&] { ApplyStoredSettings(); });
  step([&] {
    if (group_.services.clock.Today() > kUpdateCheckFrom) StartUpdateCheck();
  });
  step([&] {
    if (!group_.arguments.empty()) ApplyCommandLine();
  });
}

void MainWindow::ApplyStoredSettings() {
  const StoredSettings s = ReadStoredSettings(group_.services.settings);
  // Controls that change state run their click behaviour, as a user's click would.
  if (s.compression && *s.compression != compressionIndex_) SetCompressionChoice(*s.compression, true);
  if (s.windowColor) SetColor(*s.windowColor);
  if (s.logoColor) SetLogoColor(*s.logoColor);
  if (s.maskKeys) SetPbmy(*s.maskKeys);
  if (s.pasteKeys) SetCheckBox1(*s.pasteKeys);
  if (s.hintShowsKey) {
    n20Checked_ = *s.hintShowsKey;
    CheckMenuItem(popupMenu2_, kIdN20, MF_BYCOMMAND | (n20Checked_ ? MF_CHECKED : MF_UNCHECKED));
  }
  if (s.md5OnDrop) SetCheckBox2(*s.md5OnDrop);
  if (s.md5ReadMode) {
    md5ReadMode_ = *s.md5ReadMode;
    CheckMenuRadioItem(n24_, kIdN25, kIdN27, kIdN25 + Md5ReadModeItem(md5ReadMode_), MF_BYCOMMAND);
  }
  if (s.foldState) {
    sfTag_ = TagBefore(*s.foldState);
    SfClick(false);
  }
  if (s.aead) SetAead(*s.aead, false);
  if (s.failed) group_.services.boxes.Beep();
}

void MainWindow::ApplyCommandLine() {
  std::vector<std::string> arguments;
  for (const std::wstring& argument : group_.arguments) arguments.push_back(platform::Narrow(argument));
  const CommandLine line = ParseCommandLine(arguments);
  using Kind = CommandLineSwitch::Kind;
  for (const CommandLineSwitch& option : line.switches) {
    switch (option.kind) {
      case Kind::kCompression:
        if (option.value != compressionIndex_) SetCompressionChoice(option.value, true);
        break;
      case Kind::kMaskKeys: SetPbmy(true); break;
      case Kind::kPasteKeys: SetCheckBox1(true); break;
      case Kind::kNoMd5: SetCheckBox2(false); break;
      case Kind::kAead: SetAead(true, false); break;  // for this start only
      case Kind::kFold:
        // Not stored: the switch holds for this start only.
        sfTag_ = TagBefore(option.value);
        SfClick(false);
        break;
      case Kind::kColor: SetColor(option.value); break;
    }
  }
  std::error_code ec;
  const std::filesystem::path file = platform::Utf8ToPath(line.joined);
  if (!line.joined.empty() && std::filesystem::is_regular_file(file, ec)) {
    SetStatusPanelText(platform::Widen(line.joined));
    SetHintUtf8(kIdStatusBar1, line.joined);
  }
}

void MainWindow::Store(std::string_view name, std::int32_t value) {
  try {
    SaveSetting(group_.services.settings, name, value);
  } catch (const SettingsError&) {
    group_.services.boxes.Beep();
  }
}

void MainWindow::OnClose() {
  if (closing_) return;
  const std::wstring caption = text::kCloseCaptionPrefix + platform::WindowText(Handle());
  const bool busy = state_.Busy() || dispatchingButton_ != 0;
  switch (CloseQueryQuestion(isPrimary_, group_.table.SecondaryCount(), busy)) {
    case CloseQuestion::kCloseAll: {
      if (ShowBox(text::kCloseAllQuestion, caption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
      // Slots are looked up one by one: a window may end while another one's
      // reset serves messages.
      std::vector<std::uint16_t> slots;
      for (std::size_t slot = 1; slot < WindowTable<MainWindow>::kSlots; ++slot)
        if (group_.table.At(static_cast<std::uint16_t>(slot)) != nullptr) slots.push_back(static_cast<std::uint16_t>(slot));
      for (std::uint16_t slot : slots)
        if (MainWindow* other = group_.table.At(slot)) other->BeginClosing();
      break;
    }
    case CloseQuestion::kJobsRunning:
      if (ShowBox(text::kCloseJobsQuestion, caption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
      break;
    case CloseQuestion::kNone:
      break;
  }
  BeginClosing();
}

void MainWindow::BeginClosing() {
  if (closing_) return;
  closing_ = true;
  closePending_ = true;
  StopUpdateCheck();
  DragAcceptFiles(Handle(), FALSE);
  ClearJobFlags();
  // The window goes out of sight at once; it ends when its worker has
  // deleted any partial output and ended. A question the worker is waiting
  // for is answered "no".
  ShowWindow(Handle(), SW_HIDE);
  group_.services.boxes.DismissOwnedBy(Handle());
  // The reset's pause and the closing pause pass on a timer rather than in a
  // pumping loop: every closing window waits at the same time, and no close
  // runs nested inside another window's wait.
  const int pause = group_.services.clock.PauseLength(260) + group_.services.clock.PauseLength(123);
  closePauseOver_ = false;
  SetTimer(Handle(), kClosePauseTimer, static_cast<UINT>(pause), nullptr);
}

void MainWindow::TryFinishClose() {
  if (!closePending_ || !closePauseOver_ || holds_ > 0 || workerRunning_) return;
  // The primary window ends the program: only after every other window.
  // Each secondary window tells it when it has ended.
  if (isPrimary_ && !group_.table.Windows().empty()) return;
  FinishClose();
}

void MainWindow::FinishClose() {
  closePending_ = false;
  if (worker_.joinable()) worker_.join();
  group_.table.Closed(slot_, !isPrimary_);
  finished_ = true;
  if (!isPrimary_ && group_.primary != nullptr && group_.primary->Handle() != nullptr)
    PostMessageW(group_.primary->Handle(), kMsgTryFinishClose, 0, 0);
  // Last: a secondary window deletes itself with its window.
  DestroyWindow(Handle());
}

}  // namespace app

// The job host of a main window. A job calls these from its worker thread;
// each call is handed to the user-interface thread with a sent message, so
// the worker waits until the window has shown the line, moved the bar or
// had its question answered, and the calls keep their order.
#include <windows.h>

#include <commctrl.h>

#include "app/job_lock.h"
#include "app/win32/main_window.h"
#include "app/win32/main_window_ids.h"
#include "app/win32/ui_texts.h"
#include "platform/win32/wide.h"

namespace app {

namespace {

// Message box flags of a notice: the icon bits all set, as the program has
// always shown its notices.
constexpr UINT kNoticeFlags = 0xF0;

}  // namespace

void MainWindow::RunOnUiThread(const std::function<void()>& action) {
  if (GetCurrentThreadId() == uiThread_) {
    action();
    return;
  }
  // The user-interface thread serves sent messages whenever it waits for
  // messages, also inside message boxes and its own pumping pauses, and it
  // never blocks on a worker otherwise: this cannot deadlock.
  SendMessageW(Handle(), kMsgRunOnUiThread, 0, reinterpret_cast<LPARAM>(&action));
}

void MainWindow::PumpMessages() {
  Hold hold(*this);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Leave the end of the program to the outer message loop.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void MainWindow::PumpFor(int milliseconds) {
  Hold hold(*this);
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(group_.services.clock.PauseLength(milliseconds));
  for (;;) {
    PumpMessages();
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return;
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

int MainWindow::ShowBox(const std::wstring& boxText, const std::wstring& caption, UINT flags) {
  Hold hold(*this);
  return group_.services.boxes.Show(Handle(), boxText, caption, flags);
}

void MainWindow::AddLogLine(const std::wstring& line) {
  SendMessageW(Control(kIdComboBox1), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

void MainWindow::SetStatusPanelText(const std::wstring& panel) {
  SendMessageW(Control(kIdStatusBar1), SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(panel.c_str()));
}

void MainWindow::ShowNoticeText(const std::wstring& notice) {
  try {
    if (!closing_) ShowBox(notice, text::kNoticeCaption, kNoticeFlags);
    SetStatusPanelText(notice);
  } catch (const std::exception&) {
    group_.services.boxes.Beep();
  }
}

void MainWindow::LogLine(const std::string& line) {
  RunOnUiThread([&] {
    try {
      const std::wstring wide = platform::Widen(line);
      SetHint(kIdStatusBar1, wide);
      SetStatusPanelText(wide);
      AddLogLine(L" " + wide);
    } catch (const std::exception&) {
      group_.services.boxes.Beep();
    }
  });
}

void MainWindow::ShowNotice(const std::string& notice) {
  RunOnUiThread([&] { ShowNoticeText(platform::Widen(notice)); });
}

void MainWindow::SetStatusPanel(const std::string& panel) {
  RunOnUiThread([&] { SetStatusPanelText(platform::Widen(panel)); });
}

void MainWindow::SetStatusHint(const std::string& hint) {
  RunOnUiThread([&] { SetHintUtf8(kIdStatusBar1, hint); });
}

void MainWindow::SetProgressHint(const std::string& hint) {
  RunOnUiThread([&] { SetHintUtf8(kIdProgressBar1, hint); });
}

void MainWindow::SetProgressRange(std::int32_t max) {
  RunOnUiThread([&] { SendMessageW(Control(kIdProgressBar1), PBM_SETRANGE32, 0, max); });
}

void MainWindow::SetProgressPosition(std::int32_t position) {
  RunOnUiThread([&] { SendMessageW(Control(kIdProgressBar1), PBM_SETPOS, static_cast<WPARAM>(position), 0); });
}

bool MainWindow::AskYesNo(const std::string& caption, const std::string& question) {
  bool yes = false;
  RunOnUiThread([&] {
    // A closing window cancels its job: whatever it asks is answered "no".
    if (closing_) return;
    yes = ShowBox(platform::Widen(question), platform::Widen(caption), MB_YESNO | MB_ICONQUESTION) == IDYES;
  });
  return yes;
}

void MainWindow::Beep() {
  RunOnUiThread([&] { group_.services.boxes.Beep(); });
}

void MainWindow::SetJobControls(engine::JobControl trigger, bool enabled) {
  RunOnUiThread([&] { ApplyJobLock(SetJobControlsPlan(trigger, enabled, carriesPackage_, closing_)); });
}

void MainWindow::ResetDecryptButtons() {
  RunOnUiThread([&] {
    SetButtonCaption(kIdButton2, platform::Widen(JobButtonCaption(engine::JobControl::kButton2, true)));
    SetButtonCaption(kIdButton7, platform::Widen(JobButtonCaption(engine::JobControl::kButton7, true)));
    buttonTags_[kIdButton2] = 0;
    buttonTags_[kIdButton7] = 0;
  });
}

void MainWindow::NoKeyFileStarted(engine::NoKeyMode mode) {
  RunOnUiThread([&] {
    const bool encrypting = mode == engine::NoKeyMode::kEncrypt;
    ++noKeyStarted_;
    ApplyJobLock(SetJobControlsPlan(engine::JobControl::kNone, false, carriesPackage_, closing_));
    if (closing_) return;
    NoKeyEntry& own = noKeyEntries_[encrypting ? 0 : 1];
    NoKeyEntry& other = noKeyEntries_[encrypting ? 1 : 0];
    other.enabled = false;
    own.caption = encrypting ? text::kNoKeyCancelEncrypt : text::kNoKeyCancelDecrypt;
    own.tag = 1;
    ApplyNoKeyEntries();
    EnableWindow(Control(encrypting ? kIdJm1 : kIdJm2), FALSE);
  });
}

void MainWindow::NoKeyMenuRestore(engine::NoKeyMode mode) {
  RunOnUiThread([&] {
    if (closing_) return;
    const bool encrypting = mode == engine::NoKeyMode::kEncrypt;
    NoKeyEntry& own = noKeyEntries_[encrypting ? 0 : 1];
    NoKeyEntry& other = noKeyEntries_[encrypting ? 1 : 0];
    own.tag = 0;
    own.caption = encrypting ? text::kNoKeyEncrypt : text::kNoKeyDecrypt;
    other.enabled = true;
    ApplyNoKeyEntries();
    ApplyJobLock(SetJobControlsPlan(engine::JobControl::kNone, true, carriesPackage_, closing_));
  });
}

void MainWindow::Pause(int milliseconds) {
  if (GetCurrentThreadId() == uiThread_)
    PumpFor(milliseconds);
  else
    Sleep(static_cast<DWORD>(group_.services.clock.PauseLength(milliseconds)));
}

}  // namespace app

// A process of real main windows for the closing tests and the closing
// benchmark. The child builds its windows the way a user does (a batch of N
// small files spreads over the primary window and N-1 secondary windows),
// lets the jobs end, hands the windows to the caller to close them, and runs
// its message loop until the program ends. The parent starts the same
// program again as the child and waits for its process to end.
#pragma once

#include <windows.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/win32/main_window.h"
#include "app/win32/main_window_ids.h"
#include "app/win32/real_services.h"
#include "app/win32/registry_store.h"
#include "tests/win/fake_services.h"

namespace closechild {

namespace fs = std::filesystem;

// Serves every message of the thread for `milliseconds`.
inline void PumpFor(DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  MSG message;
  for (;;) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));  // for the outer loop
        return;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
  }
}

// Serves messages until `done` holds or `timeoutMs` have passed.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!done()) {
    if (GetTickCount64() >= end) return false;
    PumpFor(5);
  }
  return true;
}

class BatchDialogs final : public app::FileDialogs {
 public:
  std::vector<std::wstring> files;
  std::optional<std::vector<std::wstring>> OpenFiles(HWND, const app::FileDialogRequest&) override { return files; }
  std::optional<app::SavedFile> SaveFile(HWND, const app::FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::wstring> BrowseFolder(HWND) override { return std::nullopt; }
  std::optional<COLORREF> ChooseColour(HWND, COLORREF) override { return std::nullopt; }
};

// Answers questions from a queue (then "yes"). Like a real message box, it
// serves the thread's messages while it is open: for `openMs` milliseconds.
class ScriptedBoxes final : public app::MessageBoxes {
 public:
  std::deque<int> answers;
  DWORD openMs = 0;
  int answered = 0;
  int Show(HWND, const std::wstring&, const std::wstring&, UINT) override {
    if (openMs > 0) PumpFor(openMs);
    ++answered;
    if (answers.empty()) return IDYES;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void Beep() override {}
  void DismissOwnedBy(HWND) override {}
};

// What the closing step of a child gets: the windows, and its boxes.
struct OpenWindows {
  app::WindowGroup& group;
  app::MainWindow& primary;
  ScriptedBoxes& boxes;
};

// Builds `windows` windows, waits for their jobs to end, calls `close` and
// runs the message loop until the program ends. Returns the exit code of
// the loop, or 2 when the windows could not be built.
inline int RunWindows(int windows, ScriptedBoxes& boxes, const std::function<void(OpenWindows&)>& close) {
  const fs::path folder = fs::temp_directory_path() / (L"close-child-" + std::to_wstring(GetCurrentProcessId()));
  fs::create_directories(folder);
  BatchDialogs dialogs;
  for (int i = 0; i < windows; ++i) {
    const fs::path file = folder / (L"f" + std::to_wstring(i) + L".txt");
    std::ofstream(file, std::ios::binary) << "some bytes to compress";
    dialogs.files.push_back(file.wstring());
  }
  wintest::FakeMenus menus;
  wintest::FakeShell shell;
  app::SystemClock clock;
  app::RegistrySettingsStore settings;
  int exitCode = 2;
  {
    app::WindowGroup group(GetModuleHandleW(nullptr), app::Services{dialogs, boxes, menus, shell, clock, settings}, {});
    app::MainWindow primary(group, true);
    group.primary = &primary;
    primary.SetDestroyedHandler([] { PostQuitMessage(0); });
    primary.Create();
    primary.Show(SW_SHOWNOACTIVATE);
    HWND hwnd = primary.Handle();
    // The batch: the first file in this window, every further one in a new window.
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(app::kIdButton1, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(hwnd, app::kIdButton1)));
    const bool built = PumpUntil(
        [&] {
          const std::vector<app::MainWindow*> secondary = group.table.Windows();
          if (static_cast<int>(secondary.size()) != windows - 1 || primary.WorkerRunning()) return false;
          for (app::MainWindow* w : secondary)
            if (w->WorkerRunning() || !IsWindowVisible(w->Handle())) return false;
          return true;
        },
        10000);
    if (built) {
      PumpFor(300);  // the batch's last pauses
      OpenWindows open{group, primary, boxes};
      close(open);
      MSG message;
      while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      exitCode = static_cast<int>(message.wParam);
    }
  }
  std::error_code ec;
  fs::remove_all(folder, ec);
  return exitCode;
}

// A child process: this program started again with `arguments`.
class Child {
 public:
  // `output`: the child's standard output (inheritable), or null.
  Child(const std::wstring& arguments, HANDLE output) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (output != nullptr) {
      startup.dwFlags = STARTF_USESTDHANDLES;
      startup.hStdOutput = output;
      startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    }
    started_ = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, output != nullptr, 0, nullptr, nullptr,
                              &startup, &process_) != FALSE;
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    if (!started_) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }

  bool Started() const { return started_; }
  // The exit code once the process has ended within `timeoutMs`; otherwise
  // the process is ended and nothing is returned.
  std::optional<DWORD> Wait(DWORD timeoutMs) {
    if (!started_) return std::nullopt;
    if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) {
      TerminateProcess(process_.hProcess, 99);
      WaitForSingleObject(process_.hProcess, INFINITE);
      return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }

 private:
  bool started_ = false;
  PROCESS_INFORMATION process_{};
};

}  // namespace closechild

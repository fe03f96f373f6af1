// Measures how long closing takes, from the close message sent to the
// primary window to the end of its process, the way a user closes the
// program: real windows, real pauses, every question answered "yes".
//
//   close_bench.exe [ROUNDS]          runs each case ROUNDS times (default 3)
//   close_bench.exe --child N         one case: N windows (1 or 5)
//
// A child process builds its windows (a batch of N small files spreads them
// over N windows), lets the jobs end, prints the performance counter at the
// moment it posts WM_CLOSE and runs its message loop until the program ends.
// The parent takes the counter again when the child's process has ended.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/win32/main_window.h"
#include "app/win32/main_window_ids.h"
#include "app/win32/real_services.h"

namespace {

namespace fs = std::filesystem;

// The pauses of one window's close: the job reset and the closing pause.
constexpr double kDesignPausesMs = 260 + 123;

class BatchDialogs final : public app::FileDialogs {
 public:
  std::vector<std::wstring> files;
  std::optional<std::vector<std::wstring>> OpenFiles(HWND, const app::FileDialogRequest&) override { return files; }
  std::optional<app::SavedFile> SaveFile(HWND, const app::FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::wstring> BrowseFolder(HWND) override { return std::nullopt; }
  std::optional<COLORREF> ChooseColour(HWND, COLORREF) override { return std::nullopt; }
};

class YesBoxes final : public app::MessageBoxes {
 public:
  int Show(HWND, const std::wstring&, const std::wstring&, UINT) override { return IDYES; }
  void Beep() override {}
  void DismissOwnedBy(HWND) override {}
};

class NoMenus final : public app::PopupMenus {
 public:
  void Track(HWND, HMENU, POINT) override {}
};

class NoShell final : public app::Shell {
 public:
  void Open(HWND, const std::wstring&, const std::wstring&, int) override {}
  void AssociationsChanged() override {}
};

void PumpFor(DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  MSG message;
  while (GetTickCount64() < end) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

int RunChild(int windows) {
  const fs::path folder = fs::temp_directory_path() / (L"close-bench-" + std::to_wstring(GetCurrentProcessId()));
  fs::create_directories(folder);
  BatchDialogs dialogs;
  for (int i = 0; i < windows; ++i) {
    const fs::path file = folder / (L"f" + std::to_wstring(i) + L".txt");
    std::ofstream(file, std::ios::binary) << "some bytes to compress";
    dialogs.files.push_back(file.wstring());
  }
  YesBoxes boxes;
  NoMenus menus;
  NoShell shell;
  app::SystemClock clock;
  app::RegistrySettingsStore settings;
  int exitCode = 0;
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
    PumpFor(1500);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    std::printf("%lld\n", static_cast<long long>(now.QuadPart));
    std::fflush(stdout);
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    exitCode = static_cast<int>(message.wParam);
  }
  std::error_code ec;
  fs::remove_all(folder, ec);
  return exitCode;
}

// Runs one child; the milliseconds from its close message to its end, or -1.
double MeasureOnce(int windows) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return -1;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --child " + std::to_wstring(windows);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  const BOOL started =
      CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
  CloseHandle(writeEnd);
  if (!started) {
    CloseHandle(readEnd);
    return -1;
  }
  std::string out;
  char buffer[64];
  DWORD got = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
  WaitForSingleObject(process.hProcess, INFINITE);
  LARGE_INTEGER end, frequency;
  QueryPerformanceCounter(&end);
  QueryPerformanceFrequency(&frequency);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  CloseHandle(readEnd);
  if (out.empty()) return -1;
  const long long closeAt = std::stoll(out);
  return 1000.0 * static_cast<double>(end.QuadPart - closeAt) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wstring(argv[1]) == L"--child") return RunChild(std::stoi(argv[2]));
  const int rounds = argc > 1 ? std::max(1, std::stoi(argv[1])) : 3;
  std::printf("design pauses of one window's close: %.0f ms\n", kDesignPausesMs);
  for (int windows : {1, 5}) {
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) times.push_back(MeasureOnce(windows));
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("%d window(s): close message to process end, median of %d: %.0f ms (min %.0f, max %.0f), "
                "ratio to the design pauses %.2f\n",
                windows, rounds, median, times.front(), times.back(), median / kDesignPausesMs);
  }
  return 0;
}

// The main window's MD5 check beside jmz.exe md5 on the same file, under
// Wine: the window runs MD51 on a real window with its progress bar and
// message pumping, jmz.exe runs as its own process. Best of a few rounds.
//
//   window_md5_bench.exe JMZ_EXE [MIB, default 512] [ROUNDS, default 3]
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
#include "app/win32/registry_store.h"
#include "tests/win/fake_services.h"
#include "tests/win/file_drop.h"

namespace {

namespace fs = std::filesystem;

double Seconds(LARGE_INTEGER from) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void WriteFile(const fs::path& file, std::size_t mib) {
  std::ofstream out(file, std::ios::binary);
  std::vector<char> block(1 << 20);
  std::uint32_t x = 2463534242u;
  for (std::size_t m = 0; m < mib; ++m) {
    for (char& c : block) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      c = static_cast<char>(x);
    }
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
  }
}

// One drop of the file on the window, hashed in its current read mode.
double DropSeconds(app::MainWindow& window, const fs::path& file) {
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  SendMessageW(window.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(wintest::MakeDrop({file})), 0);
  return Seconds(start);
}

// One MD51 run over the file: its job reset pauses 260 ms before hashing.
double WindowSeconds(app::MainWindow& window, wintest::FakeDialogs& dialogs, const fs::path& file) {
  dialogs.openAnswers.push_back(std::vector<std::wstring>{file.wstring()});
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(app::kIdMD51, 0), 0);
  return Seconds(start);
}

double JmzSeconds(const std::wstring& jmz, const wchar_t* mode, const fs::path& file) {
  std::wstring commandLine = L"\"" + jmz + L"\" md5 --mode " + mode + L" \"" + file.wstring() + L"\"";
  // The digest line goes nowhere; only the time counts.
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = nul;
  startup.hStdError = nul;
  PROCESS_INFORMATION process{};
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  const BOOL started =
      CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  CloseHandle(nul);
  if (!started) return -1;
  WaitForSingleObject(process.hProcess, INFINITE);
  const double seconds = Seconds(start);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return seconds;
}

std::wstring DigestShown(HWND window) {
  wchar_t text[64] = {};
  GetWindowTextW(GetDlgItem(window, app::kIdComboBox1), text, 64);
  return text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: window_md5_bench JMZ_EXE [MIB] [ROUNDS]\n");
    return 2;
  }
  const std::wstring jmz = argv[1];
  const std::size_t mib = argc > 2 ? static_cast<std::size_t>(std::stoi(argv[2])) : 512;
  const int rounds = argc > 3 ? std::max(1, std::stoi(argv[3])) : 3;
  const fs::path folder = fs::temp_directory_path() / (L"md5-bench-" + std::to_wstring(GetCurrentProcessId()));
  fs::create_directories(folder);
  const fs::path file = folder / L"f.bin";
  WriteFile(file, mib);

  wintest::FakeDialogs dialogs;
  wintest::FakeBoxes boxes;
  wintest::FakeMenus menus;
  wintest::FakeShell shell;
  app::SystemClock clock;
  app::RegistrySettingsStore settings;
  {
    app::WindowGroup group(GetModuleHandleW(nullptr), app::Services{dialogs, boxes, menus, shell, clock, settings}, {});
    app::MainWindow window(group, true);
    group.primary = &window;
    window.Create();
    window.Show(SW_SHOWNOACTIVATE);
    std::printf("%-10s %12s %12s %14s %10s %10s\n", "mode", "drop MiB/s", "MD51 MiB/s", "jmz.exe MiB/s",
                "drop/jmz", "MD51/jmz");
    const struct {
      int command;
      const wchar_t* jmzMode;
      const char* name;
    } modes[] = {{app::kIdN25, L"auto", "auto"}, {app::kIdN26, L"map", "mapped"}, {app::kIdN27, L"stream", "stream"}};
    for (const auto& m : modes) {
      SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(m.command, 0), 0);
      double bestDrop = 1e9, best = 1e9, bestJmz = 1e9;
      for (int r = 0; r < rounds; ++r) {
        bestDrop = std::min(bestDrop, DropSeconds(window, file));
        best = std::min(best, WindowSeconds(window, dialogs, file));
        bestJmz = std::min(bestJmz, JmzSeconds(jmz, m.jmzMode, file));
      }
      if (DigestShown(window.Handle()).size() != 32) std::printf("the window showed no digest\n");
      std::printf("%-10s %12.0f %12.0f %14.0f %10.2f %10.2f\n", m.name, mib / bestDrop, mib / best, mib / bestJmz,
                  bestJmz / bestDrop, bestJmz / best);
    }
    DestroyWindow(window.Handle());
  }
  std::error_code ec;
  fs::remove_all(folder, ec);
  return 0;
}

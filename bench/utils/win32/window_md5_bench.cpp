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

// One MD51 run over the file in the window's current read mode.
double WindowSeconds(app::MainWindow& window, wintest::FakeDialogs& dialogs, const fs::path& file) {
  dialogs.openAnswers.push_back(std::vector<std::wstring>{file.wstring()});
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(app::kIdMD51, 0), 0);
  return Seconds(start);
}

double JmzSeconds(const std::wstring& jmz, const wchar_t* mode, const fs::path& file) {
  std::wstring commandLine = L"\"" + jmz + L"\" md5 --mode " + mode + L" \"" + file.wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return -1;
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
    std::printf("%-10s %14s %14s %8s\n", "mode", "window MiB/s", "jmz.exe MiB/s", "ratio");
    const struct {
      int command;
      const wchar_t* jmzMode;
      const char* name;
    } modes[] = {{app::kIdN25, L"auto", "auto"}, {app::kIdN26, L"map", "mapped"}, {app::kIdN27, L"stream", "stream"}};
    for (const auto& m : modes) {
      SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(m.command, 0), 0);
      double best = 1e9, bestJmz = 1e9;
      for (int r = 0; r < rounds; ++r) {
        best = std::min(best, WindowSeconds(window, dialogs, file));
        bestJmz = std::min(bestJmz, JmzSeconds(jmz, m.jmzMode, file));
      }
      if (DigestShown(window.Handle()).size() != 32) std::printf("the window showed no digest\n");
      std::printf("%-10s %14.0f %14.0f %8.2f\n", m.name, mib / best, mib / bestJmz, bestJmz / best);
    }
    DestroyWindow(window.Handle());
  }
  std::error_code ec;
  fs::remove_all(folder, ec);
  return 0;
}

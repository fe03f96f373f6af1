// The hex editor control under Wine: painting a full window of rows and
// scrolling to the end, for a 1 KiB file beside a large one in the same run
// (the times should not depend on the file size), and the peak memory of
// opening, editing and saving the large file against its size. Prints
//   <size> paint_ms=<per paint> scroll_ms=<per scroll to the end and back>
//   ratio large/small: paint <r> scroll <r>
//   peak beyond start: <MiB> = <x> times the file size
// Usage: hexed_paint_bench.exe [large size in MiB, default 256] [rounds, default 20]
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "hexeditor/win32/hex_editor_control.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::size_t PeakWorkingSet() {
  PROCESS_MEMORY_COUNTERS c{};
  c.cb = sizeof c;
  GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
  return c.PeakWorkingSetSize;
}

void WriteFile(const fs::path& file, std::size_t size) {
  std::ofstream out(file, std::ios::binary);
  std::vector<char> block(1 << 20);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131 + 7);
  for (std::size_t done = 0; done < size;) {
    const std::size_t n = std::min(block.size(), size - done);
    out.write(block.data(), static_cast<std::streamsize>(n));
    done += n;
  }
}

void Pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
}

struct Figures {
  double paintMs;
  double scrollMs;
};

// A top-level window holding the control, 1088 × 750 like the hex view.
Figures Measure(const fs::path& file, int rounds) {
  HWND frame = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1088, 750, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
  RECT client{};
  GetClientRect(frame, &client);
  Figures f{};
  {
    hexwin::HexEditorControl control;
    control.Create(frame, 1, client);
    control.Editor().SetAutoBytesPerRow(true);
    control.Editor().LoadFile(file);
    Pump();
    HWND h = control.Handle();
    auto t0 = Clock::now();
    for (int i = 0; i < rounds; ++i) RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    f.paintMs = Ms(Clock::now() - t0) / rounds;
    t0 = Clock::now();
    for (int i = 0; i < rounds; ++i) {
      control.Editor().SetTopRow(control.Editor().RowCount());
      RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      control.Editor().SetTopRow(2);
      RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    f.scrollMs = Ms(Clock::now() - t0) / rounds;
  }
  DestroyWindow(frame);
  return f;
}

// Opens, edits one byte and saves the file under another name.
void OpenEditSave(const fs::path& file, const fs::path& saved) {
  hexed::TQDHexEditorEx editor;
  editor.LoadFile(file);
  editor.ChangeByte(5, editor.GetByte(5), static_cast<std::uint8_t>(editor.GetByte(5) ^ 0xFF));
  editor.SaveFile(saved, true);
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 20;
  const fs::path folder = fs::temp_directory_path() / "hexed-paint-bench";
  fs::create_directories(folder);
  const fs::path small = folder / "small.bin", large = folder / "large.bin", saved = folder / "saved.bin";
  try {
    WriteFile(small, 1024);
    WriteFile(large, mib << 20);
    // Peak of open, edit and save beyond what the process held before (so
    // first, while nothing large was held yet).
    const std::size_t before = PeakWorkingSet();
    OpenEditSave(large, saved);
    const double beyond = static_cast<double>(PeakWorkingSet() - before);
    Measure(small, rounds);  // warms up fonts and the window classes
    const Figures s = Measure(small, rounds);
    const Figures l = Measure(large, rounds);
    std::printf("1 KiB     paint_ms=%.3f scroll_ms=%.3f\n", s.paintMs, s.scrollMs);
    std::printf("%zu MiB   paint_ms=%.3f scroll_ms=%.3f\n", mib, l.paintMs, l.scrollMs);
    std::printf("ratio large/small: paint %.2f scroll %.2f\n", l.paintMs / s.paintMs, l.scrollMs / s.scrollMs);
    std::printf("open+edit+save peak beyond start: %.1f MiB = %.3f times the file size\n", beyond / 1048576.0,
                beyond / static_cast<double>(mib << 20));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  std::error_code ec;
  fs::remove_all(folder, ec);
  return 0;
}

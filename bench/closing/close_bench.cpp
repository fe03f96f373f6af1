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
#include <string>
#include <vector>

#include "tests/win/close_child.h"

namespace {

// The pauses of one window's close: the job reset and the closing pause.
constexpr double kDesignPausesMs = 260 + 123;

int RunChild(int windows) {
  closechild::ScriptedBoxes boxes;  // every question answered "yes"
  return closechild::RunWindows(windows, boxes, [](closechild::OpenWindows& open) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    std::printf("%lld\n", static_cast<long long>(now.QuadPart));
    std::fflush(stdout);
    PostMessageW(open.primary.Handle(), WM_CLOSE, 0, 0);
  });
}

// Runs one child; the milliseconds from its close message to its end, or -1.
double MeasureOnce(int windows) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return -1;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  closechild::Child child(L"--child " + std::to_wstring(windows), writeEnd);
  CloseHandle(writeEnd);
  std::string out;
  char buffer[64];
  DWORD got = 0;
  while (child.Started() && ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
  CloseHandle(readEnd);
  const bool ended = child.Wait(INFINITE).has_value();
  LARGE_INTEGER end, frequency;
  QueryPerformanceCounter(&end);
  QueryPerformanceFrequency(&frequency);
  if (!ended || out.empty()) return -1;
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

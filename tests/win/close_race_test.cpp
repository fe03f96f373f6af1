// Closing the primary window of five: "no" to the close-all question, then
// a second close answered "yes", must end the process, whatever the timing.
// Each round is a child process (this program started with --close-child),
// so a window left counted as open or a close never retried shows as a
// process that does not end.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/win/close_child.h"

namespace {

// One timing of the sequence, all in milliseconds.
struct Timing {
  const char* name;
  DWORD secondCloseAfter;  // from the "no" to the next step
  int secondaryLead;       // a secondary window is closed this long before the "yes" close; -1: none
  DWORD boxOpen;           // how long each question stays open, serving messages
};

// The child: exit code 0 when the program ended after exactly two
// questions, 3 when it ended after another number of them.
int RunCloseChild(const Timing& timing) {
  closechild::ScriptedBoxes boxes;
  boxes.answers = {IDNO, IDYES};
  boxes.openMs = timing.boxOpen;
  const int code = closechild::RunWindows(5, boxes, [&](closechild::OpenWindows& open) {
    HWND primary = open.primary.Handle();
    PostMessageW(primary, WM_CLOSE, 0, 0);
    closechild::PumpUntil([&] { return open.boxes.answered == 1; }, 5000);
    closechild::PumpFor(timing.secondCloseAfter);
    if (timing.secondaryLead >= 0) {
      PostMessageW(open.group.table.Windows().back()->Handle(), WM_CLOSE, 0, 0);
      closechild::PumpFor(static_cast<DWORD>(timing.secondaryLead));
    }
    PostMessageW(primary, WM_CLOSE, 0, 0);
  });
  if (code != 0) return code;
  return boxes.answered == 2 ? 0 : 3;
}

constexpr Timing kTimings[] = {
    {"second close at once", 0, -1, 0},
    {"second close at once, questions open 60 ms", 0, -1, 60},
    {"second close during the pauses", 150, -1, 0},
    {"second close after the pauses", 420, -1, 0},
    {"a secondary closed just before", 0, 0, 0},
    {"a secondary in its pause", 0, 200, 0},
    {"a secondary's pause about to end", 0, 370, 0},
    {"a secondary's pause ends while the question is open", 0, 250, 200},
};
constexpr int kRoundsPerTiming = 1;

TEST(CloseRaceTest, NoThenYesToTheCloseAllQuestionAlwaysEndsTheProcess) {
  int failures = 0;
  for (std::size_t t = 0; t < std::size(kTimings); ++t) {
    for (int round = 0; round < kRoundsPerTiming; ++round) {
      // A few milliseconds more each round spread the timings a little.
      const std::wstring arguments = L"--close-child " + std::to_wstring(t) + L" " + std::to_wstring(round * 7);
      closechild::Child child(arguments, nullptr);
      ASSERT_TRUE(child.Started());
      const std::optional<DWORD> code = child.Wait(10000);
      if (!code || *code != 0) ++failures;
      EXPECT_TRUE(code.has_value()) << kTimings[t].name << ", round " << round << ": the process did not end";
      if (code) {
        EXPECT_EQ(*code, 0u) << kTimings[t].name << ", round " << round;
      }
    }
  }
  std::printf("%d of %d rounds failed\n", failures, static_cast<int>(std::size(kTimings)) * kRoundsPerTiming);
}

}  // namespace

int main(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide && count == 4 && std::wstring(wide[1]) == L"--close-child") {
    const std::size_t index = std::stoul(wide[2]);
    if (index >= std::size(kTimings)) return 4;
    Timing timing = kTimings[index];
    const DWORD spread = std::stoul(wide[3]);
    timing.secondCloseAfter += spread;
    if (timing.secondaryLead >= 0) timing.secondaryLead += static_cast<int>(spread);
    return RunCloseChild(timing);
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

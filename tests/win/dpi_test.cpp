// The main window at 144 dots per inch: laid out so at creation (the
// prefix's resolution set to 144 for a second run of this program) and
// after WM_DPICHANGED on a window that opened at 96.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "app/win32/dpi.h"
#include "app/work_area_fit.h"
#include "window_fixture.h"

namespace {

using namespace wintest;
using namespace app;

constexpr int kHighDpi = 144;
constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kLogPixels[] = L"LogPixels";
constexpr wchar_t kChildMark[] = L"XCJM_DPI_CHILD";

// Design positions (left, top, right, bottom) at 96 dots per inch.
struct Place {
  int id;
  RECT design;
};
const Place kPlaces[] = {
    {kIdLabel3, {216, 0, 276, 34}},      {kIdSiteLeft, {3, 0, 58, 19}},       {kIdSiteRight, {424, 0, 494, 19}},
    {kIdButton1, {69, 18, 168, 51}},     {kIdSf, {212, 35, 281, 62}},         {kIdButton2, {323, 18, 422, 51}},
    {kIdProgressBar1, {16, 68, 481, 96}}, {kIdLabel2, {18, 108, 218, 127}},   {kIdLabel1, {258, 108, 458, 127}},
    {kIdJm1, {16, 128, 242, 281}},       {kIdJm2, {255, 128, 481, 281}},      {kIdRgysl, {23, 291, 375, 344}},
    {kIdCheckBox1, {391, 288, 489, 313}}, {kIdPbmy, {391, 312, 489, 334}},    {kIdCheckBox2, {392, 336, 489, 353}},
    {kIdButton6, {53, 362, 161, 395}},   {kIdButton8, {217, 362, 287, 395}},  {kIdButton7, {341, 362, 441, 395}},
    {kIdStatusBar1, {0, 447, 498, 472}},
};

RECT BoundsIn(HWND window, int id) {
  RECT r{};
  GetWindowRect(GetDlgItem(window, id), &r);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

int FontHeight(HWND window, int id) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(window, id), WM_GETFONT, 0, 0)), sizeof font, &font);
  return font.lfHeight;
}

// Every length 1.5 times the design's, within a pixel.
void ExpectLaidOutAt144(HWND window) {
  const auto within = [](int actual, int design) { return std::abs(actual * 2 - design * 3) <= 2; };
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_PRED2(within, client.right, 498);
  EXPECT_PRED2(within, client.bottom, 472);
  for (const Place& p : kPlaces) {
    const RECT r = BoundsIn(window, p.id);
    EXPECT_PRED2(within, r.left, p.design.left) << p.id;
    EXPECT_PRED2(within, r.top, p.design.top) << p.id;
    EXPECT_PRED2(within, r.right, p.design.right) << p.id;
    EXPECT_PRED2(within, r.bottom, p.design.bottom) << p.id;
  }
  const RECT log = BoundsIn(window, kIdComboBox1);
  EXPECT_PRED2(within, log.left, 16);
  EXPECT_PRED2(within, log.top, 408);
  EXPECT_PRED2(within, log.right, 481);
  // Font heights of the design: 16, 29 (logo), 15 (keys), 21 (log), 19 (key titles).
  EXPECT_EQ(FontHeight(window, kIdButton1), -24);
  EXPECT_EQ(FontHeight(window, kIdLabel3), -44);
  EXPECT_EQ(FontHeight(window, kIdJm1), -23);
  EXPECT_EQ(FontHeight(window, kIdComboBox1), -32);
  EXPECT_EQ(FontHeight(window, kIdLabel2), -29);
}

std::optional<DWORD> ReadLogPixels() {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

void WriteLogPixels(std::optional<DWORD> value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  if (value)
    RegSetValueExW(key, kLogPixels, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*value), sizeof *value);
  else
    RegDeleteValueW(key, kLogPixels);
  RegCloseKey(key);
}

// Runs this program again with one test; its exit code.
DWORD RunSelf(const std::wstring& filter) {
  wchar_t program[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  std::wstring line = L"\"" + std::wstring(program) + L"\" --gtest_filter=" + filter;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
    return 255;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 255;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

using DpiTest = WindowTest;

// The manifest the program and its tests carry asks for per-monitor
// awareness: the system then leaves the scaling to the windows.
TEST(DpiAwareness, TheProgramIsPerMonitorAware) {
  using GetContext = DPI_AWARENESS_CONTEXT(WINAPI*)();
  using GetAwareness = DPI_AWARENESS(WINAPI*)(DPI_AWARENESS_CONTEXT);
  const auto context = dpi::User32Routine<GetContext>("GetThreadDpiAwarenessContext");
  const auto awareness = dpi::User32Routine<GetAwareness>("GetAwarenessFromDpiAwarenessContext");
  if (context == nullptr || awareness == nullptr) GTEST_SKIP() << "a system without per-monitor resolutions";
  EXPECT_EQ(awareness(context()), DPI_AWARENESS_PER_MONITOR_AWARE);
}

TEST_F(DpiTest, AWindowOpenedAt144IsLaidOutOneAndAHalfTimesTheDesign) {
  if (dpi::ForSystem() != kHighDpi) {
    // The resolution is read when a process starts: the prefix gets 144,
    // a second run of this test checks the window, and the prefix gets its
    // own value back (the other tests share it).
    ASSERT_EQ(GetEnvironmentVariableW(kChildMark, nullptr, 0), 0u) << "the prefix's resolution did not take";
    const std::optional<DWORD> saved = ReadLogPixels();
    WriteLogPixels(kHighDpi);
    SetEnvironmentVariableW(kChildMark, L"1");
    const DWORD code = RunSelf(L"DpiTest.AWindowOpenedAt144IsLaidOutOneAndAHalfTimesTheDesign");
    SetEnvironmentVariableW(kChildMark, nullptr);
    WriteLogPixels(saved);
    EXPECT_EQ(code, 0u);
    return;
  }
  MainWindow& w = StartPrimary();
  EXPECT_EQ(w.Dpi(), kHighDpi);
  ExpectLaidOutAt144(Primary());
  // A fold keeps the design's client height, scaled: state 1 is 424 high.
  Click(Primary(), kIdSf);
  RECT client{};
  GetClientRect(Primary(), &client);
  EXPECT_EQ(client.bottom, 636);
  EXPECT_EQ(BoundsIn(Primary(), kIdStatusBar1).bottom, 636);

  // A hex view window opens at its place of the design, scaled, moved and
  // shrunk into the work area where the screen is too small for it.
  const fs::path file = MakeFile(L"hex.bin", 64);
  dialogs_.openAnswers.push_back(std::vector<std::wstring>{file.wstring()});
  Command(Primary(), kIdN161);
  const std::vector<HWND> hexWindows = ThreadWindowsOfClass(L"TForm2");
  ASSERT_EQ(hexWindows.size(), 1u);
  RECT hex{};
  GetWindowRect(hexWindows[0], &hex);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const app::ScreenRect want =
      app::FitIntoWorkArea({399, 375, 399 + 1632, 375 + 1125}, {work.left, work.top, work.right, work.bottom});
  EXPECT_EQ(hex.left, want.left);
  EXPECT_EQ(hex.top, want.top);
  EXPECT_EQ(hex.right, want.right);
  EXPECT_EQ(hex.bottom, want.bottom);
  DestroyWindow(hexWindows[0]);
}

TEST_F(DpiTest, MovingToAMonitorOf144LaysTheWindowOutAnew) {
  MainWindow& w = StartPrimary();
  ASSERT_EQ(w.Dpi(), dpi::ForSystem());
  if (w.Dpi() != 96) GTEST_SKIP() << "the prefix does not run at 96 dots per inch";
  RECT suggested{40, 30, 800, 780};
  SendMessageW(Primary(), WM_DPICHANGED, MAKEWPARAM(kHighDpi, kHighDpi), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(w.Dpi(), kHighDpi);
  ExpectLaidOutAt144(Primary());
  RECT outer{};
  GetWindowRect(Primary(), &outer);
  EXPECT_EQ(outer.left, 40);
  EXPECT_EQ(outer.top, 30);
}

}  // namespace

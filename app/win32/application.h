// The program as a whole: one primary main window and the message loop.
#pragma once

#include <windows.h>

namespace app {

class Application {
 public:
  static constexpr wchar_t kTitle[] = L"星尘 文件加密";
  // Exit code when an error ends the program.
  static constexpr int kFailureExitCode = 1;

  explicit Application(HINSTANCE instance) : instance_(instance) {}

  // The application title (taskbar and message box captions).
  const wchar_t* Title() const { return kTitle; }

  // Creates the primary main window, shows it as `showCommand` says and runs
  // the message loop until that window is closed. An error that escapes gives
  // a beep and ends the run. Returns the process exit code.
  int Run(int showCommand) noexcept;

 private:
  int RunMessageLoop();

  HINSTANCE instance_;
};

}  // namespace app

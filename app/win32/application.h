// The program as a whole: one primary main window and the message loop.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

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

  // The program's arguments, without its own name.
  static std::vector<std::wstring> CommandLineArguments();

  // One message of a main window's loop: keyboard navigation between the
  // window's controls, then the usual translation and dispatch.
  static void DispatchLoopMessage(MSG& message);

 private:
  int RunMessageLoop();

  HINSTANCE instance_;
};

}  // namespace app

#include "app/win32/application.h"

#include <commctrl.h>

#include "app/win32/last_error.h"
#include "app/win32/main_window.h"

namespace app {

int Application::Run(int showCommand) noexcept {
  try {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    if (!InitCommonControlsEx(&controls)) ThrowLastError("InitCommonControlsEx");

    MainWindow primary(instance_);
    // Closing the primary window ends the program, whatever else is open.
    primary.SetDestroyedHandler([] { PostQuitMessage(0); });
    primary.Create();
    primary.Show(showCommand);
    return RunMessageLoop();
  } catch (...) {
    MessageBeep(MB_OK);
    return kFailureExitCode;
  }
}

int Application::RunMessageLoop() {
  MSG message{};
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got == -1) ThrowLastError("GetMessageW");
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace app

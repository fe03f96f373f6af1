#include "app/win32/application.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include "app/win32/last_error.h"
#include "app/win32/main_window.h"
#include "app/win32/real_services.h"
#include "engine/jobs/job_files.h"

namespace app {

std::vector<std::wstring> Application::CommandLineArguments() {
  std::vector<std::wstring> arguments;
  int count = 0;
  wchar_t** list = CommandLineToArgvW(GetCommandLineW(), &count);
  if (list == nullptr) return arguments;
  for (int i = 1; i < count; ++i) arguments.emplace_back(list[i]);
  LocalFree(list);
  return arguments;
}

int Application::Run(int showCommand) noexcept {
  try {
    // The folder dialog is a shell object: COM on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    if (!InitCommonControlsEx(&controls)) ThrowLastError("InitCommonControlsEx");

    int exitCode = 0;
    {
      RealServices services;
      WindowGroup group(instance_, services.Get(), CommandLineArguments());
      MainWindow primary(group, true);
      group.primary = &primary;
      // Closing the primary window ends the program; it closes only after
      // every other window has ended.
      primary.SetDestroyedHandler([] { PostQuitMessage(0); });
      engine::RemoveStaleIntermediates();
      primary.Create();
      primary.Show(showCommand);
      exitCode = RunMessageLoop();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return exitCode;
  } catch (...) {
    MessageBeep(MB_OK);
    return kFailureExitCode;
  }
}

void Application::DispatchLoopMessage(MSG& message) {
  HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  if (root != nullptr) {
    wchar_t className[16] = {};
    GetClassNameW(root, className, 16);
    if (std::wstring_view(className) == MainWindow::kClassName && IsDialogMessageW(root, &message)) return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

int Application::RunMessageLoop() {
  MSG message{};
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got == -1) ThrowLastError("GetMessageW");
    DispatchLoopMessage(message);
  }
}

}  // namespace app

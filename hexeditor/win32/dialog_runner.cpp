#include "hexeditor/win32/dialog_runner.h"

namespace hexwin::dialog {

namespace {

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* handlers = reinterpret_cast<const Handlers*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      handlers = reinterpret_cast<const Handlers*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      if (handlers->init) handlers->init(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      // Notifications may come before WM_INITDIALOG has stored the handlers.
      if (handlers == nullptr || !handlers->command) return FALSE;
      return handlers->command(dialog, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR RunModal(HWND owner, const TemplateWriter& dialog, const Handlers& handlers) {
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), owner, &Procedure,
                                 reinterpret_cast<LPARAM>(&handlers));
}

}  // namespace hexwin::dialog

// Runs a modal dialog built with TemplateWriter: the one dialog procedure the
// hex window's small dialogs share. Cancel (button or Escape) always closes
// the dialog; everything else is the dialog's own.
#pragma once

#include <windows.h>

#include <functional>

#include "hexeditor/win32/dialog_template.h"

namespace hexwin::dialog {

struct Handlers {
  // Fills the controls when the dialog opens.
  std::function<void(HWND dialog)> init;
  // A command other than cancel, by control id and notification code; true
  // when the dialog handled it (it ends the dialog itself when it should).
  std::function<bool(HWND dialog, WORD id, WORD code)> command;
};

// Shows the dialog over `owner` until it ends; what EndDialog was given.
INT_PTR RunModal(HWND owner, const TemplateWriter& dialog, const Handlers& handlers);

}  // namespace hexwin::dialog

// Shell integration commands of the main window: the ".jmz" association
// (N6), the context-menu entry (N7) and the removal of every registry entry
// of the program (N9).
#include <windows.h>

#include <shlobj.h>

#include "app/shell_registration.h"
#include "app/win32/main_window.h"
#include "app/win32/shell_registry.h"
#include "platform/file.h"
#include "platform/win32/wide.h"

namespace app {
namespace {

std::string ExecutablePath() { return platform::Narrow(platform::ExecutablePath().wstring()); }

}  // namespace

void MainWindow::RunShellCommand(const std::function<bool(ShellRegistry&)>& command, bool notify) {
  WindowsShellRegistry real;
  ShellRegistry& registry = group_.sites.registry != nullptr ? *group_.sites.registry : real;
  bool ok = false;
  try {
    ok = command(registry);
  } catch (const std::exception&) {
    ok = false;
  }
  if (!ok) group_.services.boxes.Beep();
  if (notify) group_.services.shell.AssociationsChanged();
}

void MainWindow::N6Click() {
  RunShellCommand([](ShellRegistry& r) { return RegisterAssociation(r, ExecutablePath()); }, true);
}

void MainWindow::N7Click() {
  RunShellCommand([](ShellRegistry& r) { return RegisterContextMenu(r, ExecutablePath()); }, false);
}

void MainWindow::N9Click() {
  RunShellCommand([](ShellRegistry& r) { return RemoveRegistration(r); }, true);
}

}  // namespace app

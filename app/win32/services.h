// Every effect of a main window outside itself goes through these small
// interfaces: file dialogs, message boxes, pop-up menus, the shell, the
// clock and the settings store. The program uses the real ones
// (real_services.h); tests put in their own and run unattended.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/hidden_clicks.h"
#include "app/settings.h"

namespace app {

// A file dialog's set-up. Filters are written as pairs "description|pattern|…".
struct FileDialogRequest {
  std::wstring title;
  std::wstring filter;
  int filterIndex = 1;    // 1-based
  std::wstring fileName;  // the name the dialog starts with
};

struct SavedFile {
  std::wstring path;
  int filterIndex = 1;  // the filter chosen when the user confirmed
};

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // Open dialog with multiple selection; the chosen files in the dialog's
  // order, or empty when cancelled.
  virtual std::optional<std::vector<std::wstring>> OpenFiles(HWND owner, const FileDialogRequest& request) = 0;
  // Save dialog; empty when cancelled.
  virtual std::optional<SavedFile> SaveFile(HWND owner, const FileDialogRequest& request) = 0;
  // Folder-browse dialog without caption or root; empty when cancelled.
  virtual std::optional<std::wstring> BrowseFolder(HWND owner) = 0;
  // Colour dialog starting at `initial`; empty when cancelled.
  virtual std::optional<COLORREF> ChooseColour(HWND owner, COLORREF initial) = 0;
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // A message box; returns the button pressed (IDYES, IDNO, IDOK …).
  virtual int Show(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) = 0;
  // The plain system beep that answers a failed command.
  virtual void Beep() = 0;
  // Ends the message boxes and dialogs that `owner` has open (it is closing).
  virtual void DismissOwnedBy(HWND owner) = 0;
};

class PopupMenus {
 public:
  virtual ~PopupMenus() = default;
  // Shows `menu` at a screen point; a chosen item arrives at `owner` as WM_COMMAND.
  virtual void Track(HWND owner, HMENU menu, POINT screen) = 0;
};

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens a document, an address or a program (ShellExecute); an empty verb
  // is the default verb. False when the system could not start it.
  virtual bool Open(HWND owner, const std::wstring& verb, const std::wstring& target, int showCommand) = 0;
  // Tells the shell that file associations changed (SHChangeNotify).
  virtual void AssociationsChanged() = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Today's local date (the date rules).
  virtual Date Today() = 0;
  // Milliseconds since some start (seeds the logo's random colour).
  virtual std::uint32_t Ticks() = 0;
  // How long a pause of the window's pacing really lasts.
  virtual int PauseLength(int designMilliseconds) { return designMilliseconds; }
};

struct Services {
  FileDialogs& dialogs;
  MessageBoxes& boxes;
  PopupMenus& menus;
  Shell& shell;
  Clock& clock;
  SettingsStore& settings;
};

}  // namespace app

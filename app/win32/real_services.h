// The real outside effects: common dialogs, message boxes, pop-up menus,
// ShellExecute, the system clock and the registry.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include "app/win32/registry_store.h"
#include "app/win32/services.h"
#include "app/win32/system_popup_menus.h"

namespace app {

class SystemFileDialogs final : public FileDialogs {
 public:
  using OpenDialogCall = BOOL(WINAPI*)(LPOPENFILENAMEW);
  using DialogErrorCall = DWORD(WINAPI*)();
  SystemFileDialogs() = default;
  // Tests replace the open dialog and its error, and start with a small buffer.
  SystemFileDialogs(OpenDialogCall open, DialogErrorCall error, unsigned selectionChars)
      : openDialog_(open), dialogError_(error), selectionChars_(selectionChars) {}
  std::optional<std::vector<std::wstring>> OpenFiles(HWND owner, const FileDialogRequest& request) override;
  std::optional<SavedFile> SaveFile(HWND owner, const FileDialogRequest& request) override;
  std::optional<std::wstring> BrowseFolder(HWND owner) override;
  std::optional<COLORREF> ChooseColour(HWND owner, COLORREF initial) override;

 private:
  // Room for a long multiple selection: some 800 names of 300 characters.
  static constexpr unsigned kSelectionChars = 262144;

  OpenDialogCall openDialog_ = GetOpenFileNameW;
  DialogErrorCall dialogError_ = CommDlgExtendedError;
  unsigned selectionChars_ = kSelectionChars;
  COLORREF customColours_[16] = {};
};

class SystemMessageBoxes final : public MessageBoxes {
 public:
  int Show(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) override;
  void Beep() override;
  void DismissOwnedBy(HWND owner) override;
};

class SystemShell final : public Shell {
 public:
  bool Open(HWND owner, const std::wstring& verb, const std::wstring& target, int showCommand) override;
  void AssociationsChanged() override;
};

class SystemClock final : public Clock {
 public:
  Date Today() override;
  std::uint32_t Ticks() override;
};

// All of them together, as the program uses them.
class RealServices {
 public:
  Services Get() { return Services{dialogs_, boxes_, menus_, shell_, clock_, settings_}; }

 private:
  SystemFileDialogs dialogs_;
  SystemMessageBoxes boxes_;
  SystemPopupMenus menus_;
  SystemShell shell_;
  SystemClock clock_;
  RegistrySettingsStore settings_;
};

// "a|b|c|d" as the common dialogs want it: pairs separated by NULs, ending
// in two NULs.
std::wstring DialogFilter(const std::wstring& filter);

// The files of a multiple-selection result: "folder\0name\0name\0\0", or one
// full path followed by "\0\0".
std::vector<std::wstring> SelectedFiles(const wchar_t* buffer);

}  // namespace app

// The hex view window `TForm2`: one file in a hex editor that fills the
// client area, with every command in the editor's context menu. A window owns
// itself and is freed when it is closed, without a question.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/win32/services.h"
#include "hexeditor/win32/find_bar.h"
#include "hexeditor/win32/hex_editor_control.h"

namespace hexwin {

// Menu item identifiers of the context menu (PopupMenu1).
enum HexViewMenuId : int {
  kIdN1 = 100,  // save as
  kIdBak1,      // backup before overwriting
  kIdN5,        // read-only view
  kIdN4,        // insert mode
  kIdN10,       // copy
  kIdN12,       // cut
  kIdN11,       // paste
  kIdN2,        // undo
  kIdN3,        // redo
  kIdN161,      // open further files
  kIdFind,      // find (Ctrl+F)
  kIdReplace,   // replace (Ctrl+H)
  kIdGoTo,      // go to a position (Ctrl+G)
};

class HexViewWindow {
 public:
  static constexpr wchar_t kClassName[] = L"TForm2";

  // Creates a hidden window for file (its caption and hint), loads the file
  // and shows the window. Throws on any failure; the window is then gone.
  static HexViewWindow* Open(const std::wstring& file, app::FileDialogs& dialogs, app::MessageBoxes& boxes);

  HWND Handle() const { return hwnd_; }
  HexEditorControl& EditorControl() { return editor_; }
  ClipboardEditor& Editor() { return editor_.Editor(); }
  HMENU PopupMenu1() const { return menu_; }
  FindBar& Finder() { return findBar_; }
  const std::wstring& Hint() const { return hint_; }
  // The tool tip that shows the hint over the editor.
  HWND HintTip() const { return hintTip_; }

  // Where the context menus of the window and its editor are tracked (the
  // system's by default). Not owned.
  void SetPopupMenus(app::PopupMenus& menus);

  // The commands of the context menu.
  void OnCommand(int id);

 private:
  HexViewWindow(app::FileDialogs& dialogs, app::MessageBoxes& boxes);
  ~HexViewWindow();
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateMenu();
  void ApplySettings();
  void ShowMenu(POINT screen);
  void SaveAs();
  bool AskReplace(const std::wstring& name);
  void ToggleCheck(int id);
  void LayoutChildren();
  void ShowHintAsToolTip();
  // The window's own keys: Ctrl+F, Ctrl+H, F3 / Shift+F3 and Ctrl+G.
  bool OnWindowKey(UINT key, bool ctrl, bool shift);
  void GoTo();

  app::FileDialogs& dialogs_;
  app::MessageBoxes& boxes_;
  app::PopupMenus* menus_;
  HWND hwnd_ = nullptr;
  HMENU menu_ = nullptr;
  std::wstring hint_;
  HWND hintTip_ = nullptr;
  HexEditorControl editor_;
  FindBar findBar_{editor_};
};

// The main window's open command: the open dialog (multiple selection),
// starting with `preselected` when that names a file, then one hex view
// window per chosen file. Any failure stops and only beeps.
void OpenHexViewFiles(HWND owner, app::FileDialogs& dialogs, app::MessageBoxes& boxes,
                      const std::wstring& preselected = {});

}  // namespace hexwin

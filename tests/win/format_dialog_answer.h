// Answers the modal "Select data format" dialog from inside its own message
// loop: a thread timer finds the dialog, records its list, picks a name,
// sets the "Hex text" box and confirms (or cancels).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace wintest {

struct FormatDialogAnswer {
  std::wstring pick;        // the list entry to choose; empty = cancel
  bool hexText = false;     // the state to leave the check box in
  bool shown = false;       // the dialog appeared
  bool hexTextAtStart = false;
  std::vector<std::wstring> names;
};

inline FormatDialogAnswer*& PendingFormatAnswer() {
  static FormatDialogAnswer* pending = nullptr;
  return pending;
}

inline void CALLBACK AnswerFormatDialogTimer(HWND, UINT, UINT_PTR id, DWORD) {
  FormatDialogAnswer* a = PendingFormatAnswer();
  HWND dialog = FindWindowW(L"#32770", L"Select data format");
  if (a == nullptr || dialog == nullptr) return;
  KillTimer(nullptr, id);
  PendingFormatAnswer() = nullptr;
  a->shown = true;
  HWND list = GetDlgItem(dialog, 101);
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  int pickIndex = -1;
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    a->names.emplace_back(text);
    if (a->pick == text) pickIndex = i;
  }
  a->hexTextAtStart = IsDlgButtonChecked(dialog, 102) == BST_CHECKED;
  CheckDlgButton(dialog, 102, a->hexText ? BST_CHECKED : BST_UNCHECKED);
  SendMessageW(list, LB_SETCURSEL, pickIndex, 0);
  SendMessageW(dialog, WM_COMMAND, pickIndex >= 0 ? IDOK : IDCANCEL, 0);
}

// Arms the answer for the next dialog on this thread.
inline void AnswerNextFormatDialog(FormatDialogAnswer& answer) {
  PendingFormatAnswer() = &answer;
  SetTimer(nullptr, 0, 30, &AnswerFormatDialogTimer);
}

}  // namespace wintest

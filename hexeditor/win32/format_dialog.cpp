#include "hexeditor/win32/format_dialog.h"

#include <cstdint>

#include "hexeditor/win32/dialog_template.h"
#include "platform/win32/wide.h"

namespace hexwin {

namespace {

struct DialogState {
  const std::vector<std::string>* names;
  bool hexText;
  int chosen = -1;
};

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<DialogState*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      HWND list = GetDlgItem(dialog, kIdFormatList);
      for (const std::string& name : *state->names)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::Widen(name).c_str()));
      SendMessageW(list, LB_SETCURSEL, 0, 0);
      CheckDlgButton(dialog, kIdHexText, state->hexText ? BST_CHECKED : BST_UNCHECKED);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || (LOWORD(wParam) == kIdFormatList && HIWORD(wParam) == LBN_DBLCLK)) {
        state->chosen = static_cast<int>(SendDlgItemMessageW(dialog, kIdFormatList, LB_GETCURSEL, 0, 0));
        state->hexText = IsDlgButtonChecked(dialog, kIdHexText) == BST_CHECKED;
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

std::optional<int> SelectDataFormat(HWND owner, const std::vector<std::string>& names, bool& hexText) {
  dialog::TemplateWriter t;
  t.Dword(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  t.Dword(0);
  t.Words({4, 0, 0, 200, 150, 0, 0});  // items, x, y, cx, cy, no menu, default class
  t.Text(L"Select data format");
  t.Words({9});
  t.Text(L"MS Shell Dlg");
  t.Item(LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 7, 7, 186, 100, kIdFormatList, dialog::kListBoxAtom, L"");
  t.Item(BS_AUTOCHECKBOX | WS_TABSTOP, 7, 110, 186, 12, kIdHexText, dialog::kButtonAtom, L"Hex text");
  t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 89, 128, 50, 14, IDOK, dialog::kButtonAtom, L"OK");
  t.Item(BS_PUSHBUTTON | WS_TABSTOP, 143, 128, 50, 14, IDCANCEL, dialog::kButtonAtom, L"Cancel");
  DialogState state{&names, hexText};
  const INT_PTR answer = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.Get(), owner, &Procedure,
                                                 reinterpret_cast<LPARAM>(&state));
  if (answer != IDOK || state.chosen < 0) return std::nullopt;
  hexText = state.hexText;
  return state.chosen;
}

}  // namespace hexwin

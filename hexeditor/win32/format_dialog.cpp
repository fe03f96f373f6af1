#include "hexeditor/win32/format_dialog.h"

#include "hexeditor/win32/dialog_runner.h"
#include "platform/win32/wide.h"

namespace hexwin {

std::optional<int> SelectDataFormat(HWND owner, const std::vector<std::string>& names, bool& hexText) {
  dialog::TemplateWriter t;
  t.Dialog(4, 200, 150, L"Select data format");
  t.Item(LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 7, 7, 186, 100, kIdFormatList, dialog::kListBoxAtom, L"");
  t.Item(BS_AUTOCHECKBOX | WS_TABSTOP, 7, 110, 186, 12, kIdHexText, dialog::kButtonAtom, L"Hex text");
  t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 89, 128, 50, 14, IDOK, dialog::kButtonAtom, L"OK");
  t.Item(BS_PUSHBUTTON | WS_TABSTOP, 143, 128, 50, 14, IDCANCEL, dialog::kButtonAtom, L"Cancel");
  int chosen = -1;
  bool checked = hexText;
  const dialog::Handlers handlers{
      [&](HWND dialog) {
        HWND list = GetDlgItem(dialog, kIdFormatList);
        for (const std::string& name : names)
          SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::Widen(name).c_str()));
        SendMessageW(list, LB_SETCURSEL, 0, 0);
        CheckDlgButton(dialog, kIdHexText, checked ? BST_CHECKED : BST_UNCHECKED);
      },
      [&](HWND dialog, WORD id, WORD code) {
        if (id != IDOK && !(id == kIdFormatList && code == LBN_DBLCLK)) return false;
        chosen = static_cast<int>(SendDlgItemMessageW(dialog, kIdFormatList, LB_GETCURSEL, 0, 0));
        checked = IsDlgButtonChecked(dialog, kIdHexText) == BST_CHECKED;
        EndDialog(dialog, IDOK);
        return true;
      }};
  if (dialog::RunModal(owner, t, handlers) != IDOK || chosen < 0) return std::nullopt;
  hexText = checked;
  return chosen;
}

}  // namespace hexwin

#include "hexeditor/win32/go_to_dialog.h"

#include "hexeditor/win32/dialog_runner.h"
#include "platform/win32/window_text.h"

namespace hexwin {

namespace {

void SelectAllText(HWND dialog) { SendDlgItemMessageW(dialog, kIdGoToText, EM_SETSEL, 0, -1); }

}  // namespace

bool AskGoTo(HWND owner, const std::wstring& text, const std::function<bool(const std::wstring&)>& accept) {
  dialog::TemplateWriter t;
  t.Dialog(4, 220, 74, kGoToCaption);
  t.Item(SS_LEFT, 7, 7, 206, 18, 0xFFFF, dialog::kStaticAtom,
         L"位置:十进制,或 0x 开头的十六进制;以 + 或 - 开头时从当前位置算起。");
  t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 28, 206, 14, kIdGoToText, dialog::kEditAtom, L"");
  t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 109, 52, 50, 14, IDOK, dialog::kButtonAtom, L"确定");
  t.Item(BS_PUSHBUTTON | WS_TABSTOP, 163, 52, 50, 14, IDCANCEL, dialog::kButtonAtom, L"取消");
  const dialog::Handlers handlers{
      [&](HWND dialog) {
        SetDlgItemTextW(dialog, kIdGoToText, text.c_str());
        SelectAllText(dialog);
      },
      [&](HWND dialog, WORD id, WORD) {
        if (id != IDOK) return false;
        if (accept(platform::WindowText(GetDlgItem(dialog, kIdGoToText)))) {
          EndDialog(dialog, IDOK);
        } else {
          MessageBeep(MB_OK);
          SetFocus(GetDlgItem(dialog, kIdGoToText));
          SelectAllText(dialog);
        }
        return true;
      }};
  return dialog::RunModal(owner, t, handlers) == IDOK;
}

}  // namespace hexwin

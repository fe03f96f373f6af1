#include "hexeditor/win32/go_to_dialog.h"

#include "hexeditor/win32/dialog_template.h"
#include "platform/win32/window_text.h"

namespace hexwin {

namespace {

struct DialogState {
  const std::wstring* text;
  const std::function<bool(const std::wstring&)>* accept;
};

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      state = reinterpret_cast<DialogState*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      SetDlgItemTextW(dialog, kIdGoToText, state->text->c_str());
      SendDlgItemMessageW(dialog, kIdGoToText, EM_SETSEL, 0, -1);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        if ((*state->accept)(platform::WindowText(GetDlgItem(dialog, kIdGoToText)))) {
          EndDialog(dialog, IDOK);
        } else {
          MessageBeep(MB_OK);
          SetFocus(GetDlgItem(dialog, kIdGoToText));
          SendDlgItemMessageW(dialog, kIdGoToText, EM_SETSEL, 0, -1);
        }
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

bool AskGoTo(HWND owner, const std::wstring& text, const std::function<bool(const std::wstring&)>& accept) {
  dialog::TemplateWriter t;
  t.Dword(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  t.Dword(0);
  t.Words({4, 0, 0, 220, 74, 0, 0});  // items, x, y, cx, cy, no menu, default class
  t.Text(kGoToCaption);
  t.Words({9});
  t.Text(L"MS Shell Dlg");
  t.Item(SS_LEFT, 7, 7, 206, 18, 0xFFFF, dialog::kStaticAtom,
         L"位置:十进制,或 0x 开头的十六进制;以 + 或 - 开头时从当前位置算起。");
  t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 28, 206, 14, kIdGoToText, dialog::kEditAtom, L"");
  t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 109, 52, 50, 14, IDOK, dialog::kButtonAtom, L"确定");
  t.Item(BS_PUSHBUTTON | WS_TABSTOP, 163, 52, 50, 14, IDCANCEL, dialog::kButtonAtom, L"取消");
  DialogState state{&text, &accept};
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.Get(), owner, &Procedure,
                                 reinterpret_cast<LPARAM>(&state)) == IDOK;
}

}  // namespace hexwin

#include "hexeditor/win32/format_dialog.h"

#include <cstdint>

#include "platform/win32/wide.h"

namespace hexwin {

namespace {

struct DialogState {
  const std::vector<std::string>* names;
  bool hexText;
  int chosen = -1;
};

// A dialog template in memory: DLGTEMPLATE, then per control a
// DLGITEMTEMPLATE on a DWORD boundary, each followed by class, title and
// creation data as words.
class TemplateWriter {
 public:
  void Words(std::initializer_list<std::uint16_t> words) { data_.insert(data_.end(), words); }
  void Text(const wchar_t* text) {
    for (; *text != 0; ++text) data_.push_back(static_cast<std::uint16_t>(*text));
    data_.push_back(0);
  }
  void Align() {
    if (data_.size() % 2 != 0) data_.push_back(0);
  }
  void Dword(DWORD v) { Words({static_cast<std::uint16_t>(v & 0xFFFF), static_cast<std::uint16_t>(v >> 16)}); }
  void Item(DWORD style, short x, short y, short cx, short cy, WORD id, std::uint16_t atom, const wchar_t* title) {
    Align();
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    Words({static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y), static_cast<std::uint16_t>(cx),
           static_cast<std::uint16_t>(cy), id, 0xFFFF, atom});
    Text(title);
    Words({0});
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(data_.data()); }

 private:
  std::vector<std::uint16_t> data_;
};

constexpr std::uint16_t kButtonAtom = 0x0080;
constexpr std::uint16_t kListBoxAtom = 0x0083;

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
  TemplateWriter t;
  t.Dword(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  t.Dword(0);
  t.Words({4, 0, 0, 200, 150, 0, 0});  // items, x, y, cx, cy, no menu, default class
  t.Text(L"Select data format");
  t.Words({9});
  t.Text(L"MS Shell Dlg");
  t.Item(LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 7, 7, 186, 100, kIdFormatList, kListBoxAtom, L"");
  t.Item(BS_AUTOCHECKBOX | WS_TABSTOP, 7, 110, 186, 12, kIdHexText, kButtonAtom, L"Hex text");
  t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 89, 128, 50, 14, IDOK, kButtonAtom, L"OK");
  t.Item(BS_PUSHBUTTON | WS_TABSTOP, 143, 128, 50, 14, IDCANCEL, kButtonAtom, L"Cancel");
  DialogState state{&names, hexText};
  const INT_PTR answer = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.Get(), owner, &Procedure,
                                                 reinterpret_cast<LPARAM>(&state));
  if (answer != IDOK || state.chosen < 0) return std::nullopt;
  hexText = state.hexText;
  return state.chosen;
}

}  // namespace hexwin

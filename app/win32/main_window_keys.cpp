// The key boxes of a main window: the typing limit counted in GBK bytes,
// masking, the paste permission, the length hints, key files, and clearing
// the boxes and the clipboard.
#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/key_entry.h"
#include "app/key_file.h"
#include "app/win32/main_window.h"
#include "app/win32/main_window_ids.h"
#include "app/win32/ui_texts.h"
#include "platform/text.h"
#include "platform/win32/wide.h"
#include "platform/win32/window_text.h"

namespace app {

namespace {

constexpr COLORREF kPaper = 0xFFFFFF;
constexpr COLORREF kInk = 0x000000;

int BoxIndex(int id) { return id == kIdJm2 ? 1 : 0; }

// The selected part of an edit control's text.
std::wstring SelectedText(HWND box, const std::wstring& text) {
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (start > end) std::swap(start, end);
  start = std::min<DWORD>(start, static_cast<DWORD>(text.size()));
  end = std::min<DWORD>(end, static_cast<DWORD>(text.size()));
  return text.substr(start, end - start);
}

std::optional<std::wstring> ClipboardText(HWND owner) {
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(owner)) return std::nullopt;
  std::optional<std::wstring> text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = std::wstring(chars);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

}  // namespace

std::wstring MainWindow::KeyText(int id) const { return platform::WindowText(Control(id)); }

void MainWindow::SetKeyText(int id, const std::wstring& keyText) {
  settingKeyText_ = true;
  SetWindowTextW(Control(id), keyText.c_str());
  settingKeyText_ = false;
  keyText_[BoxIndex(id)] = keyText;
}

LRESULT MainWindow::OnKeyBoxMessage(HWND box, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CHAR: {
      const auto c = static_cast<wchar_t>(wParam);
      if (c == 0x16) {  // Ctrl+V
        PasteIntoKeyBox(box, id);
        return 0;
      }
      if (c == L'\r') {
        InsertIntoKeyBox(box, id, L"\r\n");
        return 0;
      }
      // Printable characters; the edit control handles the control keys.
      if (c >= 0x20) {
        InsertIntoKeyBox(box, id, std::wstring(1, c));
        return 0;
      }
      break;
    }
    case WM_PASTE:
      PasteIntoKeyBox(box, id);
      return 0;
    case WM_GETDLGCODE: {
      // Tab moves on to the next control, as in the other boxes.
      const LRESULT code = DefSubclassProc(box, message, wParam, lParam);
      const auto* keyMessage = reinterpret_cast<const MSG*>(lParam);
      if (keyMessage != nullptr && keyMessage->message == WM_KEYDOWN && keyMessage->wParam == VK_TAB)
        return code & ~(DLGC_WANTALLKEYS | DLGC_WANTTAB);
      return code;
    }
    case WM_CONTEXTMENU:
      // With the paste permission the box keeps the system's edit menu.
      if (SendMessageW(Control(kIdCheckBox1), BM_GETCHECK, 0, 0) == BST_CHECKED) break;
      {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (lParam == -1) {
          RECT r{};
          GetWindowRect(box, &r);
          p = POINT{r.left + 8, r.top + 8};
        }
        ShowKeyMenu(id, p);
      }
      return 0;
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
      UpdateKeyHint(id);
      break;
    case WM_PAINT:
      // A disabled edit control draws its text in the system's grey, whatever
      // colours it is given: a masked key would show during a job.
      if (keyMasked_[BoxIndex(id)] && !IsWindowEnabled(box)) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(box, &paint);
        HBRUSH ink = CreateSolidBrush(kInk);
        FillRect(dc, &paint.rcPaint, ink);
        DeleteObject(ink);
        EndPaint(box, &paint);
        return 0;
      }
      break;
    default:
      break;
  }
  return DefSubclassProc(box, message, wParam, lParam);
}

void MainWindow::InsertIntoKeyBox(HWND box, int id, const std::wstring& insert) {
  const std::wstring current = KeyText(id);
  const std::string fitting = FittingInsertion(platform::Narrow(insert), KeyByteLength(platform::Narrow(current)),
                                               KeyByteLength(platform::Narrow(SelectedText(box, current))));
  if (fitting.empty()) {
    MessageBeep(MB_OK);
    return;
  }
  SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(platform::Widen(fitting).c_str()));
}

void MainWindow::PasteIntoKeyBox(HWND box, int id) {
  if (GetWindowLongPtrW(box, GWL_STYLE) & ES_READONLY) return;
  const std::optional<std::wstring> clip = ClipboardText(Handle());
  if (clip && !clip->empty()) InsertIntoKeyBox(box, id, *clip);
}

void MainWindow::KeyBoxTextChanged(int id) {
  const std::wstring now = KeyText(id);
  std::wstring& before = keyText_[BoxIndex(id)];
  // Input that reached the box by another way (an input method, dropped
  // text) is held to the same limit: a change that grows a box beyond it is
  // taken back.
  if (!settingKeyText_ && now.size() > before.size() && KeyByteLength(platform::Narrow(now)) > kMaxTypedKey &&
      KeyByteLength(platform::Narrow(now)) > KeyByteLength(platform::Narrow(before))) {
    SetKeyText(id, before);
    SendMessageW(Control(id), EM_SETSEL, before.size(), before.size());
    MessageBeep(MB_OK);
    return;
  }
  before = now;
}

void MainWindow::UpdateKeyHint(int id) {
  const std::wstring keyText = KeyText(id);
  const std::wstring hint = n20Checked_ ? keyText : platform::Widen(KeyLengthHint(platform::Narrow(keyText)));
  if (Hint(id) != hint) SetHint(id, hint);
}

void MainWindow::SetKeyBoxMasked(int id, bool masked) {
  const int i = BoxIndex(id);
  keyMasked_[i] = masked;
  // Masked: the background takes the font colour, so the text is there but
  // cannot be seen.
  HBRUSH brush = CreateSolidBrush(masked ? kInk : kPaper);
  if (brush != nullptr) keyBrushes_[i].Reset(brush);
  InvalidateRect(Control(id), nullptr, TRUE);
}

void MainWindow::PbmyClick() {
  try {
    const bool ticked = SendMessageW(Control(kIdPbmy), BM_GETCHECK, 0, 0) == BST_CHECKED;
    SetKeyBoxMasked(kIdJm1, ticked);
    SetKeyBoxMasked(kIdJm2, ticked);
    Store(setting::kMaskKeys, ticked ? 1 : 0);
  } catch (const std::exception&) {
    group_.services.boxes.Beep();
  }
}

void MainWindow::SetPbmy(bool ticked) {
  if ((SendMessageW(Control(kIdPbmy), BM_GETCHECK, 0, 0) == BST_CHECKED) == ticked) return;
  SendMessageW(Control(kIdPbmy), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
  PbmyClick();
}

void MainWindow::N18Click() {
  // The item's check mark changes first, then the box follows it.
  const bool masked = !keyMasked_[BoxIndex(menuBox_)];
  CheckMenuItem(popupMenu2_, kIdN18, MF_BYCOMMAND | (masked ? MF_CHECKED : MF_UNCHECKED));
  SetKeyBoxMasked(menuBox_, masked);
}

void MainWindow::CheckBox1Click() {
  const bool ticked = SendMessageW(Control(kIdCheckBox1), BM_GETCHECK, 0, 0) == BST_CHECKED;
  Store(setting::kPasteKeys, ticked ? 1 : 0);
  CheckMenuItem(popupMenu2_, kIdN30, MF_BYCOMMAND | (ticked ? MF_CHECKED : MF_UNCHECKED));
}

void MainWindow::SetCheckBox1(bool ticked) {
  if ((SendMessageW(Control(kIdCheckBox1), BM_GETCHECK, 0, 0) == BST_CHECKED) == ticked) return;
  SendMessageW(Control(kIdCheckBox1), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
  CheckBox1Click();
}

void MainWindow::N30Click() {
  const bool checked = !(GetMenuState(popupMenu2_, kIdN30, MF_BYCOMMAND) & MF_CHECKED);
  CheckMenuItem(popupMenu2_, kIdN30, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
  SetCheckBox1(checked);
}

void MainWindow::N20Click() {
  n20Checked_ = !n20Checked_;
  CheckMenuItem(popupMenu2_, kIdN20, MF_BYCOMMAND | (n20Checked_ ? MF_CHECKED : MF_UNCHECKED));
  Store(setting::kHintShowsKey, n20Checked_ ? 1 : 0);
}

void MainWindow::ShowKeyMenu(int id, POINT screen) {
  try {
    // PopupMenu2Popup: the menu acts on the box it was opened on.
    menuBox_ = id;
    const bool holdsText = GetWindowTextLengthW(Control(id)) > 0;
    EnableMenuItem(popupMenu2_, kIdN16, MF_BYCOMMAND | (holdsText ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(popupMenu2_, kIdN17, MF_BYCOMMAND | (holdsText ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(popupMenu2_, kIdN14, MF_BYCOMMAND | MF_ENABLED);
    CheckMenuItem(popupMenu2_, kIdN18, MF_BYCOMMAND | (keyMasked_[BoxIndex(id)] ? MF_CHECKED : MF_UNCHECKED));
  } catch (const std::exception&) {
    group_.services.boxes.Beep();
  }
  Hold hold(*this);
  group_.services.menus.Track(Handle(), popupMenu2_, screen);
}

void MainWindow::N14Click() {
  const int id = menuBox_;
  FileDialogRequest request{text::kLoadKeyTitle, text::kKeyFileFilter, 1, PreselectedFile()};
  std::optional<std::vector<std::wstring>> files;
  {
    Hold hold(*this);
    files = group_.services.dialogs.OpenFiles(Handle(), request);
  }
  if (!files || files->empty()) return;
  const LoadedKey loaded = LoadKeyFile(std::filesystem::path(files->front()));
  const std::optional<std::string> utf8 =
      loaded.outcome == LoadedKey::Outcome::kKey ? platform::GbkToUtf8(loaded.text) : std::nullopt;
  if (loaded.outcome == LoadedKey::Outcome::kUnreadable) {
    // An unreadable file, even part-way: the box keeps its key.
    group_.services.boxes.Beep();
    return;
  }
  if (!utf8) {
    // The box keeps its key; with the keys masked the user could not see
    // that nothing was loaded, so the refusal is shown.
    ShowNoticeText(text::kKeyFileNotGbk + files->front());
    return;
  }
  SetKeyText(id, platform::Widen(*utf8));
}

void MainWindow::N16Click() {
  const int id = menuBox_;
  FileDialogRequest request{text::kSaveKeyTitle, text::kKeyFileFilter, 1, L""};
  std::optional<SavedFile> saved;
  {
    Hold hold(*this);
    saved = group_.services.dialogs.SaveFile(Handle(), request);
  }
  if (!saved) return;
  const std::wstring path = platform::Widen(KeyFileSaveName(platform::Narrow(saved->path), saved->filterIndex));
  // The file holds exactly the key bytes the jobs would take; a key GBK
  // cannot write is not saved at all.
  const std::optional<std::string> bytes = KeyBytes(platform::Narrow(KeyText(id)));
  if (!bytes) {
    group_.services.boxes.Beep();
    return;
  }
  std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  out.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
  out.close();
  if (!out) group_.services.boxes.Beep();
}

void MainWindow::N17Click() { SetKeyText(menuBox_, L""); }

void MainWindow::N5Click() {
  SetKeyText(kIdJm1, L"");
  SetKeyText(kIdJm2, L"");
}

void MainWindow::N12Click() {
  if (!IsClipboardFormatAvailable(CF_TEXT) && !IsClipboardFormatAvailable(CF_OEMTEXT)) return;
  if (!OpenClipboard(Handle())) {
    group_.services.boxes.Beep();
    return;
  }
  EmptyClipboard();
  CloseClipboard();
}

}  // namespace app

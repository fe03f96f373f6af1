#include "hexeditor/win32/hex_view_window.h"

#include <commctrl.h>

#include <filesystem>
#include <system_error>

#include "app/win32/dpi.h"
#include "app/work_area_fit.h"
#include "hexeditor/editor/go_to.h"
#include "hexeditor/win32/go_to_dialog.h"
#include "hexeditor/win32/system_popup_menus.h"
#include "hexeditor/win32/window_class.h"
#include "platform/win32/wide.h"
#include "platform/win32/window_text.h"

namespace hexwin {

namespace fs = std::filesystem;

namespace {

constexpr int kEditorId = 1;
constexpr int kFindBarId = 2;
constexpr std::size_t kMaxSaveNameChars = 216;
constexpr wchar_t kAllFilesFilter[] = L"全部文件(*.*)|*.*";

struct MenuLine {
  int id;  // 0: a separator
  const wchar_t* caption = nullptr;
  bool checked = false;
};

constexpr MenuLine kSeparator{0};

// The window's pop-up menu, top to bottom.
constexpr MenuLine kMenu[] = {
    {kIdN1, L"文件保存为"},
    {kIdBak1, L"(勾选时)覆盖替换原文件前备份(.bak)", true},
    kSeparator,
    {kIdN5, L"(勾选时)文件为只读模式"},
    kSeparator,
    {kIdN4, L"(勾选时)插入内容"},
    kSeparator,
    {kIdN10, L"复制"},
    {kIdN12, L"剪贴"},
    {kIdN11, L"粘贴"},
    kSeparator,
    {kIdN2, L"撤消修改"},
    {kIdN3, L"重做修改"},
    kSeparator,
    {kIdN161, L"另外打开文件16进制查看(编辑修改)"},
    kSeparator,
    {kIdFind, L"查找\tCtrl+F"},
    {kIdReplace, L"替换\tCtrl+H"},
    {kIdGoTo, L"转到位置\tCtrl+G"},
};

// The design's place where the monitor it lies on holds it; otherwise moved
// and shrunk into that monitor's work area, so that the character column
// is never off the screen.
app::ScreenRect PlaceOnScreen(const app::DesignRect& design) {
  const app::ScreenRect wanted{design.left, design.top, design.left + design.width, design.top + design.height};
  const RECT r{wanted.left, wanted.top, wanted.right, wanted.bottom};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &monitor)) return wanted;
  const RECT& work = monitor.rcWork;
  return app::FitIntoWorkArea(wanted, {work.left, work.top, work.right, work.bottom});
}

}  // namespace

HexViewWindow* HexViewWindow::Open(const std::wstring& file, app::FileDialogs& dialogs, app::MessageBoxes& boxes) {
  static const ATOM registered = RegisterFaceClass(kClassName, &HexViewWindow::Procedure);
  if (registered == 0) throw std::system_error(static_cast<int>(GetLastError()), std::system_category());
  auto* self = new HexViewWindow(dialogs, boxes);
  // Without an owner: hex view windows are independent of every main window.
  // The design's place and size, at the screen's resolution.
  const app::ScreenRect place = PlaceOnScreen(app::ScaleForDpi(app::DesignRect{266, 250, 1088, 750}, app::dpi::ForSystem()));
  HWND hwnd = CreateWindowExW(0, kClassName, file.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, place.left,
                              place.top, place.right - place.left, place.bottom - place.top, nullptr, nullptr,
                              GetModuleHandleW(nullptr), self);
  if (hwnd == nullptr) {
    delete self;
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category());
  }
  try {
    self->hint_ = file;
    self->ShowHintAsToolTip();
    self->Editor().LoadFile(fs::path(file));
  } catch (...) {
    DestroyWindow(hwnd);  // frees self
    throw;
  }
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  SetFocus(self->editor_.Handle());
  return self;
}

HexViewWindow::HexViewWindow(app::FileDialogs& dialogs, app::MessageBoxes& boxes)
    : dialogs_(dialogs), boxes_(boxes), menus_(&SystemPopupMenus()) {}

void HexViewWindow::SetPopupMenus(app::PopupMenus& menus) {
  menus_ = &menus;
  editor_.SetPopupMenus(menus);
}

HexViewWindow::~HexViewWindow() {
  if (menu_ != nullptr) DestroyMenu(menu_);
}

LRESULT CALLBACK HexViewWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<HexViewWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    self = static_cast<HexViewWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  LRESULT result = 0;
  try {
    result = self->OnMessage(message, wParam, lParam);
  } catch (...) {
    MessageBeep(MB_OK);
    result = message == WM_CREATE ? -1 : DefWindowProcW(hwnd, message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    delete self;  // the close action "free"
  }
  return result;
}

LRESULT HexViewWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      RECT client{};
      GetClientRect(hwnd_, &client);
      editor_.Create(hwnd_, kEditorId, client);
      editor_.onShowMessage = [this](const std::string& text) {
        boxes_.Show(hwnd_, platform::Widen(text), L"", MB_OK);
      };
      const auto windowKeys = [this](UINT key, bool ctrl, bool shift) { return OnWindowKey(key, ctrl, shift); };
      editor_.onWindowKey = windowKeys;
      findBar_.Create(hwnd_, kFindBarId, windowKeys);
      findBar_.onLayout = [this] { LayoutChildren(); };
      ApplySettings();
      CreateMenu();
      return 0;
    }
    case WM_SIZE:
      LayoutChildren();
      return 0;
    case WM_DPICHANGED: {
      // On a monitor of another resolution: the system's suggested bounds,
      // and the grid measures its font anew.
      const RECT& r = *reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
      editor_.FontChanged();
      return 0;
    }
    case WM_SETFOCUS:
      if (editor_.Handle() != nullptr) SetFocus(editor_.Handle());
      return 0;
    case WM_CONTEXTMENU: {
      POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (p.x == -1 && p.y == -1) {
        p = {0, 0};
        ClientToScreen(hwnd_, &p);
      }
      ShowMenu(p);
      return 0;
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

void HexViewWindow::ShowHintAsToolTip() {
  const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
  InitCommonControlsEx(&classes);
  hintTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  if (hintTip_ == nullptr) return;  // a window without its tip still works
  // The editor fills the window: its tool is the editor, as the window's hint
  // is what a pointer over the editor shows.
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(editor_.Handle());
  tool.lpszText = hint_.data();
  SendMessageW(hintTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  // Long paths wrap instead of running off the screen.
  SendMessageW(hintTip_, TTM_SETMAXTIPWIDTH, 0, app::ScaleForDpi(600, app::dpi::ForWindow(hwnd_)));
}

void HexViewWindow::LayoutChildren() {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int bar = findBar_.Height();
  if (findBar_.Handle() != nullptr) MoveWindow(findBar_.Handle(), 0, 0, client.right, bar, TRUE);
  if (editor_.Handle() != nullptr) MoveWindow(editor_.Handle(), 0, bar, client.right, client.bottom - bar, TRUE);
}

bool HexViewWindow::OnWindowKey(UINT key, bool ctrl, bool shift) {
  if (key == VK_F3 && !ctrl) {
    findBar_.FindNext(shift);
    return true;
  }
  if (!ctrl || shift) return false;
  switch (key) {
    case 'F': findBar_.Show(false); return true;
    case 'H': findBar_.Show(true); return true;
    case 'G': GoTo(); return true;
    default: return false;
  }
}

void HexViewWindow::GoTo() {
  if (findBar_.Busy()) return;
  hexed::TQDHexEditorEx& e = Editor();
  const bool accepted = AskGoTo(hwnd_, L"", [&](const std::wstring& text) {
    const std::optional<std::int64_t> pos =
        hexed::GoToPosition(platform::Narrow(text), e.OffsetFormatRecord(), e.CaretPosition(), e.DataSize());
    if (!pos) return false;
    e.SetCaretPosition(static_cast<std::int64_t>(*pos), e.CaretInCharField());
    e.ScrollCaretIntoView();
    return true;
  });
  if (accepted) editor_.CaretMoved();
  SetFocus(editor_.Handle());
}

void HexViewWindow::ApplySettings() {
  hexed::TQDHexEditorEx& e = Editor();
  e.SetTranslation(hexed::tkAsIs);
  e.SetOffsetFormat("-!10:0x|");
  e.SetBackupExtension(".bak");
  e.SetCreateBackup(true);
  e.SetFocusFrame(true);
  e.SetDrawGridLines(false);
  e.SetColors(hexed::HexWindowColors());
  // "Microsoft Sans Serif", height -15: 11 points at 96 dots per inch.
  e.SetFont("Microsoft Sans Serif", 11);
  e.SetBytesPerRow(24);
  e.SetAutoBytesPerRow(true);
  e.SetReadOnlyView(false);
  hexed::TQDHPrintOptions print;
  print.MarginLeft = 20;
  print.MarginTop = 15;
  print.MarginRight = 25;
  print.MarginBottom = 25;
  print.Flags = hexed::pfSelectionBold | hexed::pfMonochrome;
  e.SetPrintOptions(print);
  e.SetPrintFont({"Courier New", -15});
}

void HexViewWindow::CreateMenu() {
  menu_ = CreatePopupMenu();
  for (const MenuLine& line : kMenu) {
    if (line.id == 0) {
      AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(menu_, MF_STRING | (line.checked ? MF_CHECKED : MF_UNCHECKED), static_cast<UINT_PTR>(line.id),
                  line.caption);
    }
  }
}

void HexViewWindow::ShowMenu(POINT screen) {
  menus_->Track(hwnd_, menu_, screen);
}

void HexViewWindow::ToggleCheck(int id) {
  const bool checked = (GetMenuState(menu_, static_cast<UINT>(id), MF_BYCOMMAND) & MF_CHECKED) == 0;
  CheckMenuItem(menu_, static_cast<UINT>(id), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void HexViewWindow::OnCommand(int id) {
  // While a search reads the data nothing may change it.
  if (findBar_.Busy()) {
    boxes_.Beep();
    return;
  }
  try {
    hexed::TQDHexEditorEx& e = Editor();
    const auto checked = [&](int item) {
      return (GetMenuState(menu_, static_cast<UINT>(item), MF_BYCOMMAND) & MF_CHECKED) != 0;
    };
    switch (id) {
      case kIdN1: SaveAs(); break;
      case kIdBak1: ToggleCheck(id); e.SetCreateBackup(checked(id)); break;
      case kIdN5: ToggleCheck(id); e.SetReadOnlyView(checked(id)); break;
      case kIdN4: ToggleCheck(id); e.SetInsertMode(checked(id)); break;
      case kIdN10: if (e.CanCopy()) e.CopyToClipboard(); break;
      case kIdN12: if (e.CanCut()) e.CutToClipboard(); break;
      case kIdN11: if (e.CanPaste()) e.PasteFromClipboard(); break;
      // Undo and redo straight through: they work also in the read-only view.
      case kIdN2: e.Undo(); break;
      case kIdN3: e.Redo(); break;
      case kIdN161: OpenHexViewFiles(hwnd_, dialogs_, boxes_, hint_); break;
      case kIdFind: findBar_.Show(false); break;
      case kIdReplace: findBar_.Show(true); break;
      case kIdGoTo: GoTo(); break;
      default: break;
    }
    editor_.CaretMoved();
  } catch (...) {
    boxes_.Beep();
  }
}

bool HexViewWindow::AskReplace(const std::wstring& name) {
  return boxes_.Show(hwnd_, name + L" 文件已经存在,是否替换? 否 则取消。", L"替换文件", MB_YESNO | MB_ICONQUESTION) ==
         IDYES;
}

void HexViewWindow::SaveAs() {
  const fs::path shown(platform::WindowText(hwnd_));
  app::FileDialogRequest request;
  request.title = L"16进制文件另存为：";
  request.filter = kAllFilesFilter;
  request.fileName = (shown.parent_path() / shown.filename().wstring().substr(0, kMaxSaveNameChars)).wstring();
  const std::optional<app::SavedFile> chosen = dialogs_.SaveFile(hwnd_, request);
  if (!chosen) return;
  std::error_code ec;
  if (fs::exists(chosen->path, ec) && !AskReplace(chosen->path)) return;
  const fs::path target(chosen->path);
  std::wstring name = target.filename().wstring();
  fs::path final = target;
  if (name.size() > kMaxSaveNameChars) {
    name.resize(kMaxSaveNameChars);
    final = target.parent_path() / name;
    if (fs::exists(final, ec) && !AskReplace(final.wstring())) return;
  }
  Editor().SaveFile(final, true);
}

void OpenHexViewFiles(HWND owner, app::FileDialogs& dialogs, app::MessageBoxes& boxes,
                      const std::wstring& preselected) {
  try {
    app::FileDialogRequest request;
    request.title = L"选择文件进行16进制查看或者编辑修改(可多选)：";
    request.filter = kAllFilesFilter;
    std::error_code ec;
    if (!preselected.empty() && fs::is_regular_file(fs::path(preselected), ec)) request.fileName = preselected;
    const auto files = dialogs.OpenFiles(owner, request);
    if (!files) return;
    for (const std::wstring& file : *files) HexViewWindow::Open(file, dialogs, boxes);
  } catch (...) {
    boxes.Beep();
  }
}

}  // namespace hexwin

// Creation, layout and painting of a main window, the message routing, and
// the window's own small commands (fold, colours, logo, dragging, web labels,
// status-bar double-click).
#include <windows.h>

#include <commctrl.h>
#include "app/win32/main_window.h"

#include <windowsx.h>

#include "app/colors.h"
#include "app/fold.h"
#include "app/key_entry.h"
#include "app/win32/dpi.h"
#include "app/win32/last_error.h"
#include "app/win32/main_window_ids.h"
#include "app/win32/ui_texts.h"
#include "platform/win32/wide.h"
#include "hexeditor/win32/hex_view_window.h"

namespace app {

namespace {

constexpr int kStatusBarHeight = 25;
constexpr COLORREF kOlive = 0x008080;
constexpr COLORREF kPressedSite = 0xFFFF00;
constexpr COLORREF kKeyPaper = 0xFFFFFF;
constexpr COLORREF kKeyInk = 0x000000;

// Outer bounds for a client area of `clientWidth` × `clientHeight` at `dpi`,
// centred on the work area (the desktop without the task bar).
RECT CentredBounds(int clientWidth, int clientHeight, int dpi) {
  RECT bounds{0, 0, clientWidth, clientHeight};
  if (!dpi::AdjustWindowRect(&bounds, MainWindow::kStyle, MainWindow::kExStyle, dpi))
    ThrowLastError("AdjustWindowRectEx");
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  RECT workArea{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0))
    workArea = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const int left = workArea.left + (workArea.right - workArea.left - width) / 2;
  const int top = workArea.top + (workArea.bottom - workArea.top - height) / 2;
  return RECT{left, top, left + width, top + height};
}

// A negative height asks for the character height without internal leading,
// which is how the design measures font sizes in pixels.
HFONT MakeFont(const wchar_t* face, int pixels, bool bold, BYTE charset = DEFAULT_CHARSET) {
  HFONT font = CreateFontW(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, charset,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
  if (font == nullptr) ThrowLastError("CreateFontW");
  return font;
}

std::uint32_t SystemColor(int index) { return GetSysColor(index); }

bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

}  // namespace

MainWindow::Hold::~Hold() {
  if (--window_.holds_ == 0 && window_.closePending_ && window_.Handle() != nullptr)
    PostMessageW(window_.Handle(), kMsgTryFinishClose, 0, 0);
}

MainWindow::MainWindow(WindowGroup& group, bool isPrimary)
    : group_(group),
      isPrimary_(isPrimary),
      zip_([this](const std::function<void()>& event) { RunOnUiThread(event); }, [this] { PumpMessages(); }) {
  noKeyEntries_[0].caption = text::kNoKeyEncrypt;
  noKeyEntries_[1].caption = text::kNoKeyDecrypt;
}

MainWindow::~MainWindow() {
  // A worker may still be handing calls over to this window: serve them
  // until it has ended (its flags are cleared, so it ends at its next unit).
  if (workerRunning_) {
    state_.ClearJobFlags();
    while (workerRunning_) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
  }
  if (worker_.joinable()) worker_.join();
  Destroy();
  if (popupMenu1_ != nullptr) DestroyMenu(popupMenu1_);
  if (popupMenu2_ != nullptr) DestroyMenu(popupMenu2_);
  if (popupMenu3_ != nullptr) DestroyMenu(popupMenu3_);
}

void MainWindow::Create() {
  uiThread_ = GetCurrentThreadId();
  WNDCLASSEXW windowClass{};
  windowClass.style = CS_DBLCLKS;
  windowClass.hInstance = group_.instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  // No class brush: the colour belongs to each window and is painted in OnEraseBkgnd.
  windowClass.lpszClassName = kClassName;
  RegisterWindowClass(windowClass);

  SetColor(color_);
  dpi_ = dpi::ForSystem();
  CreateFonts();
  CreateHandle(kExStyle, kClassName, kCaption, kStyle,
               CentredBounds(Scale(kClientWidth), Scale(kClientHeight), dpi_), nullptr, group_.instance);
  // A window that opens on a monitor of another resolution than the
  // system's is laid out anew for it.
  if (const int actual = dpi::ForWindow(Handle()); actual != dpi_) {
    RECT outer{};
    GetWindowRect(Handle(), &outer);
    OnDpiChanged(actual, outer);
  }
}

void MainWindow::Show(int showCommand) {
  ShowWindow(Handle(), showCommand);
  UpdateWindow(Handle());
}

COLORREF MainWindow::Color() const { return ResolveColor(color_, SystemColor); }

void MainWindow::SetColor(app::Color color) {
  HBRUSH brush = CreateSolidBrush(ResolveColor(color, SystemColor));
  if (brush == nullptr) ThrowLastError("CreateSolidBrush");
  backgroundBrush_.Reset(brush);
  color_ = color;
  // The window clips its children, so they are repainted too: every label,
  // group and check box takes its background from the window colour.
  if (Handle() != nullptr)
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

std::wstring MainWindow::Hint(int id) const {
  const auto it = hints_.find(id);
  return it == hints_.end() ? std::wstring() : it->second;
}

int MainWindow::ButtonTag(int id) const {
  const auto it = buttonTags_.find(id);
  return it == buttonTags_.end() ? 0 : it->second;
}

void MainWindow::CreateFonts() {
  fontDefault_.Reset(MakeFont(kFontFace, Scale(kFontHeight), false));
  fontLogo_.Reset(MakeFont(L"Arial", Scale(29), true));
  fontSite_.Reset(MakeFont(kFontFace, Scale(13), true));
  fontFold_.Reset(MakeFont(kFontFace, Scale(13), true));
  fontKai19_.Reset(MakeFont(L"楷体_GB2312", Scale(19), false, GB2312_CHARSET));
  fontKai16_.Reset(MakeFont(L"楷体_GB2312", Scale(16), false, GB2312_CHARSET));
  fontKey_.Reset(MakeFont(L"Arial", Scale(15), false));
  fontLog_.Reset(MakeFont(L"Arial", Scale(21), false));
}

HWND MainWindow::AddControl(int id, const wchar_t* className, const wchar_t* caption, DWORD style, int x, int y,
                            int width, int height, HFONT font, DWORD exStyle) {
  // Siblings clip each other: in a fold state the status bar lies over other
  // controls, and those must not paint over it.
  // Positions are the design's; the window places them at its resolution.
  designPlaces_[id] = DesignRect{x, y, width, height};
  const DesignRect place = ScaleForDpi(designPlaces_[id], dpi_);
  HWND control = CreateWindowExW(exStyle, className, caption, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style,
                                 place.left, place.top, place.width, place.height,
                                 Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), group_.instance, nullptr);
  if (control == nullptr) ThrowLastError("CreateWindowExW");
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

void MainWindow::CreateControls() {
  const HFONT normal = fontDefault_.Get();
  // Top panel. The panel is an area of the window: its children sit at the
  // window's coordinates, and its hint, menu and double-click are the window's.
  AddControl(kIdLabel3, WC_STATICW, L"星尘", SS_CENTER | SS_NOTIFY, 216, 0, 60, 34, fontLogo_.Get());
  AddControl(kIdSiteLeft, WC_STATICW, L"", SS_LEFT | SS_NOTIFY | SS_NOPREFIX, 3, 0, 55, 19, fontSite_.Get());
  AddControl(kIdSiteRight, WC_STATICW, L"", SS_LEFT | SS_NOTIFY | SS_NOPREFIX, 424, 0, 70, 19, fontSite_.Get());
  AddControl(kIdButton1, WC_BUTTONW, L"加密文件", BS_PUSHBUTTON | WS_TABSTOP, 69, 18, 99, 33, normal);
  AddControl(kIdSf, WC_BUTTONW, L">>>>>>", BS_PUSHBUTTON | WS_TABSTOP, 212, 35, 69, 27, fontFold_.Get());
  AddControl(kIdButton2, WC_BUTTONW, L"解密文件", BS_PUSHBUTTON | WS_TABSTOP, 323, 18, 99, 33, normal);
  AddControl(kIdProgressBar1, PROGRESS_CLASSW, L"", 0, 16, 68, 465, 28, normal);

  // Keys.
  AddControl(kIdLabel2, WC_STATICW, text::kLabel2, SS_LEFT | SS_NOTIFY, 18, 108, 200, 19, fontKai19_.Get());
  AddControl(kIdLabel1, WC_STATICW, text::kLabel1, SS_LEFT | SS_NOTIFY, 258, 108, 200, 19, fontKai19_.Get());
  const DWORD keyStyle = ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP;
  AddControl(kIdJm1, WC_EDITW, L"", keyStyle, 16, 128, 226, 153, fontKey_.Get(), WS_EX_CLIENTEDGE);
  AddControl(kIdJm2, WC_EDITW, L"", keyStyle, 255, 128, 226, 153, fontKey_.Get(), WS_EX_CLIENTEDGE);
  for (int id : {kIdJm1, kIdJm2}) {
    // Loaded keys reach 2,056 bytes; typing is held to 1,028 bytes separately.
    SendMessageW(Control(id), EM_LIMITTEXT, 0x7FFFFFFE, 0);
    SetKeyBoxMasked(id, false);
  }

  // Compression choice: a group with four items in four columns.
  // The items lie above the group in the z-order, and the group does not
  // paint over them. A group box paints no background of its own (it
  // expects its parent's), and the window clips its children out of its
  // own: the group paints the window's colour itself.
  for (int i = 0; i < 4; ++i)
    AddControl(kIdRgysl0 + i, WC_BUTTONW, text::kRgyslItems[i],
               BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0), 23 + 9 + i * 85, 291 + 20, 83, 24, normal);
  HWND group = AddControl(kIdRgysl, WC_BUTTONW, text::kRgysl, BS_GROUPBOX | WS_CLIPSIBLINGS, 23, 291, 352, 53, normal);
  SetWindowPos(group, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetCompressionChoice(kDesignCompression, false);
  AddControl(kIdCheckBox1, WC_BUTTONW, text::kCheckBox1, BS_AUTOCHECKBOX | WS_TABSTOP, 391, 288, 98, 25,
             fontKai16_.Get());
  AddControl(kIdPbmy, WC_BUTTONW, text::kPbmy, BS_AUTOCHECKBOX | WS_TABSTOP, 391, 312, 98, 22, fontKai16_.Get());
  AddControl(kIdCheckBox2, WC_BUTTONW, text::kCheckBox2, BS_AUTOCHECKBOX | WS_TABSTOP, 392, 336, 97, 17, normal);
  SendMessageW(Control(kIdCheckBox2), BM_SETCHECK, BST_CHECKED, 0);

  // Package buttons.
  AddControl(kIdButton6, WC_BUTTONW, L"创建自解密", BS_PUSHBUTTON | WS_TABSTOP, 53, 362, 108, 33, normal);
  AddControl(kIdButton8, WC_BUTTONW, L"分离", BS_PUSHBUTTON | WS_TABSTOP, 217, 362, 70, 33, normal);
  AddControl(kIdButton7, WC_BUTTONW, L"自解密", BS_PUSHBUTTON | WS_TABSTOP, 341, 362, 100, 33, normal);

  // Log list: a drop-down list with an edit field, 12 lines when open.
  HWND log = AddControl(kIdComboBox1, WC_COMBOBOXW, L"",
                        CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP | WS_CLIPSIBLINGS, 16, 408, 465,
                        32 + 12 * 24, fontLog_.Get());
  SendMessageW(log, CB_SETMINVISIBLE, 12, 0);

  // Status bar: two panels, at the bottom of whatever height the window has.
  HWND status = AddControl(kIdStatusBar1, STATUSCLASSNAMEW, L"",
                           CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER | WS_CLIPSIBLINGS, 0,
                           kClientHeight - kStatusBarHeight, kClientWidth, kStatusBarHeight, normal);
  SetStatusParts();
  SendMessageW(status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text::kSlogan));
  SetStatusPanelText(text::kStatusPanelStart);
  // The status bar covers the rows that a fold hides under it.
  SetWindowPos(status, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

  for (int id : {kIdLabel3, kIdSiteLeft, kIdSiteRight, kIdProgressBar1, kIdJm1, kIdJm2, kIdStatusBar1, kIdRgysl})
    Subclass(id);
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (GetComboBoxInfo(log, &info) && info.hwndItem != nullptr)
    SetWindowSubclass(info.hwndItem, &MainWindow::ControlProcedure, kIdComboBox1, reinterpret_cast<DWORD_PTR>(this));
}

void MainWindow::CreateTooltip() {
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                             group_.instance, nullptr);
  if (tooltip_ == nullptr) ThrowLastError("CreateWindowExW");
  // Key texts shown as hints keep their line breaks.
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, Scale(600));
  SetHint(kIdPanel1, text::kPanel1Hint);
  SetHint(kIdLabel3, text::kLabel3Hint);
  SetHint(kIdSiteRight, text::kSiteRightHint);
  SetHint(kIdButton1, text::kButton1Hint);
  SetHint(kIdSf, text::kSfHint);
  SetHint(kIdButton2, text::kButton2Hint);
  SetHint(kIdProgressBar1, text::kProgressBar1Hint);
  SetHint(kIdRgysl, text::kRgyslHint);
  for (int i = 0; i < 4; ++i) SetHint(kIdRgysl0 + i, text::kRgyslHint);
  SetHint(kIdCheckBox1, text::kCheckBox1Hint);
  SetHint(kIdPbmy, text::kPbmyHint);
  SetHint(kIdCheckBox2, text::kCheckBox2Hint);
  SetHint(kIdButton6, text::kButton6Hint);
  SetHint(kIdButton8, text::kButton8Hint);
  SetHint(kIdButton7, text::kButton7Hint);
  SetHint(kIdComboBox1, text::kComboBox1Hint);
  SetHint(kIdStatusBar1, text::kStatusBar1Hint);
}

void MainWindow::SetHint(int id, const std::wstring& hintText) {
  hints_[id] = hintText;
  if (tooltip_ == nullptr) return;
  std::vector<HWND> tools;
  if (id == kIdPanel1) {
    tools.push_back(nullptr);
  } else if (HWND control = Control(id)) {
    tools.push_back(control);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (id == kIdComboBox1 && GetComboBoxInfo(control, &info) && info.hwndItem != nullptr)
      tools.push_back(info.hwndItem);
  }
  for (HWND tool : tools) {
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = Handle();
    ti.hinst = group_.instance;
    ti.lpszText = const_cast<wchar_t*>(hints_[id].c_str());
    if (tool == nullptr) {
      ti.uFlags = TTF_SUBCLASS;
      ti.uId = kIdPanel1;
      ti.rect = ScaledPanel1();
    } else {
      ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
      ti.uId = reinterpret_cast<UINT_PTR>(tool);
    }
    TTTOOLINFOW existing = ti;
    existing.lpszText = nullptr;
    if (SendMessageW(tooltip_, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&existing)))
      SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    else
      SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
}

void MainWindow::SetHintUtf8(int id, const std::string& hintText) { SetHint(id, platform::Widen(hintText)); }

void MainWindow::LayoutForClientHeight(int height) {
  if (HWND status = Control(kIdStatusBar1))
    SetWindowPos(status, HWND_TOP, 0, height - Scale(kStatusBarHeight), Scale(kClientWidth), Scale(kStatusBarHeight),
                 SWP_NOACTIVATE);
}

void MainWindow::Subclass(int id) {
  SetWindowSubclass(Control(id), &MainWindow::ControlProcedure, static_cast<UINT_PTR>(id),
                    reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK MainWindow::ControlProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                              DWORD_PTR self) {
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(control, &MainWindow::ControlProcedure, id);
    return DefSubclassProc(control, message, wParam, lParam);
  }
  // No exception may unwind through the system's code that called us.
  try {
    auto* window = reinterpret_cast<MainWindow*>(self);
    Hold hold(*window);
    return window->OnControlMessage(control, static_cast<int>(id), message, wParam, lParam);
  } catch (...) {
    MessageBeep(MB_OK);
    return DefSubclassProc(control, message, wParam, lParam);
  }
}

LRESULT MainWindow::OnControlMessage(HWND control, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (id) {
    case kIdJm1:
    case kIdJm2:
      return OnKeyBoxMessage(control, id, message, wParam, lParam);
    case kIdLabel3:
      if (message == WM_MOUSEMOVE) Label3MouseMove();
      break;
    case kIdSiteLeft:
    case kIdSiteRight:
      if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP) {
        siteLabelPressed_[id == kIdSiteRight] = message == WM_LBUTTONDOWN;
        InvalidateRect(control, nullptr, TRUE);
      }
      break;
    case kIdProgressBar1:
    case kIdStatusBar1:
      if (message == WM_LBUTTONDOWN) {
        FormMouseDown();
        return 0;
      }
      if (message == WM_LBUTTONDBLCLK && id == kIdStatusBar1) {
        StatusBar1DblClick();
        return 0;
      }
      break;
    case kIdRgysl:
      if (message == WM_ERASEBKGND) {
        RECT r{};
        GetClientRect(control, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, backgroundBrush_.Get());
        return 1;
      }
      break;
    case kIdComboBox1:  // the edit field of the log list
      if (message == WM_CONTEXTMENU) {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (lParam == -1) {
          RECT r{};
          GetWindowRect(control, &r);
          p = POINT{r.left, r.bottom};
        }
        ShowLogMenu(p);
        return 0;
      }
      break;
    default:
      break;
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

LRESULT MainWindow::OnColorMessage(UINT message, HDC dc, HWND control) {
  const int id = GetDlgCtrlID(control);
  if (id == kIdJm1 || id == kIdJm2) {
    const bool masked = keyMasked_[id == kIdJm2];
    SetTextColor(dc, kKeyInk);
    SetBkColor(dc, masked ? kKeyInk : kKeyPaper);
    return reinterpret_cast<LRESULT>(keyBrushes_[id == kIdJm2].Get());
  }
  if (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX || id == kIdComboBox1)
    return DefWindowProcW(Handle(), message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
  // Labels, check boxes, radio items and the group: the window's colour shows through.
  SetBkMode(dc, TRANSPARENT);
  COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
  if (id == kIdLabel3) ink = ResolveColor(logoColor_, SystemColor);
  if (id == kIdSiteLeft || id == kIdSiteRight) ink = siteLabelPressed_[id == kIdSiteRight] ? kPressedSite : kOlive;
  SetTextColor(dc, ink);
  return reinterpret_cast<LRESULT>(backgroundBrush_.Get());
}

bool MainWindow::OnCreate(const CREATESTRUCTW&) {
  CreateControls();
  CreateMenus();
  CreateTooltip();
  FormCreate();
  return true;
}

bool MainWindow::OnEraseBkgnd(HDC dc) {
  RECT client{};
  GetClientRect(Handle(), &client);
  FillRect(dc, &client, backgroundBrush_.Get());
  return true;
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // The closing hand-shake runs without a hold: it checks that nothing else
  // of this window is on the stack.
  if (message == kMsgTryFinishClose) {
    TryFinishClose();
    return 0;
  }
  if (message == kMsgWorkerEnded) {
    OnWorkerEnded();
    return 0;
  }
  Hold hold(*this);
  switch (message) {
    case kMsgRunOnUiThread: {
      // A job's worker hands a call over and waits for it. A window that is
      // closing clears the flags again: a job that set its flag after the
      // reset stops at its next check.
      if (closing_) state_.ClearJobFlags();
      try {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
      } catch (...) {
        group_.services.boxes.Beep();
      }
      return 0;
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      if (message == WM_CTLCOLORBTN) return reinterpret_cast<LRESULT>(backgroundBrush_.Get());
      return OnColorMessage(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_LBUTTONDOWN:
      FormMouseDown();
      return 0;
    case WM_LBUTTONDBLCLK:
      FormDblClick();
      return 0;
    case WM_CONTEXTMENU: {
      HWND from = reinterpret_cast<HWND>(wParam);
      POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      POINT client = screen;
      if (lParam == -1) {
        client = POINT{Scale(8), Scale(8)};
        screen = client;
        ClientToScreen(Handle(), &screen);
      } else {
        ScreenToClient(Handle(), &client);
      }
      if (from == Control(kIdComboBox1)) {
        ShowLogMenu(screen);
      } else if (Inside(ScaledPanel1(), client)) {
        // The panel's menu, also for its children that have none of their own.
        ShowMainMenu(screen);
      }
      return 0;
    }
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_SETCURSOR:
      if (OnSetCursor(reinterpret_cast<HWND>(wParam))) return TRUE;
      break;
    case WM_TIMER:
      if (wParam == kClosePauseTimer) {
        KillTimer(Handle(), kClosePauseTimer);
        closePauseOver_ = true;
        return 0;  // the hold's release tries to finish the close
      }
      if (wParam == kLogoClickTimer) {
        KillTimer(Handle(), kLogoClickTimer);
        Label3Click();
        return 0;
      }
      if (wParam == kUpdateTimer) {
        Timer1Timer();
        return 0;
      }
      break;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DROPFILES:
      WMDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    default:
      break;
  }
  return DefWindowProcW(Handle(), message, wParam, lParam);
}

bool MainWindow::OnSetCursor(HWND under) {
  if (under != Control(kIdLabel3) && under != Control(kIdSiteRight)) return false;
  SetCursor(LoadCursorW(nullptr, IDC_HAND));
  return true;
}

void MainWindow::OnCommand(int id, int code, HWND) {
  switch (id) {
    case kIdButton1:
      if (code == BN_CLICKED) Button1Click();
      return;
    case kIdButton2:
      if (code == BN_CLICKED) Button2Click();
      return;
    case kIdSf:
      if (code == BN_CLICKED) SfClick(true);
      return;
    case kIdButton6:
      if (code == BN_CLICKED) Button6Click();
      return;
    case kIdButton7:
      if (code == BN_CLICKED) Button7Click();
      return;
    case kIdButton8:
      if (code == BN_CLICKED) Button8Click();
      return;
    case kIdRgysl0:
    case kIdRgysl1:
    case kIdRgysl2:
    case kIdRgysl3:
      if (code == BN_CLICKED) SetCompressionChoice(id - kIdRgysl0, true);
      return;
    case kIdCheckBox1:
      if (code == BN_CLICKED) CheckBox1Click();
      return;
    case kIdPbmy:
      if (code == BN_CLICKED) PbmyClick();
      return;
    case kIdCheckBox2:
      if (code == BN_CLICKED) CheckBox2Click();
      return;
    case kIdLabel3:
      // A click opens the menu once it is clear that no double-click follows:
      // an open menu would swallow the second click.
      if (code == STN_CLICKED) SetTimer(Handle(), kLogoClickTimer, GetDoubleClickTime(), nullptr);
      if (code == STN_DBLCLK) {
        KillTimer(Handle(), kLogoClickTimer);
        Label3DblClick();
      }
      return;
    case kIdSiteLeft:
    case kIdSiteRight:
      if (code == STN_CLICKED) SiteLabelClick(id);
      if (code == STN_DBLCLK) SiteLabelDblClick(id);
      return;
    case kIdJm1:
    case kIdJm2:
      if (code == EN_CHANGE) KeyBoxTextChanged(id);
      return;
    case kIdNoKeyEncrypt: return NoKeyEntryClick(engine::NoKeyMode::kEncrypt);
    case kIdNoKeyDecrypt: return NoKeyEntryClick(engine::NoKeyMode::kDecrypt);
    case kIdN161:
      return hexwin::OpenHexViewFiles(Handle(), group_.services.dialogs, group_.services.boxes, PreselectedFile());
    case kIdN31: return N31Click();
    case kIdN5: return N5Click();
    case kIdN12: return N12Click();
    case kIdN3: return N3Click();
    case kIdN14: return N14Click();
    case kIdN16: return N16Click();
    case kIdN17: return N17Click();
    case kIdN18: return N18Click();
    case kIdN20: return N20Click();
    case kIdN30: return N30Click();
    case kIdN25: return SetMd5ReadMode(0);
    case kIdN26: return SetMd5ReadMode(1);
    case kIdN27: return SetMd5ReadMode(2);
    case kIdN28: return N28Click();
    case kIdAead: return SetAead(!aeadChecked_, true);
    case kIdDelfl: return delflClick();
    case kIdMD51: return MD51Click();
    case kIdMD52: return MD52Click();
    case kIdMD53: return MD53Click();
    case kIdN19: return N19Click();
    case kIdN21: return N21Click();
    case kIdComboBox1:
      if (code == CBN_SELCHANGE) ComboBox1Select();
      if (code == CBN_EDITCHANGE) ComboBox1Change();
      return;
    case kIdN6: return N6Click();
    case kIdN7: return N7Click();
    case kIdN9: return N9Click();
    case kIdN11: return N11Click();
    case kIdN1: return N1Click();
    case kIdN2: return N2Click();
    default:
      return;
  }
}

void MainWindow::SfClick(bool store) {
  try {
    sfTag_ = NextFoldState(sfTag_);
    ApplyFoldState();
    if (store) Store(setting::kFold, sfTag_);
  } catch (const std::exception&) {
    group_.services.boxes.Beep();
  }
}

void MainWindow::ApplyFoldState() {
  const FoldEntry entry = FoldEntryFor(sfTag_);
  SetWindowTextW(Control(kIdSf), platform::Widen(entry.caption).c_str());
  SetClientSize(Scale(kClientWidth), Scale(FoldClientHeight(sfTag_)), nullptr);
  LayoutForClientHeight(Scale(FoldClientHeight(sfTag_)));
  // The moved status bar leaves pieces of itself and of the controls it
  // covered: the whole window is painted anew.
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void MainWindow::FormDblClick() {
  try {
    if (const std::optional<COLORREF> chosen = [&] {
          Hold hold(*this);
          return group_.services.dialogs.ChooseColour(Handle(), Color());
        }())
      SetColor(static_cast<app::Color>(*chosen));
    Store(setting::kWindowColor, color_);
  } catch (const std::exception&) {
    group_.services.boxes.Beep();
  }
}

void MainWindow::FormMouseDown() {
  // The window follows the mouse as if its caption were dragged.
  ReleaseCapture();
  SendMessageW(Handle(), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
}

void MainWindow::Label3Click() {
  RECT outer{};
  GetWindowRect(Handle(), &outer);
  ShowMainMenu(POINT{outer.left + Scale(255), outer.top + Scale(55)});
}

void MainWindow::Label3DblClick() {
  try {
    if (const std::optional<COLORREF> chosen = [&] {
          Hold hold(*this);
          return group_.services.dialogs.ChooseColour(Handle(), ResolveColor(logoColor_, SystemColor));
        }())
      SetLogoColor(static_cast<app::Color>(*chosen));
    Store(setting::kLogoColor, logoColor_);
  } catch (const std::exception&) {
    group_.services.boxes.Beep();
  }
}

void MainWindow::Label3MouseMove() {
  Sleep(static_cast<DWORD>(group_.services.clock.PauseLength(28)));
  const LogoMove move = LogoMoveFor(LogoRandomNumber(group_.services.clock.Ticks()));
  if (move.changeColor) SetLogoColor(move.color);
  if (!move.caption.empty()) SetLogoCaption(platform::Widen(move.caption));
}

void MainWindow::SetLogoColor(app::Color color) {
  logoColor_ = color;
  InvalidateRect(Control(kIdLabel3), nullptr, TRUE);
}

void MainWindow::SetLogoCaption(const std::wstring& caption) {
  wchar_t current[16] = {};
  GetWindowTextW(Control(kIdLabel3), current, 16);
  if (caption != current) SetWindowTextW(Control(kIdLabel3), caption.c_str());
}

void MainWindow::SiteLabelClick(int id) {
  try {
    const wchar_t* host = id == kIdSiteLeft ? group_.sites.first.c_str() : group_.sites.second.c_str();
    wchar_t caption[128] = {};
    GetWindowTextW(Control(id), caption, 128);
    if (std::wstring_view(caption) != host) SetWindowTextW(Control(id), host);
    group_.services.shell.Open(Handle(), L"open", std::wstring(L"http://") + host + L"/", SW_SHOW);
    HiddenClickStep();
  } catch (const std::exception&) {
    group_.services.boxes.Beep();
  }
}

void MainWindow::SiteLabelDblClick(int id) {
  if (id != kIdSiteRight) return;
  try {
    SetColor(kSkyBlue);
    Store(setting::kWindowColor, kSkyBlue);
  } catch (const std::exception&) {
    group_.services.boxes.Beep();
  }
}

void MainWindow::StatusBar1DblClick() {
  HWND status = Control(kIdStatusBar1);
  const auto length = LOWORD(SendMessageW(status, SB_GETTEXTLENGTHW, 1, 0));
  std::wstring panel(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(status, SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(panel.data()));
  panel.resize(length);
  ShowNoticeText(panel);
}

void MainWindow::OnDestroy() {
  if (!finished_) {
    // Destroyed without closing (the program ends, or its owner destroys
    // it): the job ends first, and the table lets the window go.
    closing_ = true;
    state_.ClearJobFlags();
    while (workerRunning_) PumpFor(10);
    if (worker_.joinable()) worker_.join();
    group_.table.Closed(slot_, !isPrimary_);
    finished_ = true;
    if (!isPrimary_ && group_.primary != nullptr && group_.primary->Handle() != nullptr)
      PostMessageW(group_.primary->Handle(), kMsgTryFinishClose, 0, 0);
  }
  if (destroyedHandler_) destroyedHandler_();
}

void MainWindow::OnFinalMessage() {
  // A secondary window belongs to itself once it has been created.
  if (selfOwned_) delete this;
}

}  // namespace app

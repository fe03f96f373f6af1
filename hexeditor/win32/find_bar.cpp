#include "hexeditor/win32/find_bar.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "app/dpi_scale.h"
#include "app/win32/dpi.h"
#include "hexeditor/win32/hex_editor_control.h"
#include "hexeditor/win32/window_class.h"
#include "platform/text.h"
#include "platform/win32/wide.h"
#include "platform/win32/window_text.h"

namespace hexwin {

namespace find = hexed::find;
namespace search = hexed::search;

namespace {

constexpr wchar_t kClassName[] = L"TQDHFindBar";
constexpr UINT kProgressMessage = WM_APP + 1;
constexpr UINT kDoneMessage = WM_APP + 2;
constexpr int kRowHeight = 26;

struct Place {
  int id;
  const wchar_t* className;
  const wchar_t* caption;
  DWORD style;
  app::DesignRect rect;  // x, y, width, height; a width of 0 runs to the right edge
  bool replaceRow;
};

// Design places at 96 dots per inch. The status line takes what is left of
// the first row; the close button sits at its right end.
constexpr Place kPlaces[] = {
    {0, WC_STATICW, L"查找:", SS_LEFT | SS_CENTERIMAGE, {6, 3, 52, 22}, false},
    {kIdFindText, WC_EDITW, L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, {60, 3, 260, 22}, false},
    {kIdFindKind, WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, {326, 3, 116, 200}, false},
    {kIdIgnoreCase, WC_BUTTONW, L"不区分大小写", WS_TABSTOP | BS_AUTOCHECKBOX, {448, 3, 104, 22}, false},
    {kIdFindPrevious, WC_BUTTONW, L"上一个", WS_TABSTOP | BS_PUSHBUTTON, {556, 2, 62, 24}, false},
    {kIdFindNext, WC_BUTTONW, L"下一个", WS_TABSTOP | BS_PUSHBUTTON, {622, 2, 62, 24}, false},
    {kIdFindStop, WC_BUTTONW, L"停止", WS_TABSTOP | BS_PUSHBUTTON, {688, 2, 52, 24}, false},
    {kIdFindStatus, WC_STATICW, L"", SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX | SS_ENDELLIPSIS, {746, 3, 0, 22}, false},
    {kIdFindClose, WC_BUTTONW, L"关闭", WS_TABSTOP | BS_PUSHBUTTON, {0, 2, 52, 24}, false},
    {0, WC_STATICW, L"替换为:", SS_LEFT | SS_CENTERIMAGE, {6, 29, 52, 22}, true},
    {kIdReplaceText, WC_EDITW, L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, {60, 29, 260, 22}, true},
    {kIdReplaceOne, WC_BUTTONW, L"替换", WS_TABSTOP | BS_PUSHBUTTON, {326, 28, 62, 24}, true},
    {kIdReplaceAll, WC_BUTTONW, L"全部替换", WS_TABSTOP | BS_PUSHBUTTON, {392, 28, 80, 24}, true},
};

constexpr const wchar_t* kKindNames[] = {L"十六进制", L"文本(GBK)", L"文本(UTF-16LE)", L"文本(UTF-8)"};

bool KeyDown(int key) { return GetKeyState(key) < 0; }

}  // namespace

FindBar::FindBar(HexEditorControl& control) : control_(control) {}

FindBar::~FindBar() { Abandon(); }

void FindBar::Create(HWND parent, int id, const KeyHandler& windowKeys) {
  static const ATOM registered = RegisterFaceClass(kClassName, &FindBar::Procedure);
  if (registered == 0) return;
  windowKeys_ = windowKeys;
  dpi_ = app::dpi::ForWindow(parent);
  // WS_EX_CONTROLPARENT: Tab moves between the bar's fields.
  hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, L"", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), this);
}

int FindBar::Height() const {
  if (!visible_) return 0;
  return app::ScaleForDpi(replaceRow_ ? 2 * kRowHeight + 2 : kRowHeight + 2, dpi_);
}

LRESULT CALLBACK FindBar::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<FindBar*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    self = static_cast<FindBar*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  try {
    return self->OnMessage(message, wParam, lParam);
  } catch (...) {
    MessageBeep(MB_OK);
    return message == WM_CREATE ? -1 : 0;
  }
}

LRESULT FindBar::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateControls();
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kIdFindNext: FindNext(KeyDown(VK_SHIFT)); break;
        case kIdFindPrevious: FindNext(true); break;
        case kIdFindStop: Stop(); break;
        case kIdFindClose: Hide(); break;
        case kIdReplaceOne: ReplaceOne(); break;
        case kIdReplaceAll: ReplaceAll(); break;
        default: break;
      }
      return 0;
    case kProgressMessage:
      if (Busy()) SetStatus(find::ProgressText(static_cast<std::int64_t>(wParam), 100));
      return 0;
    case kDoneMessage:
      Finish();
      return 0;
    case WM_DESTROY:
      Abandon();
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

void FindBar::CreateControls() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) != FALSE)
    font_.Reset(CreateFontIndirectW(&metrics.lfMessageFont));
  placed_.clear();
  for (const Place& p : kPlaces) {
    HWND item = CreateWindowExW(0, p.className, p.caption, WS_CHILD | p.style, 0, 0, 0, 0, hwnd_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(p.id)), GetModuleHandleW(nullptr), nullptr);
    placed_.push_back(item);
    if (item == nullptr) continue;
    if (font_.Get() != nullptr) SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  }
  for (const wchar_t* name : kKindNames) SendMessageW(Item(kIdFindKind), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  SendMessageW(Item(kIdFindKind), CB_SETCURSEL, static_cast<WPARAM>(find::TextKind::kGbk), 0);
  for (int id : {kIdFindText, kIdReplaceText})
    SetWindowSubclass(Item(id), &FindBar::FieldProcedure, static_cast<UINT_PTR>(id), reinterpret_cast<DWORD_PTR>(this));
}

void FindBar::Layout() {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int right = client.right - app::ScaleForDpi(6, dpi_);
  const int closeWidth = app::ScaleForDpi(52, dpi_);
  // Each control was recorded beside its place when created: the labels have no id.
  for (std::size_t i = 0; i < placed_.size(); ++i) {
    HWND item = placed_[i];
    if (item == nullptr) continue;
    const Place& p = kPlaces[i];
    app::DesignRect r = app::ScaleForDpi(p.rect, dpi_);
    if (p.id == kIdFindClose) r.left = right - closeWidth;
    if (p.id == kIdFindStatus) r.width = std::max(0, right - closeWidth - app::ScaleForDpi(6, dpi_) - r.left);
    const bool shown = !p.replaceRow || replaceRow_;
    const bool stopShown = p.id != kIdFindStop || Busy();
    SetWindowPos(item, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(item, shown && stopShown ? SW_SHOWNA : SW_HIDE);
  }
}

void FindBar::Show(bool withReplace) {
  if (hwnd_ == nullptr) return;
  const bool changed = !visible_ || replaceRow_ != withReplace;
  visible_ = true;
  replaceRow_ = withReplace;
  ShowWindow(hwnd_, SW_SHOWNA);
  if (changed && onLayout) onLayout();
  Layout();
  if (!Busy()) {
    SetFocus(Item(kIdFindText));
    SendMessageW(Item(kIdFindText), EM_SETSEL, 0, -1);
  }
}

void FindBar::Hide() {
  if (!visible_) return;
  Stop();
  visible_ = false;
  ShowWindow(hwnd_, SW_HIDE);
  if (onLayout) onLayout();
  SetFocus(control_.Handle());
}

std::string FindBar::FieldText(int id) const { return platform::Narrow(platform::WindowText(Item(id))); }

find::TextKind FindBar::Kind() const {
  const auto index = SendMessageW(Item(kIdFindKind), CB_GETCURSEL, 0, 0);
  return index < 0 ? find::TextKind::kGbk : static_cast<find::TextKind>(index);
}

void FindBar::SetFindText(const std::wstring& text, find::TextKind kind, bool ignoreCase) {
  SetWindowTextW(Item(kIdFindText), text.c_str());
  SendMessageW(Item(kIdFindKind), CB_SETCURSEL, static_cast<WPARAM>(kind), 0);
  CheckDlgButton(hwnd_, kIdIgnoreCase, ignoreCase ? BST_CHECKED : BST_UNCHECKED);
}

void FindBar::SetReplaceText(const std::wstring& text) { SetWindowTextW(Item(kIdReplaceText), text.c_str()); }

std::wstring FindBar::StatusText() const { return platform::WindowText(Item(kIdFindStatus)); }

void FindBar::SetStatus(const std::string& text) { SetWindowTextW(Item(kIdFindStatus), platform::Widen(text).c_str()); }

void FindBar::Warn(const std::string& text) {
  SetStatus(text);
  MessageBeep(MB_OK);
}

void FindBar::ReportPatternError(const search::PatternError& error) { Warn(find::PatternErrorText(error.kind())); }

std::optional<search::Pattern> FindBar::PatternOrReport() {
  try {
    return find::MakePattern(FieldText(kIdFindText), Kind(), IsDlgButtonChecked(hwnd_, kIdIgnoreCase) == BST_CHECKED);
  } catch (const search::PatternError& e) {
    ReportPatternError(e);
    return std::nullopt;
  }
}

void FindBar::FindNext(bool backward) {
  if (Busy()) return;
  if (!visible_) Show(false);
  std::optional<search::Pattern> pattern = PatternOrReport();
  if (pattern) Start(Job::kFind, std::move(*pattern), backward);
}

void FindBar::ReplaceOne() {
  if (Busy()) return;
  std::optional<search::Pattern> pattern = PatternOrReport();
  if (!pattern) return;
  hexed::TCustomQDHexEditor& editor = control_.Editor();
  if (find::SelectionMatches(editor, *pattern)) {
    try {
      const std::vector<std::uint8_t> bytes = find::ReplacementBytes(FieldText(kIdReplaceText), Kind());
      const std::string refusal = find::ReplaceRefusal(editor, pattern->size(), bytes.size());
      if (!refusal.empty()) {
        Warn(refusal);
        return;
      }
      find::ReplaceSelectedMatch(editor, bytes);
      control_.CaretMoved();
    } catch (const search::PatternError& e) {
      ReportPatternError(e);
      return;
    }
  }
  // Replacing moves on to the next match, which the next click replaces.
  Start(Job::kFind, std::move(*pattern), false);
}

void FindBar::ReplaceAll() {
  if (Busy()) return;
  std::optional<search::Pattern> pattern = PatternOrReport();
  if (!pattern) return;
  try {
    replacement_ = find::ReplacementBytes(FieldText(kIdReplaceText), Kind());
  } catch (const search::PatternError& e) {
    ReportPatternError(e);
    return;
  }
  const std::string refusal = find::ReplaceRefusal(control_.Editor(), pattern->size(), replacement_.size());
  if (!refusal.empty()) {
    Warn(refusal);
    return;
  }
  Start(Job::kReplaceAll, std::move(*pattern), false);
}

void FindBar::Start(Job job, search::Pattern pattern, bool backward) {
  job_ = job;
  backward_ = backward;
  pattern_ = std::move(pattern);
  found_ = {};
  all_ = {};
  failed_ = false;
  stop_ = false;
  search::FindOptions options;
  options.backward = backward;
  options.from = job == Job::kFind ? find::SearchStart(control_.Editor(), backward) : 0;
  SetStatus("");
  focusBefore_ = GetFocus();
  running_ = true;
  SetBusy(true);
  HWND bar = hwnd_;
  worker_ = std::thread([this, bar, options]() mutable {
    int shown = -1;
    options.progress = [&](std::int64_t done, std::int64_t total) {
      const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
      if (percent != shown) {
        shown = percent;
        PostMessageW(bar, kProgressMessage, static_cast<WPARAM>(percent), 0);
      }
      return !stop_.load();
    };
    try {
      find::EditorSource source(control_.Editor());
      if (job_ == Job::kFind) {
        found_ = search::Find(source, pattern_, options);
      } else {
        all_ = search::FindAll(source, pattern_, options, find::kMaxReplaceAll);
      }
    } catch (...) {
      failed_ = true;
    }
    PostMessageW(bar, kDoneMessage, 0, 0);
  });
}

void FindBar::Stop() {
  if (!Busy()) return;
  stop_ = true;
  Finish();
}

void FindBar::Abandon() {
  stop_ = true;
  if (worker_.joinable()) worker_.join();
  running_ = false;
}

void FindBar::SetBusy(bool busy) {
  // While the worker reads the data nothing may change it.
  EnableWindow(control_.Handle(), busy ? FALSE : TRUE);
  for (int id : {kIdFindText, kIdFindKind, kIdIgnoreCase, kIdFindPrevious, kIdFindNext, kIdReplaceText, kIdReplaceOne,
                 kIdReplaceAll})
    EnableWindow(Item(id), busy ? FALSE : TRUE);
  ShowWindow(Item(kIdFindStop), busy ? SW_SHOWNA : SW_HIDE);
}

void FindBar::Finish() {
  // Once per search: a stop finishes at once, its worker's notice comes later.
  if (!running_) return;
  running_ = false;
  if (worker_.joinable()) worker_.join();
  SetBusy(false);
  if (focusBefore_ != nullptr && IsWindow(focusBefore_)) SetFocus(focusBefore_);
  hexed::TCustomQDHexEditor& editor = control_.Editor();
  if (failed_) {
    Warn("读取数据出错,查找已停止。");
  } else if (job_ == Job::kFind) {
    switch (found_.status) {
      case search::FindStatus::kFound:
        find::SelectMatch(editor, found_.position, pattern_.size());
        control_.CaretMoved();
        SetStatus(find::FoundText(found_.wrapped, backward_));
        break;
      case search::FindStatus::kNotFound:
        Warn(find::NotFoundText());
        break;
      case search::FindStatus::kCancelled: SetStatus(find::CancelledText()); break;
    }
  } else if (all_.cancelled) {
    SetStatus(find::CancelledText());
  } else if (all_.overLimit) {
    Warn(find::TooManyMatchesText());
  } else {
    find::ReplaceAll(editor, all_.positions, pattern_.size(), replacement_);
    control_.CaretMoved();
    SetStatus(find::ReplacedText(all_.positions.size()));
    if (all_.positions.empty()) MessageBeep(MB_OK);
  }
  all_ = {};
}

LRESULT CALLBACK FindBar::FieldProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data) {
  auto* self = reinterpret_cast<FindBar*>(data);
  if (message == WM_KEYDOWN && self->OnFieldKey(static_cast<UINT>(wParam))) return 0;
  // Enter and Escape would otherwise beep in a single-line field.
  if (message == WM_CHAR && (wParam == VK_RETURN || wParam == VK_ESCAPE)) return 0;
  if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, &FindBar::FieldProcedure, GetDlgCtrlID(hwnd));
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

bool FindBar::OnFieldKey(UINT key) {
  const bool shift = KeyDown(VK_SHIFT);
  switch (key) {
    case VK_RETURN:
      FindNext(shift);
      return true;
    case VK_ESCAPE:
      if (Busy()) {
        Stop();
      } else {
        Hide();
      }
      return true;
    case VK_TAB: {
      HWND next = GetNextDlgTabItem(hwnd_, GetFocus(), shift ? TRUE : FALSE);
      if (next != nullptr) SetFocus(next);
      return true;
    }
    default:
      return windowKeys_ && windowKeys_(key, KeyDown(VK_CONTROL), shift);
  }
}

}  // namespace hexwin

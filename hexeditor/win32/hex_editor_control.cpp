#include "hexeditor/win32/hex_editor_control.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "app/win32/dpi.h"
#include "hexeditor/errors.h"
#include "hexeditor/messages.h"
#include "hexeditor/view/scroll_scale.h"
#include "hexeditor/win32/ole/ole_formats.h"
#include "hexeditor/win32/system_popup_menus.h"
#include "platform/win32/wide.h"

namespace hexwin {

namespace {

constexpr int kIconSize = 10;
constexpr UINT_PTR kAutoScrollTimer = 1;
constexpr UINT kAutoScrollMs = 60;

void FillRectColor(HDC dc, const RECT& r, COLORREF color) {
  SetBkColor(dc, color);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF color) {
  HPEN pen = CreatePen(PS_SOLID, 1, color);
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
  SelectObject(dc, old);
  DeleteObject(pen);
}

// The bookmark strip from the program's resources; null when it is missing
// or not 200 × 10 pixels.
HBITMAP LoadBookmarkStrip() {
  auto* strip = static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), L"BOOKMARKICONS", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (strip == nullptr) return nullptr;
  BITMAP info{};
  GetObjectW(strip, sizeof info, &info);
  try {
    hexed::TCustomQDHexEditor::CheckBookmarkBitmap(info.bmWidth, info.bmHeight);
  } catch (const std::exception&) {
    DeleteObject(strip);
    return nullptr;
  }
  return strip;
}

// A copy of a caller's strip; throws EQDHexEditor unless it is 200 × 10.
HBITMAP CopyBookmarkStrip(HBITMAP strip) {
  BITMAP info{};
  if (GetObjectW(strip, sizeof info, &info) == 0) throw hexed::EQDHexEditor(hexed::msg::kInvalidBookmarkBitmap);
  hexed::TCustomQDHexEditor::CheckBookmarkBitmap(info.bmWidth, info.bmHeight);
  auto* copy = static_cast<HBITMAP>(CopyImage(strip, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (copy == nullptr) throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "CopyImage");
  return copy;
}

// The colour of the strip's top-left pixel, which is transparent.
COLORREF TopLeftColor(HDC reference, HBITMAP strip) {
  HDC dc = CreateCompatibleDC(reference);
  HGDIOBJ old = SelectObject(dc, strip);
  const COLORREF color = GetPixel(dc, 0, 0);
  SelectObject(dc, old);
  DeleteDC(dc);
  return color;
}

}  // namespace

HexEditorControl::HexEditorControl() : menus_(&SystemPopupMenus()) {
  editor_.SetHost(this);
  site_.editor = &editor_;
  site_.viewChanged = [this] { CaretMoved(); };
}

HexEditorControl::~HexEditorControl() {
  editor_.SetHost(nullptr);
  if (hwnd_ != nullptr) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  if (font_ != nullptr) DeleteObject(font_);
  if (caretBitmap_ != nullptr) DeleteObject(caretBitmap_);
  if (bookmarks_ != nullptr) DeleteObject(bookmarks_);
}

void HexEditorControl::SetBookmarkBitmap(HBITMAP strip) {
  HBITMAP next = strip == nullptr ? LoadBookmarkStrip() : CopyBookmarkStrip(strip);
  if (bookmarks_ != nullptr) DeleteObject(bookmarks_);
  bookmarks_ = next;
  if (bookmarks_ != nullptr && hwnd_ != nullptr) {
    HDC dc = GetDC(hwnd_);
    iconTransparent_ = TopLeftColor(dc, bookmarks_);
    ReleaseDC(hwnd_, dc);
  }
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, FALSE);
}

void HexEditorControl::Create(HWND parent, int id, const RECT& bounds) {
  static const ATOM registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &HexEditorControl::Procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc);
  }();
  if (registered == 0) throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "RegisterClassExW");
  HWND hwnd = CreateWindowExW(WS_EX_CLIENTEDGE, kClassName, L"",
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | WS_CLIPSIBLINGS,
                              bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), this);
  if (hwnd == nullptr) throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "CreateWindowExW");
  SetBookmarkBitmap(nullptr);
  FontChanged();
  RECT client{};
  GetClientRect(hwnd_, &client);
  editor_.SetClientSize(client.right, client.bottom);
  if (oleDragDrop_) RegisterDropTarget();  // switched on before the window existed
}

LRESULT CALLBACK HexEditorControl::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<HexEditorControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    self = static_cast<HexEditorControl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    self->editor_.SetWindow(hwnd);
    self->site_.window = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  try {
    const LRESULT result = self->OnMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) self->hwnd_ = nullptr;
    return result;
  } catch (...) {
    // Editing refusals and errors of the model answer with a beep.
    MessageBeep(MB_OK);
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

hexed::ShiftState HexEditorControl::KeyShift() {
  hexed::ShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= hexed::kShiftKey;
  if (GetKeyState(VK_CONTROL) < 0) s |= hexed::kCtrlKey;
  if (GetKeyState(VK_MENU) < 0) s |= hexed::kAltKey;
  if (GetKeyState(VK_LBUTTON) < 0) s |= hexed::kLeftButton;
  return s;
}

hexed::ShiftState HexEditorControl::MouseShift(WPARAM wParam) {
  hexed::ShiftState s = 0;
  if (wParam & MK_SHIFT) s |= hexed::kShiftKey;
  if (wParam & MK_CONTROL) s |= hexed::kCtrlKey;
  if (GetKeyState(VK_MENU) < 0) s |= hexed::kAltKey;
  if (wParam & MK_LBUTTON) s |= hexed::kLeftButton;
  if (wParam & MK_RBUTTON) s |= hexed::kRightButton;
  if (wParam & MK_MBUTTON) s |= hexed::kMiddleButton;
  return s;
}

hexed::CellHit HexEditorControl::HitAt(LPARAM lParam) const {
  return editor_.HitTest(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

LRESULT HexEditorControl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // everything is painted off-screen
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      Paint(dc, ps.rcPaint);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_SIZE:
      editor_.SetClientSize(LOWORD(lParam), HIWORD(lParam));
      UpdateScrollBars();
      PostMessageW(hwnd_, kPositionCaretMessage, 0, 0);
      return 0;
    case kPositionCaretMessage:
      CaretMoved();
      return 0;
    case kSelectionChangedMessage:
      editor_.DeliverSelectionChanged();
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTALLKEYS | (editor_.WantTabs() ? DLGC_WANTTAB : 0);
    case WM_SETFOCUS:
      focused_ = true;
      CreateSystemCaret();
      Invalidate();
      return 0;
    case WM_KILLFOCUS:
      focused_ = false;
      DestroySystemCaret();
      Invalidate();
      return 0;
    case WM_KEYDOWN:
      if (onWindowKey && onWindowKey(static_cast<UINT>(wParam), GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0))
        return 0;
      editor_.ScrollCaretIntoView();
      editor_.KeyDown(static_cast<int>(wParam), KeyShift() & ~hexed::kLeftButton);
      editor_.ScrollCaretIntoView();
      CaretMoved();
      return 0;
    case WM_CHAR:
      editor_.KeyPress(static_cast<char16_t>(wParam));
      editor_.ScrollCaretIntoView();
      CaretMoved();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      SetFocus(hwnd_);
      SetCapture(hwnd_);
      editor_.MouseDown(hexed::MouseButton::kLeft, MouseShift(wParam), HitAt(lParam), message == WM_LBUTTONDBLCLK);
      if (message == WM_LBUTTONDOWN) ArmDrag(lParam);
      CaretMoved();
      return 0;
    case WM_RBUTTONDOWN:
      SetFocus(hwnd_);
      return 0;
    case WM_CONTEXTMENU:
      if (ShowOffsetMenu(lParam)) return 0;
      break;  // on to the parent's menu
    case WM_MOUSEMOVE:
      if ((wParam & MK_LBUTTON) && dragArmed_) {
        if (DragDistanceReached(lParam)) {
          dragArmed_ = false;
          ReleaseCapture();
          StartDrag();
          // Ends the press in the model without treating it as a click.
          editor_.MouseUp(hexed::MouseButton::kLeft, 0, hexed::CellHit{-1, -1, false});
          CaretMoved();
        }
        return 0;
      }
      if (wParam & MK_LBUTTON) {
        lastMouse_ = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const int y = GET_Y_LPARAM(lParam);
        RECT r{};
        GetClientRect(hwnd_, &r);
        // Selecting past the top or bottom edge scrolls one row.
        if (y < editor_.RowHeight(0)) editor_.SetTopRow(hexed::AddRows(editor_.TopRow(), -1));
        if (y >= r.bottom) editor_.SetTopRow(hexed::AddRows(editor_.TopRow(), 1));
        editor_.MouseMove(MouseShift(wParam), HitAt(lParam));
        CaretMoved();
        // Outside the rows the view keeps scrolling while the button is held.
        const bool outside = y < editor_.RowHeight(0) || y >= r.bottom;
        if (outside != autoScrolling_) {
          autoScrolling_ = outside;
          if (outside) {
            SetTimer(hwnd_, kAutoScrollTimer, kAutoScrollMs, nullptr);
          } else {
            KillTimer(hwnd_, kAutoScrollTimer);
          }
        }
      }
      return 0;
    case WM_TIMER:
      if (wParam == kAutoScrollTimer) OnAutoScrollTimer();
      return 0;
    case WM_LBUTTONUP:
      dragArmed_ = false;
      if (autoScrolling_) KillTimer(hwnd_, kAutoScrollTimer);
      autoScrolling_ = false;
      ReleaseCapture();
      editor_.MouseUp(hexed::MouseButton::kLeft, MouseShift(wParam), HitAt(lParam));
      CaretMoved();
      return 0;
    case WM_MOUSEWHEEL: {
      const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
      editor_.MouseWheel(delta < 0, MouseShift(GET_KEYSTATE_WPARAM(wParam)));
      UpdateScrollBars();
      return 0;
    }
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        if (busy_ > 0) {
          SetCursor(LoadCursorW(nullptr, IDC_WAIT));
          return TRUE;
        }
        POINT p{};
        GetCursorPos(&p);
        ScreenToClient(hwnd_, &p);
        const hexed::CellHit hit = editor_.HitTest(p.x, p.y);
        const bool arrow = hit.col >= 0 && editor_.CursorAt(hit, KeyShift()) == hexed::MouseCursor::kArrow;
        SetCursor(LoadCursorW(nullptr, arrow ? IDC_ARROW : IDC_IBEAM));
        return TRUE;
      }
      break;
    case WM_VSCROLL:
      OnScroll(SB_VERT, LOWORD(wParam));
      return 0;
    case WM_HSCROLL:
      OnScroll(SB_HORZ, LOWORD(wParam));
      return 0;
    case WM_DESTROY:
      RevokeDropTarget();
      KillTimer(hwnd_, kAutoScrollTimer);
      DestroySystemCaret();
      // Closing the window that holds the clipboard data empties the clipboard.
      editor_.ReleaseClipboard();
      editor_.SetWindow(nullptr);
      return 0;
    default:
      if (const std::optional<LRESULT> result = OnEditMessage(message, wParam, lParam)) {
        CaretMoved();
        return *result;
      }
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

// --- host -----------------------------------------------------------------------------

void HexEditorControl::Invalidate() {
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, FALSE);
}

void HexEditorControl::LayoutChanged() {
  UpdateScrollBars();
  Invalidate();
}

void HexEditorControl::CaretShapeChanged() {
  if (!focused_) return;
  DestroySystemCaret();
  CreateSystemCaret();
}

void HexEditorControl::CaretMoved() {
  if (hwnd_ == nullptr) return;
  UpdateScrollBars();
  if (!caretCreated_) return;
  const auto point = editor_.CaretPoint();
  SetCaretPos(point[0], point[1] + 1);
}

void HexEditorControl::PostSelectionChanged() {
  if (hwnd_ != nullptr) PostMessageW(hwnd_, kSelectionChangedMessage, 0, 0);
}

void HexEditorControl::ShowMessage(const std::string& text) {
  if (onShowMessage) {
    onShowMessage(text);
  } else {
    MessageBoxW(hwnd_, platform::Widen(text).c_str(), L"", MB_OK);
  }
}

void HexEditorControl::SetBusyCursor(bool busy) {
  busy_ += busy ? 1 : -1;
  if (busy && busy_ == 1) savedCursor_ = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  if (!busy && busy_ == 0) SetCursor(savedCursor_);
}

void HexEditorControl::FontChanged() {
  if (hwnd_ == nullptr) return;
  HDC dc = GetDC(hwnd_);
  // Points at the resolution of the control's monitor.
  const int height = -MulDiv(editor_.FontSize(), app::dpi::ForWindow(hwnd_), 72);
  HFONT font = CreateFontW(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                           platform::Widen(editor_.FontName()).c_str());
  if (font == nullptr) {
    ReleaseDC(hwnd_, dc);
    return;
  }
  if (font_ != nullptr) DeleteObject(font_);
  font_ = font;
  HGDIOBJ old = SelectObject(dc, font_);
  SIZE w{}, yy{};
  GetTextExtentPoint32W(dc, L"w", 1, &w);
  GetTextExtentPoint32W(dc, L"yY", 2, &yy);
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  editor_.SetCharMetrics(w.cx, yy.cy);
}

hexed::Color HexEditorControl::ResolveSystemColor(int index) { return GetSysColor(index); }

// --- caret ------------------------------------------------------------------------------

void HexEditorControl::CreateSystemCaret() {
  const hexed::CaretShape s = editor_.GetCaretShape();
  if (caretBitmap_ != nullptr) DeleteObject(caretBitmap_);
  HDC screen = GetDC(hwnd_);
  HDC dc = CreateCompatibleDC(screen);
  caretBitmap_ = CreateCompatibleBitmap(screen, s.width, s.height);
  HGDIOBJ old = SelectObject(dc, caretBitmap_);
  RECT all{0, 0, s.width, s.height};
  FillRectColor(dc, all, RGB(0, 0, 0));
  RECT white{s.whiteLeft, s.whiteTop, s.whiteLeft + s.whiteWidth, s.whiteTop + s.whiteHeight};
  FillRectColor(dc, white, RGB(255, 255, 255));
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(hwnd_, screen);
  caretCreated_ = CreateCaret(hwnd_, caretBitmap_, 0, 0) != FALSE;
  if (caretCreated_) {
    CaretMoved();
    ShowCaret(hwnd_);
  }
}

void HexEditorControl::DestroySystemCaret() {
  if (!caretCreated_) return;
  DestroyCaret();
  caretCreated_ = false;
}

// --- scroll bars ---------------------------------------------------------------------------

void HexEditorControl::UpdateScrollBars() {
  if (hwnd_ == nullptr) return;
  // Rows are 64-bit and scroll positions int: from 65,536 rows on the
  // positions are scaled (scroll_scale.h); the thumb is read with its
  // 32-bit position.
  const hexed::RowScrollScale scale(editor_.RowCount(), editor_.VisibleRowCount());
  SCROLLINFO v{};
  v.cbSize = sizeof v;
  v.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  v.nMin = scale.Min();
  v.nMax = scale.Max();
  v.nPage = static_cast<UINT>(scale.Page());
  v.nPos = scale.PositionOf(editor_.TopRow());
  SetScrollInfo(hwnd_, SB_VERT, &v, TRUE);
  SCROLLINFO h{};
  h.cbSize = sizeof h;
  h.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  RECT client{};
  GetClientRect(hwnd_, &client);
  int visibleCols = 0;
  int used = editor_.ColWidth(0) + editor_.ColWidth(1);
  for (int c = editor_.LeftCol(); c < editor_.ColCount() && used + editor_.ColWidth(c) <= client.right; ++c) {
    used += editor_.ColWidth(c);
    ++visibleCols;
  }
  h.nMin = 2;
  h.nMax = editor_.ColCount() - 1;
  h.nPage = static_cast<UINT>(std::max(visibleCols, 1));
  h.nPos = editor_.LeftCol();
  SetScrollInfo(hwnd_, SB_HORZ, &h, TRUE);
}

void HexEditorControl::OnScroll(int bar, int code) {
  if (bar == SB_VERT) {
    OnVerticalScroll(code);
    return;
  }
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(hwnd_, bar, &si);
  int pos = si.nPos;
  const int page = std::max(static_cast<int>(si.nPage) - 1, 1);
  switch (code) {
    case SB_LINEUP: --pos; break;
    case SB_LINEDOWN: ++pos; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_TOP: pos = si.nMin; break;
    case SB_BOTTOM: pos = si.nMax; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = si.nTrackPos; break;
    default: return;
  }
  editor_.SetLeftCol(pos);
  UpdateScrollBars();
}

void HexEditorControl::OnVerticalScroll(int code) {
  // Steps move the 64-bit top row itself: on a scaled bar one position
  // stands for many rows, or a row for less than one position.
  const hexed::GridRow top = editor_.TopRow();
  const int page = std::max(editor_.VisibleRowCount() - 1, 1);
  const hexed::RowScrollScale scale(editor_.RowCount(), editor_.VisibleRowCount());
  switch (code) {
    case SB_LINEUP: editor_.SetTopRow(hexed::AddRows(top, -1)); break;
    case SB_LINEDOWN: editor_.SetTopRow(hexed::AddRows(top, 1)); break;
    case SB_PAGEUP: editor_.SetTopRow(hexed::AddRows(top, -page)); break;
    case SB_PAGEDOWN: editor_.SetTopRow(hexed::AddRows(top, page)); break;
    case SB_TOP: editor_.SetTopRow(scale.FirstTopRow()); break;
    case SB_BOTTOM: editor_.SetTopRow(scale.LastTopRow()); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_TRACKPOS;
      GetScrollInfo(hwnd_, SB_VERT, &si);
      editor_.SetTopRow(scale.TopRowAt(si.nTrackPos));
      break;
    }
    default: return;
  }
  UpdateScrollBars();
}

// --- painting ---------------------------------------------------------------------------------

void HexEditorControl::Paint(HDC target, const RECT& update) {
  RECT client{};
  GetClientRect(hwnd_, &client);
  if (client.right <= 0 || client.bottom <= 0) return;
  HDC dc = CreateCompatibleDC(target);
  HBITMAP bitmap = CreateCompatibleBitmap(target, client.right, client.bottom);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  HGDIOBJ oldFont = SelectObject(dc, font_);
  const hexed::TQDHColors& colors = editor_.Colors();
  auto resolve = [&](hexed::Color c) {
    return hexed::IsSystemColor(c) ? GetSysColor(static_cast<int>(c & ~hexed::kSystemColorFlag)) : (c & 0xFFFFFF);
  };
  FillRectColor(dc, client, resolve(colors.Background));

  // Only the rows and columns in view: the cost does not grow with the file.
  const hexed::GridRow lastRow = editor_.LastVisibleRow();
  std::vector<int> cols = {0, 1};
  int x = editor_.ColWidth(0) + editor_.ColWidth(1);
  int lastCol = 1;
  for (int c = editor_.LeftCol(); c < editor_.ColCount() && x < client.right; ++c) {
    cols.push_back(c);
    x += editor_.ColWidth(c);
    lastCol = c;
  }
  const int right = x;
  if (editor_.ShowRuler())
    for (int c : cols) PaintCell(dc, c, 0);
  for (hexed::GridRow row = editor_.TopRow(); row <= lastRow; ++row)
    for (int c : cols) PaintCell(dc, c, row);

  // The area right of the last column and below the last row.
  const int bottom = editor_.CellRect(0, lastRow)[3];
  if (right < client.right) {
    RECT r{right, 0, client.right, client.bottom};
    FillRectColor(dc, r, resolve(colors.Background));
    RECT ruler{right, 0, client.right, editor_.RowHeight(0)};
    if (editor_.ShowRuler()) FillRectColor(dc, ruler, resolve(colors.OffsetBackground));
  }
  if (bottom < client.bottom) {
    RECT r{0, bottom, right, client.bottom};
    FillRectColor(dc, r, resolve(colors.Background));
    RECT gutter{0, bottom, editor_.ColWidth(0), client.bottom};
    FillRectColor(dc, gutter, resolve(colors.OffsetBackground));
  }
  // The edge right of the gutter and under the ruler.
  const int gx = editor_.ColWidth(0) - 1;
  if (editor_.DrawGutter3D()) {
    Line(dc, gx, 0, gx, client.bottom, GetSysColor(COLOR_BTNSHADOW));
    Line(dc, gx - 1, 0, gx - 1, client.bottom, GetSysColor(COLOR_BTNHIGHLIGHT));
    if (editor_.ShowRuler()) {
      const int ry = editor_.RowHeight(0) - 1;
      Line(dc, 0, ry, client.right, ry, GetSysColor(COLOR_BTNSHADOW));
      Line(dc, 0, ry - 1, client.right, ry - 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    }
  } else if (editor_.DrawGridLines()) {
    Line(dc, gx, 0, gx, client.bottom, resolve(colors.Grid));
  }
  (void)lastCol;
  BitBlt(target, update.left, update.top, update.right - update.left, update.bottom - update.top, dc, update.left,
         update.top, SRCCOPY);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

void HexEditorControl::DrawBookmarkIcon(HDC dc, int icon, int x, int y) {
  if (bookmarks_ == nullptr) return;
  HDC src = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(src, bookmarks_);
  TransparentBlt(dc, x, y, kIconSize, kIconSize, src, icon * kIconSize, 0, kIconSize, kIconSize, iconTransparent_);
  SelectObject(src, old);
  DeleteDC(src);
}

void HexEditorControl::PaintCell(HDC dc, int col, hexed::GridRow row) {
  hexed::CellView v = editor_.GetCellView(col, row, focused_);
  const auto rect = editor_.CellRect(col, row);
  RECT r{rect[0], rect[1], rect[2], rect[3]};
  if (r.right <= r.left || r.bottom <= r.top) return;
  FillRectColor(dc, r, v.fill);
  SetBkColor(dc, v.textBackground);
  SetTextColor(dc, v.textColor);
  const int cw = editor_.CharWidth();
  if (v.kind == hexed::CellKind::kGutter || v.kind == hexed::CellKind::kRuler) {
    const std::wstring text = platform::Widen(v.text);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    const int tx = v.align == hexed::TextAlign::kRight ? r.right - 4 - size.cx : r.left;
    ExtTextOutW(dc, tx, r.top + 1, ETO_CLIPPED, &r, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    const int iy = r.top + (r.bottom - r.top - kIconSize) / 2;
    for (std::size_t i = 0; i < v.bookmarkIcons.size(); ++i)
      DrawBookmarkIcon(dc, v.bookmarkIcons[i], r.left + 3 + static_cast<int>(i) * (kIconSize + 1), iy);
  } else if (v.hasChar) {
    wchar_t ch = static_cast<wchar_t>(v.ch);
    if (v.ansiChar) {
      const char narrow = static_cast<char>(v.ch);
      if (MultiByteToWideChar(CP_ACP, 0, &narrow, 1, &ch, 1) != 1) ch = L'.';
    }
    if (OnDrawCell) {
      // The handler may change the text (its first character counts) or
      // draw the cell itself.
      std::wstring text(1, ch);
      bool defaultDraw = true;
      OnDrawCell(dc, col, row, text, r, defaultDraw);
      if (!defaultDraw) return PaintCellDecorations(dc, col, r, v);
      if (!text.empty()) ch = text[0];
    }
    RECT box{r.left, r.top, std::min(r.left + cw, r.right), r.bottom};
    HFONT shrunk = nullptr;
    HGDIOBJ oldFont = nullptr;
    if (editor_.UnicodeChars() && v.kind == hexed::CellKind::kChar) {
      // Wide glyphs get a smaller font until they fit one character width.
      LOGFONTW lf{};
      GetObjectW(font_, sizeof lf, &lf);
      SIZE size{};
      GetTextExtentPoint32W(dc, &ch, 1, &size);
      while (size.cx > cw && std::abs(lf.lfHeight) > 2) {
        lf.lfHeight += lf.lfHeight < 0 ? 1 : -1;
        if (shrunk != nullptr) {
          SelectObject(dc, oldFont);
          DeleteObject(shrunk);
        }
        shrunk = CreateFontIndirectW(&lf);
        oldFont = SelectObject(dc, shrunk);
        GetTextExtentPoint32W(dc, &ch, 1, &size);
      }
    }
    ExtTextOutW(dc, r.left, r.top + 1, ETO_OPAQUE | ETO_CLIPPED, &box, &ch, 1, nullptr);
    if (shrunk != nullptr) {
      SelectObject(dc, oldFont);
      DeleteObject(shrunk);
    }
  }
  PaintCellDecorations(dc, col, r, v);
}

void HexEditorControl::PaintCellDecorations(HDC dc, int col, const RECT& r, const hexed::CellView& v) {
  if (v.frame != hexed::FrameKind::kNone) {
    RECT frame = r;
    for (int i = 1; i < v.frameSpan; ++i) frame.right += editor_.ColWidth(col + i);
    if (v.frame == hexed::FrameKind::kFocusRect) {
      SetTextColor(dc, RGB(0, 0, 0));
      SetBkColor(dc, RGB(255, 255, 255));
      DrawFocusRect(dc, &frame);
    } else {
      HBRUSH brush = CreateSolidBrush(v.frameColor);
      FrameRect(dc, &frame, brush);
      DeleteObject(brush);
    }
  }
  if (v.gridBottom) Line(dc, r.left, r.bottom - 1, r.right, r.bottom - 1, v.gridColor);
  if (v.gridRight) Line(dc, r.right - 1, r.top, r.right - 1, r.bottom, v.gridColor);
  if (v.dropMark) {
    RECT mark{r.left, r.top, r.left + 2, r.bottom};
    FillRectColor(dc, mark, v.textColor);
  }
}

// --- drag-and-drop ------------------------------------------------------------------

void HexEditorControl::SetOleDragDrop(bool on) {
  oleDragDrop_ = on;
  if (on) {
    RegisterDropTarget();
  } else {
    RevokeDropTarget();
  }
}

void HexEditorControl::RegisterDropTarget() {
  if (hwnd_ == nullptr || dropTarget_ != nullptr || !EnsureOle()) return;
  auto* target = new EditorDropTarget(site_);
  if (RegisterDragDrop(hwnd_, target) != S_OK) {
    target->Release();
    return;
  }
  dropTarget_ = target;
}

void HexEditorControl::RevokeDropTarget() {
  if (dropTarget_ == nullptr) return;
  RevokeDragDrop(hwnd_);
  dropTarget_->Release();
  dropTarget_ = nullptr;
}

void HexEditorControl::ArmDrag(LPARAM lParam) {
  dragArmed_ = false;
  if (!oleDragDrop_ || editor_.SelectionMode() || editor_.SelCount() == 0) return;
  // The model leaves the selection standing for a press on it.
  dragArmed_ = editor_.CursorAt(HitAt(lParam), 0) == hexed::MouseCursor::kArrow;
  dragFrom_ = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

bool HexEditorControl::DragDistanceReached(LPARAM lParam) const {
  return std::abs(GET_X_LPARAM(lParam) - dragFrom_.x) >= GetSystemMetrics(SM_CXDRAG) ||
         std::abs(GET_Y_LPARAM(lParam) - dragFrom_.y) >= GetSystemMetrics(SM_CYDRAG);
}

DWORD HexEditorControl::StartDrag() { return DragSelection(site_); }

void HexEditorControl::OnAutoScrollTimer() {
  // The press holds the capture until the button goes up (which stops the
  // timer) or another window takes it; while held, every mouse move reaches
  // this window, so its last point is where the mouse is.
  if (GetCapture() != hwnd_) {
    KillTimer(hwnd_, kAutoScrollTimer);
    autoScrolling_ = false;
    return;
  }
  POINT p = lastMouse_;
  RECT r{};
  GetClientRect(hwnd_, &r);
  p.y = std::clamp<LONG>(p.y, editor_.RowHeight(0) - 1, r.bottom);
  SendMessageW(hwnd_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x, p.y));
}

}  // namespace hexwin

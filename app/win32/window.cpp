#include "app/win32/window.h"

#include "app/win32/last_error.h"

namespace app {

Window::~Window() {
  if (hwnd_ != nullptr) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
}

void Window::Destroy() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

void Window::RegisterWindowClass(WNDCLASSEXW windowClass) {
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &Window::Procedure;
  if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    ThrowLastError("RegisterClassExW");
}

void Window::CreateHandle(DWORD exStyle, const wchar_t* className, const wchar_t* caption, DWORD style,
                          const RECT& bounds, HWND parent, HINSTANCE instance) {
  // Procedure stores `this` at WM_NCCREATE, before any named handler runs.
  HWND hwnd = CreateWindowExW(exStyle, className, caption, style, bounds.left, bounds.top, bounds.right - bounds.left,
                              bounds.bottom - bounds.top, parent, nullptr, instance, this);
  if (hwnd == nullptr) ThrowLastError("CreateWindowExW");
}

bool Window::OnCreate(const CREATESTRUCTW&) { return true; }

bool Window::OnEraseBkgnd(HDC) { return false; }

bool Window::OnPaint() { return false; }

void Window::OnDestroy() {}

void Window::OnFinalMessage() {}

LRESULT Window::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT Window::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(*reinterpret_cast<const CREATESTRUCTW*>(lParam)) ? 0 : -1;
    case WM_ERASEBKGND:
      if (OnEraseBkgnd(reinterpret_cast<HDC>(wParam))) return 1;
      break;
    case WM_PAINT:
      if (OnPaint()) return 0;
      break;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      break;
  }
  return OnMessage(message, wParam, lParam);
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    // Messages that come before WM_NCCREATE (WM_GETMINMAXINFO) or after the
    // object let go of the window find no object.
    self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);

  LRESULT result = 0;
  try {
    result = self->Dispatch(message, wParam, lParam);
  } catch (...) {
    // No exception may unwind through the system's code that called us.
    MessageBeep(MB_OK);
    if (message == WM_NCCREATE) result = FALSE;
    else if (message == WM_CREATE) result = -1;
    else result = DefWindowProcW(hwnd, message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->OnFinalMessage();  // `self` may be gone afterwards
  }
  return result;
}

}  // namespace app

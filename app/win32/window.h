// Base of the program's windows: ties a window handle to the object that
// handles its messages. The object does not own the window; a derived class
// decides when to destroy it.
#pragma once

#include <windows.h>

namespace app {

class Window {
 public:
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  // Detaches a window that still exists: its messages no longer reach this object.
  virtual ~Window();

  // The window, or null before creation and after destruction.
  HWND Handle() const { return hwnd_; }

  // Destroys the window if it exists (its OnDestroy runs).
  void Destroy();

 protected:
  Window() = default;

  // Registers a window class whose procedure is Procedure, once per process;
  // `windowClass.lpfnWndProc` and `cbSize` are filled in. Throws std::system_error.
  static void RegisterWindowClass(WNDCLASSEXW windowClass);

  // Creates the window with this object attached. Throws std::system_error.
  void CreateHandle(DWORD exStyle, const wchar_t* className, const wchar_t* caption, DWORD style, const RECT& bounds,
                    HWND parent, HINSTANCE instance);

  // WM_CREATE; false aborts the creation.
  virtual bool OnCreate(const CREATESTRUCTW& create);
  // WM_ERASEBKGND; true when the background has been painted into `dc`.
  virtual bool OnEraseBkgnd(HDC dc);
  // WM_PAINT; true when the window has painted (and validated) itself.
  virtual bool OnPaint();
  // WM_DESTROY.
  virtual void OnDestroy();
  // Every message without a named handler above; DefWindowProcW by default.
  virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // After the window's very last message (WM_NCDESTROY), when the object
  // no longer has a window: an object that owns itself may delete itself here.
  virtual void OnFinalMessage();

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
};

}  // namespace app

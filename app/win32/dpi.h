// The screen resolution a window is shown at. The per-monitor routines
// exist from Windows 10 on; they are looked up at run time, and older
// systems get the one resolution of the whole screen.
#pragma once

#include <windows.h>

#include "app/dpi_scale.h"

namespace app::dpi {

template <typename Function>
Function User32Routine(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 == nullptr ? nullptr : reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

// The resolution of the whole screen (the primary monitor's).
inline int ForSystem() {
  using Routine = UINT(WINAPI*)();
  static const Routine routine = User32Routine<Routine>("GetDpiForSystem");
  if (routine != nullptr) return static_cast<int>(routine());
  HDC screen = GetDC(nullptr);
  const int value = screen == nullptr ? kDesignDpi : GetDeviceCaps(screen, LOGPIXELSY);
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return value > 0 ? value : kDesignDpi;
}

// The resolution of the monitor `window` is on.
inline int ForWindow(HWND window) {
  using Routine = UINT(WINAPI*)(HWND);
  static const Routine routine = User32Routine<Routine>("GetDpiForWindow");
  const int value = routine != nullptr && window != nullptr ? static_cast<int>(routine(window)) : 0;
  return value > 0 ? value : ForSystem();
}

// AdjustWindowRectEx with the frame metrics of `dpi`.
inline BOOL AdjustWindowRect(RECT* bounds, DWORD style, DWORD exStyle, int dpi) {
  using Routine = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const Routine routine = User32Routine<Routine>("AdjustWindowRectExForDpi");
  if (routine != nullptr) return routine(bounds, style, FALSE, exStyle, static_cast<UINT>(dpi));
  return AdjustWindowRectEx(bounds, style, FALSE, exStyle);
}

}  // namespace app::dpi

// Registration of the hex window's own window classes: once per process,
// with the program's instance and a face-coloured background.
#pragma once

#include <windows.h>

namespace hexwin {

// Registers `name` with `procedure` (zero on failure, GetLastError tells).
inline ATOM RegisterFaceClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = procedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  return RegisterClassExW(&wc);
}

}  // namespace hexwin

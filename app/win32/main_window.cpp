#include "app/win32/main_window.h"

#include "app/win32/last_error.h"

namespace app {

namespace {

// Outer bounds for a client area of kClientWidth × kClientHeight, centred on
// the work area (the desktop without the task bar).
RECT CentredBounds() {
  RECT bounds{0, 0, MainWindow::kClientWidth, MainWindow::kClientHeight};
  if (!AdjustWindowRectEx(&bounds, MainWindow::kStyle, FALSE, MainWindow::kExStyle))
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

}  // namespace

MainWindow::MainWindow(HINSTANCE instance) : instance_(instance) {}

MainWindow::~MainWindow() { Destroy(); }

void MainWindow::Create() {
  WNDCLASSEXW windowClass{};
  windowClass.style = CS_DBLCLKS;
  windowClass.hInstance = instance_;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  // No class brush: the colour belongs to each window and is painted in OnEraseBkgnd.
  windowClass.lpszClassName = kClassName;
  RegisterWindowClass(windowClass);

  SetColor(color_);
  // A negative height asks for the character height without internal leading,
  // which is how the design measures font sizes in pixels.
  font_.Reset(CreateFontW(-kFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kFontFace));
  if (font_.Get() == nullptr) ThrowLastError("CreateFontW");

  CreateHandle(kExStyle, kClassName, kCaption, kStyle, CentredBounds(), nullptr, instance_);
}

void MainWindow::Show(int showCommand) {
  ShowWindow(Handle(), showCommand);
  UpdateWindow(Handle());
}

void MainWindow::SetColor(COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  if (brush == nullptr) ThrowLastError("CreateSolidBrush");
  backgroundBrush_.Reset(brush);
  color_ = color;
  if (Handle() != nullptr) InvalidateRect(Handle(), nullptr, TRUE);
}

bool MainWindow::OnEraseBkgnd(HDC dc) {
  RECT client{};
  GetClientRect(Handle(), &client);
  FillRect(dc, &client, backgroundBrush_.Get());
  return true;
}

void MainWindow::OnDestroy() {
  if (destroyedHandler_) destroyedHandler_();
}

}  // namespace app

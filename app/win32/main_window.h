// The main window `Tysjm`: every window of the program, the primary one and
// those created for further files of a batch, is one of these.
#pragma once

#include <windows.h>

#include <functional>

#include "app/win32/gdi_object.h"
#include "app/win32/window.h"

namespace app {

class MainWindow final : public Window {
 public:
  static constexpr wchar_t kClassName[] = L"Tysjm";
  static constexpr wchar_t kCaption[] = L"星尘 文件加密";
  // Size of the client area at full height.
  static constexpr int kClientWidth = 498;
  static constexpr int kClientHeight = 472;
  // Fixed single border with system menu and minimise box, no resizing; the
  // background is not painted over child controls.
  static constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  static constexpr DWORD kExStyle = WS_EX_TOPMOST;
  // Sky blue, 0x00BBGGRR.
  static constexpr COLORREF kDefaultColor = 0xF0CAA6;
  static constexpr wchar_t kFontFace[] = L"Microsoft Sans Serif";
  static constexpr int kFontHeight = 16;

  // Nothing is created until Create.
  explicit MainWindow(HINSTANCE instance);
  // Destroys the window if it still exists.
  ~MainWindow() override;

  // Creates the window hidden, centred on the work area. Throws std::system_error.
  void Create();
  // Shows the window as ShowWindow's `showCommand` says and paints it.
  void Show(int showCommand);

  // Called once the window has been destroyed (the primary window ends the program).
  void SetDestroyedHandler(std::function<void()> handler) { destroyedHandler_ = std::move(handler); }

  // The background colour.
  COLORREF Color() const { return color_; }
  // Changes the background colour and repaints. Throws std::system_error.
  void SetColor(COLORREF color);

  // The font of the window's controls.
  HFONT Font() const { return font_.Get(); }

 protected:
  bool OnEraseBkgnd(HDC dc) override;
  void OnDestroy() override;

 private:
  HINSTANCE instance_;
  COLORREF color_ = kDefaultColor;
  GdiObject<HBRUSH> backgroundBrush_;
  GdiObject<HFONT> font_;
  std::function<void()> destroyedHandler_;
};

}  // namespace app

// A main window at its monitor's resolution: the design's positions, fonts
// and heights are multiplied by dpi / 96, at creation and again when the
// window moves to a monitor of another resolution (WM_DPICHANGED).
#include <windows.h>

#include <commctrl.h>

#include <array>
#include <utility>

#include "app/fold.h"
#include "app/win32/dpi.h"
#include "app/win32/main_window.h"
#include "app/win32/main_window_ids.h"
#include "app/win32/ui_texts.h"

namespace app {

namespace {

// The top panel of the design: the main buttons, the logo and the progress bar.
constexpr DesignRect kPanel1Design{0, 0, 498, 103};
// The status bar's panels: a narrow one and a long one.
constexpr int kStatusFirstPanel = 16;
constexpr int kStatusSecondPanel = 1050;

}  // namespace

RECT MainWindow::ScaledPanel1() const {
  const DesignRect r = ScaleForDpi(kPanel1Design, dpi_);
  return RECT{r.left, r.top, r.left + r.width, r.top + r.height};
}

void MainWindow::SetStatusParts() {
  int parts[2] = {Scale(kStatusFirstPanel), Scale(kStatusFirstPanel + kStatusSecondPanel)};
  SendMessageW(Control(kIdStatusBar1), SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
}

void MainWindow::OnDpiChanged(int dpi, const RECT& suggested) {
  if (dpi <= 0 || dpi == dpi_) return;
  // Which of the window's fonts each control shows, found before the fonts
  // are made anew for the new resolution.
  const std::array<GdiObject<HFONT>*, 8> fonts = {&fontDefault_, &fontLogo_, &fontSite_,  &fontFold_,
                                                  &fontKai19_,   &fontKai16_, &fontKey_, &fontLog_};
  std::map<int, std::size_t> fontOf;
  for (const auto& [id, place] : designPlaces_) {
    const auto font = reinterpret_cast<HFONT>(SendMessageW(Control(id), WM_GETFONT, 0, 0));
    for (std::size_t i = 0; i < fonts.size(); ++i)
      if (fonts[i]->Get() == font) fontOf[id] = i;
  }
  // The old fonts live until every control has its new one.
  std::array<GdiObject<HFONT>, 8> oldFonts;
  for (std::size_t i = 0; i < fonts.size(); ++i) oldFonts[i] = std::move(*fonts[i]);
  dpi_ = dpi;
  CreateFonts();
  for (const auto& [id, slot] : fontOf)
    SendMessageW(Control(id), WM_SETFONT, reinterpret_cast<WPARAM>(fonts[slot]->Get()), FALSE);

  for (const auto& [id, place] : designPlaces_) {
    const DesignRect r = ScaleForDpi(place, dpi_);
    SetWindowPos(Control(id), nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SetStatusParts();
  if (tooltip_ != nullptr) {
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, Scale(600));
    SetHint(kIdPanel1, Hint(kIdPanel1));
  }

  // The outer size follows from the fold state's client height at the new
  // resolution; the system's suggestion gives the place.
  const int clientHeight = Scale(FoldClientHeight(sfTag_));
  const POINT place{suggested.left, suggested.top};
  SetClientSize(Scale(kClientWidth), clientHeight, &place);
  LayoutForClientHeight(clientHeight);
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void MainWindow::SetClientSize(int width, int height, const POINT* place) {
  RECT bounds{0, 0, width, height};
  if (!dpi::AdjustWindowRect(&bounds, kStyle, kExStyle, dpi_)) return;
  const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (place == nullptr ? SWP_NOMOVE : 0);
  const int x = place == nullptr ? 0 : place->x;
  const int y = place == nullptr ? 0 : place->y;
  SetWindowPos(Handle(), nullptr, x, y, bounds.right - bounds.left, bounds.bottom - bounds.top, flags);
  // A system that draws the frame at another resolution than the window's
  // (one resolution for all monitors) leaves the client area off by the
  // difference: the outer size is corrected once by what is missing.
  RECT client{}, outer{};
  GetClientRect(Handle(), &client);
  GetWindowRect(Handle(), &outer);
  const int dw = width - client.right;
  const int dh = height - client.bottom;
  if (dw != 0 || dh != 0)
    SetWindowPos(Handle(), nullptr, 0, 0, outer.right - outer.left + dw, outer.bottom - outer.top + dh,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

}  // namespace app

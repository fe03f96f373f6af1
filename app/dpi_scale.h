// How the windows follow the screen's resolution: every length of the
// window layouts is given for 96 dots per inch and is multiplied by
// dpi / 96 on a screen of another resolution.
#pragma once

namespace app {

// The resolution the layouts are drawn for.
inline constexpr int kDesignDpi = 96;

// A length of the design at `dpi`, rounded to the nearest pixel (halves away
// from zero, negative lengths such as font heights alike). A resolution of
// zero or less counts as the design's own.
int ScaleForDpi(int designPixels, int dpi);

// Left, top, width and height of a control in the design.
struct DesignRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// Each of the four values scaled alone, so that a control keeps its own
// width and height whatever its position.
DesignRect ScaleForDpi(const DesignRect& design, int dpi);

}  // namespace app

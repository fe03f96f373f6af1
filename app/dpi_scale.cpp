#include "app/dpi_scale.h"

#include <cstdint>

namespace app {

int ScaleForDpi(int designPixels, int dpi) {
  if (dpi <= 0 || dpi == kDesignDpi) return designPixels;
  // In 64 bits: large lengths times large resolutions do not overflow.
  const std::int64_t product = static_cast<std::int64_t>(designPixels) * dpi;
  const std::int64_t half = kDesignDpi / 2;
  const std::int64_t rounded = product >= 0 ? (product + half) / kDesignDpi : -((-product + half) / kDesignDpi);
  return static_cast<int>(rounded);
}

DesignRect ScaleForDpi(const DesignRect& design, int dpi) {
  return DesignRect{ScaleForDpi(design.left, dpi), ScaleForDpi(design.top, dpi), ScaleForDpi(design.width, dpi),
                    ScaleForDpi(design.height, dpi)};
}

}  // namespace app

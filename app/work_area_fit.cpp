#include "app/work_area_fit.h"

#include <algorithm>

namespace app {

namespace {

// One axis: the length kept where it fits, the start moved only as far as the
// end needs.
void FitAxis(int& start, int& end, int areaStart, int areaEnd) {
  const int length = std::min(end - start, areaEnd - areaStart);
  start = std::clamp(start, areaStart, areaEnd - length);
  end = start + length;
}

}  // namespace

ScreenRect FitIntoWorkArea(const ScreenRect& window, const ScreenRect& workArea) {
  ScreenRect r = window;
  FitAxis(r.left, r.right, workArea.left, workArea.right);
  FitAxis(r.top, r.bottom, workArea.top, workArea.bottom);
  return r;
}

}  // namespace app

#include "app/cascade.h"

#include <algorithm>

namespace app {

namespace {

// How many cascade positions from `x`, `y` on keep a window of `width` ×
// `height` inside `area`.
int PositionsThatFit(int x, int y, int width, int height, int step, const ScreenRect& area) {
  const int roomX = area.right - width - x;
  const int roomY = area.bottom - height - y;
  if (x < area.left || y < area.top || roomX < 0 || roomY < 0) return 0;
  return std::min(roomX, roomY) / step + 1;
}

}  // namespace

ScreenPoint CascadePosition(const ScreenRect& first, int index, int step, const ScreenRect& workArea) {
  step = std::max(step, 1);
  const int width = first.right - first.left;
  const int height = first.bottom - first.top;
  const int fromFirst = PositionsThatFit(first.left, first.top, width, height, step, workArea);
  if (index < fromFirst) return {first.left + index * step, first.top + index * step};
  const int perRound = std::max(1, PositionsThatFit(workArea.left, workArea.top, width, height, step, workArea));
  const int k = (index - fromFirst) % perRound;
  return {workArea.left + k * step, workArea.top + k * step};
}

}  // namespace app

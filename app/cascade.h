// Where a batch's further windows appear: each one a caption lower and to
// the right of the one before, so that a user sees every window of the batch.
#pragma once

namespace app {

struct ScreenRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct ScreenPoint {
  int x = 0;
  int y = 0;
};

// The top-left corner of the window `index` steps after `first` (a window of
// the same size). A cascade that would leave `workArea` goes on from its
// top-left corner, so every window stays inside it where it fits at all.
ScreenPoint CascadePosition(const ScreenRect& first, int index, int step, const ScreenRect& workArea);

}  // namespace app

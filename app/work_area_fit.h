// A window of a design size and place on a screen smaller than the design's:
// it keeps both where they fit, and otherwise moves and then shrinks into the
// monitor's work area, so that no part of it lies off the screen.
#pragma once

#include "app/cascade.h"

namespace app {

// `window` moved (and, where it is larger, shrunk) into `workArea`.
ScreenRect FitIntoWorkArea(const ScreenRect& window, const ScreenRect& workArea);

}  // namespace app

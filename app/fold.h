// The fold states of a main window: the fold button `sf` cycles the window
// through eight heights, each hiding one more row of controls from below.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace app {

struct FoldEntry {
  std::string_view caption;  // caption of the fold button
  int designHeight;          // outer window height in the design's frame
};

inline constexpr int kFoldStates = 8;

// Height of the design's caption and border: state 0 (506) shows the whole
// 472-pixel client area. A window keeps the client heights of the design
// whatever frame the system draws.
inline constexpr int kDesignFrameHeight = 34;

// Caption and height of a state 0..7.
FoldEntry FoldEntryFor(int state);

// Client height of a state: its design height without the design's frame.
inline int FoldClientHeight(int state) { return FoldEntryFor(state).designHeight - kDesignFrameHeight; }

// The state a click on the fold button leads to from the button's tag:
// 0 or less → 1, 1..6 → the next, 7 or more → 0.
int NextFoldState(int tag);

// The state a window opens in for a stored fold value: absent, 0 or negative
// → 0; 3, 4 and 5 → 5; 8 or more → 0; the others stay.
int StartFoldState(std::optional<std::int32_t> stored);

// The tag that the start-up click advances to `state`.
int TagBefore(int state);

// The fold switch an argument (already in lower case) names: "<<<" → 5,
// "<<<<" → 6, "<<<<<" → 7; empty for any other argument.
std::optional<int> FoldSwitchState(std::string_view lowerArgument);

}  // namespace app

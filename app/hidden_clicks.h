// The click counter of a window: counted clicks on the about command and the
// web links reveal the two hidden no-saved-key commands at the sixth click
// and hide them again past the eleventh.
#pragma once

#include <compare>
#include <cstdint>

namespace app {

struct Date {
  int year = 0;
  int month = 0;
  int day = 0;
  friend auto operator<=>(const Date&, const Date&) = default;
};

// The automatic update check runs at start-up after this date; the hidden
// commands' appearance runs it after the second one.
inline constexpr Date kUpdateCheckFrom{2021, 9, 11};
inline constexpr Date kHiddenUpdateCheckFrom{2023, 9, 11};

// Items of the window's main context menu without the hidden commands.
inline constexpr int kMainMenuItems = 21;
// The hidden commands and their separator, at the top of that menu.
inline constexpr int kHiddenMenuItems = 3;

// Above this count the encryption jobs offer the older format versions.
inline constexpr int kOldVersionClicks = 7;

struct ClickStep {
  std::uint8_t counter = 0;     // the counter afterwards
  bool removeHidden = false;    // remove the first three menu items
  bool insertHidden = false;    // insert the hidden commands and a separator at the top
  bool startUpdateCheck = false;
};

// One counted click. `menuItems` is the main menu's item count; the hidden
// commands appear only while both job buttons are enabled (otherwise the
// counter starts again).
ClickStep HiddenClickStep(std::uint8_t counter, int menuItems, bool button1Enabled, bool button2Enabled,
                          Date today);

// The about command's own rule before its counted click: 5 goes back to 0,
// so about alone never reaches 6.
inline std::uint8_t AboutCounter(std::uint8_t counter) { return counter == 5 ? 0 : counter; }

}  // namespace app

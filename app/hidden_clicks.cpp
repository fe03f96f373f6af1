#include "app/hidden_clicks.h"

namespace app {

ClickStep HiddenClickStep(std::uint8_t counter, int menuItems, bool button1Enabled, bool button2Enabled,
                          Date today) {
  ClickStep step;
  step.counter = static_cast<std::uint8_t>(counter + 1);
  if (step.counter > 11) {
    step.counter = 0;
    step.removeHidden = menuItems >= kMainMenuItems + 1;
  }
  if (step.counter == 6) {
    if (button1Enabled && button2Enabled) {
      step.insertHidden = true;
      step.startUpdateCheck = today > kHiddenUpdateCheckFrom;
    } else {
      step.counter = 0;
    }
  }
  return step;
}

}  // namespace app

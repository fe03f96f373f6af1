// Colours of a main window: the integer text of the colour argument, the
// system palette colours, and the logo's random colour.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "app/settings.h"

namespace app {

// Integer text as the colour argument takes it: an optional sign, then
// decimal digits, or hexadecimal digits after "$" (or "0x"); at most 32 bits,
// so "$FFFFFFFF" is -1. Empty for anything else (blanks included).
std::optional<std::int32_t> ParseInteger(std::string_view text);

// The RGB value (0x00BBGGRR) to paint a colour with: a negative colour is
// the system palette colour of its low byte (`systemColor` gives it); other
// colours keep their low three bytes.
std::uint32_t ResolveColor(Color color, const std::function<std::uint32_t(int index)>& systemColor);

// What a mouse movement over the logo does.
struct LogoMove {
  bool changeColor = false;  // the logo takes `color`
  Color color = 0;
  // The caption the logo shows afterwards; empty: unchanged.
  std::string_view caption;
};

// The random number of a movement, drawn after reseeding from the clock's
// `seed`: 0 .. 4,294,967,294.
std::uint32_t LogoRandomNumber(std::uint32_t seed);

// The effect of the random number r: numbers above 2,147,483,647 become
// 2,147,483,647 - r (a system colour); 0, 0x00FF00FF and five system colours
// only set the caption "星尘"; four bright colours also show "ORB".
LogoMove LogoMoveFor(std::uint32_t r);

inline constexpr std::string_view kLogoCaption = "星尘";
inline constexpr std::string_view kLogoBrightCaption = "ORB";

}  // namespace app

// The go-to command's text: where it takes the caret.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "hexeditor/view/offset_format.h"

namespace hexed {

// The byte position a go-to text names, or nothing when the text names none
// or one past the end of the data (the command then beeps). The text is
// decimal, "0x" hexadecimal, or in the editor's own offset format (its
// prefix, digits in its radix and its suffix, counted in its unit); a
// leading "+" or "-" moves from `caret` instead. Blanks around it are ignored.
std::optional<std::int64_t> GoToPosition(std::string_view text, const OffsetFormat& format, std::int64_t caret,
                                         std::int64_t size);

}  // namespace hexed

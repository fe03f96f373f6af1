// A character typed into the character field, as the bytes it has in the
// window's code page: one byte for ASCII, two for a Chinese character in GBK.
// Each platform build supplies the implementation (posix/ or win32/).
#pragma once

#include <string>

namespace hexed {

// The code-page bytes of `ch`; empty when the code page cannot write it (a
// half of a surrogate pair, or a character outside the code page).
std::string CodePageBytes(char16_t ch);

}  // namespace hexed

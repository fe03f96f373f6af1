// The Windows build types in the system's ANSI code page, the code page the
// character field shows its bytes in.
#include <windows.h>

#include <string>

#include "hexeditor/view/typed_chars.h"

namespace hexed {

std::string CodePageBytes(char16_t ch) {
  if (ch >= 0xD800 && ch < 0xE000) return {};
  const wchar_t wide = static_cast<wchar_t>(ch);
  char out[4];
  BOOL usedDefault = FALSE;
  // Without a best fit a character the code page lacks is reported, not
  // silently typed as some look-alike.
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &wide, 1, out, sizeof out, nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return {};
  return std::string(out, static_cast<std::size_t>(n));
}

}  // namespace hexed

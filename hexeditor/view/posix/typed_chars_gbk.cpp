// The native build has no window code page; it types in GBK, the code page of
// the program's Chinese interface on Windows.
#include <string>

#include "hexeditor/view/typed_chars.h"
#include "platform/text.h"

namespace hexed {

namespace {

// UTF-8 of one character of the basic plane.
std::string Utf8Of(char16_t ch) {
  std::string s;
  if (ch < 0x80) {
    s += static_cast<char>(ch);
  } else if (ch < 0x800) {
    s += static_cast<char>(0xC0 | (ch >> 6));
    s += static_cast<char>(0x80 | (ch & 0x3F));
  } else {
    s += static_cast<char>(0xE0 | (ch >> 12));
    s += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (ch & 0x3F));
  }
  return s;
}

}  // namespace

std::string CodePageBytes(char16_t ch) {
  if (ch >= 0xD800 && ch < 0xE000) return {};
  return platform::Utf8ToGbk(Utf8Of(ch)).value_or(std::string());
}

}  // namespace hexed

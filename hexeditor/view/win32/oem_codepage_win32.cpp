// The Windows build converts with the system's own OEM and ANSI code pages.
#include <windows.h>

#include "hexeditor/view/oem_codepage.h"

namespace hexed {

std::uint8_t OemToAnsiChar(std::uint8_t oem) {
  char in = static_cast<char>(oem);
  char out = 0;
  OemToCharBuffA(&in, &out, 1);
  return static_cast<std::uint8_t>(out);
}

std::uint8_t AnsiToOemChar(std::uint8_t ansi) {
  char in = static_cast<char>(ansi);
  char out = 0;
  CharToOemBuffA(&in, &out, 1);
  return static_cast<std::uint8_t>(out);
}

}  // namespace hexed

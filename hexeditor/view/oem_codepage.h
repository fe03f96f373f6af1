// One-byte conversion between the system's OEM and ANSI code pages, as the
// "Dos 8 bits" and "ASCII 7 bits" translations need it. Each platform build
// supplies the implementation (posix/ or win32/).
#pragma once

#include <cstdint>

namespace hexed {

// The ANSI character for an OEM byte.
std::uint8_t OemToAnsiChar(std::uint8_t oem);
// The OEM byte for an ANSI character.
std::uint8_t AnsiToOemChar(std::uint8_t ansi);

}  // namespace hexed

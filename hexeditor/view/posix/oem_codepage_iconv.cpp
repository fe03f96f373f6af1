// The native build converts between code page 437 (OEM) and code page 1252
// (ANSI) with iconv, one table per direction built on first use. A byte with
// no counterpart becomes "?", as the Windows conversion does without a best
// fit.
#include <iconv.h>

#include <array>

#include "hexeditor/view/oem_codepage.h"

namespace hexed {

namespace {

constexpr char kOemCodePage[] = "CP437";
constexpr char kAnsiCodePage[] = "CP1252";

std::array<std::uint8_t, 256> BuildTable(const char* to, const char* from) {
  std::array<std::uint8_t, 256> table{};
  iconv_t cd = iconv_open(to, from);
  for (int b = 0; b < 256; ++b) {
    table[b] = b < 128 ? static_cast<std::uint8_t>(b) : static_cast<std::uint8_t>('?');
    if (cd == reinterpret_cast<iconv_t>(-1) || b < 128) continue;
    char in = static_cast<char>(b);
    char out[8];
    char* inPtr = &in;
    char* outPtr = out;
    std::size_t inLeft = 1;
    std::size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) && outPtr - out == 1) {
      table[b] = static_cast<std::uint8_t>(out[0]);
    }
  }
  if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  return table;
}

}  // namespace

std::uint8_t OemToAnsiChar(std::uint8_t oem) {
  static const std::array<std::uint8_t, 256> table = BuildTable(kAnsiCodePage, kOemCodePage);
  return table[oem];
}

std::uint8_t AnsiToOemChar(std::uint8_t ansi) {
  static const std::array<std::uint8_t, 256> table = BuildTable(kOemCodePage, kAnsiCodePage);
  return table[ansi];
}

}  // namespace hexed

// Colours of the editor. A colour is 0x00BBGGRR, or a system colour:
// kSystemColorFlag | the system's colour index, resolved by the host.
#pragma once

#include <cstdint>

namespace hexed {

using Color = std::uint32_t;

inline constexpr Color kSystemColorFlag = 0x80000000U;

// System colour indices the editor uses.
inline constexpr int kSysWindow = 5;
inline constexpr int kSysWindowText = 8;
inline constexpr int kSysBtnFace = 15;
inline constexpr int kSysBtnShadow = 16;
inline constexpr int kSysBtnHighlight = 20;

constexpr Color Rgb(int r, int g, int b) {
  return static_cast<Color>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr Color SystemColor(int index) { return kSystemColorFlag | static_cast<Color>(index); }
constexpr bool IsSystemColor(Color c) { return (c & kSystemColorFlag) != 0; }

// RGB exclusive-or FFFFFF (selection inversion).
constexpr Color InvertColor(Color rgb) { return (rgb ^ 0xFFFFFFU) & 0xFFFFFFU; }
// (74·R + 146·G + 36·B) / 256 for all three components (grey selection).
constexpr Color GrayColor(Color rgb) {
  const int r = static_cast<int>(rgb & 0xFF);
  const int g = static_cast<int>((rgb >> 8) & 0xFF);
  const int b = static_cast<int>((rgb >> 16) & 0xFF);
  const int y = (74 * r + 146 * g + 36 * b) / 256;
  return Rgb(y, y, y);
}

// The editor's colour table; the defaults are the component's.
struct TQDHColors {
  Color Background = SystemColor(kSysWindow);
  Color ActiveFieldBackground = SystemColor(kSysWindow);
  Color ChangedBackground = Rgb(255, 255, 168);
  Color ChangedText = Rgb(128, 0, 0);
  Color CursorFrame = Rgb(0, 0, 128);
  Color NonFocusCursorFrame = Rgb(0, 255, 255);
  Color Offset = Rgb(0, 0, 0);
  Color OffsetBackground = SystemColor(kSysBtnFace);
  Color CurrentOffset = SystemColor(kSysBtnHighlight);
  Color CurrentOffsetBackground = SystemColor(kSysBtnShadow);
  Color OddColumn = Rgb(0, 0, 255);
  Color EvenColumn = Rgb(0, 0, 128);
  Color Grid = SystemColor(kSysBtnFace);

  bool operator==(const TQDHColors&) const = default;
};

// The colours the hex view window gives its editor.
TQDHColors HexWindowColors();

}  // namespace hexed

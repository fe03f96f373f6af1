// What one grid cell shows, as data a painter draws.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hexeditor/view/colors.h"

namespace hexed {

enum class CellKind {
  kRulerFixed,  // the ruler's part over the gutter and spacer
  kRuler,       // ruler text over a nibble, separator or character column
  kGutter,      // offset text and bookmark icons
  kSpacer,      // column 1 of a data row
  kHex,         // a nibble
  kSeparator,   // between the fields
  kChar,        // a character
};

enum class FrameKind { kNone, kFocusRect, kColored };

enum class TextAlign { kLeft, kRight };

struct CellView {
  CellKind kind = CellKind::kHex;
  // Gutter and ruler text (UTF-8).
  std::string text;
  TextAlign align = TextAlign::kLeft;
  // The character of a data cell; hasChar is false for a cell at or beyond
  // the end of the data.
  bool hasChar = false;
  std::uint16_t ch = 0;
  // ch is an 8-bit character of the ANSI code page (character field outside
  // Unicode mode); otherwise it is a UTF-16 code unit.
  bool ansiChar = false;
  // Cell fill, text and text background (RGB, system colours resolved).
  Color fill = 0;
  Color textColor = 0;
  Color textBackground = 0;
  bool changed = false;
  bool selected = false;
  // Frame marking the caret's byte: drawn from this cell over frameSpan columns.
  FrameKind frame = FrameKind::kNone;
  Color frameColor = 0;
  int frameSpan = 0;
  // Bookmark icon numbers to draw in a gutter cell (index, +10 for the
  // character field).
  std::vector<int> bookmarkIcons;
  // Grid lines at the bottom and (last column) right edge.
  bool gridBottom = false;
  bool gridRight = false;
  Color gridColor = 0;
  // A drag-and-drop points at this cell.
  bool dropMark = false;
};

}  // namespace hexed

// Grid geometry of the editor as pure arithmetic:
//
//   column 0            gutter (offsets, bookmark icons), fixed
//   column 1            spacer, 6 pixels, fixed
//   2 ... 2·BPR+1       one column per nibble; byte k of a row uses 2+2k, 3+2k
//   2·BPR+2             separator
//   2·BPR+3 ...         character field, one column per byte (per two bytes
//                       in Unicode mode)
//
// Rows 0 (ruler) and 1 (height 0) are fixed; data row r >= 2 shows the bytes
// from (r - 2)·BPR.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hexed {

inline constexpr int kFixedColumns = 2;
inline constexpr int kFixedRows = 2;
inline constexpr int kSpacerWidth = 6;

// What the widths depend on.
struct LayoutParams {
  int bytesPerRow = 16;
  int bytesPerColumn = 2;
  int bytesPerBlock = -1;
  bool separateBlocksInCharField = true;
  int rulerUnit = 1;
  bool unicode = false;
  int charWidth = 8;
};

// A grid row. Rows are 64-bit: at one byte per row a file has as many rows
// as bytes.
using GridRow = std::int64_t;

// A grid cell.
struct Cell {
  int col = 2;
  GridRow row = 2;
  bool operator==(const Cell&) const = default;
};

// A byte position and the field a cell belongs to.
struct CellPosition {
  std::int64_t pos = 0;
  bool charField = false;
};

constexpr int LastNibbleColumn(int bpr) { return 2 * bpr + 1; }
constexpr int SeparatorColumn(int bpr) { return 2 * bpr + 2; }
constexpr int FirstCharColumn(int bpr) { return 2 * bpr + 3; }

// 3·BPR + 3 columns; 2·BPR + BPR/2 + 3 in Unicode mode.
int ColumnCount(int bpr, bool unicode);
// 2 + ceil(size / BPR), plus the append row when size is a non-zero multiple
// of BPR in insert mode; 3 for an empty buffer (held at INT64_MAX).
GridRow RowCount(std::int64_t dataSize, int bpr, bool insertMode);

// --- Row arithmetic ------------------------------------------------------------
// Rows and positions are held at the int64 limits and pixels at
// ±kPixelLimit, so that sums near the limits neither wrap nor overflow.

// The data row of a byte position: pos / BPR + 2.
GridRow RowOfPosition(std::int64_t pos, int bpr);
// row + delta, held at the int64 limits.
GridRow AddRows(GridRow row, std::int64_t delta);
// a + b, held at the int64 limits instead of wrapping (offsets typed by the user).
std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b);
// Pixels stay within ±2^30, far past any screen, so that adding a row
// height to them stays in range.
inline constexpr int kPixelLimit = 1 << 30;
// Top pixel of a data row when topRow is the first visible one, below
// fixedHeight pixels of fixed rows.
int RowTop(GridRow row, GridRow topRow, int fixedHeight, int rowHeight);
// The data row at pixel y (at or below the fixed rows).
GridRow RowAtPixel(int y, GridRow topRow, int fixedHeight, int rowHeight);

// Cell → byte position (never below 0, held at INT64_MAX) and field.
CellPosition CellToPosition(int col, GridRow row, int bpr, bool unicode);
// Byte position → cell in the given field (the first nibble in the hex field);
// a position below 0 gives column 2, row 2.
Cell PositionToCell(std::int64_t pos, int bpr, bool unicode, bool charField);
// The column of the other field that shows the same byte.
int OtherFieldColumn(int col, int bpr, bool unicode);

// Widths of all columns; the gutter (column 0) is left 0 for the caller.
std::vector<int> ColumnWidths(const LayoutParams& p);
// Estimated width of the nibble and character columns for w bytes per row.
int EstimateRowWidth(const LayoutParams& p, int w);
// Bytes per row that fit in `available` pixels (2 ... 256, even).
int AutoBytesPerRowFor(const LayoutParams& p, int available);

// The hex ruler: per ruler unit the unit number in `base`, padded with "0"
// to 2·u digits and cut to its last 2·u, one character per nibble column.
std::string HexRuler(int bpr, int unit, int base, bool lowerCase);
// The character ruler: per unit the number cut to its last u characters (u/2
// in Unicode mode) or left-padded with blanks; one character per column.
std::string CharRuler(int bpr, int unit, int base, bool lowerCase, bool unicode);

}  // namespace hexed

#include "hexeditor/view/grid_layout.h"

#include <algorithm>

#include "hexeditor/view/offset_format.h"

namespace hexed {

int ColumnCount(int bpr, bool unicode) { return unicode ? 2 * bpr + bpr / 2 + 3 : 3 * bpr + 3; }

GridRow RowCount(std::int64_t dataSize, int bpr, bool insertMode) {
  if (dataSize <= 0) return 3;
  // dataSize + bpr - 1 could overflow near INT64_MAX: round up by the remainder.
  const bool partialRow = dataSize % bpr != 0;
  const std::int64_t extra = 2 + (partialRow ? 1 : 0) + (insertMode && !partialRow ? 1 : 0);
  return SaturatingAdd(dataSize / bpr, extra);
}

GridRow RowOfPosition(std::int64_t pos, int bpr) { return SaturatingAdd(pos / bpr, 2); }

GridRow AddRows(GridRow row, std::int64_t delta) { return SaturatingAdd(row, delta); }

std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b) {
  if (b > 0 && a > INT64_MAX - b) return INT64_MAX;
  if (b < 0 && a < INT64_MIN - b) return INT64_MIN;
  return a + b;
}

int RowTop(GridRow row, GridRow topRow, int fixedHeight, int rowHeight) {
  // Rows more than 2^30 apart are off any screen whatever the row height:
  // clamping the distance first keeps the product within 64 bits.
  const std::int64_t rows = std::clamp<std::int64_t>(SaturatingAdd(row, -topRow), -kPixelLimit, kPixelLimit);
  const std::int64_t y = std::int64_t{fixedHeight} + rows * rowHeight;
  return static_cast<int>(std::clamp<std::int64_t>(y, -kPixelLimit, kPixelLimit));
}

GridRow RowAtPixel(int y, GridRow topRow, int fixedHeight, int rowHeight) {
  return SaturatingAdd(topRow, (std::int64_t{y} - fixedHeight) / rowHeight);
}

CellPosition CellToPosition(int col, GridRow row, int bpr, bool unicode) {
  CellPosition cp;
  std::int64_t index = 0;
  if (col > SeparatorColumn(bpr)) {
    cp.charField = true;
    index = col - FirstCharColumn(bpr);
    if (unicode) index *= 2;
  } else {
    index = (col - 2) / 2;
  }
  // The fixed rows lie before byte 0; rows past INT64_MAX / bpr hold no
  // byte, and their positions stop at INT64_MAX instead of wrapping.
  const std::int64_t dataRow = std::max<GridRow>(row, 1) - 2;
  const std::int64_t room = INT64_MAX - std::max<std::int64_t>(index, 0);
  const std::int64_t rowStart = dataRow > room / bpr ? room : dataRow * bpr;
  cp.pos = std::max<std::int64_t>(rowStart + index, 0);
  return cp;
}

Cell PositionToCell(std::int64_t pos, int bpr, bool unicode, bool charField) {
  if (pos < 0) return Cell{2, 2};
  const int inRow = static_cast<int>(pos % bpr);
  Cell c;
  c.row = RowOfPosition(pos, bpr);
  if (charField) {
    c.col = (unicode ? inRow / 2 : inRow) + FirstCharColumn(bpr);
  } else {
    c.col = 2 * inRow + 2;
  }
  return c;
}

int OtherFieldColumn(int col, int bpr, bool unicode) {
  if (col > SeparatorColumn(bpr)) {
    const int k = col - FirstCharColumn(bpr);
    return (unicode ? 4 * k : 2 * k) + 2;
  }
  return (unicode ? (col - 2) / 4 : (col - 2) / 2) + FirstCharColumn(bpr);
}

namespace {

// Width of character column k (step 3 of the width rule).
int CharColumnWidth(const LayoutParams& p, int k) {
  const int cw = p.charWidth;
  int w = cw + 1;
  if (p.rulerUnit >= 2 && !p.unicode && (k + 1) % p.rulerUnit == 0) w = cw + cw / 2 + 1;
  if (p.separateBlocksInCharField && p.bytesPerBlock > 1) {
    const int block = p.unicode ? p.bytesPerBlock / 2 : p.bytesPerBlock;
    if (block > 0 && (k + 1) % block == 0) w += cw;
  }
  return w;
}

int CharColumnCount(const LayoutParams& p, int bytes) { return p.unicode ? bytes / 2 : bytes; }

}  // namespace

std::vector<int> ColumnWidths(const LayoutParams& p) {
  const int bpr = p.bytesPerRow;
  const int cw = p.charWidth;
  std::vector<int> widths(static_cast<std::size_t>(ColumnCount(bpr, p.unicode)), 0);
  widths[1] = kSpacerWidth;
  for (int i = 0; i <= 2 * bpr; ++i) {
    const int c = i + 2;
    int w = cw;
    if (c == LastNibbleColumn(bpr)) {
      w = 2 * cw;
    } else if (c != SeparatorColumn(bpr)) {
      if (c % (2 * p.bytesPerColumn) == 1) w = 2 * cw;
      if (p.bytesPerBlock > 1 && c % (2 * p.bytesPerBlock) == 1) w += cw;
    }
    widths[static_cast<std::size_t>(c)] = w;
  }
  const int chars = CharColumnCount(p, bpr);
  for (int k = 0; k < chars; ++k) {
    widths[static_cast<std::size_t>(FirstCharColumn(bpr) + k)] = CharColumnWidth(p, k);
  }
  widths.back() = 2 * cw + 1;
  return widths;
}

int EstimateRowWidth(const LayoutParams& p, int w) {
  const int cw = p.charWidth;
  int total = 0;
  for (int i = 0; i <= 2 * w; ++i) {
    total += i == 2 * w - 1 ? 2 * cw : cw;
    if (i % (2 * p.bytesPerColumn) == 1) total += cw;
    if (p.bytesPerBlock > 1 && i % (2 * p.bytesPerBlock) == 1) total += cw;
  }
  const int chars = CharColumnCount(p, w);
  for (int k = 0; k < chars; ++k) total += CharColumnWidth(p, k);
  return total;
}

int AutoBytesPerRowFor(const LayoutParams& p, int available) {
  for (int v = 2; v <= 254; v += 2) {
    if (available < EstimateRowWidth(p, v + 2)) return v;
  }
  return 256;
}

namespace {

std::string UnitNumber(int n, int base, bool lowerCase) {
  std::string s = IntToRadix(static_cast<std::uint64_t>(n), base, lowerCase);
  return s.empty() ? "0" : s;
}

// The last `width` characters of s, or s left-padded with `pad` to width.
std::string Fit(const std::string& s, std::size_t width, char pad) {
  if (s.size() >= width) return s.substr(s.size() - width);
  return std::string(width - s.size(), pad) + s;
}

}  // namespace

std::string HexRuler(int bpr, int unit, int base, bool lowerCase) {
  std::string ruler;
  const auto width = static_cast<std::size_t>(2 * unit);
  for (int n = 0; n < bpr / unit; ++n) ruler += Fit(UnitNumber(n, base, lowerCase), width, '0');
  return ruler;
}

std::string CharRuler(int bpr, int unit, int base, bool lowerCase, bool unicode) {
  std::string ruler;
  if (unicode && unit < 2) {
    // A character column covers two bytes, more than one unit: it shows the
    // number of the first unit it covers.
    for (int n = 0; n < bpr; n += 2) ruler += Fit(UnitNumber(n, base, lowerCase), 1, ' ');
    return ruler;
  }
  const auto width = static_cast<std::size_t>(unicode ? unit / 2 : unit);
  for (int n = 0; n < bpr / unit; ++n) ruler += Fit(UnitNumber(n, base, lowerCase), width, ' ');
  return ruler;
}

}  // namespace hexed

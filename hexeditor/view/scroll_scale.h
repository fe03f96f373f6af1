// The vertical scroll bar over the editor's 64-bit rows. Scroll bar
// positions are ints, and scroll bars draw and drag their thumb with the
// range multiplied by pixels, which a range of millions of rows overflows in
// some implementations. So positions are row numbers only while the rows are
// fewer than kScaledScrollUnits; beyond that the top rows are spread
// proportionally over that many positions, so that the thumb's top reaches
// the first row and its bottom the last screen. Line and page steps move the
// 64-bit top row itself, not a position.
#pragma once

#include <cstdint>

#include "hexeditor/view/grid_layout.h"

namespace hexed {

// Positions of a scaled scroll bar run from 0 to kScaledScrollUnits - 1:
// finer than any thumb can be dragged, and small enough that a range times
// a pixel offset stays within an int.
inline constexpr int kScaledScrollUnits = 1 << 16;

class RowScrollScale {
 public:
  // rowCount: the grid's rows (fixed rows included); visibleRows: data rows
  // that fit in the view (at least 1).
  RowScrollScale(GridRow rowCount, int visibleRows);

  // The range and page for the scroll bar (nMin, nMax, nPage).
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Page() const { return page_; }
  // True when positions are not row numbers.
  bool Scaled() const { return scaled_; }
  // The highest position the thumb can take (Max() - Page() + 1 while the
  // rows do not all fit).
  int LastPosition() const { return lastPosition_; }
  // The first and last top rows of the view.
  GridRow FirstTopRow() const { return kFixedRows; }
  GridRow LastTopRow() const { return lastTop_; }

  // The thumb position for a top row (clamped to the top rows).
  int PositionOf(GridRow topRow) const;
  // The top row for a thumb position (clamped to the positions): the first
  // position gives the first top row, the last the last, and
  // PositionOf(TopRowAt(p)) == p.
  GridRow TopRowAt(int position) const;

 private:
  GridRow lastTop_ = kFixedRows;
  bool scaled_ = false;
  int min_ = kFixedRows;
  int max_ = kFixedRows;
  int page_ = 1;
  int lastPosition_ = kFixedRows;
};

}  // namespace hexed

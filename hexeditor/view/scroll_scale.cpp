#include "hexeditor/view/scroll_scale.h"

#include <algorithm>

namespace hexed {

namespace {

struct Wide {
  std::uint64_t high = 0;
  std::uint64_t low = 0;
};

Wide Multiply(std::uint64_t a, std::uint64_t b) {
  constexpr std::uint64_t kHalf = 0xFFFFFFFFULL;
  const std::uint64_t ll = (a & kHalf) * (b & kHalf);
  const std::uint64_t lh = (a & kHalf) * (b >> 32);
  const std::uint64_t hl = (a >> 32) * (b & kHalf);
  const std::uint64_t hh = (a >> 32) * (b >> 32);
  const std::uint64_t mid = (ll >> 32) + (lh & kHalf) + (hl & kHalf);
  return {hh + (lh >> 32) + (hl >> 32) + (mid >> 32), (ll & kHalf) | (mid << 32)};
}

// n / d by shifting and subtracting; n.high < d, so the quotient fits.
std::uint64_t Divide(Wide n, std::uint64_t d, std::uint64_t& remainder) {
  std::uint64_t r = n.high;
  std::uint64_t q = 0;
  for (int bit = 63; bit >= 0; --bit) {
    const bool carry = (r >> 63) != 0;
    r = (r << 1) | ((n.low >> bit) & 1U);
    q <<= 1;
    if (carry || r >= d) {
      r -= d;
      q |= 1U;
    }
  }
  remainder = r;
  return q;
}

// floor(a · b / c), or the ceiling with roundUp, for a, b >= 0, c > 0 and
// a <= c or b <= c (so that the quotient fits); the product is taken in
// 128 bits, which 32-bit targets lack as a type.
std::int64_t MulDiv64(std::int64_t a, std::int64_t b, std::int64_t c, bool roundUp) {
  std::uint64_t remainder = 0;
  const auto d = static_cast<std::uint64_t>(c);
  std::uint64_t q = Divide(Multiply(static_cast<std::uint64_t>(a), static_cast<std::uint64_t>(b)), d, remainder);
  if (roundUp && remainder != 0) ++q;
  return static_cast<std::int64_t>(q);
}

}  // namespace

RowScrollScale::RowScrollScale(GridRow rowCount, int visibleRows) {
  const int visible = std::max(visibleRows, 1);
  lastTop_ = std::max<GridRow>(kFixedRows, rowCount - visible);
  const GridRow lastRow = std::max<GridRow>(kFixedRows, rowCount - 1);
  scaled_ = lastRow >= kScaledScrollUnits;
  if (!scaled_) {
    min_ = kFixedRows;
    max_ = static_cast<int>(lastRow);
    page_ = visible;
    lastPosition_ = static_cast<int>(lastTop_);
    return;
  }
  // The page takes the share of the range that the visible rows take of all
  // data rows, at least one position.
  const GridRow dataRows = lastRow - kFixedRows + 1;
  min_ = 0;
  max_ = kScaledScrollUnits - 1;
  const std::int64_t share = MulDiv64(visible, kScaledScrollUnits, std::max<GridRow>(dataRows, visible), false);
  page_ = static_cast<int>(std::max<std::int64_t>(share, 1));
  lastPosition_ = max_ - page_ + 1;
}

int RowScrollScale::PositionOf(GridRow topRow) const {
  const GridRow top = std::clamp<GridRow>(topRow, kFixedRows, lastTop_);
  if (!scaled_) return static_cast<int>(top);
  if (lastTop_ == kFixedRows) return min_;
  // Rounding down here and up in TopRowAt makes every position come back.
  return static_cast<int>(MulDiv64(top - kFixedRows, lastPosition_, lastTop_ - kFixedRows, false));
}

GridRow RowScrollScale::TopRowAt(int position) const {
  const int p = std::clamp(position, min_, lastPosition_);
  if (!scaled_) return p;
  if (lastPosition_ == min_) return kFixedRows;
  return kFixedRows + MulDiv64(p, lastTop_ - kFixedRows, lastPosition_, true);
}

}  // namespace hexed

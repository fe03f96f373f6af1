// The vertical scroll bar's int positions over 64-bit rows.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "hexeditor/view/scroll_scale.h"

namespace hexed {
namespace {

struct ScaleCase {
  const char* name;
  GridRow rowCount;
  int visible;
  bool scaled;
};

void PrintTo(const ScaleCase& c, std::ostream* os) { *os << c.name; }

class ScrollScale : public testing::TestWithParam<ScaleCase> {
 protected:
  RowScrollScale Scale() const { return RowScrollScale(GetParam().rowCount, GetParam().visible); }
  GridRow LastTop() const { return GetParam().rowCount - GetParam().visible; }
};

TEST_P(ScrollScale, RangeFitsAnIntAndThePageIsAShareOfIt) {
  const RowScrollScale s = Scale();
  EXPECT_EQ(s.Scaled(), GetParam().scaled);
  EXPECT_LE(s.Min(), s.Max());
  EXPECT_GE(s.Page(), 1);
  EXPECT_EQ(s.LastPosition(), s.Max() - s.Page() + 1);
  EXPECT_EQ(s.LastTopRow(), LastTop());
  if (!s.Scaled()) {
    EXPECT_EQ(s.Min(), 2);
    EXPECT_EQ(s.Max(), GetParam().rowCount - 1);
    EXPECT_EQ(s.Page(), GetParam().visible);
  } else {
    // The thumb is as much of the bar as the view is of the rows, rounded down.
    const long double share = static_cast<long double>(GetParam().visible) / (GetParam().rowCount - 2);
    EXPECT_NEAR(s.Page(), std::max(1.0L, share * (s.Max() - s.Min() + 1)), 1.0);
  }
}

TEST_P(ScrollScale, TheEndsMapExactly) {
  const RowScrollScale s = Scale();
  EXPECT_EQ(s.TopRowAt(s.Min()), 2);
  EXPECT_EQ(s.TopRowAt(s.LastPosition()), LastTop());
  EXPECT_EQ(s.PositionOf(2), s.Min());
  EXPECT_EQ(s.PositionOf(LastTop()), s.LastPosition());
  // Out of range both ways clamps to the ends.
  EXPECT_EQ(s.TopRowAt(INT_MIN), 2);
  EXPECT_EQ(s.TopRowAt(INT_MAX), LastTop());
  EXPECT_EQ(s.PositionOf(INT64_MIN), s.Min());
  EXPECT_EQ(s.PositionOf(INT64_MAX), s.LastPosition());
}

TEST_P(ScrollScale, PositionsComeBackAndRowsRiseWithThem) {
  const RowScrollScale s = Scale();
  const std::int64_t span = std::int64_t{s.LastPosition()} - s.Min();
  GridRow previous = s.TopRowAt(s.Min());
  for (int i = 1; i <= 64; ++i) {
    const int p = static_cast<int>(s.Min() + span * i / 64);
    const GridRow top = s.TopRowAt(p);
    EXPECT_EQ(s.PositionOf(top), p) << p;
    EXPECT_GE(top, previous) << p;
    EXPECT_GE(s.PositionOf(top + 1), p) << p;
    previous = top;
  }
}

TEST_P(ScrollScale, TheMiddlePositionShowsTheMiddleRows) {
  const RowScrollScale s = Scale();
  const int positions = s.LastPosition() - s.Min();
  const int middle = s.Min() + positions / 2;
  const long double rowsPerPosition = static_cast<long double>(LastTop() - 2) / positions;
  const long double want = 2 + rowsPerPosition * (middle - s.Min());
  EXPECT_NEAR(static_cast<long double>(s.TopRowAt(middle)), want, rowsPerPosition + 1);
}

constexpr GridRow kUnscaledRows = kScaledScrollUnits;  // the last row is one below the unit count

INSTANTIATE_TEST_SUITE_P(
    Rows, ScrollScale,
    testing::Values(ScaleCase{"Small", 1000, 20, false}, ScaleCase{"ExactlyAtTheLimit", kUnscaledRows, 20, false},
                    ScaleCase{"OneRowPastTheLimit", kUnscaledRows + 1, 20, true},
                    ScaleCase{"PastTheIntLimit", GridRow{INT_MAX} + 2, 20, true},
                    ScaleCase{"TwoToThe40Rows", GridRow{1} << 40, 37, true},
                    ScaleCase{"Int64MaxRows", INT64_MAX, 5, true}),
    [](const testing::TestParamInfo<ScaleCase>& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace hexed

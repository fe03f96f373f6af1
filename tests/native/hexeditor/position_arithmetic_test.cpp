// Row, pixel and position sums near 2^31 and 2^63: rows are 64-bit, so
// nothing stops at 2^31; sums are held at the limits, never wrapped.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>

#include "hexeditor/view/grid_layout.h"
#include "test_support.h"

namespace hexed {
namespace {

constexpr GridRow kIntMax = INT_MAX;
constexpr GridRow kMax = INT64_MAX;

struct RowCase {
  const char* name;
  std::function<std::int64_t()> compute;
  std::int64_t want;
};

void PrintTo(const RowCase& c, std::ostream* os) { *os << c.name; }

std::vector<RowCase> GridCases() {
  return {
      {"RowCountOneBytePerRowPassesIntMax", [] { return RowCount(INT32_MAX, 1, false); }, kIntMax + 2},
      {"RowCountInsertModeAppendRow", [] { return RowCount(INT32_MAX - 1, 1, true); }, kIntMax + 2},
      {"RowCountSixteenPerRow", [] { return RowCount(INT32_MAX, 16, true); }, 2 + (INT32_MAX / 16) + 1},
      {"RowCountTwoPerRowLastRow", [] { return RowCount(INT32_MAX, 2, false); }, 2 + INT32_MAX / 2 + 1},
      {"RowCountOneBytePerRowStopsAtInt64Max", [] { return RowCount(kMax, 1, true); }, kMax},
      {"RowCountSixteenPerRowAtInt64Max", [] { return RowCount(kMax, 16, false); }, kMax / 16 + 3},
      {"RowOfPositionPastIntMax", [] { return PositionToCell(kIntMax + 5, 1, false, false).row; }, kIntMax + 7},
      {"RowOfLastPositionOnePerRow", [] { return PositionToCell(kMax - 1, 1, false, false).row; }, kMax},
      {"RowOfLastPositionSixteenPerRow", [] { return PositionToCell(kMax - 1, 16, false, true).row; },
       (kMax - 1) / 16 + 2},
      {"PositionOfARowPastIntMax", [] { return CellToPosition(5, kIntMax + 7, 2, false).pos; }, 2 * (kIntMax + 5) + 1},
      {"PositionOfTheLastFullRow", [] { return CellToPosition(2, kMax / 16 + 2, 16, false).pos; }, kMax / 16 * 16},
      {"PositionPastTheLastRow", [] { return CellToPosition(3, kMax, 16, false).pos; }, kMax},
      {"AddRowsPastIntMax", [] { return AddRows(kIntMax - 3, 10); }, kIntMax + 7},
      {"AddRowsPastTheTop", [] { return AddRows(kMax - 3, 10); }, kMax},
      {"AddRowsBack", [] { return AddRows(kMax - 3, -10); }, kMax - 13},
      {"RowTopFarBelowTheView", [] { return RowTop(kMax, 2, 17, 16); }, kPixelLimit},
      {"RowTopFarAboveTheView", [] { return RowTop(2, kMax - 5, 17, 16); }, -kPixelLimit},
      {"RowTopNearTheTopRow", [] { return RowTop(kMax - 1, kMax - 3, 17, 16); }, 17 + 2 * 16},
      {"RowAtPixelPastInt64Max", [] { return RowAtPixel(16000, kMax - 3, 17, 16); }, kMax},
      {"RowAtPixelNearTheTopRow", [] { return RowAtPixel(17 + 33, kMax - 5, 17, 16); }, kMax - 3},
      {"RowAtPixelPastIntMax", [] { return RowAtPixel(17 + 33, kIntMax, 17, 16); }, kIntMax + 2},
  };
}

class GridArithmetic : public testing::TestWithParam<RowCase> {};

TEST_P(GridArithmetic, HoldsAtTheLimitsInsteadOfWrapping) { EXPECT_EQ(GetParam().compute(), GetParam().want); }

INSTANTIATE_TEST_SUITE_P(NearTheLimits, GridArithmetic, testing::ValuesIn(GridCases()),
                         [](const testing::TestParamInfo<RowCase>& i) { return std::string(i.param.name); });

TEST(GridArithmetic, ACellFarBelowTheViewLiesBelowIt) {
  TCustomQDHexEditor e;
  e.SetClientSize(600, 400);
  for (const GridRow row : {kIntMax, kIntMax + 2, kMax}) {
    const auto far = e.CellRect(2, row);
    EXPECT_GT(far[1], 400) << row;
    EXPECT_GT(far[3], far[1]) << row;
  }
}

struct OverwriteCase {
  std::int32_t from;
  std::int64_t n;
  std::int32_t last;
};

void PrintTo(const OverwriteCase& c, std::ostream* os) { *os << c.from << " + " << c.n; }

class OverwriteEnd : public testing::TestWithParam<OverwriteCase> {};

TEST_P(OverwriteEnd, StopsAtTheLastByte) {
  TCustomQDHexEditor e;
  test::Load(e, test::Sequence(40));
  EXPECT_EQ(e.LastOverwritten(GetParam().from, GetParam().n), GetParam().last);
}

INSTANTIATE_TEST_SUITE_P(Near2To31, OverwriteEnd,
                         testing::Values(OverwriteCase{30, 5, 34}, OverwriteCase{30, INT32_MAX, 39},
                                         OverwriteCase{39, INT32_MAX - 1, 39},
                                         OverwriteCase{30, std::int64_t{1} << 32, 39}));

TEST(PasteNear2To31, AnOverwritingPasteOfACountNearTheLimitFillsToTheEnd) {
  TCustomQDHexEditor e;
  test::Load(e, test::Sequence(40));
  e.SetNoSizeChange(true);
  e.SetCaretPosition(30, false);
  const test::Bytes source = test::Sequence(64, 0x80);
  // Only the ten bytes up to the end are taken from the source.
  e.PasteBytes(source.data(), INT32_MAX - 1, "Paste");
  test::Bytes want = test::Sequence(40);
  for (int i = 0; i < 10; ++i) want[static_cast<std::size_t>(30 + i)] = static_cast<std::uint8_t>(0x80 + i);
  EXPECT_EQ(test::Content(e), want);
}

}  // namespace
}  // namespace hexed

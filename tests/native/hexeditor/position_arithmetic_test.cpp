// Row, pixel and position sums near 2^31: taken in 64 bits and clamped,
// never wrapped.
#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "hexeditor/view/grid_layout.h"
#include "test_support.h"

namespace hexed {
namespace {

constexpr int kMax = INT_MAX;

struct IntCase {
  const char* name;
  std::function<int()> compute;
  int want;
};

void PrintTo(const IntCase& c, std::ostream* os) { *os << c.name; }

std::vector<IntCase> GridCases() {
  return {
      {"RowCountOneBytePerRowStopsAtIntMax", [] { return RowCount(INT32_MAX, 1, false); }, kMax},
      {"RowCountInsertModeAppendRow", [] { return RowCount(INT32_MAX - 1, 1, true); }, kMax},
      {"RowCountSixteenPerRow", [] { return RowCount(INT32_MAX, 16, true); }, 2 + (INT32_MAX / 16) + 1},
      {"RowCountTwoPerRowLastRow", [] { return RowCount(INT32_MAX, 2, false); }, 2 + INT32_MAX / 2 + 1},
      {"RowOfLastPositionOnePerRow", [] { return PositionToCell(INT32_MAX - 1, 1, false, false).row; }, kMax},
      {"RowOfLastPositionSixteenPerRow", [] { return PositionToCell(INT32_MAX - 1, 16, false, true).row; },
       (INT32_MAX - 1) / 16 + 2},
      {"AddRowsPastTheTop", [] { return AddRows(kMax - 3, 10); }, kMax},
      {"AddRowsBack", [] { return AddRows(kMax - 3, -10); }, kMax - 13},
      {"RowTopFarBelowTheView", [] { return RowTop(kMax, 2, 17, 16); }, kPixelLimit},
      {"RowTopFarAboveTheView", [] { return RowTop(2, kMax - 5, 17, 16); }, -kPixelLimit},
      {"RowTopNearTheTopRow", [] { return RowTop(kMax - 1, kMax - 3, 17, 16); }, 17 + 2 * 16},
      {"RowAtPixelPastIntMax", [] { return RowAtPixel(16000, kMax - 3, 17, 16); }, kMax},
      {"RowAtPixelNearTheTopRow", [] { return RowAtPixel(17 + 33, kMax - 5, 17, 16); }, kMax - 3},
  };
}

class GridArithmetic : public testing::TestWithParam<IntCase> {};

TEST_P(GridArithmetic, ClampsInsteadOfWrapping) { EXPECT_EQ(GetParam().compute(), GetParam().want); }

INSTANTIATE_TEST_SUITE_P(Near2To31, GridArithmetic, testing::ValuesIn(GridCases()),
                         [](const testing::TestParamInfo<IntCase>& i) { return std::string(i.param.name); });

TEST(GridArithmetic, ACellFarBelowTheViewLiesBelowIt) {
  TCustomQDHexEditor e;
  e.SetClientSize(600, 400);
  const auto far = e.CellRect(2, kMax);
  EXPECT_GT(far[1], 400);
  EXPECT_GT(far[3], far[1]);
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

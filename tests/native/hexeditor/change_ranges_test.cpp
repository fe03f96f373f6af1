// Change ranges against a literal mark per byte.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "hexeditor/model/change_ranges.h"

namespace hexed {
namespace {

constexpr std::int64_t kSpan = 300;

// One mark per byte, grown as needed: what the ranges must behave like.
struct ReferenceMarks {
  std::vector<bool> bits = std::vector<bool>(kSpan * 4, false);

  void Set(std::int64_t pos, std::int64_t len, bool on) {
    for (std::int64_t i = std::max<std::int64_t>(pos, 0); i < pos + len; ++i) bits[static_cast<std::size_t>(i)] = on;
  }
  void CutFrom(std::int64_t pos) {
    for (std::int64_t i = std::max<std::int64_t>(pos, 0); i < static_cast<std::int64_t>(bits.size()); ++i)
      bits[static_cast<std::size_t>(i)] = false;
  }
  void InsertGap(std::int64_t pos, std::int64_t len) {
    bits.insert(bits.begin() + pos, static_cast<std::size_t>(len), false);
  }
  void RemoveRange(std::int64_t pos, std::int64_t len) { bits.erase(bits.begin() + pos, bits.begin() + pos + len); }
  std::size_t Runs() const {
    std::size_t runs = 0;
    for (std::size_t i = 0; i < bits.size(); ++i) runs += bits[i] && (i == 0 || !bits[i - 1]);
    return runs;
  }
};

void ExpectSame(const ChangeRanges& marks, ReferenceMarks& ref, int step) {
  ref.bits.resize(std::max<std::size_t>(ref.bits.size(), kSpan * 4), false);
  bool any = false;
  for (std::size_t i = 0; i < ref.bits.size(); ++i) {
    ASSERT_EQ(marks.Get(static_cast<std::int64_t>(i)), ref.bits[i]) << "step " << step << " pos " << i;
    any = any || ref.bits[i];
  }
  ASSERT_FALSE(marks.Get(-1));
  ASSERT_EQ(marks.Any(), any) << "step " << step;
  // Merged: touching or overlapping marks are one range.
  ASSERT_EQ(marks.RangeCount(), ref.Runs()) << "step " << step;
}

class ChangeRangesRandom : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(ChangeRangesRandom, MatchesOneMarkPerByte) {
  std::mt19937 rng(GetParam());
  ChangeRanges marks;
  ReferenceMarks ref;
  for (int step = 0; step < 3000; ++step) {
    const auto pos = static_cast<std::int64_t>(rng() % kSpan) - 2;
    const auto len = static_cast<std::int64_t>(rng() % (rng() % 4 == 0 ? 120 : 6));
    const std::int64_t p = std::max<std::int64_t>(pos, 0);
    switch (rng() % 16) {
      case 0: marks.CutFrom(pos); ref.CutFrom(pos); break;
      case 1: marks.InsertGap(p, len); ref.InsertGap(p, len); break;
      case 2: marks.RemoveRange(p, len); ref.RemoveRange(p, len); break;
      case 3: if (rng() % 8 == 0) { marks.Clear(); ref.CutFrom(0); } break;
      case 4: case 5: case 6: case 7: case 8: marks.SetRange(pos, len, false); ref.Set(pos, len, false); break;
      default: marks.SetRange(pos, len, true); ref.Set(pos, len, true); break;
    }
    ExpectSame(marks, ref, step);
    if (HasFatalFailure()) return;
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, ChangeRangesRandom, ::testing::Values(1u, 2u, 3u, 99u));

TEST(ChangeRanges, HugeOverwriteIsOneRangeAndCutsAbove4GiB) {
  ChangeRanges marks;
  const std::int64_t g4 = std::int64_t{1} << 32;
  marks.SetRange(10, g4 * 3);
  marks.SetRange(5, 5);  // touches the start: joins
  EXPECT_EQ(marks.RangeCount(), 1u);
  EXPECT_TRUE(marks.Get(g4 + 7));
  marks.Set(g4, false);
  EXPECT_FALSE(marks.Get(g4));
  EXPECT_EQ(marks.RangeCount(), 2u);
  marks.CutFrom(g4 - 1);
  EXPECT_TRUE(marks.Get(g4 - 2));
  EXPECT_FALSE(marks.Get(g4 - 1));
  EXPECT_EQ(marks.RangeCount(), 1u);
}

}  // namespace
}  // namespace hexed

// The piece data's strong guarantee when memory runs out: every allocation of
// an edit is made to fail in turn, and the data must read as before each time.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <random>

#include "hexeditor/model/change_ranges.h"
#include "piece_test_support.h"
#include "test_support.h"

namespace {

// Allocations left before one fails; negative: none fails.
thread_local long g_allocationsLeft = -1;

void* Allocate(std::size_t size) {
  if (g_allocationsLeft == 0) throw std::bad_alloc();
  if (g_allocationsLeft > 0) --g_allocationsLeft;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace hexed {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Runs `edit` on copies-to-be with the n-th allocation failing, n = 0, 1, ...
// until it succeeds; after each failure `check` sees the untouched state.
template <class Edit, class Check>
int FailEachAllocation(Edit edit, Check check) {
  for (long n = 0;; ++n) {
    g_allocationsLeft = n;
    try {
      edit();
      g_allocationsLeft = -1;
      return static_cast<int>(n);
    } catch (const std::bad_alloc&) {
      g_allocationsLeft = -1;
      check();
      if (::testing::Test::HasFatalFailure()) return -1;
    }
  }
}

// Data with several chunks of pieces, over a file.
class PieceAllocTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::mt19937 rng(5);
    ref_ = test::RandomBytes(40000, rng);
    test::WriteFile(dir_ / "f.bin", ref_);
    data_.OpenFile(dir_ / "f.bin");
    for (int i = 0; i < 3000; ++i) {
      const std::uint8_t b = static_cast<std::uint8_t>(i);
      const auto pos = static_cast<std::int64_t>(rng() % (ref_.size() + 1));
      data_.Insert(pos, &b, 1);
      ref_.insert(ref_.begin() + pos, b);
    }
  }
  void ExpectUnchanged() { ASSERT_EQ(test::ReadAll(data_), ref_); }

  test::TempDir dir_;
  PieceData data_;
  Bytes ref_;
};

TEST_F(PieceAllocTest, FailedEditsLeaveDataAsItWas) {
  const Bytes src(5000, 0xAB);
  const PieceList held = data_.Copy(100, 30000);
  const auto mid = [&] { return data_.Size() / 2; };
  const struct {
    const char* name;
    std::function<void()> edit;
  } edits[] = {
      {"overwrite", [&] { data_.Overwrite(mid(), src.data(), 5000); }},
      {"insert", [&] { data_.Insert(mid(), src.data(), 5000); }},
      {"erase across chunks", [&] { data_.Erase(10, 30000); }},
      {"extract", [&] { (void)data_.Extract(mid(), 7); }},
      {"insert pieces", [&] { data_.InsertPieces(mid(), held); }},
  };
  for (const auto& e : edits) {
    SCOPED_TRACE(e.name);
    const Bytes before = ref_;
    const int failures = FailEachAllocation(e.edit, [&] { ExpectUnchanged(); });
    EXPECT_GT(failures, 0);  // the edit did allocate, so failures were tried
    // Succeeded at last: follow it in the reference.
    ref_ = test::ReadAll(data_);
    EXPECT_NE(ref_, before);
  }
}

TEST(ChangeRangesAlloc, FailedSetLeavesMarksAsTheyWere) {
  ChangeRanges marks;
  for (int i = 0; i < 50; ++i) marks.SetRange(i * 10, 3);
  const auto snapshot = [&] {
    std::vector<bool> bits;
    for (int i = 0; i < 600; ++i) bits.push_back(marks.Get(i));
    return bits;
  };
  const std::vector<bool> before = snapshot();
  const struct {
    const char* name;
    std::function<void()> edit;
  } edits[] = {
      {"split by clearing", [&] { marks.SetRange(101, 1, false); }},
      {"new range", [&] { marks.SetRange(505, 2); }},
      {"gap", [&] { marks.InsertGap(101, 4); }},
      {"remove", [&] { marks.RemoveRange(95, 20); }},
  };
  for (const auto& e : edits) {
    SCOPED_TRACE(e.name);
    ChangeRanges saved = marks;
    FailEachAllocation(e.edit, [&] { ASSERT_EQ(snapshot(), before); });
    marks = saved;
  }
}

}  // namespace
}  // namespace hexed

// The data buffer, its primitives, change marks and nibble shifts.
#include <gtest/gtest.h>

#include "hexeditor/model/allocation_limits.h"
#include "hexeditor/model/data_buffer.h"
#include "hexeditor/errors.h"
#include "hexeditor/model/nibble_shift.h"
#include "test_support.h"

namespace hexed {
namespace {

using test::Bytes;

TEST(DataBuffer, RangesOutsideTheDataAreRefusedWithTheBoundsMessage) {
  TQDHMemoryStream s;
  s.SetSize(10);
  EXPECT_NO_THROW(s.CheckRange(0, 10));
  EXPECT_NO_THROW(s.CheckRange(10, 0));
  for (auto [pos, len] : {std::pair<std::int64_t, std::int64_t>{-1, 1}, {0, 11}, {10, 1}, {5, -1}, {INT64_MAX, 2}}) {
    try {
      s.CheckRange(pos, len);
      ADD_FAILURE() << pos << "," << len;
    } catch (const EQDHexEditor& e) {
      EXPECT_STREQ(e.what(), "Data position/length out of data bounds");
    }
  }
}

TEST(DataBuffer, GrowingKeepsBytesAddsZerosAndRefusesPastTheLimit) {
  TQDHMemoryStream s;
  s.SetSize(3);
  const std::uint8_t abc[3] = {1, 2, 3};
  s.Write(abc, 0, 3);
  for (int i = 0; i < 20000; ++i) s.SetSize(s.Size() + 1);
  EXPECT_EQ(s.At(2), 3);
  EXPECT_EQ(s.At(20002), 0);
  // Gigabytes of zeros share one block: growing by them costs no memory.
  s.SetSize(std::int64_t{5} << 30);
  EXPECT_EQ(s.At((std::int64_t{5} << 30) - 1), 0);
  EXPECT_EQ(s.At(1), 2);
  s.SetSize(20003);
  TestAllocationLimits().dataBlock = 20010;
  EXPECT_THROW(s.SetSize(20011), OutOfMemoryError);
  TestAllocationLimits() = AllocationLimits{};
  EXPECT_EQ(s.Size(), 20003);
}

TEST(DataBuffer, MoveHandlesOverlapInBothDirections) {
  TQDHMemoryStream s;
  s.SetSize(6);
  const std::uint8_t init[6] = {1, 2, 3, 4, 5, 6};
  s.Write(init, 0, 6);
  Bytes out(6);
  s.Move(0, 2, 4);
  s.Read(out.data(), 0, 6);
  EXPECT_EQ(out, (Bytes{1, 2, 1, 2, 3, 4}));
  s.Move(2, 0, 4);
  s.Read(out.data(), 0, 6);
  EXPECT_EQ(out, (Bytes{1, 2, 3, 4, 3, 4}));
}

// Literal nibble arithmetic: the oracle for the in-place shifts.
Bytes NibbleOracle(const Bytes& in, std::int32_t pos, bool high, bool insert) {
  std::vector<int> nib;
  for (std::uint8_t b : in) {
    nib.push_back(b >> 4);
    nib.push_back(b & 15);
  }
  const auto at = static_cast<std::size_t>(2 * pos + (high ? 0 : 1));
  if (insert) {
    nib.insert(nib.begin() + static_cast<std::ptrdiff_t>(at), 0);
    nib.push_back(0);
  } else {
    nib.erase(nib.begin() + static_cast<std::ptrdiff_t>(at));
    nib.push_back(0);
  }
  Bytes out;
  for (std::size_t i = 0; i + 1 < nib.size(); i += 2) out.push_back(static_cast<std::uint8_t>(nib[i] * 16 + nib[i + 1]));
  return out;
}

TEST(NibbleShift, InsertAndDeleteMatchTheNibbleOracleAtEveryPosition) {
  for (int n : {1, 2, 3, 7}) {
    const Bytes data = test::Sequence(n, 0x12);
    for (int pos = 0; pos < n; ++pos) {
      for (bool high : {true, false}) {
        Bytes grown = data;
        grown.push_back(0xEE);
        InsertNibbleInPlace(grown.data(), n, pos, high);
        EXPECT_EQ(grown, NibbleOracle(data, pos, high, true)) << n << " " << pos << " " << high;
        Bytes same = data;
        DeleteNibbleInPlace(same.data(), n, pos, high);
        EXPECT_EQ(same, NibbleOracle(data, pos, high, false)) << n << " " << pos << " " << high;
      }
    }
  }
}

TEST(NibbleShift, ExampleValues) {
  Bytes b = {0x12, 0x34, 0x00};
  InsertNibbleInPlace(b.data(), 2, 0, true);
  EXPECT_EQ(b, (Bytes{0x01, 0x23, 0x40}));
  Bytes c = {0x12, 0x34};
  DeleteNibbleInPlace(c.data(), 2, 0, false);
  EXPECT_EQ(c, (Bytes{0x13, 0x40}));
}

TEST(EditorPrimitives, InsertAppendDeleteMoveTheTail) {
  TCustomQDHexEditor e;
  test::Load(e, {1, 2, 3});
  e.InsertBytes(nullptr, 2, 1);
  EXPECT_EQ(test::Content(e), (Bytes{1, 0, 0, 2, 3}));
  const std::uint8_t x[2] = {9, 8};
  e.AppendBytes(x, 2);
  EXPECT_EQ(test::Content(e), (Bytes{1, 0, 0, 2, 3, 9, 8}));
  e.DeleteBytes(1, 3);
  EXPECT_EQ(test::Content(e), (Bytes{1, 2, 3, 9, 8}));
  EXPECT_THROW(e.DeleteBytes(3, 6), EQDHexEditor);
  EXPECT_THROW(e.InsertBytes(x, 1, 6), EQDHexEditor);
  EXPECT_EQ(e.RowCount(), 3);
}

TEST(EditorPrimitives, SetByteAndWriteBytesFireOnChange) {
  TCustomQDHexEditor e;
  test::Load(e, {1, 2, 3});
  int changes = 0;
  e.OnChange = [&] { ++changes; };
  e.SetByte(0, 7);
  const std::uint8_t two[2] = {5, 6};
  e.WriteBytes(two, 1, 2);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(test::Content(e), (Bytes{7, 5, 6}));
}

}  // namespace
}  // namespace hexed

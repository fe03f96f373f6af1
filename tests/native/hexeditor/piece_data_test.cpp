// The piece data against a literal byte vector: random edits over a file,
// reading everything back after each step.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "hexeditor/errors.h"
#include "hexeditor/model/byte_search.h"
#include "hexeditor/model/piece_search_source.h"
#include "platform/stream.h"
#include "piece_test_support.h"
#include "test_support.h"

namespace hexed {
namespace {

using test::RandomBytes;
using test::ReadAll;
using Bytes = std::vector<std::uint8_t>;

// Applies one random edit to both the data and the reference. Edits favour
// piece edges and the ends, where splitting and joining go wrong.
class EditDriver {
 public:
  EditDriver(PieceData& data, Bytes& ref, std::uint32_t seed) : data_(data), ref_(ref), rng_(seed) {}

  void Step() {
    const auto size = static_cast<std::int64_t>(ref_.size());
    const std::int64_t pos = Position(size);
    const std::int64_t len = Length(size - pos);
    // Rare: every shift of a long tail adds a layer that each read passes.
    if (size > 0 && rng_() % 64 == 0) return ShiftNibbles(std::min(pos, size - 1));
    switch (rng_() % 6) {
      case 0: {
        const Bytes src = RandomBytes(static_cast<std::size_t>(len), rng_);
        data_.Overwrite(pos, src.data(), len);
        std::copy(src.begin(), src.end(), ref_.begin() + pos);
        break;
      }
      case 1: {
        const Bytes src = RandomBytes(static_cast<std::size_t>(Length(300)), rng_);
        data_.Insert(pos, src.data(), static_cast<std::int64_t>(src.size()));
        ref_.insert(ref_.begin() + pos, src.begin(), src.end());
        break;
      }
      case 2:
        data_.Erase(pos, len);
        ref_.erase(ref_.begin() + pos, ref_.begin() + pos + len);
        break;
      case 3: {  // undo of a delete: extract, then put back where it was
        const PieceList cut = data_.Extract(pos, len);
        ASSERT_EQ(cut.Size(), len);
        Bytes without = ref_;
        without.erase(without.begin() + pos, without.begin() + pos + len);
        ASSERT_EQ(ReadAll(data_), without);
        data_.InsertPieces(pos, cut);
        break;
      }
      case 4: {  // a move: cut a range and put it elsewhere
        const PieceList cut = data_.Extract(pos, len);
        const Bytes moved(ref_.begin() + pos, ref_.begin() + pos + len);
        ref_.erase(ref_.begin() + pos, ref_.begin() + pos + len);
        const std::int64_t to = Position(static_cast<std::int64_t>(ref_.size()));
        data_.InsertPieces(to, cut);
        ref_.insert(ref_.begin() + to, moved.begin(), moved.end());
        break;
      }
      default: {  // undo of an overwrite: keep the old pieces, overwrite, put them back
        const PieceList old = data_.Copy(pos, len);
        const Bytes src = RandomBytes(static_cast<std::size_t>(len), rng_);
        data_.Overwrite(pos, src.data(), len);
        data_.Erase(pos, len);
        data_.InsertPieces(pos, old);
        break;
      }
    }
  }

 private:
  void ShiftNibbles(std::int64_t pos) {
    const bool insert = rng_() % 2 == 0;
    const bool high = rng_() % 2 == 0;
    const auto n = static_cast<std::int64_t>(ref_.size());
    ref_.push_back(0);
    if (insert) {
      data_.ShiftNibbles(pos, NibbleShift::kInsert, high);
      InsertNibbleInPlace(ref_.data(), n, pos, high);
    } else {
      data_.ShiftNibbles(pos, NibbleShift::kDelete, high);
      DeleteNibbleInPlace(ref_.data(), n, pos, high);
      ref_.pop_back();
    }
  }

  std::int64_t Position(std::int64_t size) {
    switch (rng_() % 4) {
      case 0: return 0;
      case 1: return size;
      case 2: return lastPos_ = std::clamp<std::int64_t>(lastPos_ + static_cast<int>(rng_() % 3) - 1, 0, size);
      default: return lastPos_ = size == 0 ? 0 : static_cast<std::int64_t>(rng_() % static_cast<std::uint64_t>(size + 1));
    }
  }
  std::int64_t Length(std::int64_t room) {
    if (room <= 0) return 0;
    const std::int64_t cap = rng_() % 8 == 0 ? room : std::min<std::int64_t>(room, 17);
    return static_cast<std::int64_t>(rng_() % static_cast<std::uint64_t>(cap + 1));
  }

  PieceData& data_;
  Bytes& ref_;
  std::mt19937 rng_;
  std::int64_t lastPos_ = 0;
};

struct RandomCase {
  std::size_t fileSize;
  std::uint32_t seed;
  int steps;
};

class PieceDataRandom : public ::testing::TestWithParam<RandomCase> {};

TEST_P(PieceDataRandom, MatchesReferenceAfterEveryEdit) {
  const RandomCase c = GetParam();
  test::TempDir dir;
  std::mt19937 rng(c.seed);
  Bytes ref = RandomBytes(c.fileSize, rng);
  test::WriteFile(dir / "f.bin", ref);
  PieceData data;
  data.OpenFile(dir / "f.bin");
  EditDriver driver(data, ref, c.seed);
  for (int i = 0; i < c.steps; ++i) {
    driver.Step();
    ASSERT_EQ(data.Size(), static_cast<std::int64_t>(ref.size())) << "step " << i;
    ASSERT_EQ(ReadAll(data), ref) << "step " << i;
  }
}

// Sizes around the cache block (64 KiB); enough steps to pass a chunk of pieces.
INSTANTIATE_TEST_SUITE_P(Sizes, PieceDataRandom,
                         ::testing::Values(RandomCase{0, 1, 400}, RandomCase{1, 2, 400}, RandomCase{5427, 3, 3000},
                                           RandomCase{65535, 4, 1500}, RandomCase{65537, 5, 1500},
                                           RandomCase{200003, 6, 600}));

TEST(PieceData, ManySmallInsertsStayReadable) {
  // Scattered one-byte inserts make thousands of pieces across many chunks.
  test::TempDir dir;
  std::mt19937 rng(7);
  Bytes ref = RandomBytes(100001, rng);
  test::WriteFile(dir / "f.bin", ref);
  PieceData data;
  data.OpenFile(dir / "f.bin");
  for (int i = 0; i < 6000; ++i) {
    const std::uint8_t b = static_cast<std::uint8_t>(i);
    const auto pos = static_cast<std::int64_t>(rng() % (ref.size() + 1));
    data.Insert(pos, &b, 1);
    ref.insert(ref.begin() + pos, b);
  }
  EXPECT_GT(data.PieceCount(), 2 * PieceTable::kMaxChunk);
  EXPECT_EQ(ReadAll(data), ref);
  Bytes part(777);
  data.Read(54321, part.data(), 777);
  EXPECT_TRUE(std::equal(part.begin(), part.end(), ref.begin() + 54321));
}

TEST(PieceData, TypingAtOnePlaceJoinsPieces) {
  PieceData data;
  for (int i = 0; i < 1000; ++i) {
    const std::uint8_t b = static_cast<std::uint8_t>(i);
    data.Insert(i, &b, 1);
  }
  EXPECT_EQ(data.PieceCount(), 1u);
}

struct BoundsCase {
  const char* what;
  std::int64_t pos;
  std::int64_t len;
};

class PieceDataBounds : public ::testing::TestWithParam<BoundsCase> {};

TEST_P(PieceDataBounds, OutOfRangeThrowsAndChangesNothing) {
  const BoundsCase c = GetParam();
  PieceData data;
  const Bytes ten = test::Sequence(10);
  data.Insert(0, ten.data(), 10);
  Bytes buf(64);
  EXPECT_THROW(data.Read(c.pos, buf.data(), c.len), EQDHexEditor);
  EXPECT_THROW(data.Overwrite(c.pos, buf.data(), c.len), EQDHexEditor);
  EXPECT_THROW(data.Erase(c.pos, c.len), EQDHexEditor);
  EXPECT_THROW(data.Extract(c.pos, c.len), EQDHexEditor);
  EXPECT_EQ(ReadAll(data), ten);
}

INSTANTIATE_TEST_SUITE_P(Ranges, PieceDataBounds,
                         ::testing::Values(BoundsCase{"negative pos", -1, 1}, BoundsCase{"negative len", 0, -1},
                                           BoundsCase{"past end", 5, 6}, BoundsCase{"start past end", 11, 0},
                                           BoundsCase{"overflowing", 1, INT64_MAX}));

TEST(PieceData, InsertOutsideDataThrows) {
  PieceData data;
  const std::uint8_t b = 1;
  EXPECT_THROW(data.Insert(1, &b, 1), EQDHexEditor);
  EXPECT_THROW(data.InsertPieces(-1, PieceList()), EQDHexEditor);
  EXPECT_EQ(data.Size(), 0);
}

TEST(PieceData, FindRunsOverPiecesAcrossTheirEdges) {
  test::TempDir dir;
  std::mt19937 rng(11);
  Bytes ref = RandomBytes(300000, rng);
  test::WriteFile(dir / "f.bin", ref);
  PieceData data;
  data.OpenFile(dir / "f.bin");
  // The needle straddles an inserted piece and the file on both sides.
  const Bytes mid = {0xDE, 0xAD};
  data.Insert(250001, mid.data(), 2);
  ref.insert(ref.begin() + 250001, mid.begin(), mid.end());
  const Bytes needle(ref.begin() + 249999, ref.begin() + 250006);
  search::Pattern pattern;
  for (std::uint8_t b : needle) pattern.bytes.push_back(search::PatternByte{b, 0});
  PieceSearchSource source(data);
  search::FindOptions options;
  options.chunkSize = 100000;  // chunk edges fall elsewhere than piece edges
  const search::FindResult r = search::Find(source, pattern, options);
  ASSERT_EQ(r.status, search::FindStatus::kFound);
  EXPECT_EQ(r.position, std::search(ref.begin(), ref.end(), needle.begin(), needle.end()) - ref.begin());
}

TEST(PieceData, FileThatShrankUnderneathRaisesReadError) {
  test::TempDir dir;
  std::mt19937 rng(13);
  test::WriteFile(dir / "f.bin", RandomBytes(300000, rng));
  PieceData data;
  data.OpenFile(dir / "f.bin");
  std::error_code ec;
  std::filesystem::resize_file(dir / "f.bin", 1000, ec);
  if (ec) {
    // Windows: the viewer's handle keeps writers out, so the file stays whole.
    Bytes tail(16);
    data.Read(299984, tail.data(), 16);
    return;
  }
  // Through the cache and straight into a large buffer.
  for (const std::int64_t size : {16, 200000}) {
    Bytes buf(static_cast<std::size_t>(size));
    try {
      data.Read(300000 - size, buf.data(), size);
      ADD_FAILURE() << "read past the file's new end";
    } catch (const platform::IoError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Cannot read ", 0), 0u) << e.what();
      EXPECT_NE(std::string(e.what()).find("f.bin"), std::string::npos) << e.what();
    }
  }
}

TEST(PieceData, OpenMissingFileRaisesIoErrorAndKeepsData) {
  test::TempDir dir;
  PieceData data;
  const Bytes three = {1, 2, 3};
  data.Insert(0, three.data(), 3);
  EXPECT_THROW(data.OpenFile(dir / "missing.bin"), platform::IoError);
  EXPECT_EQ(ReadAll(data), three);
}

}  // namespace
}  // namespace hexed

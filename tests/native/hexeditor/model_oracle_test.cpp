// Random edits compared with a literal reference buffer, then undone step by
// step back to the start.
#include <gtest/gtest.h>

#include <random>

#include "test_support.h"

namespace hexed {
namespace {

using test::Bytes;

Bytes NibbleEdit(const Bytes& in, std::int32_t pos, bool high, bool insert) {
  std::vector<int> nib;
  for (std::uint8_t b : in) {
    nib.push_back(b >> 4);
    nib.push_back(b & 15);
  }
  const auto at = static_cast<std::ptrdiff_t>(2 * pos + (high ? 0 : 1));
  if (insert) {
    nib.insert(nib.begin() + at, 0);
  } else {
    nib.erase(nib.begin() + at);
  }
  nib.push_back(0);
  Bytes out;
  for (std::size_t i = 0; i + 1 < nib.size(); i += 2) out.push_back(static_cast<std::uint8_t>(nib[i] * 16 + nib[i + 1]));
  return out;
}

class Oracle : public testing::TestWithParam<unsigned> {};

TEST_P(Oracle, RandomEditsMatchTheReferenceAndUndoAllTheWayBack) {
  std::mt19937 rng(GetParam());
  const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  TCustomQDHexEditor e;
  e.SetMaxUndo(0);
  Bytes ref = test::Sequence(259, 3);
  test::Load(e, ref);
  std::vector<Bytes> history{ref};

  for (int step = 0; step < 250; ++step) {
    const auto size = static_cast<std::int32_t>(ref.size());
    Bytes data(static_cast<std::size_t>(pick(1, 9)));
    for (auto& b : data) b = static_cast<std::uint8_t>(pick(0, 255));
    const auto n = static_cast<std::int32_t>(data.size());
    const int op = size == 0 ? 3 : pick(0, 7);
    switch (op) {
      case 0: {
        const std::int32_t pos = pick(0, size - 1);
        const std::uint8_t nb = static_cast<std::uint8_t>(ref[pos] ^ (1 + pick(0, 254)));
        e.ChangeByte(pos, ref[pos], nb);
        ref[pos] = nb;
        break;
      }
      case 1: {
        const std::int32_t pos = pick(0, size);
        e.InsertBuffer(data.data(), n, pos, pick(0, 1) == 1);
        ref.insert(ref.begin() + pos, data.begin(), data.end());
        break;
      }
      case 2: {
        const std::int32_t from = pick(0, size - 1);
        const std::int32_t to = std::min(size - 1, from + pick(0, 20));
        e.SetSelection(from, to);
        e.DeleteSelection();
        ref.erase(ref.begin() + from, ref.begin() + to + 1);
        break;
      }
      case 3:
        e.AppendBuffer(data.data(), n, true);
        ref.insert(ref.end(), data.begin(), data.end());
        break;
      case 4: {
        const std::int32_t from = pick(0, size - 1);
        const std::int32_t to = std::min(size - 1, from + pick(0, 12));
        e.SetSelection(from, to);
        e.ReplaceSelection(data.data(), n, true);
        ref.erase(ref.begin() + from, ref.begin() + to + 1);
        ref.insert(ref.begin() + from, data.begin(), data.end());
        break;
      }
      case 5:
      case 6: {
        const std::int32_t pos = pick(0, size - 1);
        const bool high = pick(0, 1) == 1;
        const bool insert = op == 5;
        e.RecordUndo(insert ? UndoKind::kInsertNibble : UndoKind::kDeleteNibble, pos, "", 0, 1);
        if (insert) {
          e.InsertNibble(pos, high);
        } else {
          e.DeleteNibble(pos, high);
        }
        ref = NibbleEdit(ref, pos, high, insert);
        break;
      }
      default: {
        const std::int32_t pos = pick(0, size - 1);
        const std::int32_t count = std::min(size - pos, n);
        e.RecordUndo(UndoKind::kConvert, pos, "", 0, count);
        e.WriteBytes(data.data(), pos, count);
        std::copy(data.begin(), data.begin() + count, ref.begin() + pos);
        break;
      }
    }
    ASSERT_EQ(test::Content(e), ref) << "step " << step << " op " << op;
    history.push_back(ref);
  }

  ASSERT_EQ(e.UndoStorage().Count(), 250);
  for (int i = static_cast<int>(history.size()) - 2; i >= 0; --i) {
    e.Undo();
    ASSERT_EQ(test::Content(e), history[static_cast<std::size_t>(i)]) << "undo to state " << i;
    if (i % 37 == 0) {
      e.Redo();
      ASSERT_EQ(test::Content(e), history[static_cast<std::size_t>(i) + 1]) << "redo to state " << i + 1;
      e.Undo();
    }
  }
  EXPECT_FALSE(e.CanUndo());
  EXPECT_FALSE(e.Modified());
}

INSTANTIATE_TEST_SUITE_P(Seeds, Oracle, testing::Values(1u, 2u, 3u, 20240u, 777u));

}  // namespace
}  // namespace hexed

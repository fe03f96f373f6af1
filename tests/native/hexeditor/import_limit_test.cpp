// Imports take at most what the buffer can still take: a block giving more
// is refused before its bytes are copied; the limit counts the bytes the
// import gives, not the block that holds them.
#include <gtest/gtest.h>

#include <optional>

#include "hexeditor/clipboard/clipboard_data.h"
#include "hexeditor/errors.h"

namespace hexed::clip {
namespace {

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

struct LimitCase {
  const char* name;
  Format format;
  Bytes block;
  bool hexText;
  std::uint64_t limit;
  std::optional<Bytes> want;  // none: refused
};

void PrintTo(const LimitCase& c, std::ostream* os) { *os << c.name; }

const Bytes kTen = B("0123456789");

std::vector<LimitCase> Cases() {
  const Bytes unicode = {'a', 0, 'b', 0, 'c', 0, 0, 0, 'd', 0};
  return {
      {"PrivateOverLimit", Format::kPrivate, PrivateBlock(kTen), false, 9, std::nullopt},
      {"PrivateAtLimit", Format::kPrivate, PrivateBlock(kTen), false, 10, kTen},
      {"PrivateCountPastTheBlockCountsTheBlock", Format::kPrivate,
       Bytes{'Q', 'D', 'T', 'H', 1, 0, 1, 0, 0xFF, 0xFF, 0xFF, 0xFF, 'x', 'y', 'z'}, false, 3, B("xyz")},
      {"RegEditOverLimit", Format::kRegEditHexData, RegEditBlock(kTen), false, 9, std::nullopt},
      {"TextOverLimit", Format::kText, B(std::string("abcdef\0xyz", 10)), false, 5, std::nullopt},
      {"TextUpToItsZeroFits", Format::kText, B(std::string("abcdef\0xyz", 10)), false, 6, B("abcdef")},
      {"UnicodeOverLimit", Format::kUnicodeText, unicode, false, 5, std::nullopt},
      {"UnicodeFits", Format::kUnicodeText, unicode, false, 6, Bytes{'a', 0, 'b', 0, 'c', 0}},
      {"BitmapHeaderCounts", Format::kDib, kTen, false, 23, std::nullopt},
      {"OtherFormatWhole", Format::kWave, kTen, false, 9, std::nullopt},
      {"HexTextOverLimit", Format::kText, B(std::string("41 42 43\0 44", 12)), true, 2, std::nullopt},
      {"HexTextUpToItsZeroFits", Format::kText, B(std::string("41 42 43\0 44", 12)), true, 3,
       Bytes{0x41, 0x42, 0x43}},
  };
}

class ImportLimit : public testing::TestWithParam<LimitCase> {};

TEST_P(ImportLimit, RefusesWhatTheBufferCannotTake) {
  const LimitCase& c = GetParam();
  const BlockView view{c.block.data(), c.block.size()};
  if (!c.want) {
    EXPECT_THROW(ImportBlock(c.format, view, false, c.hexText, false, c.limit), OutOfMemoryError);
  } else {
    EXPECT_EQ(ImportBlock(c.format, view, false, c.hexText, false, c.limit), c.want);
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, ImportLimit, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<LimitCase>& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace hexed::clip

// The go-to text: decimal, "0x" hexadecimal or the editor's offset format,
// absolute or relative to the caret, never past the end.
#include <gtest/gtest.h>

#include <optional>

#include "hexeditor/editor/go_to.h"

namespace {

TEST(GoTo, TextsNameTheirPositionOrNothing) {
  hexed::OffsetFormat format;  // "0x" … "h" in hexadecimal, counted in 4-byte units
  format.prefix = "0x";
  format.suffix = "h";
  format.radix = 16;
  format.unit = 4;
  hexed::OffsetFormat plain;  // no prefix or suffix
  struct Case {
    const char* text;
    const hexed::OffsetFormat* format;
    std::optional<std::int64_t> position;
  } cases[] = {
      {"100", &plain, 100},
      {"  0x1F ", &plain, 31},
      {"0X1f", &plain, 31},
      {"0x10h", &format, 64},  // the editor's own format, in its unit
      {"+10", &plain, 60},     // from the caret at 50
      {"- 0x10", &plain, 34},
      {"1000", &plain, 1000},  // the end itself
      {"1001", &plain, std::nullopt},
      {"+951", &plain, std::nullopt},
      {"-51", &plain, std::nullopt},
      {"12a", &plain, std::nullopt},
      {"0x", &plain, std::nullopt},
      {"", &plain, std::nullopt},
      {"99999999999999999999", &plain, std::nullopt},  // beyond 64 bits
      {"0x7fffffffffffffffh", &format, std::nullopt},  // beyond 64 bits once counted in units
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hexed::GoToPosition(c.text, *c.format, 50, 1000), c.position) << c.text;
  }
}

}  // namespace

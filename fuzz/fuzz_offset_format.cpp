// The hex editor's offset-format parser on any text (after three bytes that
// give the row, column and ruler units), and the offsets a parsed format
// writes: prefix, at least the minimum digits in the radix, suffix, and
// digits that read back as the offset divided by the unit.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "hexeditor/errors.h"
#include "hexeditor/view/offset_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 11) return 0;
  const int row = 1 << (data[0] % 5), column = 1 << (data[1] % 5), ruler = 1 << (data[2] % 5);
  std::uint64_t raw = 0;
  std::memcpy(&raw, data + 3, sizeof raw);
  const std::string_view text(reinterpret_cast<const char*>(data + 11), size - 11);

  hexed::OffsetFormat f;
  try {
    f = hexed::ParseOffsetFormat(text, row, column, ruler);
  } catch (const hexed::EQDHexEditor&) {
    return 0;  // a refused format has its message
  }
  fuzz::Check(f.text == text, "the format keeps its text");
  if (text.empty()) return 0;
  fuzz::Check(f.radix >= 2 && f.radix <= 16 && f.unit >= 1 && f.minDigits >= 0, "radix, unit and digit count in range");

  for (const std::int64_t p : {std::int64_t{0}, std::int64_t{1}, static_cast<std::int64_t>(raw >> 1)}) {
    const std::string upper = hexed::FormatOffset(f, p, false);
    const std::string lower = hexed::FormatOffset(f, p, true);
    fuzz::Check(upper.size() >= f.prefix.size() + f.suffix.size(), "the offset holds prefix and suffix");
    fuzz::Check(upper.compare(0, f.prefix.size(), f.prefix) == 0, "the offset starts with the prefix");
    fuzz::Check(upper.compare(upper.size() - f.suffix.size(), f.suffix.size(), f.suffix) == 0,
                "the offset ends with the suffix");
    const std::string digits = upper.substr(f.prefix.size(), upper.size() - f.prefix.size() - f.suffix.size());
    fuzz::Check(static_cast<int>(digits.size()) >= f.minDigits, "at least the minimum digits");
    std::string lowered = digits;
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), [](unsigned char c) { return std::tolower(c); });
    fuzz::Check(lower == f.prefix + lowered + f.suffix, "lower case changes only the digits");
    const std::int64_t value = p / f.unit;
    fuzz::Check(hexed::RadixToInt(digits, f.radix) == std::min<std::int64_t>(value, INT32_MAX),
                "the digits read back as the offset over the unit");
  }
  return 0;
}

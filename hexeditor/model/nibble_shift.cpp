#include "hexeditor/model/nibble_shift.h"

namespace hexed {

void InsertNibbleInPlace(std::uint8_t* data, std::int64_t n, std::int64_t pos, bool high) {
  // Walk from the end so that each old byte is read before it is replaced.
  for (std::int64_t i = n; i > pos; --i) {
    const std::uint8_t lowOfPrevious = data[i - 1] & 0x0F;
    const std::uint8_t highOfThis = i < n ? static_cast<std::uint8_t>(data[i] >> 4) : 0;
    data[i] = static_cast<std::uint8_t>((lowOfPrevious << 4) | highOfThis);
  }
  data[pos] = high ? static_cast<std::uint8_t>(data[pos] >> 4) : static_cast<std::uint8_t>(data[pos] & 0xF0);
}

void DeleteNibbleInPlace(std::uint8_t* data, std::int64_t n, std::int64_t pos, bool high) {
  const std::uint8_t keptHigh = data[pos] & 0xF0;
  for (std::int64_t i = pos; i < n; ++i) {
    const std::uint8_t highOfNext = i + 1 < n ? static_cast<std::uint8_t>(data[i + 1] >> 4) : 0;
    data[i] = static_cast<std::uint8_t>(((data[i] & 0x0F) << 4) | highOfNext);
  }
  if (!high) data[pos] = static_cast<std::uint8_t>(keptHigh | (data[pos] & 0x0F));
}

}  // namespace hexed

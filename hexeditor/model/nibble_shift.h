// Moving every nibble after a position one place on or back, in place.
#pragma once

#include <cstdint>

namespace hexed {

// data holds the old n bytes followed by one spare byte (n + 1 in all).
// Inserts a 0 nibble at byte pos (pos < n): in the high half of pos when
// `high`, else in the low half; every following nibble moves one place on and
// the new last byte holds the old last low nibble and a 0.
void InsertNibbleInPlace(std::uint8_t* data, std::int64_t n, std::int64_t pos, bool high);

// Removes a nibble of byte pos (pos < n): the high one when `high`, else the
// low one; every following nibble moves one place back and the last byte's
// low nibble becomes 0. The size stays n.
void DeleteNibbleInPlace(std::uint8_t* data, std::int64_t n, std::int64_t pos, bool high);

}  // namespace hexed

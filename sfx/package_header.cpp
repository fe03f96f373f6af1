#include "sfx/package_header.h"

#include <algorithm>

namespace sfx {

std::array<std::uint8_t, kHeaderSize> PackageHeader::Encode() const {
  std::array<std::uint8_t, kHeaderSize> out{};
  for (int i = 0; i < 8; ++i) out[i] = static_cast<std::uint8_t>(carriedSize >> (8 * i));
  const std::size_t length = std::min(storedName.size(), kNameField);
  out[8] = static_cast<std::uint8_t>(length);
  std::fill(out.begin() + 9, out.end(), kNamePad);
  std::copy_n(storedName.begin(), length, out.begin() + 9);
  return out;
}

PackageHeader PackageHeader::Decode(const std::array<std::uint8_t, kHeaderSize>& bytes) {
  PackageHeader h;
  for (int i = 0; i < 8; ++i) h.carriedSize |= std::uint64_t{bytes[i]} << (8 * i);
  std::size_t length = bytes[8];
  if (length == 0 || length > kNameField) length = kNameField;
  h.storedName.assign(bytes.begin() + 9, bytes.begin() + 9 + length);
  return h;
}

}  // namespace sfx

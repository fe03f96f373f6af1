// The 225-byte block between a program's image and the file it carries:
// the carried file's length S, the length L of its name and the name field.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace sfx {

constexpr std::size_t kHeaderSize = 225;
constexpr std::size_t kNameField = 216;
constexpr std::uint8_t kNamePad = 0x2E;
// A package holds its header and at least this many carried bytes.
constexpr std::uint64_t kMinCarried = 50;

struct PackageHeader {
  std::uint64_t carriedSize = 0;  // S
  std::string storedName;         // GBK bytes, 1..216

  // The header's bytes; the name is cut to the field and padded with dots.
  std::array<std::uint8_t, kHeaderSize> Encode() const;
  // Reads a header as detection does: a length byte of 0 or above 216 takes
  // the whole field, dots included.
  static PackageHeader Decode(const std::array<std::uint8_t, kHeaderSize>& bytes);
};

}  // namespace sfx

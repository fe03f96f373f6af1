// ImageLength: where a Windows program's own file ends, read from its PE
// headers, so that whatever follows (a package) is told apart from it.
#pragma once

#include <cstdint>
#include <stdexcept>

#include "platform/stream.h"

namespace sfx {

// The file is no valid PE image, or its headers name data beyond its end.
class ImageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The end of the furthest of: the headers, any section's raw data, the COFF
// symbol table with its string table, and the certificate table (PE32 and
// PE32+). Throws ImageError, or IoError when the file cannot be read.
std::uint64_t ImageLength(platform::ByteSource& file);

}  // namespace sfx

// Reads the bytes of one accepted format from an offering data object.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <optional>

#include "hexeditor/clipboard/clipboard_data.h"

namespace hexwin {

// How an import reads a format.
struct ImportOptions {
  bool bigEndian = false;
  // Plain or OEM text is read as hexadecimal digits.
  bool hexText = false;
  bool swapNibbles = false;
  // At most this many bytes (what the buffer can still take); a larger
  // import raises OutOfMemoryError before its bytes are copied.
  std::uint64_t limit = hexed::clip::kNoLimit;
};

// The bytes of the format (before the unit cut), made as one copy; none
// when the object does not deliver it or it cannot be read.
std::optional<hexed::clip::Bytes> ReadFormat(IDataObject* data, hexed::clip::Format format,
                                             const ImportOptions& options);

}  // namespace hexwin

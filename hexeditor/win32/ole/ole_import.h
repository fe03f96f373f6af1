// Reads the bytes of one accepted format from an offering data object.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <optional>

#include "hexeditor/clipboard/clipboard_data.h"

namespace hexwin {

// The bytes of the format (before the hex-text reading and the unit cut);
// none when the object does not deliver it or it cannot be read.
std::optional<hexed::clip::Bytes> ReadFormat(IDataObject* data, hexed::clip::Format format, bool bigEndian);

}  // namespace hexwin

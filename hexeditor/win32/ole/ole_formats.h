// OLE for the editor: initialised once per process together with the
// registered clipboard formats, and the mapping between the editor's
// accepted formats and the clipboard format numbers and media.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <optional>
#include <string>
#include <vector>

#include "hexeditor/clipboard/clipboard_data.h"

namespace hexwin {

// Initialises OLE on the calling (user-interface) thread and registers the
// eight formats; later calls do nothing. False when OLE cannot start.
bool EnsureOle();

struct RegisteredFormats {
  CLIPFORMAT privateFormat;     // "TQDHexeditorEx Clipboard Format"
  CLIPFORMAT regEditHexData;    // "RegEdit_HexData"
  CLIPFORMAT richText;          // "Rich Text Format"
  CLIPFORMAT html;              // "HTML Format"
  CLIPFORMAT fileContents;      // "FileContents"
  CLIPFORMAT fileGroupDescriptor;  // "FileGroupDescriptor"
  CLIPFORMAT performedDropEffect;  // "Performed DropEffect"
  CLIPFORMAT logicalPerformedDropEffect;  // "Logical Performed DropEffect"
};
const RegisteredFormats& Formats();

// The clipboard format number and the medium an accepted format comes in.
CLIPFORMAT ClipFormatOf(hexed::clip::Format format);
DWORD MediumOf(hexed::clip::Format format);

// The accepted formats a data object offers.
std::vector<hexed::clip::Format> OfferedFormats(IDataObject* data, bool otherFormats);

// The name the format dialog shows for a format (UTF-8).
std::string FormatName(hexed::clip::Format format);

}  // namespace hexwin

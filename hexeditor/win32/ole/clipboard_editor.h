// The editor of the control with its clipboard commands on the OLE
// clipboard: copy places a TQDHDataObject of the selection there; paste and
// drop import the first accepted format an offering object has (asking with
// "Select data format" when several foreign ones are offered).
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "hexeditor/editor/hex_editor_ex.h"

namespace hexwin {

class TQDHDataObject;

class ClipboardEditor final : public hexed::TQDHexEditorEx {
 public:
  ClipboardEditor();
  ~ClipboardEditor() override;

  // The window that owns the format dialog.
  void SetWindow(HWND hwnd) { hwnd_ = hwnd; }
  bool ClipboardAsHexText() const { return clipboardAsHexText_; }
  void SetClipboardAsHexText(bool on) { clipboardAsHexText_ = on; }
  bool SupportsOtherClipFormats() const { return supportsOtherClipFormats_; }
  void SetSupportsOtherClipFormats(bool on) { supportsOtherClipFormats_ = on; }
  bool FlushClipboardAtShutDown() const { return flushClipboardAtShutDown_; }
  void SetFlushClipboardAtShutDown(bool on) { flushClipboardAtShutDown_ = on; }

  bool CanPaste() const override;
  // Copy raises EQDHexEditor when OLE refuses the clipboard.
  void CopyToClipboard() override;
  void CutToClipboard() override;
  void PasteFromClipboard() override;

  // A new data object of the selection (one reference for the caller).
  TQDHDataObject* MakeDataObject() const;
  // True when the object offers a format the editor accepts.
  bool Accepts(IDataObject* data) const;
  // The bytes of the object's chosen format, read as hex text when pasting
  // text with ClipboardAsHexText, cut to whole units; none when cancelled,
  // unreadable or empty. More than the buffer can still take raises
  // OutOfMemoryError (the control answers with a beep).
  std::optional<std::vector<std::uint8_t>> ImportBytes(IDataObject* data, bool pasting);
  // True when the chosen format of the object is dropped files.
  bool OffersFiles(IDataObject* data) const;

  // Called when the window goes: empties the clipboard if it holds our copy
  // (unless FlushClipboardAtShutDown, which leaves the data there).
  void ReleaseClipboard();

 private:
  HWND hwnd_ = nullptr;
  bool clipboardAsHexText_ = false;
  bool supportsOtherClipFormats_ = true;
  bool flushClipboardAtShutDown_ = false;
  IDataObject* onClipboard_ = nullptr;  // our last copy, one reference
};

// The registered private format.
UINT PrivateClipboardFormat();

}  // namespace hexwin

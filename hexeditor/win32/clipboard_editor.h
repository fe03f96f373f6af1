// The editor of the control with its clipboard commands: copy places the
// selected bytes in the private format ("QDTH", 65537, count, bytes),
// "RegEdit_HexData" and plain text; paste takes the private format, then
// "RegEdit_HexData", then plain text.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "hexeditor/hex_editor_ex.h"

namespace hexwin {

class ClipboardEditor final : public hexed::TQDHexEditorEx {
 public:
  ~ClipboardEditor() override;

  // The window that owns the clipboard while it holds our copy.
  void SetWindow(HWND hwnd) { hwnd_ = hwnd; }
  bool ClipboardAsHexText() const { return clipboardAsHexText_; }
  void SetClipboardAsHexText(bool on) { clipboardAsHexText_ = on; }
  bool FlushClipboardAtShutDown() const { return flushClipboardAtShutDown_; }
  void SetFlushClipboardAtShutDown(bool on) { flushClipboardAtShutDown_ = on; }

  bool CanPaste() const override;
  void CopyToClipboard() override;
  void CutToClipboard() override;
  void PasteFromClipboard() override;

  // Called when the window goes: empties the clipboard if it holds our copy
  // (unless FlushClipboardAtShutDown, which leaves the data there).
  void ReleaseClipboard();

 private:
  std::optional<std::vector<std::uint8_t>> ReadClipboard() const;

  HWND hwnd_ = nullptr;
  bool clipboardAsHexText_ = false;
  bool flushClipboardAtShutDown_ = false;
  DWORD copySequence_ = 0;  // the clipboard's sequence number after our copy
};

// The registered formats (registered once per process).
UINT PrivateClipboardFormat();
UINT RegEditHexDataFormat();

}  // namespace hexwin

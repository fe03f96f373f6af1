#include "hexeditor/win32/ole/clipboard_editor.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "hexeditor/errors.h"
#include "hexeditor/path_text.h"
#include "hexeditor/win32/format_dialog.h"
#include "hexeditor/win32/ole/hex_data_object.h"
#include "hexeditor/win32/ole/ole_formats.h"
#include "hexeditor/win32/ole/ole_import.h"
#include "platform/win32/wide.h"

namespace hexwin {

namespace {

namespace clip = hexed::clip;

// Releases a COM reference on every way out.
template <typename T>
struct Ref {
  T* p = nullptr;
  ~Ref() {
    if (p != nullptr) p->Release();
  }
};

void ThrowOle(const char* what, HRESULT hr) {
  char code[16];
  std::snprintf(code, sizeof code, "%08lX", static_cast<unsigned long>(hr));
  throw hexed::EQDHexEditor(std::string(what) + " (OLE error " + code + ")");
}

// Text in the 8-bit code page (characters it lacks become '?').
std::string Ansi(const std::string& utf8) {
  const std::wstring wide = platform::Widen(utf8);
  const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

UINT PrivateClipboardFormat() { return Formats().privateFormat; }

ClipboardEditor::ClipboardEditor() { EnsureOle(); }

ClipboardEditor::~ClipboardEditor() { ReleaseClipboard(); }

void ClipboardEditor::ReleaseClipboard() {
  if (onClipboard_ == nullptr) return;
  if (OleIsCurrentClipboard(onClipboard_) == S_OK) {
    if (flushClipboardAtShutDown_) {
      OleFlushClipboard();
    } else {
      OleSetClipboard(nullptr);
    }
  }
  onClipboard_->Release();
  onClipboard_ = nullptr;
}

TQDHDataObject* ClipboardEditor::MakeDataObject() const {
  const std::string name = clip::DumpFileName(hexed::PathText(FileName().stem()));
  return new TQDHDataObject(SelectedBytes(), SwapNibbles(), clipboardAsHexText_, Ansi(name));
}

bool ClipboardEditor::Accepts(IDataObject* data) const {
  return !OfferedFormats(data, supportsOtherClipFormats_).empty();
}

bool ClipboardEditor::OffersFiles(IDataObject* data) const {
  return clip::ChooseFormat(OfferedFormats(data, supportsOtherClipFormats_), supportsOtherClipFormats_) ==
         clip::Format::kDroppedFiles;
}

bool ClipboardEditor::CanPaste() const {
  if (ReadOnlyView() || (NoSizeChange() && DataSize() == 0)) return false;
  Ref<IDataObject> data;
  if (OleGetClipboard(&data.p) != S_OK) return false;
  return Accepts(data.p);
}

void ClipboardEditor::CopyToClipboard() {
  if (!CanCopy()) return;
  TQDHDataObject* object = nullptr;
  HRESULT hr = S_OK;
  {
    const BusyCursor busy(*this);
    object = MakeDataObject();
    hr = OleSetClipboard(object);
  }
  if (hr != S_OK) {
    object->Release();
    ThrowOle("Cannot set clipboard", hr);
  }
  if (onClipboard_ != nullptr) onClipboard_->Release();
  onClipboard_ = object;  // the clipboard holds its own reference
}

void ClipboardEditor::CutToClipboard() {
  if (!CanCut()) return;
  CopyToClipboard();
  DeleteSelection("Cut to clipboard");
}

std::optional<std::vector<std::uint8_t>> ClipboardEditor::ImportBytes(IDataObject* data, bool pasting) {
  const std::vector<clip::Format> offered = OfferedFormats(data, supportsOtherClipFormats_);
  std::optional<clip::Format> format = clip::ChooseFormat(offered, supportsOtherClipFormats_);
  if (!format) return std::nullopt;
  if (clip::NeedsFormatChoice(offered, supportsOtherClipFormats_)) {
    std::vector<std::string> names;
    for (clip::Format f : offered) names.push_back(FormatName(f));
    bool hexText = clipboardAsHexText_;
    const std::optional<int> chosen = SelectDataFormat(hwnd_, names, hexText);
    if (!chosen) return std::nullopt;
    clipboardAsHexText_ = hexText;
    format = offered[static_cast<std::size_t>(*chosen)];
  }
  ImportOptions options;
  options.bigEndian = UnicodeBigEndian();
  options.hexText = clip::ReadsAsHexText(*format, clipboardAsHexText_, pasting);
  options.swapNibbles = SwapNibbles();
  options.limit = static_cast<std::uint64_t>(std::max<std::int64_t>(RoomLeft(), 0));
  std::optional<clip::Bytes> bytes;
  {
    const BusyCursor busy(*this);
    bytes = ReadFormat(data, *format, options);
  }
  if (!bytes) return std::nullopt;
  clip::CutToUnit(*bytes, BytesPerUnit());
  if (bytes->empty()) return std::nullopt;
  return bytes;
}

void ClipboardEditor::PasteFromClipboard() {
  if (!CanPaste()) return;
  Ref<IDataObject> data;
  if (OleGetClipboard(&data.p) != S_OK) return;
  const std::optional<std::vector<std::uint8_t>> bytes = ImportBytes(data.p, true);
  if (!bytes) return;
  // The import is bounded by what the buffer can still take, so its count
  // fits the editor's 32-bit count.
  PasteBytes(bytes->data(), static_cast<std::int64_t>(bytes->size()), "Paste from clipboard");
}

}  // namespace hexwin

#include "hexeditor/win32/ole/ole_formats.h"

#include <array>

#include "platform/win32/wide.h"

namespace hexwin {

namespace {

using hexed::clip::Format;

CLIPFORMAT Register(const wchar_t* name) { return static_cast<CLIPFORMAT>(RegisterClipboardFormatW(name)); }

}  // namespace

bool EnsureOle() {
  // OleInitialize also serves the clipboard and drag-and-drop; it stays in
  // force until the process ends.
  static const bool started = SUCCEEDED(OleInitialize(nullptr));
  Formats();
  return started;
}

const RegisteredFormats& Formats() {
  static const RegisteredFormats formats{
      Register(L"TQDHexeditorEx Clipboard Format"),
      Register(L"RegEdit_HexData"),
      Register(L"Rich Text Format"),
      Register(L"HTML Format"),
      Register(L"FileContents"),
      Register(L"FileGroupDescriptor"),
      Register(L"Performed DropEffect"),
      Register(L"Logical Performed DropEffect"),
  };
  return formats;
}

CLIPFORMAT ClipFormatOf(Format format) {
  switch (format) {
    case Format::kPrivate: return Formats().privateFormat;
    case Format::kDroppedFiles: return CF_HDROP;
    case Format::kText: return CF_TEXT;
    case Format::kRichText: return Formats().richText;
    case Format::kUnicodeText: return CF_UNICODETEXT;
    case Format::kBitmap: return CF_BITMAP;
    case Format::kPalette: return CF_PALETTE;
    case Format::kMetafilePicture: return CF_METAFILEPICT;
    case Format::kTiff: return CF_TIFF;
    case Format::kOemText: return CF_OEMTEXT;
    case Format::kDib: return CF_DIB;
    case Format::kRiff: return CF_RIFF;
    case Format::kWave: return CF_WAVE;
    case Format::kEnhMetafile: return CF_ENHMETAFILE;
    case Format::kLocale: return CF_LOCALE;
    case Format::kRegEditHexData: return Formats().regEditHexData;
    case Format::kHtml: return Formats().html;
  }
  return 0;
}

DWORD MediumOf(Format format) {
  switch (format) {
    case Format::kBitmap:
    case Format::kPalette: return TYMED_GDI;
    case Format::kMetafilePicture: return TYMED_MFPICT;
    case Format::kEnhMetafile: return TYMED_ENHMF;
    default: return TYMED_HGLOBAL;
  }
}

std::vector<Format> OfferedFormats(IDataObject* data, bool otherFormats) {
  std::vector<Format> offered;
  if (data == nullptr) return offered;
  for (Format f : hexed::clip::AcceptedFormats(otherFormats)) {
    FORMATETC etc{ClipFormatOf(f), nullptr, DVASPECT_CONTENT, -1, MediumOf(f)};
    if (data->QueryGetData(&etc) == S_OK) offered.push_back(f);
  }
  return offered;
}

std::string FormatName(Format format) {
  const CLIPFORMAT cf = ClipFormatOf(format);
  std::string name = hexed::clip::StandardFormatName(cf);
  if (!name.empty()) return name;
  std::array<wchar_t, 256> buffer{};
  const int n = GetClipboardFormatNameW(cf, buffer.data(), static_cast<int>(buffer.size()));
  return platform::Narrow(std::wstring(buffer.data(), static_cast<std::size_t>(n > 0 ? n : 0)));
}

}  // namespace hexwin

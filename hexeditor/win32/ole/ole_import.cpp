#include "hexeditor/win32/ole/ole_import.h"

#include <shellapi.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "hexeditor/win32/ole/ole_formats.h"

namespace hexwin {

namespace {

using hexed::clip::Bytes;
using hexed::clip::Format;

// Releases a medium on every way out.
struct Medium {
  STGMEDIUM m{};
  ~Medium() {
    if (m.tymed != TYMED_NULL) ReleaseStgMedium(&m);
  }
};

Bytes GlobalBytes(HGLOBAL block) {
  Bytes out;
  const auto* p = static_cast<const std::uint8_t*>(GlobalLock(block));
  if (p == nullptr) return out;
  out.assign(p, p + GlobalSize(block));
  GlobalUnlock(block);
  return out;
}

template <typename T>
void Append(Bytes& out, const T& value) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&value);
  out.insert(out.end(), p, p + sizeof value);
}

// The bitmap as a 24-bit bitmap file.
std::optional<Bytes> BitmapFile(HBITMAP bitmap) {
  BITMAP info{};
  if (GetObjectW(bitmap, sizeof info, &info) == 0 || info.bmWidth <= 0 || info.bmHeight <= 0) return std::nullopt;
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = info.bmWidth;
  header.biHeight = info.bmHeight;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const DWORD stride = ((static_cast<DWORD>(info.bmWidth) * 3 + 3) / 4) * 4;
  header.biSizeImage = stride * static_cast<DWORD>(info.bmHeight);
  Bytes pixels(header.biSizeImage);
  HDC dc = GetDC(nullptr);
  const int lines = GetDIBits(dc, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data(),
                              reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  if (lines == 0) return std::nullopt;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + header.biSizeImage;
  Bytes out;
  Append(out, file);
  Append(out, header);
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

// A logical palette: version 0x300, the entry count, the entries.
std::optional<Bytes> PaletteBytes(HPALETTE palette) {
  WORD count = 0;
  if (GetObjectW(palette, sizeof count, &count) == 0) return std::nullopt;
  std::vector<PALETTEENTRY> entries(count);
  if (count > 0) GetPaletteEntries(palette, 0, count, entries.data());
  Bytes out;
  Append(out, static_cast<WORD>(0x300));
  Append(out, count);
  for (const PALETTEENTRY& e : entries) Append(out, e);
  return out;
}

std::optional<Bytes> MetafileBytes(HGLOBAL pictureBlock) {
  const auto* picture = static_cast<const METAFILEPICT*>(GlobalLock(pictureBlock));
  if (picture == nullptr) return std::nullopt;
  Bytes out(GetMetaFileBitsEx(picture->hMF, 0, nullptr));
  if (!out.empty()) GetMetaFileBitsEx(picture->hMF, static_cast<UINT>(out.size()), out.data());
  GlobalUnlock(pictureBlock);
  return out;
}

std::optional<Bytes> EnhMetafileBytes(HENHMETAFILE metafile) {
  Bytes out(GetEnhMetaFileBits(metafile, 0, nullptr));
  if (!out.empty()) GetEnhMetaFileBits(metafile, static_cast<UINT>(out.size()), out.data());
  return out;
}

// The whole content of each dropped file, in turn.
std::optional<Bytes> DroppedFilesBytes(HGLOBAL block) {
  auto* drop = static_cast<HDROP>(block);
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  Bytes out;
  for (UINT i = 0; i < count; ++i) {
    std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    name.resize(DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
    std::ifstream in(std::filesystem::path(name), std::ios::binary);
    if (!in) return std::nullopt;
    out.insert(out.end(), std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return out;
}

}  // namespace

std::optional<Bytes> ReadFormat(IDataObject* data, Format format, bool bigEndian) {
  if (data == nullptr) return std::nullopt;
  FORMATETC etc{ClipFormatOf(format), nullptr, DVASPECT_CONTENT, -1, MediumOf(format)};
  Medium medium;
  if (data->GetData(&etc, &medium.m) != S_OK) return std::nullopt;
  switch (format) {
    case Format::kBitmap:
      return medium.m.tymed == TYMED_GDI ? BitmapFile(static_cast<HBITMAP>(medium.m.hBitmap)) : std::nullopt;
    case Format::kPalette:
      return medium.m.tymed == TYMED_GDI ? PaletteBytes(reinterpret_cast<HPALETTE>(medium.m.hBitmap)) : std::nullopt;
    case Format::kMetafilePicture:
      return medium.m.tymed == TYMED_MFPICT ? MetafileBytes(medium.m.hMetaFilePict) : std::nullopt;
    case Format::kEnhMetafile:
      return medium.m.tymed == TYMED_ENHMF ? EnhMetafileBytes(medium.m.hEnhMetaFile) : std::nullopt;
    case Format::kDroppedFiles:
      return medium.m.tymed == TYMED_HGLOBAL ? DroppedFilesBytes(medium.m.hGlobal) : std::nullopt;
    default:
      if (medium.m.tymed != TYMED_HGLOBAL) return std::nullopt;
      return hexed::clip::BytesFromBlock(format, GlobalBytes(medium.m.hGlobal), bigEndian);
  }
}

}  // namespace hexwin

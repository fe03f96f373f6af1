#include "hexeditor/win32/ole/ole_import.h"

#include <shellapi.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "hexeditor/errors.h"
#include "hexeditor/messages.h"
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

// Keeps a global memory block locked while it is read.
class GlobalLockScope {
 public:
  explicit GlobalLockScope(HGLOBAL block) : block_(block), data_(static_cast<const std::uint8_t*>(GlobalLock(block))) {}
  ~GlobalLockScope() {
    if (data_ != nullptr) GlobalUnlock(block_);
  }
  GlobalLockScope(const GlobalLockScope&) = delete;
  GlobalLockScope& operator=(const GlobalLockScope&) = delete;
  hexed::clip::BlockView View() const { return {data_, data_ != nullptr ? GlobalSize(block_) : 0}; }
  bool Locked() const { return data_ != nullptr; }

 private:
  HGLOBAL block_;
  const std::uint8_t* data_;
};

template <typename T>
void Append(Bytes& out, const T& value) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&value);
  out.insert(out.end(), p, p + sizeof value);
}

// The bitmap as a 24-bit bitmap file, made in one block.
std::optional<Bytes> BitmapFile(HBITMAP bitmap, std::uint64_t limit) {
  BITMAP info{};
  if (GetObjectW(bitmap, sizeof info, &info) == 0 || info.bmWidth <= 0 || info.bmHeight <= 0) return std::nullopt;
  const std::uint64_t stride = ((static_cast<std::uint64_t>(info.bmWidth) * 3 + 3) / 4) * 4;
  const std::uint64_t image = stride * static_cast<std::uint64_t>(info.bmHeight);
  constexpr std::size_t kHeaders = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  // The file header counts its size in 32 bits.
  if (image > UINT32_MAX - kHeaders) throw hexed::OutOfMemoryError(hexed::msg::kOutOfMemory);
  hexed::clip::CheckImportSize(kHeaders + image, limit);
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = info.bmWidth;
  header.biHeight = info.bmHeight;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(image);
  Bytes out(kHeaders + static_cast<std::size_t>(image));
  HDC dc = GetDC(nullptr);
  const int lines = GetDIBits(dc, bitmap, 0, static_cast<UINT>(info.bmHeight), out.data() + kHeaders,
                              reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  if (lines == 0) return std::nullopt;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = static_cast<DWORD>(kHeaders);
  file.bfSize = file.bfOffBits + header.biSizeImage;
  std::memcpy(out.data(), &file, sizeof file);
  std::memcpy(out.data() + sizeof file, &header, sizeof header);
  return out;
}

// A logical palette: version 0x300, the entry count, the entries.
std::optional<Bytes> PaletteBytes(HPALETTE palette, std::uint64_t limit) {
  WORD count = 0;
  if (GetObjectW(palette, sizeof count, &count) == 0) return std::nullopt;
  hexed::clip::CheckImportSize(4 + std::uint64_t{count} * sizeof(PALETTEENTRY), limit);
  std::vector<PALETTEENTRY> entries(count);
  if (count > 0) GetPaletteEntries(palette, 0, count, entries.data());
  Bytes out;
  Append(out, static_cast<WORD>(0x300));
  Append(out, count);
  for (const PALETTEENTRY& e : entries) Append(out, e);
  return out;
}

std::optional<Bytes> MetafileBytes(HGLOBAL pictureBlock, std::uint64_t limit) {
  const GlobalLockScope lock(pictureBlock);
  if (!lock.Locked()) return std::nullopt;
  const auto* picture = reinterpret_cast<const METAFILEPICT*>(lock.View().data);
  const UINT size = GetMetaFileBitsEx(picture->hMF, 0, nullptr);
  hexed::clip::CheckImportSize(size, limit);
  Bytes out(size);
  if (!out.empty()) GetMetaFileBitsEx(picture->hMF, static_cast<UINT>(out.size()), out.data());
  return out;
}

std::optional<Bytes> EnhMetafileBytes(HENHMETAFILE metafile, std::uint64_t limit) {
  const UINT size = GetEnhMetaFileBits(metafile, 0, nullptr);
  hexed::clip::CheckImportSize(size, limit);
  Bytes out(size);
  if (!out.empty()) GetEnhMetaFileBits(metafile, static_cast<UINT>(out.size()), out.data());
  return out;
}

std::wstring DroppedName(HDROP drop, UINT i) {
  std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
  name.resize(DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
  return name;
}

// The whole content of each dropped file, in turn. The sizes are checked
// against the limit before anything is read, and the files are read
// straight into the one result block.
std::optional<Bytes> DroppedFilesBytes(HGLOBAL block, std::uint64_t limit) {
  auto* drop = static_cast<HDROP>(block);
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  std::vector<std::filesystem::path> names;
  std::vector<std::uint64_t> sizes;
  std::uint64_t total = 0;
  for (UINT i = 0; i < count; ++i) {
    names.emplace_back(DroppedName(drop, i));
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(names.back(), ec);
    if (ec) return std::nullopt;
    sizes.push_back(size);
    total += size;
    hexed::clip::CheckImportSize(total, limit);
  }
  Bytes out(static_cast<std::size_t>(total));
  std::size_t at = 0;
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::ifstream in(names[i], std::ios::binary);
    if (!in) return std::nullopt;
    // A file that changed since its size was taken gives what it has, up
    // to that size.
    in.read(reinterpret_cast<char*>(out.data() + at), static_cast<std::streamsize>(sizes[i]));
    at += static_cast<std::size_t>(in.gcount());
  }
  out.resize(at);
  return out;
}

}  // namespace

std::optional<Bytes> ReadFormat(IDataObject* data, Format format, const ImportOptions& options) {
  if (data == nullptr) return std::nullopt;
  FORMATETC etc{ClipFormatOf(format), nullptr, DVASPECT_CONTENT, -1, MediumOf(format)};
  Medium medium;
  if (data->GetData(&etc, &medium.m) != S_OK) return std::nullopt;
  const std::uint64_t limit = options.limit;
  switch (format) {
    case Format::kBitmap:
      return medium.m.tymed == TYMED_GDI ? BitmapFile(static_cast<HBITMAP>(medium.m.hBitmap), limit) : std::nullopt;
    case Format::kPalette:
      return medium.m.tymed == TYMED_GDI ? PaletteBytes(reinterpret_cast<HPALETTE>(medium.m.hBitmap), limit)
                                         : std::nullopt;
    case Format::kMetafilePicture:
      return medium.m.tymed == TYMED_MFPICT ? MetafileBytes(medium.m.hMetaFilePict, limit) : std::nullopt;
    case Format::kEnhMetafile:
      return medium.m.tymed == TYMED_ENHMF ? EnhMetafileBytes(medium.m.hEnhMetaFile, limit) : std::nullopt;
    case Format::kDroppedFiles:
      return medium.m.tymed == TYMED_HGLOBAL ? DroppedFilesBytes(medium.m.hGlobal, limit) : std::nullopt;
    default: {
      if (medium.m.tymed != TYMED_HGLOBAL) return std::nullopt;
      // The block is read where it lies: the result is the only copy.
      const GlobalLockScope lock(medium.m.hGlobal);
      return hexed::clip::ImportBlock(format, lock.View(), options.bigEndian, options.hexText, options.swapNibbles,
                                      limit);
    }
  }
}

}  // namespace hexwin

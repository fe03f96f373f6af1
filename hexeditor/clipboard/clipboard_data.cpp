#include "hexeditor/clipboard/clipboard_data.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace hexed::clip {

namespace {

constexpr std::uint32_t kPrivateVersion = 65537;
constexpr std::size_t kBitmapFileHeaderSize = 14;
constexpr std::size_t kMaxDumpNameChars = 255;
constexpr std::size_t kMaxDescriptorNameBytes = 259;  // 260 with the zero byte
// Offsets inside the group descriptor (count, then one file descriptor).
constexpr std::size_t kFlagsAt = 4;
constexpr std::size_t kWriteTimeAt = 4 + 56;
constexpr std::size_t kSizeHighAt = 4 + 64;
constexpr std::size_t kSizeLowAt = 4 + 68;
constexpr std::size_t kNameAt = 4 + 72;
constexpr std::uint32_t kSizeAndWriteTimeValid = 0x60;

void Put32(Bytes& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void Store32(Bytes& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t Get32(const Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
         (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// count bytes from offset `from`, never beyond the block.
Bytes Counted(const Bytes& block, std::size_t from, std::uint32_t count) {
  const std::size_t n = std::min<std::size_t>(count, block.size() - from);
  return Bytes(block.begin() + static_cast<std::ptrdiff_t>(from),
               block.begin() + static_cast<std::ptrdiff_t>(from + n));
}

Bytes UpToZero(const Bytes& block) {
  return Bytes(block.begin(), std::find(block.begin(), block.end(), std::uint8_t{0}));
}

Bytes UpToZeroWord(const Bytes& block, bool bigEndian) {
  Bytes out;
  for (std::size_t i = 0; i + 1 < block.size(); i += 2) {
    if (block[i] == 0 && block[i + 1] == 0) break;
    out.push_back(block[bigEndian ? i + 1 : i]);
    out.push_back(block[bigEndian ? i : i + 1]);
  }
  return out;
}

int HexDigit(std::uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Utf8Prefix(std::string_view s, std::size_t maxChars) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80 && chars++ == maxChars) return std::string(s.substr(0, i));
  }
  return std::string(s);
}

// Cuts 8-bit text to maxBytes without splitting a double-byte character
// (a lead byte is 0x81 ... 0xFE).
std::size_t AnsiCutLength(std::string_view s, std::size_t maxBytes) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t len = (c >= 0x81 && c <= 0xFE && i + 1 < s.size()) ? 2 : 1;
    if (i + len > maxBytes) break;
    i += len;
  }
  return i;
}

}  // namespace

std::vector<Format> AcceptedFormats(bool otherFormats) {
  if (!otherFormats) return {Format::kPrivate, Format::kDroppedFiles};
  return {Format::kPrivate,     Format::kDroppedFiles, Format::kText,     Format::kRichText, Format::kUnicodeText,
          Format::kBitmap,      Format::kPalette,      Format::kMetafilePicture, Format::kTiff,
          Format::kOemText,     Format::kDib,          Format::kRiff,     Format::kWave,     Format::kEnhMetafile,
          Format::kLocale,      Format::kRegEditHexData, Format::kHtml};
}

std::optional<Format> ChooseFormat(const std::vector<Format>& offered, bool otherFormats) {
  for (Format f : AcceptedFormats(otherFormats)) {
    if (std::find(offered.begin(), offered.end(), f) != offered.end()) return f;
  }
  return std::nullopt;
}

bool NeedsFormatChoice(const std::vector<Format>& offered, bool otherFormats) {
  const std::optional<Format> first = ChooseFormat(offered, otherFormats);
  if (!first || *first == Format::kPrivate || *first == Format::kDroppedFiles) return false;
  int accepted = 0;
  for (Format f : AcceptedFormats(otherFormats)) {
    accepted += std::find(offered.begin(), offered.end(), f) != offered.end() ? 1 : 0;
  }
  return accepted > 1;
}

std::string StandardFormatName(unsigned number) {
  static constexpr std::array<const char*, 16> kNames = {
      "Text",
      "Bitmap Picture",
      "Metafile Picture",
      "Microsoft Symbolic Link (SYLK) data",
      "Software Arts' Data Interchange Format",
      "Tagged Image File Format (TIFF) Picture",
      "OEM Text",
      "Device Independent Bitmap Picture",
      "Color Palete",
      "Pen Data",
      "RIFF Audio Data",
      "Wave Audio",
      "Unicode Text",
      "Enhanced Metafile Picture",
      "File List",
      "Text Locale",
  };
  return number >= 1 && number <= kNames.size() ? kNames[number - 1] : std::string();
}

Bytes PrivateBlock(const Bytes& bytes) {
  Bytes out = {'Q', 'D', 'T', 'H'};
  Put32(out, kPrivateVersion);
  Put32(out, static_cast<std::uint32_t>(bytes.size()));
  out.insert(out.end(), bytes.begin(), bytes.end());
  return out;
}

Bytes RegEditBlock(const Bytes& bytes) {
  Bytes out;
  Put32(out, static_cast<std::uint32_t>(bytes.size()));
  out.insert(out.end(), bytes.begin(), bytes.end());
  return out;
}

Bytes PlainTextBlock(const Bytes& bytes, bool asHexText, bool swapNibbles) {
  Bytes out;
  if (asHexText) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out.reserve(bytes.size() * 2 + 1);
    for (std::uint8_t b : bytes) {
      out.push_back(static_cast<std::uint8_t>(kDigits[swapNibbles ? b & 0x0F : b >> 4]));
      out.push_back(static_cast<std::uint8_t>(kDigits[swapNibbles ? b >> 4 : b & 0x0F]));
    }
  } else {
    out = UpToZero(bytes);
  }
  out.push_back(0);
  return out;
}

std::string DumpFileName(std::string_view stemUtf8) {
  return Utf8Prefix("Dump of " + std::string(stemUtf8) + ".bin", kMaxDumpNameChars);
}

Bytes FileGroupDescriptorBlock(std::uint32_t size, std::uint64_t writeTime, std::string_view ansiName) {
  Bytes out(kFileGroupDescriptorSize, 0);
  Store32(out, 0, 1);
  Store32(out, kFlagsAt, kSizeAndWriteTimeValid);
  Store32(out, kWriteTimeAt, static_cast<std::uint32_t>(writeTime));
  Store32(out, kWriteTimeAt + 4, static_cast<std::uint32_t>(writeTime >> 32));
  Store32(out, kSizeHighAt, 0);
  Store32(out, kSizeLowAt, size);
  const std::size_t n = AnsiCutLength(ansiName, kMaxDescriptorNameBytes);
  std::copy_n(ansiName.begin(), n, out.begin() + kNameAt);
  return out;
}

std::optional<Bytes> BytesFromBlock(Format format, const Bytes& block, bool bigEndian) {
  switch (format) {
    case Format::kPrivate:
      if (block.size() < 12 || std::memcmp(block.data(), "QDTH", 4) != 0 || Get32(block, 4) != kPrivateVersion)
        return std::nullopt;
      return Counted(block, 12, Get32(block, 8));
    case Format::kRegEditHexData:
      if (block.size() < 4) return std::nullopt;
      return Counted(block, 4, Get32(block, 0));
    case Format::kText:
    case Format::kOemText:
    case Format::kRichText:
    case Format::kHtml:
      return UpToZero(block);
    case Format::kUnicodeText:
      return UpToZeroWord(block, bigEndian);
    case Format::kDib: {
      Bytes out(kBitmapFileHeaderSize, 0);
      out[0] = 'B';
      out[1] = 'M';
      out.insert(out.end(), block.begin(), block.end());
      return out;
    }
    case Format::kLocale:
      if (block.size() < 2) return std::nullopt;
      return Bytes(block.begin(), block.begin() + 2);
    default:
      return block;
  }
}

Bytes HexTextToBytes(const Bytes& text, bool swapNibbles) {
  Bytes out;
  int pending = -1;
  for (std::uint8_t c : text) {
    const int d = HexDigit(c);
    if (d < 0) continue;
    if (pending < 0) {
      pending = d;
      continue;
    }
    out.push_back(static_cast<std::uint8_t>(swapNibbles ? (d << 4) | pending : (pending << 4) | d));
    pending = -1;
  }
  return out;
}

bool ReadsAsHexText(Format format, bool asHexText, bool pasting) {
  return asHexText && pasting && (format == Format::kText || format == Format::kOemText);
}

void CutToUnit(Bytes& bytes, int bytesPerUnit) {
  if (bytesPerUnit > 1) bytes.resize(bytes.size() - bytes.size() % static_cast<std::size_t>(bytesPerUnit));
}

}  // namespace hexed::clip

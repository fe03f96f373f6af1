#include "hexeditor/clipboard/clipboard_data.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "hexeditor/errors.h"
#include "hexeditor/messages.h"

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

std::uint32_t Get32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Length of the text before its first zero byte.
std::size_t TextLength(BlockView block) {
  const void* zero = block.size > 0 ? std::memchr(block.data, 0, block.size) : nullptr;
  return zero == nullptr ? block.size : static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - block.data);
}

Bytes UpToZero(const Bytes& bytes) {
  return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(TextLength({bytes.data(), bytes.size()})));
}

// n bytes from offset `from`, after the size check.
Bytes CopyOut(BlockView block, std::size_t from, std::size_t n, std::uint64_t limit) {
  CheckImportSize(n, limit);
  return Bytes(block.data + from, block.data + from + n);
}

// count bytes from offset `from`, never beyond the block.
Bytes Counted(BlockView block, std::size_t from, std::uint32_t count, std::uint64_t limit) {
  return CopyOut(block, from, std::min<std::size_t>(count, block.size - from), limit);
}

// 16-bit characters up to the first zero one, swapped to little-endian
// order when bigEndian.
Bytes UpToZeroWord(BlockView block, bool bigEndian, std::uint64_t limit) {
  std::size_t n = 0;
  while (n + 1 < block.size && (block.data[n] != 0 || block.data[n + 1] != 0)) n += 2;
  Bytes out = CopyOut(block, 0, n, limit);
  if (bigEndian) {
    for (std::size_t i = 0; i + 1 < n; i += 2) std::swap(out[i], out[i + 1]);
  }
  return out;
}

// The value of each byte as a hexadecimal digit, -1 for any other byte.
constexpr std::array<std::int8_t, 256> kHexValue = [] {
  std::array<std::int8_t, 256> t{};
  for (int c = 0; c < 256; ++c) {
    t[static_cast<std::size_t>(c)] = c >= '0' && c <= '9'   ? static_cast<std::int8_t>(c - '0')
                                     : c >= 'a' && c <= 'f' ? static_cast<std::int8_t>(c - 'a' + 10)
                                     : c >= 'A' && c <= 'F' ? static_cast<std::int8_t>(c - 'A' + 10)
                                                            : std::int8_t{-1};
  }
  return t;
}();

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

void CheckImportSize(std::uint64_t n, std::uint64_t limit) {
  if (n > limit) throw OutOfMemoryError(msg::kOutOfMemory);
}

std::optional<Bytes> ReadBlock(Format format, BlockView block, bool bigEndian, std::uint64_t limit) {
  switch (format) {
    case Format::kPrivate:
      if (block.size < 12 || std::memcmp(block.data, "QDTH", 4) != 0 || Get32(block.data + 4) != kPrivateVersion)
        return std::nullopt;
      return Counted(block, 12, Get32(block.data + 8), limit);
    case Format::kRegEditHexData:
      if (block.size < 4) return std::nullopt;
      return Counted(block, 4, Get32(block.data), limit);
    case Format::kText:
    case Format::kOemText:
    case Format::kRichText:
    case Format::kHtml:
      return CopyOut(block, 0, TextLength(block), limit);
    case Format::kUnicodeText:
      return UpToZeroWord(block, bigEndian, limit);
    case Format::kDib: {
      CheckImportSize(std::uint64_t{kBitmapFileHeaderSize} + block.size, limit);
      Bytes out(kBitmapFileHeaderSize + block.size, 0);
      out[0] = 'B';
      out[1] = 'M';
      if (block.size > 0) std::memcpy(out.data() + kBitmapFileHeaderSize, block.data, block.size);
      return out;
    }
    case Format::kLocale:
      if (block.size < 2) return std::nullopt;
      return CopyOut(block, 0, 2, limit);
    default:
      return CopyOut(block, 0, block.size, limit);
  }
}

Bytes ReadHexText(BlockView text, bool swapNibbles, std::uint64_t limit) {
  // Counting the digits first sizes the result exactly before it is made.
  std::size_t digits = 0;
  for (std::size_t i = 0; i < text.size; ++i) digits += kHexValue[text.data[i]] >= 0 ? 1 : 0;
  CheckImportSize(digits / 2, limit);
  Bytes out(digits / 2);
  std::size_t at = 0;
  int pending = -1;
  for (std::size_t i = 0; i < text.size && at < out.size(); ++i) {
    const int d = kHexValue[text.data[i]];
    if (d < 0) continue;
    if (pending < 0) {
      pending = d;
      continue;
    }
    out[at++] = static_cast<std::uint8_t>(swapNibbles ? (d << 4) | pending : (pending << 4) | d);
    pending = -1;
  }
  return out;
}

std::optional<Bytes> ImportBlock(Format format, BlockView block, bool bigEndian, bool hexText, bool swapNibbles,
                                 std::uint64_t limit) {
  if (hexText) return ReadHexText(BlockView{block.data, TextLength(block)}, swapNibbles, limit);
  return ReadBlock(format, block, bigEndian, limit);
}

bool ReadsAsHexText(Format format, bool asHexText, bool pasting) {
  return asHexText && pasting && (format == Format::kText || format == Format::kOemText);
}

void CutToUnit(Bytes& bytes, int bytesPerUnit) {
  if (bytesPerUnit > 1) bytes.resize(bytes.size() - bytes.size() % static_cast<std::size_t>(bytesPerUnit));
}

}  // namespace hexed::clip

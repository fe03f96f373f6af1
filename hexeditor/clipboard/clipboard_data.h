// The bytes the editor exchanges through the clipboard and drag-and-drop:
// the blocks its data object offers, the formats it accepts in their order of
// preference, and the bytes an offered block gives back. Pure data; the
// Windows layer moves the blocks in and out of OLE.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hexed::clip {

using Bytes = std::vector<std::uint8_t>;

// The formats the editor accepts, in its order of preference.
enum class Format {
  kPrivate,
  kDroppedFiles,
  kText,
  kRichText,
  kUnicodeText,
  kBitmap,
  kPalette,
  kMetafilePicture,
  kTiff,
  kOemText,
  kDib,
  kRiff,
  kWave,
  kEnhMetafile,
  kLocale,
  kRegEditHexData,
  kHtml,
};

// The accepted formats in order; without otherFormats only the private
// format and dropped files.
std::vector<Format> AcceptedFormats(bool otherFormats);

// The first accepted format among the offered ones (none when nothing fits).
std::optional<Format> ChooseFormat(const std::vector<Format>& offered, bool otherFormats);

// The user picks the format when the first choice is a foreign one and more
// than one accepted format is offered.
bool NeedsFormatChoice(const std::vector<Format>& offered, bool otherFormats);

// The name the format dialog shows for a standard clipboard format number
// (1 ... 16); empty for any other number.
std::string StandardFormatName(unsigned number);

// --- The blocks of the data object -------------------------------------------
// "QDTH", 65537 (1 in each 16-bit half), the count, the bytes.
Bytes PrivateBlock(const Bytes& bytes);
// The count, then the bytes.
Bytes RegEditBlock(const Bytes& bytes);
// Plain text: two upper-case hex digits per byte (low nibble first with
// swapNibbles) when asHexText, else the bytes up to the first zero byte; then
// a zero byte.
Bytes PlainTextBlock(const Bytes& bytes, bool asHexText, bool swapNibbles);
// "Dump of <stem>.bin", cut to 255 characters (UTF-8 in, UTF-8 out).
std::string DumpFileName(std::string_view stemUtf8);
// One 336-byte file group descriptor: count 1, flags 0x60 (size and write
// time valid), the size, the write time (a FILETIME value) and the name in
// the 8-bit code page, cut to 259 bytes.
Bytes FileGroupDescriptorBlock(std::uint32_t size, std::uint64_t writeTime, std::string_view ansiName);
inline constexpr std::size_t kFileGroupDescriptorSize = 336;

// --- Import ------------------------------------------------------------------
// A memory block read where it lies, without a copy.
struct BlockView {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

inline constexpr std::uint64_t kNoLimit = UINT64_MAX;

// Imports give at most `limit` bytes (what the buffer can still take): a
// larger one raises OutOfMemoryError before anything is allocated.
void CheckImportSize(std::uint64_t n, std::uint64_t limit);

// The bytes a memory block of a format gives: the private block only with
// its signature, the counted formats by their count (never beyond the
// block), texts up to their zero byte, Unicode text byte-swapped per
// character when bigEndian, a device-independent bitmap behind a 14-byte
// file header "BM", a locale as 2 bytes, anything else whole. None when the
// block cannot be read as its format. The result is the only copy made.
std::optional<Bytes> ReadBlock(Format format, BlockView block, bool bigEndian, std::uint64_t limit);
inline std::optional<Bytes> BytesFromBlock(Format format, const Bytes& block, bool bigEndian) {
  return ReadBlock(format, BlockView{block.data(), block.size()}, bigEndian, kNoLimit);
}

// Hexadecimal text: characters that are not digits are skipped, every two
// digits give one byte (low nibble first with swapNibbles); an odd last
// digit is dropped.
Bytes ReadHexText(BlockView text, bool swapNibbles, std::uint64_t limit);
inline Bytes HexTextToBytes(const Bytes& text, bool swapNibbles) {
  return ReadHexText(BlockView{text.data(), text.size()}, swapNibbles, kNoLimit);
}

// What an import takes from a memory block: with hexText the text up to its
// zero byte read as hexadecimal digits, else ReadBlock.
std::optional<Bytes> ImportBlock(Format format, BlockView block, bool bigEndian, bool hexText, bool swapNibbles,
                                 std::uint64_t limit);

// Pasted plain or OEM text is read as hexadecimal digits with the hex-text
// setting; a drop always takes the text as it is.
bool ReadsAsHexText(Format format, bool asHexText, bool pasting);

// Cuts the count down to a multiple of the unit.
void CutToUnit(Bytes& bytes, int bytesPerUnit);

}  // namespace hexed::clip

#include "sfx/image_length.h"

#include <algorithm>
#include <vector>

namespace sfx {

namespace {

constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint16_t kMagicPe32 = 0x10B;
constexpr std::uint16_t kMagicPe32Plus = 0x20B;
constexpr std::size_t kCoffHeader = 20;
constexpr std::size_t kSectionHeader = 40;
constexpr std::size_t kSymbolRecord = 18;
constexpr std::uint32_t kCertificateDirectory = 4;

class HeaderReader {
 public:
  explicit HeaderReader(platform::ByteSource& file) : file_(file), size_(file.Size()) {}

  std::uint64_t Size() const { return size_; }

  // Little-endian value of `bytes` bytes at `offset`; the range must lie in the file.
  std::uint64_t Value(std::uint64_t offset, std::size_t bytes) {
    Require(offset, bytes, "the headers are cut short");
    std::uint8_t b[8] = {};
    file_.Seek(offset);
    file_.ReadExact(b, bytes);
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < bytes; ++i) v |= std::uint64_t{b[i]} << (8 * i);
    return v;
  }

  // A range that the headers name must lie inside the file.
  void Require(std::uint64_t offset, std::uint64_t length, const char* what) const {
    if (offset > size_ || length > size_ - offset) throw ImageError(std::string("not a valid Windows program: ") + what);
  }

 private:
  platform::ByteSource& file_;
  const std::uint64_t size_;
};

}  // namespace

std::uint64_t ImageLength(platform::ByteSource& file) {
  HeaderReader r(file);
  if (r.Size() < 64 || r.Value(0, 2) != 0x5A4D) throw ImageError("not a valid Windows program: no MZ header");
  const std::uint64_t pe = r.Value(0x3C, 4);
  if (r.Value(pe, 4) != kPeSignature) throw ImageError("not a valid Windows program: no PE signature");
  const std::uint64_t coff = pe + 4;
  const std::uint64_t sections = r.Value(coff + 2, 2);
  const std::uint64_t symbolTable = r.Value(coff + 8, 4);
  const std::uint64_t symbolCount = r.Value(coff + 12, 4);
  const std::uint64_t optionalSize = r.Value(coff + 16, 2);
  const std::uint64_t optional = coff + kCoffHeader;
  r.Require(optional, optionalSize, "the optional header is cut short");

  const std::uint64_t magic = r.Value(optional, 2);
  if (magic != kMagicPe32 && magic != kMagicPe32Plus) throw ImageError("not a valid Windows program: unknown optional header");
  const std::uint64_t countField = optional + (magic == kMagicPe32 ? 92 : 108);
  const std::uint64_t directories = countField + 4;
  if (countField + 4 > optional + optionalSize) throw ImageError("not a valid Windows program: the optional header is too short");

  const std::uint64_t sectionTable = optional + optionalSize;
  r.Require(sectionTable, sections * kSectionHeader, "the section table is cut short");
  std::uint64_t end = sectionTable + sections * kSectionHeader;
  for (std::uint64_t i = 0; i < sections; ++i) {
    const std::uint64_t header = sectionTable + i * kSectionHeader;
    const std::uint64_t rawSize = r.Value(header + 16, 4);
    const std::uint64_t rawStart = r.Value(header + 20, 4);
    if (rawSize == 0) continue;
    r.Require(rawStart, rawSize, "a section lies beyond the end of the file");
    end = std::max(end, rawStart + rawSize);
  }

  if (symbolTable != 0) {
    const std::uint64_t strings = symbolTable + symbolCount * kSymbolRecord;
    r.Require(symbolTable, symbolCount * kSymbolRecord, "the symbol table lies beyond the end of the file");
    const std::uint64_t stringSize = r.Value(strings, 4);
    r.Require(strings, std::max<std::uint64_t>(stringSize, 4), "the string table lies beyond the end of the file");
    end = std::max(end, strings + std::max<std::uint64_t>(stringSize, 4));
  }

  const std::uint64_t directoryCount = r.Value(countField, 4);
  const std::uint64_t certificateEntry = directories + kCertificateDirectory * 8;
  if (directoryCount > kCertificateDirectory && certificateEntry + 8 <= optional + optionalSize) {
    const std::uint64_t certStart = r.Value(certificateEntry, 4);  // a file offset, not an address
    const std::uint64_t certSize = r.Value(certificateEntry + 4, 4);
    if (certSize != 0) {
      r.Require(certStart, certSize, "the certificate table lies beyond the end of the file");
      end = std::max(end, certStart + certSize);
    }
  }
  return end;
}

}  // namespace sfx

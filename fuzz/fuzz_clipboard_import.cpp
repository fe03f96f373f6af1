// The hex editor's clipboard import on any memory block of any accepted
// format: what a block gives never reaches beyond it (a bitmap gains only its
// 14-byte file header), and the editor's own blocks, its hexadecimal text and
// the unit cut give back exactly what was put in.
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "hexeditor/clipboard/clipboard_data.h"

namespace clip = hexed::clip;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const auto format = static_cast<clip::Format>(data[0] % (static_cast<int>(clip::Format::kHtml) + 1));
  const bool bigEndian = data[1] & 1, swapNibbles = data[1] & 2;
  const std::size_t unit = std::size_t{1} << ((data[1] >> 2) % 4);
  const clip::Bytes block(data + 2, data + size);

  if (const auto bytes = clip::BytesFromBlock(format, block, bigEndian)) {
    const std::size_t limit = block.size() + (format == clip::Format::kDib || format == clip::Format::kBitmap ? 14 : 0);
    fuzz::Check(bytes->size() <= limit, "an imported block gives no more than it holds");
    clip::Bytes cut = *bytes;
    clip::CutToUnit(cut, static_cast<int>(unit));
    fuzz::Check(cut.size() % unit == 0 && cut.size() <= bytes->size() && bytes->size() - cut.size() < unit,
                "the unit cut drops only the last partial unit");
  }

  fuzz::Check(clip::BytesFromBlock(clip::Format::kPrivate, clip::PrivateBlock(block), false) == block,
              "the private block gives back its bytes");
  fuzz::Check(clip::BytesFromBlock(clip::Format::kRegEditHexData, clip::RegEditBlock(block), false) == block,
              "the counted block gives back its bytes");
  const auto text = clip::BytesFromBlock(clip::Format::kText, clip::PlainTextBlock(block, true, swapNibbles), false);
  fuzz::Check(text && text->size() == 2 * block.size(), "hexadecimal text holds two digits per byte");
  fuzz::Check(clip::HexTextToBytes(*text, swapNibbles) == block, "hexadecimal text reads back as its bytes");
  fuzz::Check(clip::HexTextToBytes(block, swapNibbles).size() <= block.size() / 2, "two digits make one byte");
  const std::string_view name(reinterpret_cast<const char*>(block.data()), block.size());
  fuzz::Check(clip::FileGroupDescriptorBlock(static_cast<std::uint32_t>(size), size, name).size() ==
                  clip::kFileGroupDescriptorSize,
              "a file group descriptor has its fixed size");
  return 0;
}

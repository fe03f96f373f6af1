#include "hexeditor/model/nibble_shift.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace hexed {

namespace {

// Bytes computed per pass of a read: bounds the buffer of old bytes.
constexpr std::int64_t kReadChunk = std::int64_t{64} << 10;

}  // namespace

void InsertNibbleInPlace(std::uint8_t* data, std::int64_t n, std::int64_t pos, bool high) {
  // Walk from the end so that each old byte is read before it is replaced.
  for (std::int64_t i = n; i > pos; --i) {
    const std::uint8_t lowOfPrevious = data[i - 1] & 0x0F;
    const std::uint8_t highOfThis = i < n ? static_cast<std::uint8_t>(data[i] >> 4) : 0;
    data[i] = static_cast<std::uint8_t>((lowOfPrevious << 4) | highOfThis);
  }
  data[pos] = high ? static_cast<std::uint8_t>(data[pos] >> 4) : static_cast<std::uint8_t>(data[pos] & 0xF0);
}

void DeleteNibbleInPlace(std::uint8_t* data, std::int64_t n, std::int64_t pos, bool high) {
  const std::uint8_t keptHigh = data[pos] & 0xF0;
  for (std::int64_t i = pos; i < n; ++i) {
    const std::uint8_t highOfNext = i + 1 < n ? static_cast<std::uint8_t>(data[i + 1] >> 4) : 0;
    data[i] = static_cast<std::uint8_t>(((data[i] & 0x0F) << 4) | highOfNext);
  }
  if (!high) data[pos] = static_cast<std::uint8_t>(keptHigh | (data[pos] & 0x0F));
}

NibbleShiftedSource::NibbleShiftedSource(PieceList old, NibbleShift shift, bool high)
    : old_(std::move(old)), shift_(shift), high_(high) {
  table_.Replace(0, 0, old_.Pieces());
}

void NibbleShiftedSource::ReadOld(std::int64_t from, std::uint8_t* dest, std::int64_t n) const {
  const std::int64_t begin = std::clamp<std::int64_t>(from, 0, old_.Size());
  const std::int64_t end = std::clamp<std::int64_t>(from + n, 0, old_.Size());
  std::memset(dest, 0, static_cast<std::size_t>(n));
  std::uint8_t* at = dest + (begin - from);
  table_.ForEach(begin, end - begin, [&](const Piece& p, std::int64_t offset, std::int64_t count) {
    p.source->Read(p.offset + offset, at, static_cast<std::size_t>(count));
    at += count;
  });
}

void NibbleShiftedSource::Read(std::int64_t offset, std::uint8_t* dest, std::size_t size) const {
  // New byte i joins the low nibble of one old byte and the high nibble of
  // the next: old i - 1 and i after an insert, old i and i + 1 after a delete.
  const std::int64_t lag = shift_ == NibbleShift::kInsert ? 1 : 0;
  std::vector<std::uint8_t> old(static_cast<std::size_t>(std::min<std::int64_t>(size, kReadChunk)) + 1);
  for (std::int64_t done = 0; done < static_cast<std::int64_t>(size);) {
    const std::int64_t at = offset + done;
    const std::int64_t n = std::min<std::int64_t>(static_cast<std::int64_t>(size) - done, kReadChunk);
    ReadOld(at - lag, old.data(), n + 1);
    std::uint8_t* out = dest + done;
    for (std::int64_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>((old[i] << 4) | (old[i + 1] >> 4));
    if (at == 0 && !high_) {
      // The shift starts inside byte 0: its high nibble stays where it was.
      const std::uint8_t first = shift_ == NibbleShift::kInsert ? old[1] : old[0];
      out[0] = static_cast<std::uint8_t>((first & 0xF0) | (shift_ == NibbleShift::kInsert ? 0 : out[0] & 0x0F));
    }
    done += n;
  }
}

}  // namespace hexed

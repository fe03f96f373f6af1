#include "engine/cipher/cipher.h"

#include <stdexcept>

namespace engine {

namespace {

using u8 = std::uint8_t;

u8 B(unsigned v) { return static_cast<u8>(v); }

// The 8-bit position counter i of the key loops: 1 for the first byte,
// wrapping from 255 to 0 on long keys.
u8 KeyCounter(std::size_t index) { return B(index + 1); }

bool AddsCounter(int version) { return version < 20; }

u8 KeyCheckByte(u8 b, u8 i, u8 r2, u8 r1m, u8 r3m, int version) {
  u8 v = AddsCounter(version) ? B(b + i) : B(b ^ i);
  v = B(v ^ r2);
  if (version > 19) return B(B(v ^ r1m) + r3m);
  return B(B(v + r1m) ^ r3m);
}

// The stored check byte with its masks removed: the key byte combined with
// its counter and R2.
u8 UnmaskKeyCheckByte(u8 c, u8 r1m, u8 r3m, int version) {
  if (version > 19) return B(B(c - r3m) ^ r1m);
  return B(B(c ^ r3m) - r1m);
}

template <Direction kDir, BodyCipher::WordRule kRule, bool kResetCounter>
void WordLoop(u8* data, std::size_t units, const std::uint32_t* words, std::size_t wordCount, std::size_t& index,
              std::uint64_t& counter, std::uint32_t step) {
  std::uint64_t t = counter;
  std::size_t k = index;
  for (std::size_t u = 0; u < units; ++u, data += 4) {
    if constexpr (kResetCounter) {
      t += step;
      if (t > 0xFFFFFFFFu) t = step;
    } else {
      t = (t + step) & 0xFFFFFFFFu;
    }
    const std::uint32_t k1 = words[k];
    if (++k == wordCount) k = 0;
    std::uint32_t p = LoadWord(data);
    if constexpr (kRule == BodyCipher::WordRule::kXorOnly) {
      p = p ^ k1 ^ static_cast<std::uint32_t>(t);
    } else {
      const std::uint32_t m = k1 ^ static_cast<std::uint32_t>(t);
      if constexpr (kRule == BodyCipher::WordRule::kAddOwnMask) {
        p = kDir == Direction::kEncrypt ? (p ^ m) + m : (p - m) ^ m;
      } else {
        const std::uint32_t k2 = words[k];
        if (++k == wordCount) k = 0;
        p = kDir == Direction::kEncrypt ? (p ^ m) - k2 : (p + k2) ^ m;
      }
    }
    StoreWord(data, p);
  }
  counter = t;
  index = k;
}

template <Direction kDir, BodyCipher::WordRule kRule>
void WordLoopFor(bool resetCounter, u8* data, std::size_t units, const std::uint32_t* words, std::size_t wordCount,
                 std::size_t& index, std::uint64_t& counter, std::uint32_t step) {
  if (resetCounter)
    WordLoop<kDir, kRule, true>(data, units, words, wordCount, index, counter, step);
  else
    WordLoop<kDir, kRule, false>(data, units, words, wordCount, index, counter, step);
}

template <Direction kDir>
void WordLoopFor(BodyCipher::WordRule rule, bool resetCounter, u8* data, std::size_t units,
                 const std::uint32_t* words, std::size_t wordCount, std::size_t& index, std::uint64_t& counter,
                 std::uint32_t step) {
  using R = BodyCipher::WordRule;
  switch (rule) {
    case R::kSubtractSecondWord:
      return WordLoopFor<kDir, R::kSubtractSecondWord>(resetCounter, data, units, words, wordCount, index, counter, step);
    case R::kAddOwnMask:
      return WordLoopFor<kDir, R::kAddOwnMask>(resetCounter, data, units, words, wordCount, index, counter, step);
    case R::kXorOnly:
      return WordLoopFor<kDir, R::kXorOnly>(resetCounter, data, units, words, wordCount, index, counter, step);
  }
}

}  // namespace

Bytes BuildKeyStream(ByteSpan filledKey, u8 r1, u8 r2, u8 r3, int version) {
  Bytes out(filledKey.size());
  for (std::size_t n = 0; n < filledKey.size(); ++n) {
    u8 v = B(filledKey[n] ^ r1);
    v = B(v + KeyCounter(n));
    if (version > 51) v = B(v ^ r2);
    v = B(v + r2);
    out[n] = B(v ^ r3);
  }
  return out;
}

Bytes BuildKeyCheck(ByteSpan filledKey, u8 r2, u8 r1Mixed, u8 r3Mixed, int version) {
  Bytes out(filledKey.size());
  for (std::size_t n = 0; n < filledKey.size(); ++n)
    out[n] = KeyCheckByte(filledKey[n], KeyCounter(n), r2, r1Mixed, r3Mixed, version);
  return out;
}

Bytes DecodeKeyCheck(ByteSpan stored, u8 r2, u8 r1Mixed, u8 r3Mixed, int version) {
  Bytes out(stored.size());
  for (std::size_t n = 0; n < stored.size(); ++n) {
    const u8 h = B(UnmaskKeyCheckByte(stored[n], r1Mixed, r3Mixed, version) ^ r2);
    const u8 i = KeyCounter(n);
    out[n] = AddsCounter(version) ? B(h - i) : B(h ^ i);
  }
  return out;
}

bool VerifyKey(ByteSpan typedKey, unsigned storedLength, ByteSpan storedCheck, u8 r2, u8 r1Mixed, u8 r3Mixed,
               int version) {
  if (typedKey.size() != storedLength || storedCheck.size() < typedKey.size()) return false;
  for (std::size_t n = 0; n < typedKey.size(); ++n) {
    const u8 i = KeyCounter(n);
    const u8 c = B((AddsCounter(version) ? B(typedKey[n] + i) : B(typedKey[n] ^ i)) ^ r2);
    if (c != UnmaskKeyCheckByte(storedCheck[n], r1Mixed, r3Mixed, version)) return false;
  }
  return true;
}

ConditionResult ConditionKeyStream(Bytes& stream, ByteSpan copy, int mode, const RunFlag& running) {
  if (stream.empty() || copy.size() <= 10) return ConditionResult::kFailed;
  const std::size_t pad = (4 - stream.size() % 4) % 4;
  stream.insert(stream.end(), copy.begin() + 8, copy.begin() + 8 + static_cast<std::ptrdiff_t>(pad));

  u8 x = 0;
  u8 sd = stream[0];
  x = stream[0];
  for (std::size_t n = 1; n < stream.size(); ++n) {
    x = B(x ^ stream[n]);
    sd = B(sd - stream[n]);
  }
  if (!running) return ConditionResult::kCancelled;
  const u8 d = B(x - sd);

  if (mode <= 33) {
    for (u8& b : stream) b = B(d - b);
  } else {
    const std::uint16_t w = static_cast<std::uint16_t>(d + 256u * sd);
    for (std::size_t n = 0; n + 1 < stream.size(); n += 2) {
      const std::uint16_t v = static_cast<std::uint16_t>((stream[n] | (stream[n + 1] << 8)) + w);
      stream[n] = B(v);
      stream[n + 1] = B(v >> 8);
    }
  }
  return running ? ConditionResult::kDone : ConditionResult::kCancelled;
}

std::optional<Bytes> DeriveSaltedKeyStream(ByteSpan key, ByteSpan salt, u8 selector, const RunFlag& running) {
  if (key.empty() || salt.size() != 12) throw std::invalid_argument("salted key stream needs a key and 12 salt bytes");
  Bytes out;
  if (key.size() < 12) {
    out.reserve(12);
    for (u8 s : salt) {
      u8 acc = B(s ^ key[0]);
      for (std::size_t j = 2; j <= key.size(); ++j) acc = j == 3 ? B(acc - key[j - 1]) : B(acc ^ key[j - 1]);
      out.push_back(B(acc - selector));
    }
  } else {
    out.reserve(key.size());
    std::size_t s = 0;
    for (u8 k : key) {
      const u8 t1 = salt[s];
      s = (s + 1) % 12;
      const u8 t2 = salt[s];
      s = (s + 1) % 12;
      out.push_back(B(B(k ^ t1) - t2));
    }
  }
  if (!running) return std::nullopt;
  return out;
}

std::uint32_t SaveKeyWordStep(int version, u8 firstKeyByte) {
  const std::uint32_t f = (firstKeyByte ^ 0x0Cu) % 12;
  if (version < 20) return 0x2FFFF;
  if (version < 60) return f * 0x2FFF + 0xFFFF;
  return f * 0x3FFF + 0xFFFF;
}

std::uint32_t NoKeyWordStep(int version, u8 firstKeyByte) {
  const std::uint32_t m = firstKeyByte % 10u;
  if (version < 10) return 0x2FFFF;
  if (version < 26) return m * 0x2FFF + 0xFFFF;
  if (version < 33) return m * 0x1FFF + 0x1FFFF;
  return m * 0x3FFF + 0x1FFFF;
}

BodyCipher BodyCipher::SaveKey(const Bytes& keyStream, int version, u8 firstKeyByte, std::uint64_t payloadSize) {
  const WordRule rule = version < 46 ? WordRule::kSubtractSecondWord : WordRule::kAddOwnMask;
  return BodyCipher(keyStream, SaveKeyWordStep(version, firstKeyByte), rule, true, version == 11, payloadSize);
}

BodyCipher BodyCipher::NoKey(const Bytes& keyStream, int version, u8 firstKeyByte, std::uint64_t payloadSize) {
  const WordRule rule = version > 25 ? WordRule::kXorOnly : WordRule::kSubtractSecondWord;
  return BodyCipher(keyStream, NoKeyWordStep(version, firstKeyByte), rule, false, false, payloadSize);
}

BodyCipher::BodyCipher(const Bytes& keyStream, std::uint32_t step, WordRule rule, bool resetCounter, bool byteUnits,
                       std::uint64_t payloadSize)
    : stream_(keyStream),
      step_(step),
      rule_(rule),
      resetCounter_(resetCounter),
      byteUnits_(byteUnits),
      wordBytes_(byteUnits ? 0 : payloadSize & ~std::uint64_t{3}) {
  if (stream_.size() < 4) throw std::invalid_argument("key stream shorter than one word");
  // A trailing partial word is never used by the word loop.
  for (std::size_t n = 0; n + 4 <= stream_.size(); n += 4) words_.push_back(LoadWord(stream_.data() + n));
}

void BodyCipher::Apply(Direction direction, u8* data, std::size_t size) {
  if (byteUnits_) return ApplyByteUnits(direction, data, size);
  if (position_ < wordBytes_) {
    const std::size_t inWords = static_cast<std::size_t>(std::min<std::uint64_t>(size, wordBytes_ - position_));
    ApplyWordRegion(direction, data, inWords);
    data += inWords;
    size -= inWords;
  }
  if (size > 0) ApplyTail(direction, data, size);
}

void BodyCipher::ApplyWordRegion(Direction direction, u8* data, std::size_t size) {
  if (size % 4 != 0) throw std::logic_error("body piece ends inside a word");
  const std::size_t units = size / 4;
  if (direction == Direction::kEncrypt)
    WordLoopFor<Direction::kEncrypt>(rule_, resetCounter_, data, units, words_.data(), words_.size(), wordIndex_,
                                     counter_, step_);
  else
    WordLoopFor<Direction::kDecrypt>(rule_, resetCounter_, data, units, words_.data(), words_.size(), wordIndex_,
                                     counter_, step_);
  position_ += size;
}

void BodyCipher::ApplyTail(Direction direction, u8* data, std::size_t size) {
  if (position_ == wordBytes_) byteIndex_ = 0;  // the tail starts from the stream's first byte
  for (std::size_t n = 0; n < size; ++n) {
    const u8 k1 = stream_[byteIndex_];
    byteIndex_ = (byteIndex_ + 1) % stream_.size();
    const u8 k2 = stream_[byteIndex_];
    byteIndex_ = (byteIndex_ + 1) % stream_.size();
    data[n] = direction == Direction::kEncrypt ? B(B(data[n] ^ k2) - k1) : B(B(data[n] + k1) ^ k2);
  }
  position_ += size;
}

void BodyCipher::ApplyByteUnits(Direction direction, u8* data, std::size_t size) {
  const std::size_t len = stream_.size();
  std::size_t k = byteIndex_;
  u8 c = byteCounter_;
  for (std::size_t n = 0; n < size; ++n) {
    if (c == 255) c = 1;
    ++c;
    const u8 k1 = stream_[k];
    if (++k == len) k = 0;
    const u8 k2 = stream_[k];
    if (++k == len) k = 0;
    data[n] = direction == Direction::kEncrypt ? B(B(data[n] ^ k2 ^ c) - k1) : B(B(data[n] + k1) ^ k2 ^ c);
  }
  byteIndex_ = k;
  byteCounter_ = c;
  position_ += size;
}

}  // namespace engine

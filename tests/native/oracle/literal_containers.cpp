#include "tests/native/oracle/literal_containers.h"

#include <algorithm>
#include <stdexcept>

namespace oracle {

namespace {

using U8 = std::uint8_t;
using U32 = std::uint32_t;
using U64 = std::uint64_t;

constexpr U64 kHeaderPoint = 260;
constexpr U64 kHeaderAtStartBelow = 1024;

U8 Add(U8 a, U8 b) { return static_cast<U8>(a + b); }
U8 Sub(U8 a, U8 b) { return static_cast<U8>(a - b); }

U32 Word(const Bytes& bytes, U64 at) {
  return static_cast<U32>(bytes[at]) | static_cast<U32>(bytes[at + 1]) << 8 | static_cast<U32>(bytes[at + 2]) << 16 |
         static_cast<U32>(bytes[at + 3]) << 24;
}

void PutWord(Bytes& out, U32 w) {
  for (int k = 0; k < 4; ++k) out.push_back(static_cast<U8>(w >> (8 * k)));
}

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

Bytes FilledKey(const Bytes& key, const Bytes& filler) {
  Bytes filled = key;
  Append(filled, filler);
  return filled;
}

}  // namespace

Bytes HeaderBlocks(const Mixed& m, int version, std::uint64_t size, const Bytes& extension) {
  Bytes out = {m.r1, m.r2, m.r3, m.x, m.a, m.b, m.c};
  out.push_back(static_cast<U8>('.' ^ m.x));
  out.push_back(static_cast<U8>('j' ^ m.a));
  out.push_back(static_cast<U8>('m' ^ m.b));
  out.push_back(static_cast<U8>('z' ^ m.c));
  out.push_back(static_cast<U8>(m.r1 ^ static_cast<U8>(version)));
  const unsigned mult = version > 51 ? 28 : 31;
  for (unsigned i = 0; i < 8; ++i) {
    const U8 si = static_cast<U8>(size >> (8 * i));
    out.push_back(static_cast<U8>(si ^ m.r2 ^ static_cast<U8>((i * mult) % 256) ^ m.r3));
  }
  const U8 e = static_cast<U8>(extension.size());
  out.push_back(static_cast<U8>(e ^ m.r2 ^ m.r3));
  for (std::size_t j = 1; j <= extension.size(); ++j) {
    out.push_back(static_cast<U8>(extension[j - 1] ^ m.r1 ^ static_cast<U8>(j) ^ m.r2));
  }
  return out;
}

Bytes TrailerBlock(const Mixed& m, std::size_t extensionLength, const Bytes& keyCheck) {
  Bytes out = {static_cast<U8>(m.r1 ^ 0x80), static_cast<U8>(m.r2 ^ 0x80), static_cast<U8>(m.r3 ^ 0x80),
               static_cast<U8>(m.x ^ 0x80),  static_cast<U8>(m.a ^ 0x81),  static_cast<U8>(m.b ^ 0x81),
               static_cast<U8>(m.c ^ 0x81)};
  out.push_back(static_cast<U8>((static_cast<U8>(extensionLength) ^ m.r2 ^ m.r3) ^ 0x83));
  for (U8 k : keyCheck) out.push_back(static_cast<U8>(k ^ 0x82));
  for (U8 mg : kMagic) out.push_back(static_cast<U8>(Sub(mg, m.r2) ^ m.r3));
  return out;
}

namespace {

Bytes SaveKeyStreamFor(const Bytes& filledKey, U8 r1, U8 r2, U8 r3, int version, bool& conditionOk) {
  Bytes stream = BuildKeyStream(filledKey, r1, r2, r3, version);
  conditionOk = true;
  if (version > 45) {
    const Bytes copy = stream;
    auto conditioned = ConditionKeyStream(stream, copy, version <= 60 ? 30 : 36);
    if (!conditioned) {
      conditionOk = false;
      return {};
    }
    stream = *conditioned;
  }
  return stream;
}

}  // namespace

// ---------------------------------------------------------------- key stream

KeyStreamReader::KeyStreamReader(const Bytes& stream) : stream_(stream) {
  if (stream_.empty()) throw std::invalid_argument("empty key stream");
}

std::uint8_t KeyStreamReader::NextByte() {
  if (position_ >= stream_.size()) position_ = 0;
  return stream_[position_++];
}

std::uint32_t KeyStreamReader::NextWord() {
  if (stream_.size() - position_ < 4) position_ = 0;
  if (stream_.size() < 4) throw std::invalid_argument("key stream shorter than a word");
  const U32 w = Word(stream_, position_);
  position_ += 4;
  return w;
}

Bytes BuildKeyStream(const Bytes& filledKey, U8 r1, U8 r2, U8 r3, int version) {
  Bytes out;
  U8 i = 0;
  for (U8 b : filledKey) {
    ++i;  // 1, 2, ..., 255, 0, 1, ...
    U8 v = static_cast<U8>(b ^ r1);
    v = Add(v, i);
    if (version > 51) v = static_cast<U8>(v ^ r2);
    v = Add(v, r2);
    v = static_cast<U8>(v ^ r3);
    out.push_back(v);
  }
  return out;
}

Bytes BuildKeyCheck(const Bytes& filledKey, U8 r2, U8 r1Mixed, U8 r3Mixed, int version) {
  Bytes out;
  U8 i = 0;
  for (U8 b : filledKey) {
    ++i;
    U8 v = version < 20 ? Add(b, i) : static_cast<U8>(b ^ i);
    v = static_cast<U8>(v ^ r2);
    if (version > 19) {
      v = static_cast<U8>(v ^ r1Mixed);
      v = Add(v, r3Mixed);
    } else {
      v = Add(v, r1Mixed);
      v = static_cast<U8>(v ^ r3Mixed);
    }
    out.push_back(v);
  }
  return out;
}

Bytes DecodeKeyCheck(const Bytes& stored, U8 r2, U8 r1Mixed, U8 r3Mixed, int version) {
  Bytes out;
  U8 i = 0;
  for (U8 c : stored) {
    ++i;
    U8 h = version > 19 ? static_cast<U8>(Sub(c, r3Mixed) ^ r1Mixed) : Sub(static_cast<U8>(c ^ r3Mixed), r1Mixed);
    h = static_cast<U8>(h ^ r2);
    out.push_back(version > 19 ? static_cast<U8>(h ^ i) : Sub(h, i));
  }
  return out;
}

bool VerifyKey(const Bytes& typedKey, unsigned storedLength, const Bytes& storedCheck, U8 r2, U8 r1Mixed,
               U8 r3Mixed, int version) {
  if (storedLength < 1 || storedLength > 5012) return false;
  if (typedKey.size() != storedLength) return false;
  if (storedCheck.size() < storedLength) return false;
  U8 i = 0;
  for (std::size_t k = 0; k < storedLength; ++k) {
    ++i;
    const U8 t = typedKey[k];
    const U8 c = static_cast<U8>((version < 20 ? Add(t, i) : static_cast<U8>(t ^ i)) ^ r2);
    const U8 s = storedCheck[k];
    const U8 decoded =
        version > 19 ? static_cast<U8>(Sub(s, r3Mixed) ^ r1Mixed) : Sub(static_cast<U8>(s ^ r3Mixed), r1Mixed);
    if (c != decoded) return false;
  }
  return true;
}

std::optional<Bytes> ConditionKeyStream(Bytes stream, const Bytes& copy, int mode) {
  if (stream.empty() || copy.size() <= 10) return std::nullopt;
  if (stream.size() % 4 != 0) {
    const std::size_t missing = 4 - stream.size() % 4;
    for (std::size_t k = 0; k < missing; ++k) stream.push_back(copy[8 + k]);
  }
  U8 x = 0;
  for (U8 b : stream) x = static_cast<U8>(x ^ b);
  U8 sd = stream[0];
  for (std::size_t k = 1; k < stream.size(); ++k) sd = Sub(sd, stream[k]);
  const U8 d = Sub(x, sd);
  if (mode <= 33) {
    for (U8& b : stream) b = Sub(d, b);
  } else {
    const std::uint16_t w = static_cast<std::uint16_t>(d + 256u * sd);
    for (std::size_t k = 0; k + 1 < stream.size(); k += 2) {
      std::uint16_t word = static_cast<std::uint16_t>(stream[k] | stream[k + 1] << 8);
      word = static_cast<std::uint16_t>(word + w);
      stream[k] = static_cast<U8>(word);
      stream[k + 1] = static_cast<U8>(word >> 8);
    }
  }
  return stream;
}

Bytes DeriveSaltedKeyStream(const Bytes& key, const Salt& salt, U8 selector) {
  Bytes out;
  if (key.empty()) return out;
  if (key.size() < 12) {
    for (U8 s : salt) {
      U8 acc = static_cast<U8>(s ^ key[0]);
      for (std::size_t j = 2; j <= key.size(); ++j) {
        const U8 kj = key[j - 1];
        acc = j == 3 ? Sub(acc, kj) : static_cast<U8>(acc ^ kj);
      }
      out.push_back(Sub(acc, selector));
    }
  } else {
    std::size_t saltPosition = 0;
    auto nextSalt = [&] {
      const U8 t = salt[saltPosition];
      saltPosition = (saltPosition + 1) % salt.size();
      return t;
    };
    for (U8 kj : key) {
      const U8 t1 = nextSalt();
      const U8 t2 = nextSalt();
      out.push_back(Sub(static_cast<U8>(kj ^ t1), t2));
    }
  }
  return out;
}

std::uint8_t Selector(const Salt& salt, U8 firstKeyByte) { return salt[firstKeyByte % 10 + 1]; }

std::uint32_t SaveKeyStep(int version, U8 firstKeyByte) {
  if (version < 20) return 0x2FFFF;
  const U32 f = static_cast<U8>(firstKeyByte ^ 0x0C) % 12;
  if (version < 60) return f * 0x2FFF + 0xFFFF;
  return f * 0x3FFF + 0xFFFF;
}

std::uint32_t NoKeyStep(int version, U8 firstKeyByte) {
  const U32 m = firstKeyByte % 10;
  if (version < 10) return 0x2FFFF;
  if (version < 26) return m * 0x2FFF + 0xFFFF;
  if (version < 33) return m * 0x1FFF + 0x1FFFF;
  return m * 0x3FFF + 0x1FFFF;
}

std::uint64_t KeyCheckPoint(int version, U8 r2) {
  if (version == 11) return kHeaderPoint + r2;
  U64 q = r2 >> 2;
  if (version > 36 && q < 2) q = 2;
  return kHeaderPoint + 4 * q;
}

// ---------------------------------------------------------------- body units

SaveKeyBodyUnits::SaveKeyBodyUnits(const Bytes& keyStream, int version, U8 firstKeyByte)
    : keys_(keyStream), version_(version), step_(SaveKeyStep(version, firstKeyByte)) {}

std::uint8_t SaveKeyBodyUnits::ByteUnit(Direction direction, U8 in) {
  if (c_ == 255) c_ = 1;
  c_ = static_cast<U8>(c_ + 1);
  const U8 k1 = keys_.NextByte();
  const U8 k2 = keys_.NextByte();
  if (direction == Direction::kEncrypt) return Sub(static_cast<U8>(in ^ k2 ^ c_), k1);
  return static_cast<U8>(Add(in, k1) ^ k2 ^ c_);
}

std::uint32_t SaveKeyBodyUnits::WordUnit(Direction direction, U32 in) {
  t_ += step_;
  if (t_ > 0xFFFFFFFFull) t_ = step_;
  const U32 k1 = keys_.NextWord();
  const U32 m = k1 ^ static_cast<U32>(t_);
  if (version_ < 46) {
    const U32 k2 = keys_.NextWord();
    if (direction == Direction::kEncrypt) return (in ^ m) - k2;
    return (in + k2) ^ m;
  }
  if (direction == Direction::kEncrypt) return (in ^ m) + m;
  return (in - m) ^ m;
}

std::uint8_t SaveKeyBodyUnits::TailByte(Direction direction, U8 in) {
  const U8 k1 = keys_.NextByte();
  const U8 k2 = keys_.NextByte();
  if (direction == Direction::kEncrypt) return Sub(static_cast<U8>(in ^ k2), k1);
  return static_cast<U8>(Add(in, k1) ^ k2);
}

NoKeyBodyUnits::NoKeyBodyUnits(const Bytes& keyStream, int version, U8 firstKeyByte)
    : keys_(keyStream), version_(version), step_(NoKeyStep(version, firstKeyByte)) {}

std::uint32_t NoKeyBodyUnits::WordUnit(Direction direction, U32 in) {
  t_ += step_;  // wraps modulo 2^32
  const U32 k1 = keys_.NextWord();
  if (version_ > 25) return in ^ k1 ^ t_;
  const U32 m = k1 ^ t_;
  const U32 k2 = keys_.NextWord();
  if (direction == Direction::kEncrypt) return (in ^ m) - k2;
  return (in + k2) ^ m;
}

std::uint8_t NoKeyBodyUnits::TailByte(Direction direction, U8 in) {
  const U8 k1 = keys_.NextByte();
  const U8 k2 = keys_.NextByte();
  if (direction == Direction::kEncrypt) return Sub(static_cast<U8>(in ^ k2), k1);
  return static_cast<U8>(Add(in, k1) ^ k2);
}

Bytes SaveKeyBody(Direction direction, const Bytes& keyStream, int version, U8 firstKeyByte, const Bytes& data) {
  SaveKeyBodyUnits units(keyStream, version, firstKeyByte);
  Bytes out;
  out.reserve(data.size());
  if (version == 11) {
    for (U8 b : data) out.push_back(units.ByteUnit(direction, b));
    return out;
  }
  const U64 words = data.size() / 4;
  for (U64 n = 0; n < words; ++n) PutWord(out, units.WordUnit(direction, Word(data, 4 * n)));
  units.StartTail();
  for (U64 k = 4 * words; k < data.size(); ++k) out.push_back(units.TailByte(direction, data[k]));
  return out;
}

Bytes NoKeyBody(Direction direction, const Bytes& keyStream, int version, U8 firstKeyByte, const Bytes& data) {
  NoKeyBodyUnits units(keyStream, version, firstKeyByte);
  Bytes out;
  out.reserve(data.size());
  const U64 words = data.size() / 4;
  for (U64 n = 0; n < words; ++n) PutWord(out, units.WordUnit(direction, Word(data, 4 * n)));
  units.StartTail();
  for (U64 k = 4 * words; k < data.size(); ++k) out.push_back(units.TailByte(direction, data[k]));
  return out;
}

// ---------------------------------------------------------------- save-key

SaveKeyRandoms DrawSaveKeyRandoms(std::size_t keyLength, int version, const Draw& draw) {
  SaveKeyRandoms r;
  for (std::size_t k = keyLength; k < 12; ++k) r.filler.push_back(draw());
  r.r1 = draw();
  r.r2 = draw();
  r.r3 = draw();
  if (version == 11 || version == 18) {
    while (r.r2 < 4) r.r2 = draw();
  }
  return r;
}

Mixed MixHeader(int version, std::uint16_t keyLength, U8 compression, U8 layers, U8 r1, U8 r2, U8 r3) {
  Mixed m;
  const U8 low = static_cast<U8>(keyLength & 0xFF);
  const U8 high = static_cast<U8>(keyLength >> 8);
  m.a = static_cast<U8>(Add(low, r1) ^ r2);
  if (version > 19) m.a = static_cast<U8>(m.a ^ r3);
  if (version > 60) m.a = Add(m.a, r3);
  m.b = static_cast<U8>(Add(high, r2) ^ r3);
  if (version > 19) m.b = static_cast<U8>(m.b ^ r1);
  if (version > 60) m.b = Add(m.b, r1);
  m.c = static_cast<U8>(Add(compression, r3) ^ r1);
  m.r1 = static_cast<U8>(r1 ^ m.a ^ m.b);
  m.r2 = static_cast<U8>(r2 ^ m.a ^ m.b);
  m.r3 = static_cast<U8>(r3 ^ m.a ^ m.b);
  m.x = static_cast<U8>(layers ^ m.r2 ^ m.r1);
  return m;
}

Bytes WriteSaveKey(const Bytes& payload, const SaveKeyInput& input) {
  const int v = input.version;
  const std::size_t keyLength = std::min<std::size_t>(input.key.size(), 65535);
  const Bytes key(input.key.begin(), input.key.begin() + static_cast<std::ptrdiff_t>(keyLength));
  if (key.empty()) throw std::invalid_argument("empty key");
  if (input.randoms.filler.size() != (keyLength < 12 ? 12 - keyLength : 0)) {
    throw std::invalid_argument("filler length does not fit the key");
  }
  const Bytes filled = FilledKey(key, input.randoms.filler);
  const U8 r1 = input.randoms.r1, r2 = input.randoms.r2, r3 = input.randoms.r3;
  const Mixed m = MixHeader(v, static_cast<std::uint16_t>(keyLength), input.compression, input.layers, r1, r2, r3);
  const U64 s = payload.size();
  const Bytes header = HeaderBlocks(m, v, s, input.extension);
  const Bytes keyCheck = BuildKeyCheck(filled, r2, m.r1, m.r3, v);
  bool conditionOk = true;
  const Bytes keyStream = SaveKeyStreamFor(filled, r1, r2, r3, v, conditionOk);
  if (!conditionOk) throw std::invalid_argument("key stream cannot be conditioned");
  const U64 p = KeyCheckPoint(v, r2);

  Bytes out;
  if (s < kHeaderAtStartBelow) {
    Append(out, header);
    Append(out, keyCheck);
  }
  U64 consumed = 0;
  auto afterUnit = [&] {
    if (s < kHeaderAtStartBelow) return;
    if (consumed == kHeaderPoint) {
      Append(out, header);
      if (input.clash == HeaderPointClash::kOmitKeyCheck) return;
    }
    if (consumed == p) Append(out, keyCheck);
  };

  SaveKeyBodyUnits units(keyStream, v, key[0]);
  if (v == 11) {
    for (U8 b : payload) {
      out.push_back(units.ByteUnit(Direction::kEncrypt, b));
      consumed += 1;
      afterUnit();
    }
  } else {
    const U64 words = s / 4;
    for (U64 n = 0; n < words; ++n) {
      PutWord(out, units.WordUnit(Direction::kEncrypt, Word(payload, 4 * n)));
      consumed += 4;
      afterUnit();
    }
    units.StartTail();
    for (U64 k = 4 * words; k < s; ++k) out.push_back(units.TailByte(Direction::kEncrypt, payload[k]));
  }
  Append(out, TrailerBlock(m, input.extension.size(), keyCheck));
  return out;
}

SaveKeyRead ReadSaveKey(const Bytes& file, const Bytes& typedKey) {
  const U64 size = file.size();
  U64 start = size < 5428 ? 0 : 260;
  bool retried = false;
  std::optional<ReadStatus> savedRefusal;
  auto mayRetry = [&] { return size >= 1033 && size <= 5427 && !retried; };

  for (;;) {
    SaveKeyRead r;
    r.headerOffset = start;
    auto refuse = [&](ReadStatus status) -> std::optional<SaveKeyRead> {
      if (mayRetry()) {
        savedRefusal = status;
        retried = true;
        start = 260;
        return std::nullopt;
      }
      r.status = status;
      return r;
    };

    if (start + 12 > size) {
      r.status = savedRefusal.value_or(ReadStatus::kNoMarker);
      return r;
    }
    Mixed m;
    m.r1 = file[start];
    m.r2 = file[start + 1];
    m.r3 = file[start + 2];
    m.x = file[start + 3];
    m.a = file[start + 4];
    m.b = file[start + 5];
    m.c = file[start + 6];
    const bool markerOk = (file[start + 7] ^ m.x) == '.' && (file[start + 8] ^ m.a) == 'j' &&
                          (file[start + 9] ^ m.b) == 'm' && (file[start + 10] ^ m.c) == 'z';
    if (!markerOk) {
      if (mayRetry()) {
        retried = true;
        start = 260;
        continue;
      }
      r.status = savedRefusal.value_or(ReadStatus::kNoMarker);
      return r;
    }
    const int v = static_cast<U8>(file[start + 11] ^ m.r1);
    r.version = v;
    r.r1 = static_cast<U8>(m.r1 ^ m.a ^ m.b);
    r.r2 = static_cast<U8>(m.r2 ^ m.a ^ m.b);
    r.r3 = static_cast<U8>(m.r3 ^ m.a ^ m.b);
    r.layers = static_cast<U8>(m.x ^ m.r1 ^ m.r2);

    if (start + 21 > size) {
      r.status = ReadStatus::kTruncated;
      return r;
    }
    const unsigned mult = v > 51 ? 28 : 31;
    U64 s = 0;
    for (unsigned i = 0; i < 8; ++i) {
      const U8 stored = file[start + 12 + i];
      const U8 si = static_cast<U8>(stored ^ m.r2 ^ static_cast<U8>((i * mult) % 256) ^ m.r3);
      s |= static_cast<U64>(si) << (8 * i);
    }
    r.size = s;
    const std::size_t e = static_cast<U8>(file[start + 20] ^ m.r2 ^ m.r3);
    if (start + 21 + e > size) {
      r.status = ReadStatus::kTruncated;
      return r;
    }
    for (std::size_t j = 1; j <= e; ++j) {
      r.extension.push_back(static_cast<U8>(file[start + 20 + j] ^ m.r1 ^ static_cast<U8>(j) ^ m.r2));
    }

    U8 low = m.a;
    if (v > 60) low = Sub(low, r.r3);
    if (v > 19) low = static_cast<U8>(low ^ r.r3);
    low = Sub(static_cast<U8>(low ^ r.r2), r.r1);
    U8 high = m.b;
    if (v > 60) high = Sub(high, r.r1);
    if (v > 19) high = static_cast<U8>(high ^ r.r1);
    high = Sub(static_cast<U8>(high ^ r.r3), r.r2);
    r.keyLength = static_cast<std::uint16_t>(low | high << 8);
    r.compression = Sub(static_cast<U8>(m.c ^ r.r1), r.r3);

    if (r.keyLength < 1 || r.keyLength > 5012) {
      if (auto refused = refuse(ReadStatus::kBadKeyLength)) return *refused;
      continue;
    }
    if (typedKey.size() != r.keyLength) {
      if (auto refused = refuse(ReadStatus::kKeyMismatch)) return *refused;
      continue;
    }
    const std::size_t k = std::max<std::size_t>(r.keyLength, 12);
    const U64 p = KeyCheckPoint(v, r.r2);
    r.keyCheckOffset = s >= kHeaderAtStartBelow ? p + 21 + e : start + 21 + e;
    if (r.keyCheckOffset + k > size) {
      r.status = ReadStatus::kTruncated;
      return r;
    }
    const Bytes stored(file.begin() + static_cast<std::ptrdiff_t>(r.keyCheckOffset),
                       file.begin() + static_cast<std::ptrdiff_t>(r.keyCheckOffset + k));
    if (!VerifyKey(typedKey, r.keyLength, stored, r.r2, m.r1, m.r3, v)) {
      if (auto refused = refuse(ReadStatus::kKeyMismatch)) return *refused;
      continue;
    }
    r.filledKey = DecodeKeyCheck(stored, r.r2, m.r1, m.r3, v);

    if (!(v == 11 || v >= 13)) {
      r.status = ReadStatus::kNoBodyRule;
      return r;
    }
    Bytes source;
    if (v < 46) {
      source = r.filledKey;
    } else {
      source = typedKey;
      for (std::size_t i = typedKey.size(); i < k; ++i) source.push_back(r.filledKey[i]);
    }
    bool conditionOk = true;
    const Bytes keyStream = SaveKeyStreamFor(source, r.r1, r.r2, r.r3, v, conditionOk);
    if (!conditionOk) {
      r.status = ReadStatus::kConditionFailed;
      return r;
    }

    // Body: from offset 0 with the two skips when S >= 1024, else right
    // after the key check; the skip tests follow every unit.
    U64 position = s >= kHeaderAtStartBelow ? 0 : r.keyCheckOffset + k;
    auto afterUnit = [&] {
      if (s < kHeaderAtStartBelow) return;
      if (position == 260) position = 281 + e;
      if (position == p + 21 + e) position += k;
    };
    SaveKeyBodyUnits units(keyStream, v, typedKey[0]);
    r.payload.reserve(s);
    if (v == 11) {
      for (U64 n = 0; n < s; ++n) {
        if (position + 1 > size) {
          r.status = ReadStatus::kTruncated;
          return r;
        }
        r.payload.push_back(units.ByteUnit(Direction::kDecrypt, file[position]));
        position += 1;
        afterUnit();
      }
    } else {
      const U64 words = s / 4;
      for (U64 n = 0; n < words; ++n) {
        if (position + 4 > size) {
          r.status = ReadStatus::kTruncated;
          return r;
        }
        PutWord(r.payload, units.WordUnit(Direction::kDecrypt, Word(file, position)));
        position += 4;
        afterUnit();
      }
      units.StartTail();
      for (U64 n = 4 * words; n < s; ++n) {
        if (position + 1 > size) {
          r.status = ReadStatus::kTruncated;
          return r;
        }
        r.payload.push_back(units.TailByte(Direction::kDecrypt, file[position]));
        position += 1;
      }
    }

    // The trailer is never needed for reading; it is checked here only so
    // tests see whether a writer laid it down faithfully.
    const Bytes expected = TrailerBlock(m, e, stored);
    r.trailerOk = size >= expected.size() &&
                  std::equal(expected.begin(), expected.end(), file.end() - static_cast<std::ptrdiff_t>(expected.size()));
    r.status = ReadStatus::kOk;
    return r;
  }
}

// ---------------------------------------------------------------- no saved key

Salt DrawSalt(const Draw& draw) {
  Salt salt{};
  for (U8& t : salt) t = draw();
  return salt;
}

std::optional<Bytes> NoKeyStream(const Bytes& key, int version, const Salt& salt) {
  if (key.empty()) return std::nullopt;
  Bytes stream = DeriveSaltedKeyStream(key, salt, Selector(salt, key[0]));
  if (version > 25) return ConditionKeyStream(stream, Bytes(salt.begin(), salt.end()), version);
  return stream;
}

Bytes WriteNoKey(const Bytes& payload, const Bytes& key, int version, const Salt& salt) {
  auto stream = NoKeyStream(key, version, salt);
  if (!stream) throw std::invalid_argument("no key stream");
  const U8 t8 = salt[8], t10 = salt[10];
  Bytes out;
  if (version > 9) {
    out.push_back(static_cast<U8>(t8 ^ 0x80 ^ t10));
    out.push_back(static_cast<U8>(static_cast<U8>(version) ^ t8 ^ t10));
  }
  for (char ch : std::string(".jmz")) out.push_back(static_cast<U8>(static_cast<U8>(ch) ^ t8 ^ t10));
  out.insert(out.end(), salt.begin(), salt.end());

  NoKeyBodyUnits units(*stream, version, key[0]);
  const U64 words = payload.size() / 4;
  for (U64 n = 0; n < words; ++n) PutWord(out, units.WordUnit(Direction::kEncrypt, Word(payload, 4 * n)));
  units.StartTail();
  for (U64 k = 4 * words; k < payload.size(); ++k) out.push_back(units.TailByte(Direction::kEncrypt, payload[k]));

  for (U8 t : salt) out.push_back(static_cast<U8>(t ^ 0x7B));
  for (U8 mg : kMagic) out.push_back(Sub(static_cast<U8>(t8 ^ mg), t10));
  return out;
}

NoKeyRead ReadNoKey(const Bytes& file, const Bytes& key) {
  NoKeyRead r;
  auto markerAt = [&](U64 o) {
    if (o + 16 > file.size()) return false;
    const U8 mask = static_cast<U8>(file[o + 12] ^ file[o + 14]);
    return (file[o] ^ mask) == '.' && (file[o + 1] ^ mask) == 'j' && (file[o + 2] ^ mask) == 'm' &&
           (file[o + 3] ^ mask) == 'z';
  };
  U64 o = 0;
  if (!markerAt(0)) {
    o = 2;
    if (!markerAt(2)) return r;
    r.version = static_cast<U8>(file[1] ^ file[o + 12] ^ file[o + 14]);
  }
  r.offset = o;
  for (std::size_t k = 0; k < 12; ++k) r.salt[k] = file[o + 4 + k];
  if (file.size() < o + 36 + 1) {
    r.status = ReadStatus::kTruncated;
    return r;
  }
  const U64 s = file.size() - o - 36;
  auto stream = NoKeyStream(key, r.version, r.salt);
  if (!stream) {
    r.status = ReadStatus::kConditionFailed;
    return r;
  }
  const Bytes body(file.begin() + static_cast<std::ptrdiff_t>(o + 16),
                   file.begin() + static_cast<std::ptrdiff_t>(o + 16 + s));
  r.payload = NoKeyBody(Direction::kDecrypt, *stream, r.version, key[0], body);

  Bytes trailer;
  for (U8 t : r.salt) trailer.push_back(static_cast<U8>(t ^ 0x7B));
  for (U8 mg : kMagic) trailer.push_back(Sub(static_cast<U8>(r.salt[8] ^ mg), r.salt[10]));
  r.framingOk = std::equal(trailer.begin(), trailer.end(), file.end() - static_cast<std::ptrdiff_t>(trailer.size()));
  if (o == 2) r.framingOk = r.framingOk && file[0] == static_cast<U8>(r.salt[8] ^ 0x80 ^ r.salt[10]);
  r.status = ReadStatus::kOk;
  return r;
}

}  // namespace oracle

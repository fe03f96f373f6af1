#include "engine/format/save_key_format.h"

namespace engine {

namespace {

using u8 = std::uint8_t;

u8 B(unsigned v) { return static_cast<u8>(v); }

// Size byte i is masked with (i × M) mod 256.
unsigned SizeMaskFactor(int version) { return version > 51 ? 28 : 31; }

}  // namespace

MixedValues Mix(const SaveKeyFields& f) {
  const int v = f.version;
  MixedValues m;
  m.a = B(B(B(f.keyLength) + f.r1) ^ f.r2);
  if (v > 19) m.a = B(m.a ^ f.r3);
  if (v > 60) m.a = B(m.a + f.r3);
  m.b = B(B(B(f.keyLength >> 8) + f.r2) ^ f.r3);
  if (v > 19) m.b = B(m.b ^ f.r1);
  if (v > 60) m.b = B(m.b + f.r1);
  m.c = B(B(f.compression + f.r3) ^ f.r1);
  const u8 ab = B(m.a ^ m.b);
  m.r1 = B(f.r1 ^ ab);
  m.r2 = B(f.r2 ^ ab);
  m.r3 = B(f.r3 ^ ab);
  m.x = B(f.layers ^ m.r2 ^ m.r1);
  return m;
}

std::array<u8, 4> SeedBlock(const MixedValues& m) { return {m.r1, m.r2, m.r3, m.x}; }

std::array<u8, 3> ParamBlock(const MixedValues& m) { return {m.a, m.b, m.c}; }

Bytes InfoBlock(const SaveKeyFields& f, const MixedValues& m) {
  Bytes out;
  out.reserve(14 + f.extension.size());
  out.push_back(B('.' ^ m.x));
  out.push_back(B('j' ^ m.a));
  out.push_back(B('m' ^ m.b));
  out.push_back(B('z' ^ m.c));
  out.push_back(B(m.r1 ^ f.version));
  const unsigned factor = SizeMaskFactor(f.version);
  for (unsigned i = 0; i < 8; ++i) out.push_back(B(B(f.payloadSize >> (8 * i)) ^ m.r2 ^ B(i * factor) ^ m.r3));
  out.push_back(B(f.extension.size() ^ m.r2 ^ m.r3));
  for (std::size_t j = 1; j <= f.extension.size(); ++j)
    out.push_back(B(static_cast<u8>(f.extension[j - 1]) ^ m.r1 ^ B(j) ^ m.r2));
  return out;
}

Bytes TrailerBlock(const MixedValues& m, std::size_t extensionLength, ByteSpan keyCheck) {
  Bytes out;
  out.reserve(16 + keyCheck.size());
  for (u8 b : SeedBlock(m)) out.push_back(B(b ^ 0x80));
  for (u8 b : ParamBlock(m)) out.push_back(B(b ^ 0x81));
  out.push_back(B(extensionLength ^ m.r2 ^ m.r3 ^ 0x83));
  for (u8 b : keyCheck) out.push_back(B(b ^ 0x82));
  for (u8 b : kMagicGbk) out.push_back(B(B(b - m.r2) ^ m.r3));
  return out;
}

std::uint64_t KeyCheckPoint(int version, u8 r2) {
  if (version == 11) return kHeaderPoint + r2;
  unsigned q = r2 >> 2;
  if (version > 36 && q < 2) q = 2;
  return kHeaderPoint + 4 * q;
}

HeaderProbe DecodeProbe(const u8* p) {
  HeaderProbe h;
  MixedValues& m = h.mixed;
  m.r1 = p[0];
  m.r2 = p[1];
  m.r3 = p[2];
  m.x = p[3];
  m.a = p[4];
  m.b = p[5];
  m.c = p[6];
  h.markerOk = B(p[7] ^ m.x) == '.' && B(p[8] ^ m.a) == 'j' && B(p[9] ^ m.b) == 'm' && B(p[10] ^ m.c) == 'z';
  h.version = B(p[11] ^ m.r1);
  const u8 ab = B(m.a ^ m.b);
  h.r1 = B(m.r1 ^ ab);
  h.r2 = B(m.r2 ^ ab);
  h.r3 = B(m.r3 ^ ab);
  h.layers = B(m.x ^ m.r1 ^ m.r2);
  return h;
}

std::uint16_t HeaderProbe::KeyLength() const {
  u8 lo = mixed.a;
  if (version > 60) lo = B(lo - r3);
  if (version > 19) lo = B(lo ^ r3);
  lo = B(B(lo ^ r2) - r1);
  u8 hi = mixed.b;
  if (version > 60) hi = B(hi - r1);
  if (version > 19) hi = B(hi ^ r1);
  hi = B(B(hi ^ r3) - r2);
  return static_cast<std::uint16_t>(lo | (hi << 8));
}

u8 HeaderProbe::Compression() const { return B(B(mixed.c ^ r1) - r3); }

std::uint64_t HeaderProbe::DecodeSize(const u8* stored) const {
  const unsigned factor = SizeMaskFactor(version);
  std::uint64_t size = 0;
  for (unsigned i = 0; i < 8; ++i)
    size |= std::uint64_t{B(stored[i] ^ mixed.r2 ^ B(i * factor) ^ mixed.r3)} << (8 * i);
  return size;
}

u8 HeaderProbe::DecodeExtensionLength(u8 stored) const { return B(stored ^ mixed.r2 ^ mixed.r3); }

std::string HeaderProbe::DecodeExtension(ByteSpan stored) const {
  std::string ext(stored.size(), '\0');
  for (std::size_t j = 1; j <= stored.size(); ++j) ext[j - 1] = static_cast<char>(B(stored[j - 1] ^ mixed.r1 ^ B(j) ^ mixed.r2));
  return ext;
}

}  // namespace engine

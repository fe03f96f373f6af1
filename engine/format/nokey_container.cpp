#include "engine/format/nokey_container.h"

#include <stdexcept>

#include "engine/cipher/cipher.h"
#include "engine/format/save_key_format.h"

namespace engine {

namespace {

using u8 = std::uint8_t;

u8 B(unsigned v) { return static_cast<u8>(v); }

// Selector byte of the salted key stream: T[(F mod 10) + 1].
u8 Selector(const Salt& salt, u8 firstKeyByte) { return salt[firstKeyByte % 10 + 1]; }

constexpr std::string_view kMarker = ".jmz";

bool MarkerAt(platform::ByteSource& source, std::uint64_t offset, u8 mask) {
  u8 marker[4];
  source.Seek(offset);
  source.ReadExact(marker, 4);
  for (int i = 0; i < 4; ++i)
    if (B(marker[i] ^ mask) != static_cast<u8>(kMarker[i])) return false;
  return true;
}

u8 ByteAt(platform::ByteSource& source, std::uint64_t offset) {
  u8 b = 0;
  source.Seek(offset);
  source.ReadExact(&b, 1);
  return b;
}

}  // namespace

bool IsWritableNoKeyVersion(int version) { return version == 38 || version == 30 || version == 20; }

std::optional<Bytes> NoKeyStream(std::string_view key, int version, const Salt& salt, const RunFlag& running) {
  const ByteSpan keyBytes = AsBytes(key);
  std::optional<Bytes> stream = DeriveSaltedKeyStream(keyBytes, salt, Selector(salt, keyBytes[0]), running);
  if (!stream) return std::nullopt;
  if (version > 25 && ConditionKeyStream(*stream, salt, version, running) != ConditionResult::kDone)
    return std::nullopt;
  return stream;
}

WriteResult WriteNoKeyContainer(platform::ByteSource& source, platform::ByteSink& sink, std::string_view key,
                                int version, const platform::RandomByteSource& random, BodyMonitor& monitor) {
  const std::uint64_t size = source.Size();
  if (key.empty()) throw std::invalid_argument("empty key");
  if (!IsWritableNoKeyVersion(version)) throw std::invalid_argument("format version not writable");
  if (size < 1 || size > kMaxPayload) throw std::invalid_argument("payload outside 1 byte..4 GiB");

  Salt salt;
  for (u8& t : salt) t = random();
  std::optional<Bytes> stream = NoKeyStream(key, version, salt, monitor.running);
  if (!stream) return monitor.running ? WriteResult::kConditionFailed : WriteResult::kCancelled;

  const u8 mask = B(salt[8] ^ salt[10]);
  Bytes header = {B(mask ^ 0x80), B(version ^ mask)};
  for (char ch : kMarker) header.push_back(B(static_cast<u8>(ch) ^ mask));
  header.insert(header.end(), salt.begin(), salt.end());
  sink.Write(header.data(), header.size());
  if (!monitor.running) return WriteResult::kCancelled;

  source.Seek(0);
  BodyCipher cipher = BodyCipher::NoKey(*stream, version, static_cast<u8>(key[0]), size);
  BodyPump pump(source, sink, cipher, Direction::kEncrypt, monitor);
  if (!pump.Move(size)) return WriteResult::kCancelled;

  Bytes trailer;
  for (u8 t : salt) trailer.push_back(B(t ^ 0x7B));
  for (u8 m : kMagicGbk) trailer.push_back(B(B(salt[8] ^ m) - salt[10]));
  sink.Write(trailer.data(), trailer.size());
  return WriteResult::kDone;
}

std::optional<NoKeyHeader> ReadNoKeyHeader(platform::ByteSource& source) {
  NoKeyHeader h;
  for (std::uint64_t o : {std::uint64_t{0}, std::uint64_t{2}}) {
    if (source.Size() < o + 16) return std::nullopt;
    const u8 mask = B(ByteAt(source, o + 12) ^ ByteAt(source, o + 14));
    if (!MarkerAt(source, o, mask)) continue;
    h.offset = o;
    h.version = o == 0 ? 0 : B(ByteAt(source, 1) ^ mask);
    source.Seek(o + 4);
    source.ReadExact(h.salt.data(), h.salt.size());
    return h;
  }
  return std::nullopt;
}

bool DecryptNoKeyBody(platform::ByteSource& source, const NoKeyHeader& header, const Bytes& keyStream,
                      u8 firstKeyByte, std::uint64_t payloadSize, platform::ByteSink& sink, BodyMonitor& monitor) {
  BodyCipher cipher = BodyCipher::NoKey(keyStream, header.version, firstKeyByte, payloadSize);
  BodyPump pump(source, sink, cipher, Direction::kDecrypt, monitor);
  source.Seek(header.offset + 16);
  return pump.Move(payloadSize);
}

}  // namespace engine

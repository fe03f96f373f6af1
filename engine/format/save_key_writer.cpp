#include "engine/format/save_key_writer.h"

#include <stdexcept>

#include "engine/cipher/cipher.h"

namespace engine {

namespace {

void Validate(const SaveKeyOptions& o, std::uint64_t size) {
  if (o.key.empty() || o.key.size() > kMaxEncryptKey) throw std::invalid_argument("key length outside 1..2056 bytes");
  if (!IsWritableVersion(o.version)) throw std::invalid_argument("format version not writable");
  if (o.compression > 3) throw std::invalid_argument("compression level above 3");
  if (o.layers < 1 || o.layers > kMaxLayers) throw std::invalid_argument("layer count outside 1..12");
  if (o.extension.size() > kMaxExtension) throw std::invalid_argument("extension longer than 215 bytes");
  if (size < 1 || size > kMaxPayload) throw std::invalid_argument("payload outside 1 byte..4 GiB");
}

}  // namespace

bool IsWritableVersion(int version) {
  return version == 66 || version == 56 || version == 38 || version == 18 || version == 11;
}

WriteResult WriteSaveKeyContainer(platform::ByteSource& source, platform::ByteSink& sink, const SaveKeyOptions& o,
                                  const platform::RandomByteSource& random, BodyMonitor& monitor) {
  const std::uint64_t size = source.Size();
  Validate(o, size);
  const int v = o.version;

  Bytes filled(o.key.begin(), o.key.end());
  while (filled.size() < kMinFilledKey) filled.push_back(random());

  SaveKeyFields f;
  f.version = v;
  f.r1 = random();
  f.r2 = random();
  f.r3 = random();
  if (v == 11 || v == 18)
    while (f.r2 < 4) f.r2 = random();
  f.keyLength = static_cast<std::uint16_t>(o.key.size());
  f.compression = o.compression;
  f.layers = o.layers;
  f.payloadSize = size;
  f.extension = o.extension;

  const MixedValues m = Mix(f);
  const auto seed = SeedBlock(m);
  const auto param = ParamBlock(m);
  const Bytes check = BuildKeyCheck(filled, f.r2, m.r1, m.r3, v);
  const Bytes info = InfoBlock(f, m);
  Bytes stream = BuildKeyStream(filled, f.r1, f.r2, f.r3, v);
  if (!monitor.running) return WriteResult::kCancelled;

  auto writeHeader = [&] {
    sink.Write(seed.data(), seed.size());
    sink.Write(param.data(), param.size());
    sink.Write(info.data(), info.size());
  };

  source.Seek(0);
  if (size < kHeaderAtStartBelow) {
    writeHeader();
    sink.Write(check.data(), check.size());
  }
  if (!monitor.running) return WriteResult::kCancelled;

  if (v > 45) {
    const Bytes copy = stream;
    switch (ConditionKeyStream(stream, copy, v <= 60 ? 30 : 36, monitor.running)) {
      case ConditionResult::kDone: break;
      case ConditionResult::kFailed: return WriteResult::kConditionFailed;
      case ConditionResult::kCancelled: return WriteResult::kCancelled;
    }
  }

  BodyCipher cipher = BodyCipher::SaveKey(stream, v, filled[0], size);
  BodyPump pump(source, sink, cipher, Direction::kEncrypt, monitor);
  if (size < kHeaderAtStartBelow) {
    if (!pump.Move(size)) return WriteResult::kCancelled;
  } else {
    const std::uint64_t p = KeyCheckPoint(v, f.r2);
    if (!pump.Move(kHeaderPoint)) return WriteResult::kCancelled;
    writeHeader();
    if (p > kHeaderPoint) {
      if (!pump.Move(p - kHeaderPoint)) return WriteResult::kCancelled;
      sink.Write(check.data(), check.size());
    }
    if (!pump.Move(size - pump.Position())) return WriteResult::kCancelled;
  }
  if (!monitor.running) return WriteResult::kCancelled;

  const Bytes trailer = TrailerBlock(m, f.extension.size(), check);
  sink.Write(trailer.data(), trailer.size());
  return WriteResult::kDone;
}

}  // namespace engine

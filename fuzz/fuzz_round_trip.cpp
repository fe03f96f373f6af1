// Random payloads under random keys, versions, levels, layers and
// extensions: the writer's container decrypts back to the payload, and the
// literal reference in the tests writes the same bytes from the same draws
// and reads the writer's container back.
//   input: format, seed (4), key length, extension choice, key, payload
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "engine/format/nokey_container.h"
#include "engine/format/save_key_reader.h"
#include "engine/format/save_key_writer.h"
#include "fuzz/fuzz_support.h"
#include "tests/native/oracle/literal_containers.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The draws of both sides: bytes 0..254 from one seed.
class SeededBytes {
 public:
  explicit SeededBytes(std::uint32_t seed) : gen_(seed) {}
  std::uint8_t operator()() { return static_cast<std::uint8_t>(gen_() % 255); }

 private:
  std::mt19937 gen_;
};

constexpr int kSaveKeyVersions[] = {66, 56, 38, 18, 11};
constexpr int kNoKeyVersions[] = {38, 30, 20};
const char* const kExtensions[] = {"", ".txt", ".\xD6\xD0\xCE\xC4", ".tar.gz"};

Bytes Written(const Bytes& payload, const std::function<engine::WriteResult(platform::ByteSource&, platform::ByteSink&)>& write) {
  platform::MemorySource source(payload);
  platform::MemorySink sink;
  fuzz::Check(write(source, sink) == engine::WriteResult::kDone, "the writer completes");
  return sink.Bytes();
}

void SaveKeyRoundTrip(const Bytes& payload, const std::string& key, int version, std::uint8_t level,
                      std::uint8_t layers, const std::string& extension, std::uint32_t seed) {
  engine::SaveKeyOptions o;
  o.key = key, o.version = version, o.compression = level, o.layers = layers, o.extension = extension;
  engine::RunFlag running{true};
  engine::BodyMonitor monitor{running, {}};
  SeededBytes draw(seed);
  const Bytes container = Written(payload, [&](platform::ByteSource& in, platform::ByteSink& out) {
    return engine::WriteSaveKeyContainer(in, out, o, std::ref(draw), monitor);
  });
  const std::string text(container.begin(), container.end());
  fuzz::Check(fuzz::DecryptSaveKeyBytes(text, key) == std::string(payload.begin(), payload.end()),
              "a save-key container decrypts back to its payload");

  SeededBytes literalDraw(seed);
  oracle::SaveKeyInput in;
  in.key = Bytes(key.begin(), key.end());
  in.version = version, in.compression = level, in.layers = layers;
  in.extension = Bytes(extension.begin(), extension.end());
  in.randoms = oracle::DrawSaveKeyRandoms(in.key.size(), version, std::ref(literalDraw));
  fuzz::Check(oracle::WriteSaveKey(payload, in) == container, "the literal writer writes the same container");
  const oracle::SaveKeyRead back = oracle::ReadSaveKey(container, in.key);
  fuzz::Check(back.status == oracle::ReadStatus::kOk && back.trailerOk && back.payload == payload &&
                  back.layers == layers && back.compression == level && back.extension == in.extension,
              "the literal reader reads the container back");
}

void NoKeyRoundTrip(const Bytes& payload, const std::string& key, int version, std::uint32_t seed) {
  engine::RunFlag running{true};
  engine::BodyMonitor monitor{running, {}};
  SeededBytes draw(seed);
  const Bytes container = Written(payload, [&](platform::ByteSource& in, platform::ByteSink& out) {
    return engine::WriteNoKeyContainer(in, out, key, version, std::ref(draw), monitor);
  });

  platform::MemorySource source(container);
  const std::optional<engine::NoKeyHeader> header = engine::ReadNoKeyHeader(source);
  fuzz::Check(header && header->version == version, "the no-saved-key header reads back");
  const std::optional<Bytes> stream = engine::NoKeyStream(key, version, header->salt, running);
  fuzz::Check(stream.has_value(), "the key stream is built");
  platform::MemorySink plain;
  fuzz::Check(engine::DecryptNoKeyBody(source, *header, *stream, static_cast<std::uint8_t>(key[0]),
                                       static_cast<std::uint64_t>(header->PayloadSize(container.size())), plain, monitor) &&
                  plain.Bytes() == payload,
              "a no-saved-key container decrypts back to its payload");

  SeededBytes literalDraw(seed);
  const Bytes keyBytes(key.begin(), key.end());
  const oracle::Salt salt = oracle::DrawSalt(std::ref(literalDraw));
  fuzz::Check(oracle::WriteNoKey(payload, keyBytes, version, salt) == container, "the literal writer writes the same container");
  const oracle::NoKeyRead back = oracle::ReadNoKey(container, keyBytes);
  fuzz::Check(back.status == oracle::ReadStatus::kOk && back.framingOk && back.payload == payload,
              "the literal reader reads the container back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 8) return 0;
  const std::uint8_t format = data[0];
  std::uint32_t seed = 0;
  std::memcpy(&seed, data + 1, 4);
  const std::size_t keyLength = 1 + data[5] % 40;
  const std::string extension = kExtensions[data[6] % 4];
  if (size < 7 + keyLength + 1) return 0;
  const std::string key(reinterpret_cast<const char*>(data + 7), keyLength);
  const Bytes payload(data + 7 + keyLength, data + size);

  if (format % 8 < 5) {
    const auto level = static_cast<std::uint8_t>((format >> 3) % 4);
    const auto layers = static_cast<std::uint8_t>(1 + (format >> 5) % 8 + data[6] / 64);
    SaveKeyRoundTrip(payload, key, kSaveKeyVersions[format % 8], level, layers, extension, seed);
  } else {
    NoKeyRoundTrip(payload, key, kNoKeyVersions[format % 8 - 5], seed);
  }
  return 0;
}

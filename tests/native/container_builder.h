// Builds save-key containers from chosen header values, including values the
// writer never produces (damaged fields, unknown versions), so the reader's
// repairs and refusals can be driven one by one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/cipher/cipher.h"
#include "engine/format/save_key_format.h"

namespace testing_support {

struct ContainerRecipe {
  engine::SaveKeyFields fields;     // payloadSize is taken from `payload` unless storedSize is set
  std::string key;                  // GBK bytes; filled up to 12 with `filler`
  std::uint8_t filler = 0x33;
  std::vector<std::uint8_t> payload;
  bool overrideStoredSize = false;
  std::uint64_t storedSize = 0;
  bool overrideExtensionLength = false;
  std::uint8_t storedExtensionLength = 0;  // plain value before masking
  bool overrideKeyLength = false;
  std::uint16_t storedKeyLength = 0;
};

inline std::vector<std::uint8_t> BuildContainer(const ContainerRecipe& r) {
  using namespace engine;
  SaveKeyFields f = r.fields;
  f.payloadSize = r.overrideStoredSize ? r.storedSize : r.payload.size();
  f.keyLength = r.overrideKeyLength ? r.storedKeyLength : static_cast<std::uint16_t>(r.key.size());
  Bytes filled(r.key.begin(), r.key.end());
  while (filled.size() < kMinFilledKey) filled.push_back(r.filler);

  const MixedValues m = Mix(f);
  const auto seed = SeedBlock(m);
  const auto param = ParamBlock(m);
  Bytes info = InfoBlock(f, m);
  if (r.overrideExtensionLength) info[13] = static_cast<std::uint8_t>(r.storedExtensionLength ^ m.r2 ^ m.r3);
  const Bytes check = BuildKeyCheck(filled, f.r2, m.r1, m.r3, f.version);

  Bytes stream = BuildKeyStream(filled, f.r1, f.r2, f.r3, f.version);
  if (f.version > 45) {
    const Bytes copy = stream;
    RunFlag running{true};
    ConditionKeyStream(stream, copy, f.version <= 60 ? 30 : 36, running);
  }
  Bytes body = r.payload;
  if (!body.empty()) {
    BodyCipher cipher = BodyCipher::SaveKey(stream, f.version, filled[0], body.size());
    cipher.Apply(Direction::kEncrypt, body.data(), body.size());
  }

  Bytes out;
  auto append = [&out](const auto& block) { out.insert(out.end(), block.begin(), block.end()); };
  auto appendBody = [&](std::size_t from, std::size_t to) {
    out.insert(out.end(), body.begin() + static_cast<std::ptrdiff_t>(from), body.begin() + static_cast<std::ptrdiff_t>(to));
  };
  if (body.size() < kHeaderAtStartBelow) {
    append(seed), append(param), append(info), append(check);
    appendBody(0, body.size());
  } else {
    const std::size_t p = static_cast<std::size_t>(KeyCheckPoint(f.version, f.r2));
    appendBody(0, kHeaderPoint);
    append(seed), append(param), append(info);
    appendBody(kHeaderPoint, p);
    append(check);
    appendBody(p, body.size());
  }
  append(TrailerBlock(m, f.extension.size(), check));
  return out;
}

}  // namespace testing_support

#include "sfx/acceptance.h"

#include <array>
#include <optional>

#include "engine/aead/header.h"
#include "engine/format/save_key_format.h"

namespace sfx {

namespace {

// The decoded version byte, or empty when the marker does not read ".jmz".
std::optional<int> ProbeAt(platform::ByteSource& file, std::uint64_t offset) {
  if (file.Size() < offset + engine::kProbeLength) return std::nullopt;
  std::array<std::uint8_t, engine::kProbeLength> h{};
  file.Seek(offset);
  file.ReadExact(h.data(), h.size());
  const engine::HeaderProbe probe = engine::DecodeProbe(h.data());
  if (!probe.markerOk) return std::nullopt;
  return probe.version;
}

// The authenticated container: its header must read as one this program knows.
std::optional<Acceptance> TestAead(platform::ByteSource& file) {
  engine::aead::Header header;
  engine::aead::RawHeader raw{};
  switch (engine::aead::ReadHeader(file, 0, file.Size(), header, raw)) {
    case engine::aead::HeaderCheck::kNotThisFormat: return std::nullopt;
    case engine::aead::HeaderCheck::kValid: return Acceptance::kAccepted;
    case engine::aead::HeaderCheck::kNewerVersion: return Acceptance::kNewerVersion;
    default: return Acceptance::kNotRecognised;
  }
}

}  // namespace

Acceptance TestPackSource(platform::ByteSource& file) {
  if (std::optional<Acceptance> aead = TestAead(file)) return *aead;
  const std::uint64_t size = file.Size();
  std::optional<int> version = ProbeAt(file, size < engine::kProbeAtStartBelow ? 0 : engine::kHeaderPoint);
  if (!version && size >= engine::kRetryFrom && size <= engine::kRetryTo) version = ProbeAt(file, engine::kHeaderPoint);
  if (!version) return Acceptance::kNotRecognised;
  return *version > engine::kMaxVersionWithoutAsking ? Acceptance::kNewerVersion : Acceptance::kAccepted;
}

}  // namespace sfx

#include "sfx/acceptance.h"

#include <array>
#include <optional>

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

}  // namespace

Acceptance TestPackSource(platform::ByteSource& file) {
  const std::uint64_t size = file.Size();
  std::optional<int> version = ProbeAt(file, size < engine::kProbeAtStartBelow ? 0 : engine::kHeaderPoint);
  if (!version && size >= engine::kRetryFrom && size <= engine::kRetryTo) version = ProbeAt(file, engine::kHeaderPoint);
  if (!version) return Acceptance::kNotRecognised;
  return *version > engine::kMaxVersionWithoutAsking ? Acceptance::kNewerVersion : Acceptance::kAccepted;
}

}  // namespace sfx

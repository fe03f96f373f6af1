// The package reader on any program file: detection, the header codec and
// the acceptance test. Detection never names a carried file outside the
// program's file, and a decoded header encodes to the same header.
#include <cstdint>
#include <string>

#include "engine/format/container_info.h"
#include "fuzz/fuzz_support.h"
#include "sfx/acceptance.h"
#include "sfx/detect.h"
#include "sfx/image_length.h"
#include "sfx/package_header.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::RunFolder& run = fuzz::RunFolder::Get();
  run.Reset();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const fuzz::fs::path program = run.Put("xcjm.exe", bytes);

  testing_support::RecordingHost host;
  const sfx::PackageInfo info = sfx::DetectPackage(host, program);
  fuzz::Check(info.ownFileSize == size, "detection sees the whole file");
  if (info.imageError.empty()) fuzz::Check(info.imageLength <= size, "the image lies inside the file");
  if (info.Present()) {
    fuzz::Check(info.carriedSize >= 1, "a package carries at least one byte");
    fuzz::Check(info.CarriedStart() + static_cast<std::uint64_t>(info.carriedSize) <= size,
                "the carried file lies inside the program's file");
    fuzz::Check(!info.carriedName.empty() && info.carriedName.size() <= sfx::kNameField, "the name fits its field");
  }
  fuzz::CheckJobOutcome(run, program, bytes, false);

  if (size >= sfx::kHeaderSize) {
    std::array<std::uint8_t, sfx::kHeaderSize> raw{};
    std::copy(data, data + sfx::kHeaderSize, raw.begin());
    const sfx::PackageHeader header = sfx::PackageHeader::Decode(raw);
    const sfx::PackageHeader again = sfx::PackageHeader::Decode(header.Encode());
    fuzz::Check(again.carriedSize == header.carriedSize && again.storedName == header.storedName,
                "a decoded header encodes to the same header");
  }

  platform::MemorySource memory(std::vector<std::uint8_t>(data, data + size));
  const sfx::Acceptance a = sfx::TestPackSource(memory);
  platform::MemorySource again(std::vector<std::uint8_t>(data, data + size));
  const engine::ContainerInfo what = engine::InspectContainer(again);
  const bool saveKey = what.kind == engine::ContainerInfo::Kind::kSaveKey;
  // An authenticated container is packed when its header reads as one this
  // program knows, or as a newer version's.
  const bool aead = what.kind == engine::ContainerInfo::Kind::kAead;
  const bool aeadNewer = aead && what.aeadCheck == engine::aead::HeaderCheck::kNewerVersion;
  const bool aeadReadable = aead && (what.aeadCheck == engine::aead::HeaderCheck::kValid || aeadNewer);
  fuzz::Check((a != sfx::Acceptance::kNotRecognised) == (saveKey || aeadReadable),
              "packing accepts exactly the save-key and the readable authenticated containers");
  fuzz::Check((a == sfx::Acceptance::kNewerVersion) == ((saveKey && what.version > 70) || aeadNewer),
              "packing tells a newer version's container apart");
  return 0;
}

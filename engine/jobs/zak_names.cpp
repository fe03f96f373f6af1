#include "engine/jobs/zak_names.h"

#include "platform/paths.h"
#include "platform/text.h"

namespace engine {

namespace {

constexpr std::size_t kMaxZakExtension = 8;
constexpr std::size_t kMaxZakNameWhenCut = 198;

}  // namespace

ZakName ZakNameFor(const NameParts& source) {
  ZakName zak;
  zak.extension = platform::Utf8Prefix(source.extension, kMaxZakExtension);
  const bool cut = zak.extension.size() < source.extension.size();
  zak.name = platform::Utf8Prefix(source.name, cut ? kMaxZakNameWhenCut : kMaxBaseName);
  return zak;
}

std::filesystem::path ZakCandidate(const std::filesystem::path& folder, const ZakName& zak, unsigned n) {
  return NumberedCandidate(folder, zak.name, zak.extension + ".zak", n);
}

std::filesystem::path IntermediateCandidate(const std::filesystem::path& folder, const std::string& name, unsigned n) {
  return NumberedCandidate(folder, name, ".zak", n);
}

}  // namespace engine

// Names of compressed-only files: the source name, its extension cut to 8
// characters (the name then cut to 198 characters, else 202) and ".zak";
// a taken name gets "(n)" after the name part.
#pragma once

#include <filesystem>
#include <string>

#include "engine/jobs/output_names.h"

namespace engine {

struct ZakName {
  std::string name;       // cut to 198 or 202 characters
  std::string extension;  // the source extension cut to 8 characters
};

ZakName ZakNameFor(const NameParts& source);

// n-th candidate: name(n) + extension + ".zak" in `folder`.
std::filesystem::path ZakCandidate(const std::filesystem::path& folder, const ZakName& zak, unsigned n);

// n-th candidate for an intermediate: name(n) + ".zak" in `folder`.
std::filesystem::path IntermediateCandidate(const std::filesystem::path& folder, const std::string& name, unsigned n);

}  // namespace engine

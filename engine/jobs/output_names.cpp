#include "engine/jobs/output_names.h"

#include "engine/format/save_key_format.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace engine {

namespace {

constexpr std::size_t kMaxDecryptedName = 210;

}  // namespace

std::string NameCounter(unsigned n) {
  if (n == 0) return {};
  std::string counter = "(";
  counter += std::to_string(n);
  counter += ')';
  return counter;
}

NameParts SplitFileName(const std::filesystem::path& file) {
  const std::string full = platform::PathToUtf8(file.filename());
  const std::size_t dot = full.rfind('.');
  if (dot == std::string::npos) return {full, {}};
  return {full.substr(0, dot), full.substr(dot)};
}

std::optional<std::string> StoredExtension(const std::string& utf8Extension) {
  std::optional<std::string> gbk = platform::Utf8ToGbk(utf8Extension);
  if (!gbk) return std::nullopt;
  gbk->resize(platform::GbkCutLength(*gbk, kMaxExtension));
  return gbk;
}

std::filesystem::path NumberedCandidate(const std::filesystem::path& folder, const std::string& base,
                                        const std::string& tail, unsigned n) {
  return folder / platform::Utf8ToPath(base + NameCounter(n) + tail);
}

std::filesystem::path ContainerCandidate(const std::filesystem::path& folder, const std::string& name, unsigned n) {
  return NumberedCandidate(folder, platform::Utf8Prefix(name, kMaxBaseName), ".jmz", n);
}

std::filesystem::path DecryptedCandidate(const std::filesystem::path& folder, const std::string& name,
                                         const std::string& extension, unsigned n) {
  std::string base = platform::Utf8Prefix(name, kMaxBaseName);
  const std::size_t extChars = platform::Utf8CharCount(extension);
  if (platform::Utf8CharCount(base) + extChars > kMaxDecryptedName)
    base = platform::Utf8Prefix(base, kMaxDecryptedName - extChars);
  return NumberedCandidate(folder, base, extension, n);
}

}  // namespace engine

// Names of the files the jobs write: never an existing one; a taken name gets
// "(n)" before its extension with the first free n = 1, 2, ...
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace engine {

// A file name split at its last dot, in UTF-8: "report.docx" → "report", ".docx".
struct NameParts {
  std::string name;
  std::string extension;  // with its dot, or empty
};

NameParts SplitFileName(const std::filesystem::path& file);

// The name of a container or a decrypted file keeps at most this many characters.
constexpr std::size_t kMaxBaseName = 202;

// The source extension as stored in a save-key container: GBK bytes cut to
// 215 without splitting a character. Empty when GBK cannot write it.
std::optional<std::string> StoredExtension(const std::string& utf8Extension);

// "(n)" for n > 0, nothing for 0.
std::string NameCounter(unsigned n);

// n-th candidate of a numbered name: base + "(n)" + tail, in `folder`.
std::filesystem::path NumberedCandidate(const std::filesystem::path& folder, const std::string& base,
                                        const std::string& tail, unsigned n);

// n-th candidate for a container: "name.jmz", "name(1).jmz", ...
std::filesystem::path ContainerCandidate(const std::filesystem::path& folder, const std::string& name, unsigned n);

// n-th candidate for a decrypted file: "name.ext", "name(1).ext", ...; the
// name is cut so that name and extension keep at most 210 characters.
std::filesystem::path DecryptedCandidate(const std::filesystem::path& folder, const std::string& name,
                                         const std::string& extension, unsigned n);

}  // namespace engine

// Names around a package: the name stored in its header, the executable's
// name, and the rule that replaces a damaged carried name.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace sfx {

constexpr std::size_t kMaxStoredBase = 202;

struct PackNames {
  std::string storedName;  // GBK bytes for the header, at most 216
  std::string base;        // UTF-8 base of the executable's name, after the 202-byte cut
};

// From the chosen .jmz file's name. Empty when GBK cannot write the name.
std::optional<PackNames> MakePackNames(const std::filesystem::path& jmzFile);

// n-th candidate for the package: "B.exe", "B(1).exe", ...
std::filesystem::path PackageCandidate(const std::filesystem::path& folder, const std::string& base, unsigned n);

// The name a damaged carried name is replaced by.
inline constexpr const char* kDamagedName = "乱名(被破坏,有错误).jmz";

// A carried name is damaged when it is empty, is no valid GBK, or could not
// serve as one file name in a folder: a path separator, a drive colon, a
// wildcard, a quote, a control character, a trailing dot or blank, only
// dots, or a reserved device name.
bool IsDamagedName(const std::string& gbkName);

// The carried name as UTF-8 for display (invalid bytes shown as '?').
std::string CarriedNameText(const std::string& gbkName);

// The name a command uses: the carried name, or the replacement when damaged.
std::string UsableCarriedName(const std::string& gbkName);

}  // namespace sfx

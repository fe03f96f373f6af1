#include "platform/stale_parts.h"

#include <algorithm>

namespace platform {

bool IsStagedOutputName(std::string_view name) {
  constexpr std::string_view kPrefix = "~xcjm-", kSuffix = ".part";
  constexpr std::size_t kDigits = 16;
  if (name.size() != kPrefix.size() + kDigits + kSuffix.size()) return false;
  if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) return false;
  const std::string_view digits = name.substr(kPrefix.size(), kDigits);
  return std::all_of(digits.begin(), digits.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

std::size_t RemoveStaleStagedOutputs(const std::filesystem::path& folder, std::chrono::seconds minimumAge) {
  std::size_t removed = 0;
  std::error_code ec;
  const auto now = std::filesystem::file_time_type::clock::now();
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::filesystem::path& file = it->path();
    if (!IsStagedOutputName(file.filename().string())) continue;
    std::error_code entryError;
    if (!it->is_regular_file(entryError) || entryError) continue;
    const auto written = std::filesystem::last_write_time(file, entryError);
    if (entryError || now - written < minimumAge) continue;
    removed += DeleteUnlessHeld(file) ? 1 : 0;
  }
  return removed;
}

}  // namespace platform

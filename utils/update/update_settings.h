// What a window learns from the two sites' settings files: the announced
// version, the update notice, four general notices and three extra web
// addresses. Every slot is filled only while it is still empty, so the file
// read first wins.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "utils/update/profile_ini.h"

namespace utils {

// Versions above this one are announced.
inline constexpr std::int32_t kOwnVersion = 42560;
// Longest address and notice taken from a file, in characters.
inline constexpr std::size_t kAddressLength = 212;
inline constexpr std::size_t kNoticeLength = 512;

struct UpdateState {
  std::int32_t announcedVersion = 0;
  std::string updateNotice;
  std::string orbNotice12;
  std::string orbNotice3;
  std::string orbNotice5;
  std::string orbNotice6;
  std::string homeUrl;
  std::string helpUrl;
  std::string updateUrl;
};

// What one file asks the window to do.
struct UpdateOutcome {
  std::vector<std::string> logLines;  // for the log list, each " " + notice
  std::vector<std::string> notices;   // for ShowNotice, in their show order
};

// The update text used when the file's own text is empty.
std::string BuiltInUpdateText(std::string_view firstSite, std::string_view secondSite);

// Takes the values of one settings file into `state`.
UpdateOutcome ApplyUpdateSettings(UpdateState& state, const ProfileIni& ini, std::string_view firstSite,
                                  std::string_view secondSite);

// ProcessUpdateFile: reads the downloaded file (nothing when it does not
// exist), always deletes it, and applies it. A file that cannot be read
// leaves the notices empty and shows nothing.
UpdateOutcome ProcessUpdateFile(UpdateState& state, const std::filesystem::path& file, std::string_view firstSite,
                                std::string_view secondSite);

}  // namespace utils

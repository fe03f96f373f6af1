// Staged outputs that a killed process left behind. A staged output is
// "~xcjm-<16 hex digits>.part"; while its process runs, the file is held (open
// on Windows, locked on other systems), so only abandoned ones can go.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string_view>

namespace platform {

// True for the name a staged output takes while it is written.
bool IsStagedOutputName(std::string_view name);

// Removes the staged outputs in `folder` that no process holds and that were
// last written at least `minimumAge` ago (a finished output is unheld for
// the moment between its close and its rename). Returns how many went.
std::size_t RemoveStaleStagedOutputs(const std::filesystem::path& folder, std::chrono::seconds minimumAge);

// Deletes `file` unless a process holds it. False when held or not deleted.
bool DeleteUnlessHeld(const std::filesystem::path& file);

}  // namespace platform

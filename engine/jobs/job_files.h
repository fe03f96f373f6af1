// File routines shared by the jobs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "engine/jobs/job_host.h"

namespace engine {

// CheckJobFileSize: a size of 1 byte .. 4 GiB passes (false); an empty or a
// larger file is reported with its text (which the caller ends with the
// path) and refused (true).
bool CheckJobFileSize(JobHost& host, std::uint64_t size, std::string_view emptyText, std::string_view tooBigText);

// The same for files that carry a container: the upper limit is a 4 GiB
// payload with the largest framing a reader tolerates.
bool CheckContainerFileSize(JobHost& host, std::uint64_t size, std::string_view emptyText,
                            std::string_view tooBigText);

// TempDirectory: the system's temporary folder with doubled separators
// collapsed, ending in one separator, created when missing; the program's own
// folder when that fails.
std::filesystem::path TempDirectory();

// Removes the staged outputs that killed processes of this program left in
// the temporary folder; run once when a program starts.
void RemoveStaleIntermediates() noexcept;

}  // namespace engine

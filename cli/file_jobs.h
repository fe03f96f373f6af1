// Running one job per file, each in a window of its own, as the program does
// with a window per file; shared by every jmz command that works on files.
#pragma once

#include <filesystem>
#include <functional>

#include "cli/options.h"
#include "engine/jobs/job_window.h"

namespace cli {

using FileJob = std::function<void(const std::filesystem::path& file, engine::JobWindow& window)>;

// The folder a file's result goes to: -o, else the file's own folder.
std::filesystem::path OutputFolderFor(const Options& o, const std::filesystem::path& file);

// Runs `job` for every file, up to `o.jobs` at once; true when every file
// reported its completion.
bool RunFileJobs(const Options& o, const FileJob& job);

}  // namespace cli

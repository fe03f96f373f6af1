// Where a job's result went. A window keeps the output folder of its first
// batch, so a later file's result may land far from that file; the log then
// names the result after the completion line.
#pragma once

#include <filesystem>

#include "engine/jobs/job_host.h"

namespace engine {

// True when `result` lies in the folder of `source`.
bool BesideSource(const std::filesystem::path& source, const std::filesystem::path& result);

// Logs "  结果文件已保存到:" + the result's path unless it lies beside its
// source, for a host that wants it.
void LogResultPlace(JobHost& host, const std::filesystem::path& source, const std::filesystem::path& result);

}  // namespace engine

// The part of a window that a job runs on: its host, its job state and its
// compression component.
#pragma once

#include <filesystem>
#include <string>

#include "engine/jobs/job_host.h"
#include "engine/jobs/job_state.h"
#include "engine/compression/zn_zip.h"
#include "platform/paths.h"

namespace engine {

struct JobWindow {
  JobHost& host;
  JobState& state;
  TZnZip& zip;  // ZnZip1
};

// The full path of a file as the log shows it.
inline std::string DisplayPath(const std::filesystem::path& file) {
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(file, ec);
  return platform::PathToUtf8(ec ? file : full.lexically_normal());
}

}  // namespace engine

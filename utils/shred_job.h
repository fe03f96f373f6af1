// The shredding batch: each confirmed file is overwritten once with zeros,
// flushed to the device, deleted, re-created with one byte and deleted again.
#pragma once

#include <filesystem>
#include <functional>
#include <vector>

#include "engine/jobs/job_host.h"
#include "engine/jobs/job_state.h"

namespace utils {

inline constexpr std::size_t kZeroBlock = 65535;

struct ShredWindow {
  engine::JobHost& host;
  engine::JobState& state;
  // delfl's tag and caption: true = 1, "停止粉碎文件"; false = 0, idle caption.
  std::function<void(bool running)> delflRunning = [](bool) {};
  // Deletes a file; true when it is gone (tests make it fail).
  std::function<bool(const std::filesystem::path&)> deleteFile = {};
};

// ShredBatch: locks the controls, shreds the files while the idle flag stays
// false, then ShredBatchEnd.
void ShredBatch(ShredWindow& w, const std::vector<std::filesystem::path>& files);
// ShredFile: asks, overwrites, flushes, deletes and reports one file.
void ShredFile(ShredWindow& w, const std::filesystem::path& file);
// ShredBatchEnd: delfl idle again, idle flag set, controls unlocked.
void ShredBatchEnd(ShredWindow& w);

}  // namespace utils

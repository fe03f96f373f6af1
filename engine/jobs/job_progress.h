// The progress bar of a job: about 100 updates per job, and a percentage bar
// for jobs too large for the bar's signed 32-bit range.
#pragma once

#include <cstdint>

#include "engine/jobs/job_host.h"

namespace engine {

// 0 when nothing is done or the total is 0, 100 when all is done, otherwise
// position ÷ (total ÷ 100) rounded to the nearest integer.
int Percentage(std::uint64_t total, std::uint64_t position);

class JobProgress {
 public:
  // Jobs larger than this show a percentage (maximum 100).
  static constexpr std::uint64_t kLargestByteRange = 2147483646;

  explicit JobProgress(JobHost& host) : host_(host) {}

  // ProgressInit: the bar's range for a job of `total` bytes, position 0.
  void Init(std::uint64_t total);
  // ProgressStep: moves the bar to `position` once about 1 % more is done.
  void Step(std::uint64_t position, std::uint64_t increment);
  // The bar to its maximum.
  void Complete();
  // The compression component's begin and process events (no throttling).
  void ZnZip1Begin(std::uint64_t total);
  void ZnZip1Process(std::uint64_t done);

 private:
  void Show(std::uint64_t position);

  JobHost& host_;
  std::uint64_t total_ = 0;
  std::uint64_t threshold_ = 0;
  std::int64_t accumulator_ = -1;
};

}  // namespace engine

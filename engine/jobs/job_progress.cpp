#include "engine/jobs/job_progress.h"

#include <cmath>

namespace engine {

int Percentage(std::uint64_t total, std::uint64_t position) {
  if (position == 0 || total == 0) return 0;
  if (position == total) return 100;
  return static_cast<int>(std::lround(static_cast<double>(position) / (static_cast<double>(total) / 100.0)));
}

void JobProgress::Init(std::uint64_t total) {
  total_ = total;
  threshold_ = total / 100;
  accumulator_ = -1;
  host_.SetProgressRange(total > kLargestByteRange ? 100 : static_cast<std::int32_t>(total));
  host_.SetProgressPosition(0);
}

void JobProgress::Step(std::uint64_t position, std::uint64_t increment) {
  accumulator_ += static_cast<std::int64_t>(increment);
  if (accumulator_ < static_cast<std::int64_t>(threshold_)) return;
  Show(position);
  accumulator_ = -1;
}

void JobProgress::Complete() { Show(total_); }

void JobProgress::ZnZip1Begin(std::uint64_t total) {
  total_ = total;
  host_.SetProgressRange(total > kLargestByteRange ? 100 : static_cast<std::int32_t>(total));
}

void JobProgress::ZnZip1Process(std::uint64_t done) { Show(done); }

void JobProgress::Show(std::uint64_t position) {
  host_.SetProgressPosition(total_ > kLargestByteRange ? Percentage(total_, position)
                                                       : static_cast<std::int32_t>(position));
}

}  // namespace engine

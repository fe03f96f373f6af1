// One status line on standard error showing every running job's progress,
// when standard error is a terminal; log lines on standard output; error
// lines on standard error. Quiet keeps only the error lines.
#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <string>

namespace cli {

class ProgressDisplay {
 public:
  explicit ProgressDisplay(bool quiet = false);

  // Job `id` (its file name) is at `percent` of its current stage.
  void Update(int id, const std::string& name, int percent);
  // Job `id` has ended; its part of the line goes.
  void Remove(int id);
  // Writes a log line to standard output above the status line.
  void PrintLine(const std::string& line);
  // Writes a finished line (ending in a line break) to standard error.
  void PrintError(const std::string& line);

 private:
  void Redraw(bool force);
  void Clear();

  std::mutex mutex_;
  bool quiet_;
  bool enabled_;
  std::map<int, std::pair<std::string, int>> jobs_;
  std::size_t drawnWidth_ = 0;
  std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace cli

#include "cli/progress_display.h"

#include "cli/terminal.h"
#include "platform/text.h"

namespace cli {

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr std::size_t kNameWidth = 24;

std::string Bar(int percent) {
  constexpr std::size_t kWidth = 20;
  const std::size_t filled = static_cast<std::size_t>(percent) * kWidth / 100;
  std::string bar(1, '[');
  bar.append(filled, '#').append(kWidth - filled, '.').append("] ").append(std::to_string(percent)).append(1, '%');
  return bar;
}

}  // namespace

ProgressDisplay::ProgressDisplay(bool quiet) : quiet_(quiet), enabled_(!quiet && ErrorIsInteractive()) {}

void ProgressDisplay::Update(int id, const std::string& name, int percent) {
  std::lock_guard<std::mutex> lock(mutex_);
  jobs_[id] = {name, percent};
  Redraw(false);
}

void ProgressDisplay::Remove(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  jobs_.erase(id);
  Redraw(true);
}

void ProgressDisplay::PrintLine(const std::string& line) {
  if (quiet_) return;
  std::lock_guard<std::mutex> lock(mutex_);
  Clear();
  WriteOut(line + "\n");
  Redraw(true);
}

void ProgressDisplay::PrintError(const std::string& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  Clear();
  WriteErr(line);
  Redraw(true);
}

void ProgressDisplay::Clear() {
  if (!enabled_ || drawnWidth_ == 0) return;
  std::string blank(1, '\r');
  blank.append(drawnWidth_, ' ').append(1, '\r');
  WriteErr(blank);
  drawnWidth_ = 0;
}

void ProgressDisplay::Redraw(bool force) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && now - lastDraw_ < kRedrawInterval) return;
  lastDraw_ = now;
  std::string text;
  for (const auto& [id, job] : jobs_) {
    if (!text.empty()) text += "  ";
    text.append(platform::Utf8Prefix(job.first, kNameWidth)).append(1, ' ').append(Bar(job.second));
  }
  Clear();
  if (text.empty()) return;
  WriteErr(text);
  // Chinese characters take two columns; counting bytes over-clears, which is harmless.
  drawnWidth_ = text.size();
}

}  // namespace cli

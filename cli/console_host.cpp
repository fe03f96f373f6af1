#include "cli/console_host.h"

#include "cli/terminal.h"
#include "engine/job_progress.h"

namespace cli {

namespace {

constexpr std::string_view kVersionCaption = "加密算法";
// Every line that ends a file successfully says so.
constexpr std::string_view kDone = "已完成:";

}  // namespace

bool QuestionDesk::Ask(const std::string& caption, const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (answer_ != Answer::kAsk) return answer_ == Answer::kYes;
  if (!InputIsInteractive()) return false;
  const std::optional<std::string> reply = ReadTerminalLine(caption + ": " + text + " [y/N] ", false);
  return reply && !reply->empty() && (reply->front() == 'y' || reply->front() == 'Y');
}

ConsoleHost::ConsoleHost(ProgressDisplay& display, QuestionDesk& desk, int id, std::string name,
                         std::deque<bool> versionAnswers)
    : display_(display), desk_(desk), id_(id), name_(std::move(name)), versionAnswers_(std::move(versionAnswers)) {}

ConsoleHost::~ConsoleHost() { display_.Remove(id_); }

void ConsoleHost::LogLine(const std::string& text) {
  if (text.find(kDone) != std::string::npos) ++completed_;
  display_.PrintLine(text);
}

void ConsoleHost::ShowNotice(const std::string& text) { display_.PrintLine(text); }

void ConsoleHost::SetProgressPosition(std::int32_t position) {
  if (max_ <= 0) return;
  display_.Update(id_, name_, engine::Percentage(static_cast<std::uint64_t>(max_), static_cast<std::uint64_t>(position)));
}

bool ConsoleHost::AskYesNo(const std::string& caption, const std::string& text) {
  if (caption == kVersionCaption && !versionAnswers_.empty()) {
    const bool answer = versionAnswers_.front();
    versionAnswers_.pop_front();
    return answer;
  }
  return desk_.Ask(caption, text);
}

}  // namespace cli

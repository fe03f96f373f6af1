#include "cli/console_host.h"

#include "cli/error_line.h"
#include "cli/terminal.h"
#include "engine/jobs/job_progress.h"

namespace cli {

namespace {

constexpr std::string_view kVersionCaption = "加密算法";

}  // namespace

bool QuestionDesk::Ask(const std::string& caption, const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (answer_ != Answer::kAsk) return answer_ == Answer::kYes;
  if (!InputIsInteractive()) return false;
  const std::optional<std::string> reply = ReadTerminalLine(caption + ": " + text + " [y/N] ", false);
  return reply && !reply->empty() && (reply->front() == 'y' || reply->front() == 'Y');
}

ConsoleHost::ConsoleHost(ProgressDisplay& display, QuestionDesk& desk, int id, std::string name,
                         std::deque<bool> versionAnswers, std::vector<std::string> paths, bool eachLineEndsAFile)
    : display_(display),
      desk_(desk),
      id_(id),
      name_(std::move(name)),
      versionAnswers_(std::move(versionAnswers)),
      paths_(std::move(paths)),
      eachLineEndsAFile_(eachLineEndsAFile) {}

ConsoleHost::~ConsoleHost() {
  EndFile();
  display_.Remove(id_);
}

void ConsoleHost::EndFile() {
  if (!failure_.empty()) display_.PrintError(ErrorLine(failure_, paths_, cause_));
  failure_.clear();
  cause_.clear();
}

void ConsoleHost::LogLine(const std::string& text) {
  display_.PrintLine(text);
  // A later line of the same file may still end it well (a decryption that
  // falls back to expanding a compressed file).
  if (IsSuccessLine(text)) {
    ++completed_;
    failure_.clear();
    cause_.clear();
    return;
  }
  failure_ = text;
  if (eachLineEndsAFile_) EndFile();
}

void ConsoleHost::ShowNotice(const std::string& text) {
  display_.PrintLine(text);
  if (failure_.empty()) failure_ = text;
}

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

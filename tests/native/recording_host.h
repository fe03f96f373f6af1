// A job host that records what a job shows, and answers its questions from
// a list, so tests can assert the exact log lines and their order.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "engine/jobs/job_host.h"

namespace testing_support {

class RecordingHost final : public engine::JobHost {
 public:
  // Everything in order, e.g. "log:..." "panel:..." "lock:1" "unlock:1" "ask:caption|text".
  std::vector<std::string> events;
  std::vector<std::string> log;
  std::deque<bool> answers;  // for AskYesNo; "no" when empty
  std::vector<std::string> questions;
  int beeps = 0;
  std::int32_t progressMax = 0;
  std::int32_t progressPosition = 0;
  int progressUpdates = 0;
  bool namesResultsAway = false;
  bool NamesResultsAwayFromSource() const override { return namesResultsAway; }
  // Called at every progress position change (a test may cancel from here).
  std::function<void(std::int32_t)> onProgress;

  void LogLine(const std::string& text) override {
    Add("log:" + text);
    log.push_back(text);
  }
  void ShowNotice(const std::string& text) override { Add("notice:" + text); }
  void SetStatusPanel(const std::string& text) override { Add("panel:" + text); }
  void SetStatusHint(const std::string& text) override { Add("statushint:" + text); }
  void SetProgressHint(const std::string& text) override { Add("progresshint:" + text); }
  void SetProgressRange(std::int32_t max) override { progressMax = max; }
  void SetProgressPosition(std::int32_t position) override {
    progressPosition = position;
    ++progressUpdates;
    if (onProgress) onProgress(position);
  }
  bool AskYesNo(const std::string& caption, const std::string& text) override {
    Add("ask:" + caption + "|" + text);
    questions.push_back(text);
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void Beep() override {
    Add("beep");
    ++beeps;
  }
  void SetJobControls(engine::JobControl trigger, bool enabled) override {
    Add(std::string(enabled ? "unlock:" : "lock:") + std::to_string(static_cast<int>(trigger)));
  }
  void ResetDecryptButtons() override { Add("resetdecrypt"); }
  void NoKeyFileStarted(engine::NoKeyMode mode) override {
    Add(std::string("nokeystart:") + (mode == engine::NoKeyMode::kEncrypt ? "e" : "d"));
  }
  void NoKeyMenuRestore(engine::NoKeyMode mode) override {
    Add(std::string("nokeyrestore:") + (mode == engine::NoKeyMode::kEncrypt ? "e" : "d"));
  }
  void Pause(int) override {}

  // The events of one kind ("log", "lock", ...), without their prefix.
  std::vector<std::string> Events(const std::string& kind) const {
    std::vector<std::string> out;
    std::lock_guard<std::mutex> lock(mutex_);
    for (const std::string& e : events)
      if (e.rfind(kind + ":", 0) == 0) out.push_back(e.substr(kind.size() + 1));
    return out;
  }

 private:
  void Add(std::string e) {
    std::lock_guard<std::mutex> lock(mutex_);
    events.push_back(std::move(e));
  }
  mutable std::mutex mutex_;
};

}  // namespace testing_support

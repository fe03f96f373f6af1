// The jmz tool's side of a job: log lines on standard output, progress on
// standard error, questions at the terminal or answered by the options.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/progress_display.h"
#include "engine/jobs/job_host.h"

namespace cli {

// Asks the jobs' questions one at a time.
class QuestionDesk {
 public:
  explicit QuestionDesk(Answer answer) : answer_(answer) {}
  bool Ask(const std::string& caption, const std::string& text);

 private:
  std::mutex mutex_;
  Answer answer_;
};

class ConsoleHost final : public engine::JobHost {
 public:
  // `versionAnswers` answer the format-version questions (the version chosen
  // on the command line). `paths` are the log's names of the files the job
  // works on; with `eachLineEndsAFile` (a batch whose files log one line
  // each) every failure line is reported at once, otherwise at EndFile.
  ConsoleHost(ProgressDisplay& display, QuestionDesk& desk, int id, std::string name, std::deque<bool> versionAnswers,
              std::vector<std::string> paths = {}, bool eachLineEndsAFile = false);
  ~ConsoleHost() override;

  // Files the job reported as done.
  int Completed() const { return completed_; }
  // The file ended: a failure it logged goes to standard error as one line.
  void EndFile();

  void LogLine(const std::string& text) override;
  void ShowNotice(const std::string& text) override;
  void SetStatusPanel(const std::string&) override {}
  void SetStatusHint(const std::string&) override {}
  void SetProgressHint(const std::string&) override {}
  void SetProgressRange(std::int32_t max) override { max_ = max; }
  void SetProgressPosition(std::int32_t position) override;
  bool AskYesNo(const std::string& caption, const std::string& text) override;
  void Beep() override {}
  void SetJobControls(engine::JobControl, bool) override {}
  void ResetDecryptButtons() override {}
  void NoKeyFileStarted(engine::NoKeyMode) override {}
  void NoKeyMenuRestore(engine::NoKeyMode) override {}
  void Pause(int) override {}
  void ReportCause(const std::string& cause) override { cause_ = cause; }

 private:
  ProgressDisplay& display_;
  QuestionDesk& desk_;
  int id_;
  std::string name_;
  std::deque<bool> versionAnswers_;
  std::vector<std::string> paths_;
  bool eachLineEndsAFile_;
  std::string failure_;  // the last failure line, until the file ends
  std::string cause_;
  std::int32_t max_ = 0;
  int completed_ = 0;
};

}  // namespace cli

// The log lines and status panel of one job. The job remembers the panel's
// text, because the lines that end a compression stage repeat it.
#pragma once

#include <string>

#include "engine/jobs/job_host.h"

namespace engine {

class JobReport {
 public:
  explicit JobReport(JobHost& host) : host_(host) {}

  // A log line; it also becomes the panel's text.
  void Log(const std::string& text) {
    status_ = text;
    host_.LogLine(text);
  }
  // The second panel of the status bar.
  void Status(std::string text) {
    status_ = std::move(text);
    host_.SetStatusPanel(status_);
  }
  const std::string& StatusText() const { return status_; }

 private:
  JobHost& host_;
  std::string status_;
};

}  // namespace engine

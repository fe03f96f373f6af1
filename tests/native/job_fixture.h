// A folder of its own for each job test, a temporary folder inside it (so a
// test sees every intermediate a job leaves), and a window to run jobs on.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/jobs/job_window.h"
#include "recording_host.h"

namespace testing_support {

namespace fs = std::filesystem;

class JobTest : public testing::Test {
 protected:
  void SetUp() override {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / (std::string("xcjm-job-") + info->test_suite_name() + "-" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "out");
    fs::create_directories(dir_ / "tmp");
    if (const char* old = std::getenv("TMPDIR")) oldTmp_ = old;
    ::setenv("TMPDIR", (dir_ / "tmp").c_str(), 1);
  }

  void TearDown() override {
    if (oldTmp_.empty())
      ::unsetenv("TMPDIR");
    else
      ::setenv("TMPDIR", oldTmp_.c_str(), 1);
    fs::remove_all(dir_);
  }

  fs::path Path(const std::string& name) const { return dir_ / fs::u8path(name); }
  std::string Display(const std::string& name) const { return engine::DisplayPath(Path(name)); }

  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }

  std::string Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::vector<std::string> Names(const std::string& sub) const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(Path(sub))) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  engine::JobWindow Window() { return engine::JobWindow{host_, state_, zip_}; }

  RecordingHost host_;
  engine::JobState state_;
  engine::TZnZip zip_;
  fs::path dir_;

 private:
  std::string oldTmp_;
};

// Writes beyond `bytes` fail with EFBIG for as long as it lives: a disk that
// fills up under a running job.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit limited = saved_;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }

 private:
  rlimit saved_{};
};

// Deterministic bytes, partly compressible.
inline std::string Content(std::size_t n, unsigned seed = 1) {
  std::string s(n, '\0');
  std::uint32_t x = seed * 2654435761u + 1;
  for (std::size_t i = 0; i < n; ++i) {
    x = x * 1664525u + 1013904223u;
    s[i] = (i / 64) % 2 ? static_cast<char>('a' + (i % 26)) : static_cast<char>(x >> 24);
  }
  return s;
}

}  // namespace testing_support

// A folder of its own for each jmz test (with out/ inside), jmz run in the
// test's process with its standard output captured, and file helpers.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/jmz.h"

namespace testing_support {

class JmzFixture : public testing::Test {
 protected:
  struct Outcome {
    int status;
    std::string out;
  };

  void SetUp() override {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           ("xcjm-cli-" + std::string(info->test_suite_name()) + "-" + info->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_ / "out");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  Outcome Jmz(std::vector<std::string> args) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status = cli::RunJmz(args);
    Outcome r{status, testing::internal::GetCapturedStdout()};
    testing::internal::GetCapturedStderr();
    return r;
  }

  std::string P(const std::string& name) const {
    return (dir_ / std::filesystem::u8path(name)).lexically_normal().string();
  }
  void Write(const std::string& name, const std::string& bytes) { std::ofstream(P(name), std::ios::binary) << bytes; }
  std::string Read(const std::string& name) const {
    std::ifstream in(P(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::vector<std::string> Names(const std::string& sub) const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_ / sub)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::filesystem::path dir_;
};

}  // namespace testing_support

// GBK conversion and the staged outputs that keep partial files out of sight.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "platform/paths.h"
#include "platform/read_at_file.h"
#include "platform/stale_parts.h"
#include "platform/staged_output.h"
#include "platform/text.h"

namespace {

namespace fs = std::filesystem;

TEST(GbkText, ConvertsBothWaysAndRefusesWhatGbkLacks) {
  const std::string gbk = "\xD0\xC7\xB3\xBE\xBC\xD3\xC3\xDC";
  EXPECT_EQ(platform::Utf8ToGbk("星尘加密"), gbk);
  EXPECT_EQ(platform::GbkToUtf8(gbk), "星尘加密");
  EXPECT_EQ(platform::Utf8ToGbk("key\r\n€"), std::string("key\r\n\x80"));
  EXPECT_EQ(platform::Utf8ToGbk(""), std::string());
  EXPECT_FALSE(platform::Utf8ToGbk("smile \xF0\x9F\x98\x80"));
  EXPECT_FALSE(platform::Utf8ToGbk("\xC3"));                   // broken UTF-8
  EXPECT_FALSE(platform::GbkToUtf8("\xD0"));                   // lead byte without its trail
  EXPECT_FALSE(platform::GbkToUtf8(std::string("\xFF\xFF")));  // no such character
}

TEST(GbkText, CutsNeverSplitACharacter) {
  const std::string gbk = *platform::Utf8ToGbk("a星b尘");  // 1 + 2 + 1 + 2 bytes
  EXPECT_EQ(platform::GbkCutLength(gbk, 0), 0u);
  EXPECT_EQ(platform::GbkCutLength(gbk, 2), 1u);
  EXPECT_EQ(platform::GbkCutLength(gbk, 3), 3u);
  EXPECT_EQ(platform::GbkCutLength(gbk, 5), 4u);
  EXPECT_EQ(platform::GbkCutLength(gbk, 99), 6u);
  EXPECT_EQ(platform::GbkCharCount(gbk), 4u);
  EXPECT_EQ(platform::Utf8Prefix("a星b尘", 2), "a星");
  EXPECT_EQ(platform::Utf8CharCount("a星b尘"), 4u);
}

class StagedOutputTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("xcjm-staged-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                        "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(platform::PathToUtf8(e.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
  }

  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path dir_;
};

TEST_F(StagedOutputTest, ResultAppearsOnlyOnCommitUnderTheFirstFreeName) {
  std::ofstream(dir_ / "a.jmz") << "taken";
  auto candidate = [this](unsigned n) { return dir_ / (n ? "a(" + std::to_string(n) + ").jmz" : "a.jmz"); };
  {
    platform::StagedOutput out(dir_);
    out.Write("new", 3);
    EXPECT_EQ(Names().size(), 2u);  // a.jmz and the hidden temporary
    EXPECT_EQ(out.Commit(candidate), dir_ / "a(1).jmz");
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"a(1).jmz", "a.jmz"}));
  EXPECT_EQ(Read(dir_ / "a.jmz"), "taken");
  EXPECT_EQ(Read(dir_ / "a(1).jmz"), "new");
}

// A range of another file is appended inside the system, between writes of
// the process's own; it stops early where the source ends.
TEST_F(StagedOutputTest, CopyFromAppendsARangeOfAnotherFile) {
  std::ofstream(dir_ / "src.bin", std::ios::binary) << "0123456789";
  platform::ReadAtFile source(dir_ / "src.bin");
  platform::StagedOutput out(dir_);
  out.Write("<", 1);
  EXPECT_EQ(out.CopyFrom(source, 3, 4), 4u);
  out.Write(">", 1);
  EXPECT_EQ(out.CopyFrom(source, 8, 5), 2u);
  EXPECT_EQ(out.BytesWritten(), 8u);
  out.CommitReplacing(dir_ / "out.bin");
  EXPECT_EQ(Read(dir_ / "out.bin"), "<3456>89");
}

TEST_F(StagedOutputTest, AnUncommittedOutputLeavesNothing) {
  {
    platform::StagedOutput out(dir_);
    out.Write("partial", 7);
  }
  EXPECT_TRUE(Names().empty());
}

TEST_F(StagedOutputTest, ParallelJobsNeverClaimTheSameName) {
  constexpr int kJobs = 8;
  std::vector<std::thread> jobs;
  for (int i = 0; i < kJobs; ++i) {
    jobs.emplace_back([this, i] {
      platform::StagedOutput out(dir_);
      const std::string body = std::to_string(i);
      out.Write(body.data(), body.size());
      out.Commit([this](unsigned n) { return dir_ / (n ? "a(" + std::to_string(n) + ").jmz" : "a.jmz"); });
    });
  }
  for (auto& j : jobs) j.join();
  const std::vector<std::string> names = Names();
  ASSERT_EQ(names.size(), static_cast<std::size_t>(kJobs));
  std::set<std::string> bodies;
  for (const std::string& n : names) bodies.insert(Read(dir_ / n));
  EXPECT_EQ(bodies.size(), static_cast<std::size_t>(kJobs));
}

TEST_F(StagedOutputTest, CreateNewRefusesAnExistingFile) {
  std::ofstream(dir_ / "x") << "x";
  EXPECT_FALSE(platform::OutputFile::CreateNew(dir_ / "x"));
  EXPECT_TRUE(platform::OutputFile::CreateNew(dir_ / "y"));
  EXPECT_TRUE(platform::DeleteIfExists(dir_ / "y"));
  EXPECT_TRUE(platform::DeleteIfExists(dir_ / "never-there"));
}

TEST_F(StagedOutputTest, StartUpRemovesOnlyAbandonedStagedOutputsOfThisProgram) {
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
  const auto make = [&](const std::string& name, bool aged) {
    std::ofstream(dir_ / name) << "x";
    if (aged) fs::last_write_time(dir_ / name, old);
  };
  make("~xcjm-0123456789abcdef.part", true);   // abandoned: goes
  make("~xcjm-1111111111111111.part", false);  // written just now: may be about to be renamed
  make("~xcjm-0123456789ABCDEF.part", true);   // not a name this program makes
  make("~xcjm-0123.part", true);
  make("report.part", true);
  // A running job's staged output is held, however old.
  platform::StagedOutput running(dir_);
  running.Write("y", 1);
  for (const auto& e : fs::directory_iterator(dir_))
    if (e.path().filename() != "~xcjm-1111111111111111.part") fs::last_write_time(e.path(), old);

  EXPECT_EQ(platform::RemoveStaleStagedOutputs(dir_, std::chrono::seconds(60)), 1u);
  const std::vector<std::string> left = Names();
  EXPECT_EQ(left.size(), 5u);
  EXPECT_EQ(std::count(left.begin(), left.end(), "~xcjm-0123456789abcdef.part"), 0);
  EXPECT_EQ(running.Commit([&](unsigned) { return dir_ / "done.bin"; }), dir_ / "done.bin");
}

}  // namespace

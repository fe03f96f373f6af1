// The progress bar's range, throttling and percentage mode, and the size checks.
#include <gtest/gtest.h>

#include "engine/jobs/job_files.h"
#include "engine/jobs/job_progress.h"
#include "recording_host.h"

namespace {

using testing_support::RecordingHost;

TEST(Percentage, RoundsToTheNearestAndPinsTheEnds) {
  EXPECT_EQ(engine::Percentage(0, 0), 0);
  EXPECT_EQ(engine::Percentage(1000, 0), 0);
  EXPECT_EQ(engine::Percentage(1000, 1000), 100);
  EXPECT_EQ(engine::Percentage(1000, 5), 1);   // 0.5 rounds away from zero
  EXPECT_EQ(engine::Percentage(1000, 4), 0);
  EXPECT_EQ(engine::Percentage(3000000000ull, 1500000000ull), 50);
  EXPECT_EQ(engine::Percentage(1000, 999), 100);
}

TEST(JobProgress, LargeJobsShowPercentSmallOnesBytes) {
  RecordingHost host;
  engine::JobProgress progress(host);
  progress.Init(3000000000ull);
  EXPECT_EQ(host.progressMax, 100);
  progress.Step(1500000000ull, 1500000000ull);
  EXPECT_EQ(host.progressPosition, 50);
  progress.Init(2000000000ull);
  EXPECT_EQ(host.progressMax, 2000000000);
  progress.Step(1000000000ull, 1000000000ull);
  EXPECT_EQ(host.progressPosition, 1000000000);
  progress.Init(engine::JobProgress::kLargestByteRange);
  EXPECT_EQ(host.progressMax, 2147483646);
  progress.Init(engine::JobProgress::kLargestByteRange + 1);
  EXPECT_EQ(host.progressMax, 100);
}

TEST(JobProgress, TheBarMovesAboutEveryPercent) {
  RecordingHost host;
  engine::JobProgress progress(host);
  progress.Init(50);
  host.progressUpdates = 0;
  for (int unit = 1; unit <= 12; ++unit) progress.Step(unit * 4, 4);
  EXPECT_EQ(host.progressUpdates, 12);  // under 100 bytes: after every unit

  progress.Init(100000);
  host.progressUpdates = 0;
  for (int unit = 1; unit <= 25000; ++unit) progress.Step(unit * 4, 4);
  EXPECT_GE(host.progressUpdates, 95);
  EXPECT_LE(host.progressUpdates, 101);
  progress.Complete();
  EXPECT_EQ(host.progressPosition, 100000);
}

TEST(CheckJobFileSize, AcceptsOneByteTo4GiBInclusive) {
  RecordingHost host;
  EXPECT_TRUE(engine::CheckJobFileSize(host, 0, "empty", "big"));
  EXPECT_FALSE(engine::CheckJobFileSize(host, 1, "empty", "big"));
  EXPECT_FALSE(engine::CheckJobFileSize(host, 4294967296ull, "empty", "big"));
  EXPECT_TRUE(engine::CheckJobFileSize(host, 4294967297ull, "empty", "big"));
  EXPECT_EQ(host.log, (std::vector<std::string>{"empty", "big"}));
  // A container of a 4 GiB payload is larger than 4 GiB and still accepted.
  EXPECT_FALSE(engine::CheckContainerFileSize(host, 4294967296ull + 37 + 4 + 24, "empty", "big"));
}

TEST(TempDirectory, IsAnExistingFolder) {
  const std::filesystem::path temp = engine::TempDirectory();
  EXPECT_TRUE(std::filesystem::is_directory(temp));
  EXPECT_TRUE(temp.filename().empty());  // ends in one separator
}

}  // namespace

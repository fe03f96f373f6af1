#include <gtest/gtest.h>
#include <sys/resource.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "recording_host.h"
#include "utils/shred_job.h"

namespace {

namespace fs = std::filesystem;
using testing_support::RecordingHost;

class Shred : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("shredtest-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    // Before each delete: what the overwrite left on the file.
    window_.deleteFile = [this](const fs::path& p) {
      std::ifstream in(p, std::ios::binary);
      std::string bytes((std::istreambuf_iterator<char>(in)), {});
      seen_.push_back(bytes);
      return failDelete_ ? false : fs::remove(p);
    };
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path Make(const std::string& name, std::size_t size) {
    const fs::path p = dir_ / name;
    std::ofstream(p, std::ios::binary) << std::string(size, 'x');
    return p;
  }
  std::string D(const fs::path& p) { return fs::absolute(p).lexically_normal().string(); }

  fs::path dir_;
  RecordingHost host_;
  engine::JobState state_;
  utils::ShredWindow window_{host_, state_};
  std::vector<std::string> seen_;
  bool failDelete_ = false;
};

TEST_F(Shred, ZeroesFlushesAndDeletesAtBlockBoundaries) {
  for (std::size_t size : {0u, 65535u, 65536u, 65537u}) {
    const fs::path p = Make("f" + std::to_string(size), size);
    host_.answers = {true};
    seen_.clear();
    utils::ShredBatch(window_, {p});
    EXPECT_FALSE(fs::exists(p)) << size;
    ASSERT_EQ(seen_.size(), 2u);
    EXPECT_EQ(seen_[0], std::string(size, '\0')) << size;
    EXPECT_EQ(seen_[1], std::string(1, '\0'));
    EXPECT_EQ(host_.log.back(), "粉碎文件已完成:" + D(p));
  }
  EXPECT_TRUE(state_.idleFlag);
}

// Large enough for the flushes that run beside the pass: still the whole
// file, once, in zeros, before it is deleted.
TEST_F(Shred, AFileFlushedInTheBackgroundIsZeroedWhole) {
  const std::size_t size = (72u << 20) + 3;
  const fs::path p = Make("big", size);
  host_.answers = {true};
  utils::ShredBatch(window_, {p});
  ASSERT_EQ(seen_.size(), 2u);
  EXPECT_EQ(seen_[0].size(), size);
  EXPECT_EQ(seen_[0].find_first_not_of('\0'), std::string::npos);
  EXPECT_EQ(host_.log, std::vector<std::string>{"粉碎文件已完成:" + D(p)});
  EXPECT_FALSE(fs::exists(p));
}

TEST_F(Shred, NoSkipsOnlyThatFileAndRefusalsLeaveFilesAlone) {
  const fs::path a = Make("a", 10), b = Make("b", 10), ro = Make("ro", 10), link = dir_ / "link";
  fs::permissions(ro, fs::perms::owner_read);
  fs::create_symlink(b, link);
  host_.answers = {false, true, true, true};
  utils::ShredBatch(window_, {a, ro, link, dir_});
  const std::string busy = "粉碎文件出错，已停止: 要粉碎的文件正在使用中或者有只读属性等:";
  EXPECT_EQ(host_.log, (std::vector<std::string>{"粉碎文件已取消:" + D(a), busy + D(ro), busy + D(link), busy + D(dir_)}));
  EXPECT_EQ(fs::file_size(a), 10u);
  EXPECT_EQ(fs::file_size(ro), 10u);
  EXPECT_EQ(fs::file_size(b), 10u);
  EXPECT_EQ(host_.questions.size(), 4u);
}

TEST_F(Shred, StopDuringSecondOfThreeSkipsTheThird) {
  const fs::path a = Make("a", 10), b = Make("b", 5000000), c = Make("c", 10);
  host_.answers = {true, true, true};
  host_.onProgress = [&](std::int32_t pos) {
    if (pos > 0 && host_.log.size() == 1) {
      state_.shredActive = false;
      utils::ShredBatchEnd(window_);
    }
  };
  utils::ShredBatch(window_, {a, b, c});
  EXPECT_EQ(host_.log, std::vector<std::string>{"粉碎文件已完成:" + D(a)});
  EXPECT_TRUE(fs::exists(b));
  EXPECT_EQ(fs::file_size(c), 10u);
  EXPECT_EQ(host_.questions.size(), 2u);
}

TEST_F(Shred, WriteFailureAndFailedDeleteAreErrorsNotCompletions) {
  const fs::path big = Make("big", 300000), d = Make("d", 10);
  host_.answers = {true, true};
  ::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 100000;  // writes past this offset fail with EFBIG
  ::setrlimit(RLIMIT_FSIZE, &small);
  utils::ShredBatch(window_, {big});
  ::setrlimit(RLIMIT_FSIZE, &old);
  failDelete_ = true;
  utils::ShredBatch(window_, {d});
  EXPECT_EQ(host_.log, (std::vector<std::string>{"粉碎文件出错，已停止:" + D(big),
                                                 "粉碎文件出错，已停止:文件不能被删除:" + D(d)}));
  EXPECT_TRUE(fs::exists(big));
  EXPECT_EQ(seen_, std::vector<std::string>{std::string(10, '\0')});
}

}  // namespace

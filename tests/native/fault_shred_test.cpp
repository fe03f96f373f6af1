// Shredding with one file call failing, for each call it makes. Its source is
// meant to go, so the rule differs from the other jobs: a failure leaves the
// file in place with its length and a zeroed front; a completion leaves it
// gone (only the second deletion, whose result is ignored, may leave the
// one-byte re-creation).
#include <errno.h>

#include "fault_layer.h"
#include "job_fixture.h"
#include "utils/shred_job.h"

namespace {

using testing_support::Content;
using testing_support::JobTest;
namespace faults = testing_support::faults;
using faults::Op;
namespace fs = std::filesystem;

class FaultShredTest : public JobTest {
 protected:
  // Shreds "a.bin" beside "keep.bin"; returns the log.
  std::vector<std::string> Shred() {
    testing_support::RecordingHost host;
    host.answers = {true};
    engine::JobState state;
    utils::ShredWindow w{host, state, [](bool) {}, nullptr};
    utils::ShredBatch(w, {Path("a.bin")});
    return host.log;
  }

  // True when `now` is `original` with a front of zeros.
  static bool ZeroedFront(const std::string& original, const std::string& now) {
    if (now.size() != original.size()) return false;
    const std::size_t firstKept = now.find_first_not_of('\0');
    return firstKept == std::string::npos || now.substr(firstKept) == original.substr(firstKept);
  }
};

TEST_F(FaultShredTest, AFailedCallLeavesTheFileOrCompletesWithoutIt) {
  const std::string original = Content(150000, 3);  // three blocks of zeros
  Write("keep.bin", "another file");
  Write("a.bin", original);
  faults::CountOnly();
  ASSERT_EQ(Shred(), std::vector<std::string>{"粉碎文件已完成:" + Display("a.bin")});
  faults::Off();
  std::vector<std::pair<Op, unsigned>> calls;
  for (Op op : faults::kOps) calls.emplace_back(op, faults::Calls(op));
  ASSERT_EQ(calls[2].second, 4u);  // three blocks and the one-byte re-creation

  for (const auto& [op, count] : calls) {
    for (unsigned k = 1; k <= count; ++k) {
      for (int error : {EIO, ENOSPC}) {
        SCOPED_TRACE(faults::Name(op) + " #" + std::to_string(k) + " errno " + std::to_string(error));
        Write("a.bin", original);
        faults::FailNth(op, k, error);
        const std::vector<std::string> log = Shred();
        faults::Off();
        ASSERT_TRUE(faults::Fired());
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(Read("keep.bin"), "another file");
        const bool secondDelete = op == Op::kDelete && k == 2;
        if (log[0] == "粉碎文件已完成:" + Display("a.bin")) {
          EXPECT_EQ(Names(""), (secondDelete ? std::vector<std::string>{"a.bin", "keep.bin", "out", "tmp"}
                                             : std::vector<std::string>{"keep.bin", "out", "tmp"}));
          if (secondDelete) {
            EXPECT_EQ(Read("a.bin"), std::string(1, '\0'));
          }
        } else {
          EXPECT_EQ(log[0].rfind("粉碎文件出错，已停止:", 0), 0u) << log[0];
          EXPECT_TRUE(ZeroedFront(original, Read("a.bin")));
          EXPECT_EQ(Names(""), (std::vector<std::string>{"a.bin", "keep.bin", "out", "tmp"}));
        }
      }
    }
  }
}

int OpenFiles() {
  int n = 0;
  for (const auto& e : fs::directory_iterator("/proc/self/fd")) n += e.path().filename() != "." ? 1 : 0;
  return n;
}

TEST_F(FaultShredTest, ARefusedFileIsNotKeptOpen) {
  Write("ro.bin", "read-only");
  fs::permissions(Path("ro.bin"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const int before = OpenFiles();
  testing_support::RecordingHost host;
  host.answers = {true};
  engine::JobState state;
  utils::ShredWindow w{host, state, [](bool) {}, nullptr};
  utils::ShredBatch(w, {Path("ro.bin")});
  EXPECT_EQ(host.log, std::vector<std::string>{"粉碎文件出错，已停止: 要粉碎的文件正在使用中或者有只读属性等:" +
                                               Display("ro.bin")});
  EXPECT_EQ(OpenFiles(), before);
  EXPECT_EQ(Read("ro.bin"), "read-only");
}

}  // namespace

// The compression component: its events, chunks, flags, stop and threads.
#include <zlib.h>

#include <atomic>
#include <mutex>

#include "engine/compression/zn_zip.h"
#include "job_fixture.h"

namespace {

using testing_support::Content;
using testing_support::JobTest;
namespace fs = std::filesystem;

class ZnZipTest : public JobTest {
 protected:
  void Wire(engine::TZnZip& zip) {
    zip.OnBegin = [this](std::uint64_t total) { events_.push_back("begin " + std::to_string(total)); };
    zip.OnProcess = [this](std::uint64_t done) { events_.push_back("process " + std::to_string(done)); };
    zip.OnEnd = [this](bool success, float) {
      events_.push_back(success ? "end ok" : "end failed");
      ended_ = true;
    };
  }

  void WaitForEnd(engine::TZnZip& zip) {
    for (int i = 0; i < 5000 && !ended_; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_TRUE(ended_);
    EXPECT_FALSE(zip.Busy());
  }

  std::vector<std::string> events_;
  std::atomic<bool> ended_{false};
};

TEST_F(ZnZipTest, ChunksOf65535BytesGiveOneProcessEventEach) {
  for (std::size_t size : {std::size_t{65535}, std::size_t{65536}}) {
    SCOPED_TRACE(size);
    events_.clear();
    ended_ = false;
    Write("src.bin", Content(size));
    engine::TZnZip zip;
    Wire(zip);
    zip.SourceFile = Path("src.bin");
    zip.DestFile = Path("out/src" + std::to_string(size) + ".zak");
    zip.StartCompression();
    WaitForEnd(zip);
    if (size == 65535)
      EXPECT_EQ(events_, (std::vector<std::string>{"begin 65535", "process 65535", "end ok"}));
    else
      EXPECT_EQ(events_, (std::vector<std::string>{"begin 65536", "process 65535", "process 65536", "end ok"}));
  }
}

TEST_F(ZnZipTest, EveryLevelRoundTrips) {
  const std::string plain = Content(300000);
  Write("src.bin", plain);
  for (auto level : {engine::TCompressionLevel::clNone, engine::TCompressionLevel::clFastest,
                     engine::TCompressionLevel::clDefault, engine::TCompressionLevel::clMax}) {
    engine::TZnZip zip;
    zip.ZipLevel = level;
    zip.SourceFile = Path("src.bin");
    zip.DestFile = Path("out/packed.zak");
    ASSERT_TRUE(zip.RunCompression());
    EXPECT_EQ(zip.Rate() > 0, level != engine::TCompressionLevel::clNone);
    zip.SourceFile = Path("out/packed.zak");
    zip.DestFile = Path("out/back.bin");
    ASSERT_TRUE(zip.RunDecompression());
    EXPECT_TRUE(Read("out/back.bin") == plain);
    fs::remove(Path("out/packed.zak"));
    fs::remove(Path("out/back.bin"));
  }
  EXPECT_EQ(engine::ZlibLevel(engine::TCompressionLevel::clNone), 0);
  EXPECT_EQ(engine::ZlibLevel(engine::TCompressionLevel::clFastest), 1);
  EXPECT_EQ(engine::ZlibLevel(engine::TCompressionLevel::clDefault), -1);
  EXPECT_EQ(engine::ZlibLevel(engine::TCompressionLevel::clMax), 9);
}

TEST_F(ZnZipTest, AnEmptySourceBeginsWithZeroAndEndsWell) {
  Write("empty.bin", "");
  engine::TZnZip zip;
  Wire(zip);
  zip.SourceFile = Path("empty.bin");
  zip.DestFile = Path("out/empty.zak");
  zip.StartCompression();
  WaitForEnd(zip);
  EXPECT_EQ(events_, (std::vector<std::string>{"begin 0", "end ok"}));
}

TEST_F(ZnZipTest, DecompressingWhatIsNoStreamFails) {
  Write("junk.bin", Content(1000));
  engine::TZnZip zip;
  Wire(zip);
  zip.SourceFile = Path("junk.bin");
  zip.DestFile = Path("out/junk");
  zip.StartDecompression();
  WaitForEnd(zip);
  EXPECT_EQ(events_.back(), "end failed");
  EXPECT_TRUE(zip.DecompressionFailed());
  EXPECT_FALSE(zip.CompressionFailed() || zip.DecompressionCancelled());
  EXPECT_TRUE(Names("out").empty());
}

TEST_F(ZnZipTest, AStreamEndsAtItsChecksumAndWhatFollowsIsIgnored) {
  const std::string plain = Content(200000);
  uLongf size = compressBound(plain.size());
  std::string packed(size, '\0');
  compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(plain.data()), plain.size(), 6);
  packed.resize(size);
  std::string wrongSum = packed;
  wrongSum.back() ^= 1;
  struct Case {
    std::string name;
    std::string zak;
    bool expands;
  };
  const std::vector<Case> cases = {
      {"appended", packed + Content(70000, 9), true},
      {"one byte more", packed + "x", true},
      {"cut in the checksum", packed.substr(0, packed.size() - 1), false},
      {"cut in the data", packed.substr(0, packed.size() / 2), false},
      {"wrong checksum", wrongSum, false},
      {"wrong checksum, appended", wrongSum + "tail", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Write("src.zak", c.zak);
    engine::TZnZip zip;
    zip.SourceFile = Path("src.zak");
    zip.DestFile = Path("out/back.bin");
    EXPECT_EQ(zip.RunDecompression(), c.expands);
    EXPECT_EQ(zip.DecompressionFailed(), !c.expands);
    if (c.expands)
      EXPECT_TRUE(Read("out/back.bin") == plain);
    else
      EXPECT_TRUE(Names("out").empty());
    fs::remove(Path("out/back.bin"));
  }
}

TEST_F(ZnZipTest, AMissingSourceStartsNothing) {
  engine::TZnZip zip;
  Wire(zip);
  zip.SourceFile = Path("gone.bin");
  zip.DestFile = Path("out/x.zak");
  zip.StartCompression();
  EXPECT_FALSE(zip.Busy());
  zip.Stop();
  EXPECT_TRUE(events_.empty());
}

TEST_F(ZnZipTest, StopEndsTheWorkerWithTheCancelFlag) {
  Write("big.bin", Content(8 << 20));
  // Events run on this thread through the dispatcher while Stop waits, as a
  // window serves its worker's hand-overs.
  std::mutex m;
  std::vector<std::function<void()>> pending;
  auto dispatch = [&](const std::function<void()>& event) {
    std::atomic<bool> done{false};
    {
      std::lock_guard<std::mutex> lock(m);
      pending.push_back([&] {
        event();
        done = true;
      });
    }
    while (!done) std::this_thread::yield();
  };
  auto pump = [&] {
    std::vector<std::function<void()>> run;
    {
      std::lock_guard<std::mutex> lock(m);
      run.swap(pending);
    }
    for (auto& f : run) f();
  };
  engine::TZnZip zip(dispatch, pump);
  Wire(zip);
  zip.SourceFile = Path("big.bin");
  zip.DestFile = Path("out/big.zak");
  zip.StartCompression();
  while (events_.size() < 3) pump();
  zip.Stop();
  EXPECT_TRUE(ended_);
  EXPECT_EQ(events_.back(), "end failed");
  EXPECT_TRUE(zip.CompressionCancelled());
  EXPECT_FALSE(zip.Busy());
  EXPECT_TRUE(Names("out").empty());
}

}  // namespace

// The no-saved-key batches: names, sizes, the undetected wrong key, refusals
// and the menu entries' states.
#include "engine/jobs/encrypt_job.h"
#include "engine/format/nokey_container.h"
#include "engine/jobs/nokey_jobs.h"
#include "job_fixture.h"

namespace {

using testing_support::Content;
using testing_support::JobTest;
namespace fs = std::filesystem;

class NoKeyJobTest : public JobTest {
 protected:
  void Batch(engine::NoKeyMode mode, std::vector<std::string> files, const std::string& key,
             bool offerOldVersions = false) {
    engine::NoKeyBatchInput in;
    for (const std::string& f : files) in.files.push_back(Path(f));
    in.key = key;
    in.outputFolder = Path("out");
    in.offerOldVersions = offerOldVersions;
    state_.idleFlag = false;  // the dispatching window has prepared the batch
    engine::JobWindow w = Window();
    mode == engine::NoKeyMode::kEncrypt ? engine::RunNoKeyEncryptBatch(w, in) : engine::RunNoKeyDecryptBatch(w, in);
  }
};

TEST_F(NoKeyJobTest, EncryptsUnderTheFullNameAndDecryptsBack) {
  Write("report.docx", Content(10001));
  Batch(engine::NoKeyMode::kEncrypt, {"report.docx"}, "key");
  EXPECT_EQ(host_.log, std::vector<std::string>{"加密(不保存密钥的)文件 ... 已完成:" + Display("report.docx")});
  EXPECT_EQ(Names("out"), std::vector<std::string>{"report.docx.jmz"});
  EXPECT_EQ(fs::file_size(Path("out/report.docx.jmz")), 10001u + 38);
  EXPECT_EQ(host_.Events("nokeystart"), std::vector<std::string>{"e"});
  EXPECT_EQ(host_.Events("nokeyrestore"), std::vector<std::string>{"e"});
  EXPECT_TRUE(state_.idleFlag);

  fs::rename(Path("out/report.docx.jmz"), Path("report.docx.jmz"));
  Write("out/report.docx", "taken");
  host_.log.clear();
  Batch(engine::NoKeyMode::kDecrypt, {"report.docx.jmz"}, "key");
  EXPECT_EQ(host_.log, std::vector<std::string>{"解密不保存密钥的加密文件已完成:" + Display("report.docx.jmz")});
  EXPECT_TRUE(Read("out/report(1).docx") == Read("report.docx"));
  EXPECT_EQ(Read("out/report.docx"), "taken");
}

TEST_F(NoKeyJobTest, AWrongKeyGivesGarbageOfTheRightLength) {
  Write("a.bin", Content(4099));
  Batch(engine::NoKeyMode::kEncrypt, {"a.bin"}, "right key");
  fs::rename(Path("out/a.bin.jmz"), Path("a.bin.jmz"));
  Batch(engine::NoKeyMode::kDecrypt, {"a.bin.jmz"}, "wrong key");
  EXPECT_EQ(host_.log.back(), "解密不保存密钥的加密文件已完成:" + Display("a.bin.jmz"));
  const std::string back = Read("out/a.bin");
  EXPECT_EQ(back.size(), 4099u);
  EXPECT_NE(back, Read("a.bin"));
}

TEST_F(NoKeyJobTest, OldVersionsAreOfferedWhenUnlocked) {
  Write("a.bin", Content(999));
  struct Case {
    std::deque<bool> answers;
    int version;
  };
  for (const Case& c : {Case{{false}, 38}, Case{{true, false}, 30}, Case{{true, true}, 20}}) {
    fs::remove_all(Path("out"));
    fs::create_directories(Path("out"));
    host_.answers = c.answers;
    Batch(engine::NoKeyMode::kEncrypt, {"a.bin"}, "k", true);
    const std::string container = Read("out/a.bin.jmz");
    platform::MemorySource source(std::vector<std::uint8_t>(container.begin(), container.end()));
    EXPECT_EQ(engine::ReadNoKeyHeader(source)->version, c.version);
    fs::rename(Path("out/a.bin.jmz"), Path("a.bin.jmz"));
    Batch(engine::NoKeyMode::kDecrypt, {"a.bin.jmz"}, "k");
    EXPECT_TRUE(Read("out/a.bin") == Read("a.bin")) << c.version;
  }
}

TEST_F(NoKeyJobTest, FilesThatAreNoNoKeyContainersAreRefused) {
  Write("a.txt", Content(500));
  Write("plain.bin", Content(100));
  {
    testing_support::RecordingHost other;
    engine::JobState state;
    engine::TZnZip zip;
    engine::JobWindow w{other, state, zip};
    engine::EncryptJobInput in{Path("a.txt"), "k", "", "", 0, Path("."), false, {}, {}};
    engine::RunEncryptJob(w, in);
  }
  // A 1-byte payload's container cut to 37 bytes: the framing alone is 38.
  Write("one.bin", "x");
  Batch(engine::NoKeyMode::kEncrypt, {"one.bin"}, "k");
  const std::string one = Read("out/one.bin.jmz");
  Write("short.jmz", one.substr(0, 37));
  host_.log.clear();

  Batch(engine::NoKeyMode::kDecrypt, {"a.jmz", "plain.bin", "short.jmz"}, "k");
  EXPECT_EQ(host_.log, (std::vector<std::string>{
                           "文件不是此软件(不保存密钥)加密的，解密已取消。" + Display("a.jmz"),
                           "文件不是此软件(不保存密钥)加密的，解密已取消。" + Display("plain.bin"),
                           "文件(加密内容)计算大小数据(出错)小于1字节！不能解密:" + Display("short.jmz")}));
  EXPECT_EQ(Names("out"), std::vector<std::string>{"one.bin.jmz"});
  EXPECT_EQ(host_.Events("nokeyrestore").size(), 4u);  // one encryption, three decryptions
}

TEST_F(NoKeyJobTest, AContainerWithoutVersionBytesIsReadFromOffset0) {
  // Dropping the two version bytes leaves the layout of the oldest
  // containers: marker at 0, 36 bytes of framing. (Their content rules are
  // held to the byte by the format tests.)
  Write("a.bin", Content(3001));
  Batch(engine::NoKeyMode::kEncrypt, {"a.bin"}, "k");
  const std::string container = Read("out/a.bin.jmz");
  Write("old.bin.jmz", container.substr(2));
  host_.log.clear();
  Batch(engine::NoKeyMode::kDecrypt, {"old.bin.jmz"}, "k");
  EXPECT_EQ(host_.log, std::vector<std::string>{"解密不保存密钥的加密文件已完成:" + Display("old.bin.jmz")});
  EXPECT_EQ(fs::file_size(Path("out/old.bin")), 3001u);
}

TEST_F(NoKeyJobTest, AnEmptyKeyEndsEachFileWithABeep) {
  Write("a.bin", "x");
  Batch(engine::NoKeyMode::kEncrypt, {"a.bin"}, "");
  EXPECT_EQ(host_.beeps, 1);
  EXPECT_TRUE(host_.log.empty());
  EXPECT_TRUE(Names("out").empty());
}

TEST_F(NoKeyJobTest, CancelStopsTheFileAndTheRestOfTheBatch) {
  Write("a.bin", Content(4 << 20));
  Write("b.bin", Content(100));
  host_.answers = {true};
  host_.onProgress = [this](std::int32_t position) {
    if (position > 0 && state_.encryptActive) {
      engine::JobWindow w = Window();
      engine::CancelNoKeyBatch(w, engine::NoKeyMode::kEncrypt, Display("a.bin"));
    }
  };
  Batch(engine::NoKeyMode::kEncrypt, {"a.bin", "b.bin"}, "k");
  EXPECT_EQ(host_.Events("ask"), std::vector<std::string>{"取消加密|真的要取消加密：“" + Display("a.bin") + "”吗?"});
  EXPECT_EQ(host_.log, std::vector<std::string>{"加密(不保存密钥的)文件 ... 已取消:" + Display("a.bin")});
  EXPECT_TRUE(Names("out").empty());
  EXPECT_EQ(host_.Events("nokeystart").size(), 1u);
}

}  // namespace

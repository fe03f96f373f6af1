// The encryption job of one file: its log lines, the files it writes and the
// ones it must never leave behind.
#include <zlib.h>

#include <set>

#include "engine/format/container_info.h"
#include "engine/jobs/decrypt_job.h"
#include "engine/jobs/encrypt_job.h"
#include "job_fixture.h"
#include "platform/file.h"

namespace {

using testing_support::Content;
using testing_support::JobTest;
namespace fs = std::filesystem;

class EncryptJobTest : public JobTest {
 protected:
  void Encrypt(const std::string& file, const std::string& key, int level = 0, const std::string& decryptKey = "",
               bool offerOldVersions = false) {
    engine::EncryptJobInput in;
    in.file = Path(file);
    in.encryptKey = key;
    in.decryptKey = decryptKey;
    in.zipLevel = level;
    in.outputFolder = Path("out");
    in.offerOldVersions = offerOldVersions;
    engine::JobWindow w = Window();
    engine::RunEncryptJob(w, in);
  }

  std::string DecryptToString(const std::string& container, const std::string& key) {
    engine::DecryptJobInput in;
    in.source = Path(container);
    in.decryptKey = key;
    in.outputFolder = Path("back");
    fs::create_directories(Path("back"));
    testing_support::RecordingHost host;
    engine::JobState state;
    engine::TZnZip zip;
    engine::JobWindow w{host, state, zip};
    engine::RunDecryptJob(w, in);
    if (host.log.empty() || host.log.back().rfind("解密文件已完成:", 0) != 0) return "(failed)";
    const auto names = Names("back");
    EXPECT_EQ(names.size(), 1u);
    const std::string plain = Read("back/" + names.at(0));
    fs::remove_all(Path("back"));
    return plain;
  }

  engine::ContainerInfo Info(const std::string& file) {
    platform::InputFile in(Path(file));
    return engine::InspectContainer(in);
  }
};

TEST_F(EncryptJobTest, WritesAContainerAndLogsItsLines) {
  Write("a.txt", "hello world");
  Encrypt("a.txt", "key");
  EXPECT_EQ(host_.log, std::vector<std::string>{"加密文件已完成:" + Display("a.txt")});
  EXPECT_EQ(host_.Events("panel"), (std::vector<std::string>{"加密文件 ...", "进行加密文件..."}));
  EXPECT_EQ(host_.Events("statushint"), std::vector<std::string>{"进行加密的文件：" + Display("a.txt")});
  EXPECT_EQ(host_.Events("progresshint"), std::vector<std::string>{"加密后的文件：" + Display("out/a.jmz")});
  EXPECT_EQ(host_.Events("lock"), std::vector<std::string>{"1"});
  EXPECT_EQ(host_.Events("unlock"), std::vector<std::string>{"1"});
  EXPECT_EQ(host_.progressPosition, host_.progressMax);
  EXPECT_FALSE(state_.encryptActive);
  EXPECT_EQ(Names("out"), std::vector<std::string>{"a.jmz"});
  EXPECT_EQ(fs::file_size(Path("out/a.jmz")), 11u + 37 + 4 + 24);
  EXPECT_EQ(DecryptToString("out/a.jmz", "key"), "hello world");
}

TEST_F(EncryptJobTest, EmptyKeyWithoutCompressionWritesNothing) {
  Write("a.txt", "x");
  Encrypt("a.txt", "", 0);
  EXPECT_EQ(host_.log,
            std::vector<std::string>{"请选择文件压缩率进行压缩或者输入密钥进行加密。加密文件已取消:" + Display("a.txt")});
  EXPECT_TRUE(Names("out").empty());
  EXPECT_EQ(host_.Events("unlock"), std::vector<std::string>{"1"});
}

TEST_F(EncryptJobTest, EmptyKeyWithALevelOnlyCompressesAndNumbersTakenNames) {
  const std::string plain = Content(200000);
  Write("a.txt", plain);
  Encrypt("a.txt", "", 2);
  Encrypt("a.txt", "", 2);
  EXPECT_EQ(Names("out"), (std::vector<std::string>{"a(1).txt.zak", "a.txt.zak"}));
  EXPECT_EQ(host_.log, (std::vector<std::string>{"进行压缩文件... 已完成:" + Display("a.txt"),
                                                 "进行压缩文件... 已完成:" + Display("a.txt")}));
  EXPECT_EQ(host_.Events("progresshint").front(), "压缩后的文件：" + Display("out/a.txt.zak"));
  // One zlib stream of the whole file.
  const std::string packed = Read("out/a.txt.zak");
  std::string back(plain.size(), '\0');
  uLongf size = back.size();
  ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(back.data()), &size, reinterpret_cast<const Bytef*>(packed.data()),
                       packed.size()),
            Z_OK);
  EXPECT_EQ(back, plain);
  EXPECT_FALSE(state_.compressActive);
}

TEST_F(EncryptJobTest, LongExtensionsAreCutInZakNames) {
  Write("n.markdown", "text");
  Encrypt("n.markdown", "", 1);
  EXPECT_EQ(Names("out"), std::vector<std::string>{"n.markdow.zak"});
}

TEST_F(EncryptJobTest, KeyAndLevelCompressFirstAndLeaveNoIntermediate) {
  const std::string plain = Content(300000);
  Write("a.txt", plain);
  Encrypt("a.txt", "key", 2);
  EXPECT_EQ(host_.log, std::vector<std::string>{"加密文件已完成:" + Display("a.txt")});
  EXPECT_EQ(host_.Events("panel"), (std::vector<std::string>{"加密文件 ...", "进行压缩文件...", "进行加密文件..."}));
  EXPECT_EQ(Names("out"), std::vector<std::string>{"a.jmz"});
  EXPECT_TRUE(Names("tmp").empty());
  const engine::ContainerInfo info = Info("out/a.jmz");
  EXPECT_EQ(info.compression, 2u);
  EXPECT_EQ(info.extension, ".txt");
  EXPECT_LT(info.payloadSize, plain.size());
  EXPECT_EQ(DecryptToString("out/a.jmz", "key"), plain);
}

// The compressed intermediates hold the file's content: in the shared
// temporary folder only their owner may read them; the results keep the
// ordinary mode.
TEST_F(EncryptJobTest, IntermediatesInTheTemporaryFolderAreTheOwnersOnly) {
  std::set<unsigned> modes;
  auto record = [&](std::int32_t) {
    for (const auto& e : fs::directory_iterator(Path("tmp")))
      modes.insert(static_cast<unsigned>(e.status().permissions() & fs::perms::all));
  };
  Write("a.txt", Content(3 << 20));
  host_.onProgress = record;
  Encrypt("a.txt", "key", 2);
  ASSERT_EQ(Names("out"), std::vector<std::string>{"a.jmz"});

  engine::DecryptJobInput in;
  in.source = Path("out/a.jmz");
  in.decryptKey = "key";
  in.outputFolder = Path("out");
  engine::JobWindow w = Window();
  engine::RunDecryptJob(w, in);
  ASSERT_EQ(Names("out"), (std::vector<std::string>{"a.jmz", "a.txt"}));
  EXPECT_EQ(modes, std::set<unsigned>{0600});
  EXPECT_EQ(fs::status(Path("out/a.txt")).permissions() & fs::perms::group_write, fs::perms::none);
  EXPECT_NE(fs::status(Path("out/a.txt")).permissions() & fs::perms::others_read, fs::perms::none);
}

TEST_F(EncryptJobTest, RejectedSizesEndTheJobBeforeAnyOutput) {
  Write("empty.txt", "");
  Encrypt("empty.txt", "key");
  EXPECT_EQ(host_.log, std::vector<std::string>{"文件(大小0字节)是空的!(不需要)压缩/加密已取消:" + Display("empty.txt")});
  EXPECT_TRUE(host_.Events("lock").empty());
  EXPECT_TRUE(Names("out").empty());
  EXPECT_FALSE(state_.encryptActive);
}

TEST_F(EncryptJobTest, MissingFileIsADriverError) {
  Encrypt("gone.txt", "key");
  EXPECT_EQ(host_.log, std::vector<std::string>{"加密文件出错:" + Display("gone.txt")});
  EXPECT_EQ(host_.beeps, 1);
}

TEST_F(EncryptJobTest, ContainersGetAnotherLayerUpToTwelve) {
  Write("a.txt", "layered");
  Encrypt("a.txt", "k0");
  fs::rename(Path("out/a.jmz"), Path("l1.jmz"));
  std::string current = "l1.jmz";
  for (int layer = 2; layer <= 12; ++layer) {
    host_.log.clear();
    Encrypt(current, "k" + std::to_string(layer - 1), 0, "k" + std::to_string(layer - 2));
    ASSERT_EQ(host_.log, std::vector<std::string>{"加密文件已完成:" + Display(current)}) << layer;
    const std::string next = "l" + std::to_string(layer) + ".jmz";
    fs::rename(Path("out/" + current), Path(next));
    EXPECT_EQ(Info(next).layers, static_cast<unsigned>(layer));
    current = next;
  }
  host_.log.clear();
  Encrypt(current, "k12", 0, "k11");
  EXPECT_EQ(host_.log, (std::vector<std::string>{"加密的文件已经加密了12次,不能再次加密:" + Display(current),
                                                 "加密文件已取消:" + Display(current)}));
  EXPECT_TRUE(Names("out").empty());
  // Peeling one layer gives the container below it.
  EXPECT_EQ(DecryptToString("l2.jmz", "k1"), Read("l1.jmz"));
}

TEST_F(EncryptJobTest, ReencryptionNeedsTheContainersKey) {
  Write("a.txt", Content(3000));
  Encrypt("a.txt", "old key");
  fs::rename(Path("out/a.jmz"), Path("a.jmz"));
  const std::string c = Display("a.jmz");
  struct Case {
    std::string decryptKey;
    std::string message;
  };
  for (const Case& k : {Case{"", "不能再次加密:解密密钥是空的,请输入已加密文件的解密密钥。"},
                        Case{"old kez", "解密的密钥与加密的文件里的密钥不相同,不能再次加密:"},
                        Case{"old", "解密的密钥与加密的文件里的密钥不相同,不能再次加密:"}}) {
    host_.log.clear();
    Encrypt("a.jmz", "new key", 0, k.decryptKey);
    EXPECT_EQ(host_.log, (std::vector<std::string>{k.message + c, "加密文件已取消:" + c})) << k.decryptKey;
  }
  EXPECT_TRUE(Names("out").empty());
}

TEST_F(EncryptJobTest, OldVersionsAreOfferedWhenUnlocked) {
  Write("a.txt", Content(5000));
  struct Case {
    std::deque<bool> answers;
    int version;
  };
  for (const Case& c : {Case{{false}, 66}, Case{{true, false}, 56}, Case{{true, true, false}, 38},
                        Case{{true, true, true, false}, 18}, Case{{true, true, true, true}, 11}}) {
    host_.answers = c.answers;
    host_.questions.clear();
    Encrypt("a.txt", "key", 0, "", true);
    EXPECT_EQ(host_.questions.size(), std::min<std::size_t>(c.answers.size(), 4));
    EXPECT_EQ(Info("out/a.jmz").version, c.version);
    EXPECT_EQ(DecryptToString("out/a.jmz", "key"), Content(5000));
    fs::remove(Path("out/a.jmz"));
  }
  host_.questions.clear();
  Encrypt("a.txt", "key");
  EXPECT_TRUE(host_.questions.empty());
  EXPECT_EQ(Info("out/a.jmz").version, 66);
}

TEST_F(EncryptJobTest, CancelDuringTheBodyLeavesNothing) {
  Write("big.bin", Content(5 << 20));
  host_.onProgress = [this](std::int32_t position) {
    if (position > 0) state_.encryptActive = false;
  };
  Encrypt("big.bin", "key");
  EXPECT_TRUE(host_.log.empty());
  EXPECT_TRUE(Names("out").empty());
  EXPECT_EQ(host_.Events("unlock"), std::vector<std::string>{"1"});
}

TEST_F(EncryptJobTest, CancelDuringCompressionLeavesNoIntermediate) {
  Write("big.bin", Content(3 << 20));
  host_.onProgress = [this](std::int32_t position) {
    if (position > 0) zip_.Stop();
  };
  Encrypt("big.bin", "key", 1);
  EXPECT_EQ(host_.log, std::vector<std::string>{"进行压缩文件...不能完成！已经取消。可能文件被取消压缩等:" +
                                                Display("big.bin")});
  EXPECT_TRUE(Names("out").empty());
  EXPECT_TRUE(Names("tmp").empty());
}

TEST_F(EncryptJobTest, TheCancelButtonAsksAndLogs) {
  state_.encryptActive = true;
  host_.answers = {false};
  engine::JobWindow w = Window();
  engine::CancelEncryptJob(w, "C:\\a.txt");
  EXPECT_TRUE(state_.encryptActive);
  host_.answers = {true};
  engine::CancelEncryptJob(w, "C:\\a.txt");
  EXPECT_FALSE(state_.encryptActive);
  EXPECT_TRUE(state_.idleFlag);
  EXPECT_EQ(host_.Events("ask"), (std::vector<std::string>{"取消加密|真的要取消加密：“C:\\a.txt”吗?",
                                                           "取消加密|真的要取消加密：“C:\\a.txt”吗?"}));
  EXPECT_EQ(host_.log, std::vector<std::string>{"加密文件已取消:C:\\a.txt"});

  state_.compressActive = true;
  host_.answers = {true};
  engine::CancelEncryptJob(w, "C:\\b.txt");
  EXPECT_EQ(host_.Events("ask").back(), "取消加密|真的要取消压缩：“C:\\b.txt”吗?");
  EXPECT_EQ(host_.log.back(), "压缩文件已取消:C:\\b.txt");
}

TEST_F(EncryptJobTest, AFullDiskLeavesNoPartialOutput) {
  Write("big.bin", Content(2 << 20));
  {
    testing_support::FileSizeLimit limit(1 << 20);
    Encrypt("big.bin", "key");
  }
  EXPECT_EQ(host_.log, std::vector<std::string>{"加密文件出错!已停止:" + Display("big.bin")});
  EXPECT_EQ(host_.beeps, 1);
  EXPECT_TRUE(Names("out").empty());
  EXPECT_EQ(host_.Events("unlock"), std::vector<std::string>{"1"});
}

TEST_F(EncryptJobTest, AFullDiskDuringCompressionLeavesNothing) {
  Write("big.bin", Content(2 << 20));
  {
    testing_support::FileSizeLimit limit(256 << 10);
    Encrypt("big.bin", "key", 3);
  }
  EXPECT_EQ(host_.log, std::vector<std::string>{"进行压缩文件...不能完成！已经取消。可能文件压缩意外出错停止等:" +
                                                Display("big.bin")});
  EXPECT_TRUE(Names("out").empty());
  EXPECT_TRUE(Names("tmp").empty());
}

}  // namespace

// The decryption job of one file: containers, compressed containers,
// compressed-only files, refusals and cancel.
#include <zlib.h>

#include "engine/jobs/decrypt_job.h"
#include "engine/jobs/encrypt_job.h"
#include "engine/format/save_key_reader.h"
#include "container_builder.h"
#include "job_fixture.h"

namespace {

std::string Deflate(const std::string& plain) {
  uLongf size = compressBound(plain.size());
  std::string packed(size, '\0');
  compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(plain.data()), plain.size(), 6);
  packed.resize(size);
  return packed;
}

using testing_support::Content;
using testing_support::JobTest;
namespace fs = std::filesystem;

class DecryptJobTest : public JobTest {
 protected:
  // Encrypts `file` into `container` (in the test folder) with a separate window.
  void MakeContainer(const std::string& file, const std::string& container, const std::string& key, int level = 0) {
    testing_support::RecordingHost host;
    engine::JobState state;
    engine::TZnZip zip;
    engine::JobWindow w{host, state, zip};
    engine::EncryptJobInput in;
    in.file = Path(file);
    in.encryptKey = key;
    in.zipLevel = level;
    fs::create_directories(Path("made"));
    in.outputFolder = Path("made");
    engine::RunEncryptJob(w, in);
    ASSERT_EQ(Names("made").size(), 1u);
    fs::rename(Path("made/" + Names("made")[0]), Path(container));
  }

  void Decrypt(const std::string& file, const std::string& key, const std::string& outputFolder = "out") {
    engine::DecryptJobInput in;
    in.source = Path(file);
    in.decryptKey = key;
    in.outputFolder = Path(outputFolder);
    engine::JobWindow w = Window();
    engine::RunDecryptJob(w, in);
  }
};

TEST_F(DecryptJobTest, AResultAwayFromItsSourceIsNamedAfterTheCompletionLine) {
  host_.namesResultsAway = true;
  Write("report.docx", Content(5000));
  struct Case {
    int level;
    std::string folder;
    std::vector<std::string> log;
  } cases[] = {
      {0, "out", {"解密文件已完成:" + Display("r.jmz"), "  结果文件已保存到:" + Display("out/r.docx")}},
      {2, "out", {"进行解压缩文件... 已完成:" + Display("r.jmz"), "解密文件已完成:" + Display("r.jmz"),
                  "  结果文件已保存到:" + Display("out/r.docx")}},
      {0, "", {"解密文件已完成:" + Display("r.jmz")}},  // beside the container: nothing more
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.level);
    fs::remove_all(Path("out"));
    fs::create_directories(Path("out"));
    fs::remove(Path("report(1).docx"));
    MakeContainer("report.docx", "r.jmz", "k", c.level);
    host_.log.clear();
    Decrypt("r.jmz", "k", c.folder);
    EXPECT_EQ(host_.log, c.log);
  }
}

TEST_F(DecryptJobTest, RestoresTheFileUnderItsStoredExtension) {
  Write("report.docx", Content(100000));
  MakeContainer("report.docx", "report.jmz", "钥匙");
  Decrypt("report.jmz", "钥匙");
  EXPECT_EQ(host_.log, std::vector<std::string>{"解密文件已完成:" + Display("report.jmz")});
  EXPECT_EQ(host_.Events("panel"), (std::vector<std::string>{"解密文件 ...", "进行解密的文件：" + Display("report.jmz"),
                                                             "进行解密文件..."}));
  EXPECT_EQ(host_.Events("progresshint"), std::vector<std::string>{"解密后的文件：" + Display("out/report.docx")});
  EXPECT_EQ(host_.Events("lock"), std::vector<std::string>{"2"});
  EXPECT_EQ(host_.Events("unlock"), std::vector<std::string>{"2"});
  EXPECT_TRUE(Read("out/report.docx") == Read("report.docx"));
  EXPECT_FALSE(state_.decryptActive);
}

TEST_F(DecryptJobTest, DecryptingTwiceNumbersTheSecondFile) {
  Write("a.txt", "twice");
  MakeContainer("a.txt", "a.jmz", "k");
  Decrypt("a.jmz", "k");
  Decrypt("a.jmz", "k");
  EXPECT_EQ(Names("out"), (std::vector<std::string>{"a(1).txt", "a.txt"}));
}

TEST_F(DecryptJobTest, AFileWithoutExtensionComesBackWithoutOne) {
  Write("README", "no extension");
  MakeContainer("README", "README.jmz", "k");
  Decrypt("README.jmz", "k");
  EXPECT_EQ(Names("out"), std::vector<std::string>{"README"});
}

TEST_F(DecryptJobTest, CompressedContainersAreExpandedAndTheIntermediateGoes) {
  Write("a.txt", Content(400000));
  MakeContainer("a.txt", "a.jmz", "key", 3);
  Decrypt("a.jmz", "key");
  ASSERT_EQ(host_.log.size(), 2u);
  // The line names the container, never the intermediate the user never saw.
  EXPECT_EQ(host_.log[0], "进行解压缩文件... 已完成:" + Display("a.jmz"));
  EXPECT_EQ(host_.log[1], "解密文件已完成:" + Display("a.jmz"));
  EXPECT_TRUE(Read("out/a.txt") == Read("a.txt"));
  EXPECT_TRUE(Names("tmp").empty());
  EXPECT_FALSE(state_.decompressPending);
}

// The container is fine but its expanded result cannot be written (the disk
// fills up): the log says so and names the result, not a temporary file.
TEST_F(DecryptJobTest, AnExpandedResultThatCannotBeWrittenIsReportedAsSuch) {
  const std::string plain = Content(400000);
  Write("a.txt", plain);
  MakeContainer("a.txt", "a.jmz", "key", 3);
  ASSERT_LT(fs::file_size(Path("a.jmz")), plain.size() - 100000);
  {
    testing_support::FileSizeLimit limit(plain.size() - 50000);
    Decrypt("a.jmz", "key");
  }
  EXPECT_EQ(host_.log, (std::vector<std::string>{
                           "进行解压缩文件...不能完成！不能写入解压缩后的文件(磁盘已满、没有写入权限等):" +
                               Display("out/a.txt"),
                           "解密文件出错!已停止:" + Display("a.jmz")}));
  EXPECT_TRUE(Names("out").empty());
  EXPECT_TRUE(Names("tmp").empty());
}

TEST_F(DecryptJobTest, WrongKeysAreRefusedAndWriteNothing) {
  Write("a.txt", Content(3000));
  MakeContainer("a.txt", "a.jmz", "right");
  Decrypt("a.jmz", "wrong");
  Decrypt("a.jmz", "righ");
  Decrypt("a.jmz", "");
  const std::string c = Display("a.jmz");
  EXPECT_EQ(host_.log, (std::vector<std::string>{"解密的密钥与加密的文件里的密钥不相同,不能解密:" + c,
                                                 "解密的密钥与加密的文件里的密钥不相同,不能解密:" + c,
                                                 "不能解密:解密密钥是空的,请输入已加密文件的解密密钥。解密文件已取消:" + c}));
  EXPECT_TRUE(Names("out").empty());
  EXPECT_EQ(host_.Events("unlock").size(), 3u);
}

TEST_F(DecryptJobTest, NonContainersAreTriedAsCompressedOnlyFiles) {
  const std::string plain = Content(50000);
  uLongf size = compressBound(plain.size());
  std::string packed(size, '\0');
  compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(plain.data()), plain.size(), 6);
  packed.resize(size);
  Write("a.txt.zak", packed);
  Write("x.bin", "no stream at all");

  Decrypt("a.txt.zak", "");
  EXPECT_EQ(host_.log, std::vector<std::string>{"进行解压缩文件... 已完成:" + Display("a.txt.zak")});
  EXPECT_TRUE(Read("out/a.txt") == plain);

  host_.log.clear();
  Decrypt("x.bin", "any");
  EXPECT_EQ(host_.log, (std::vector<std::string>{
                           "文件未经此软件加密或者是另外(不保存密钥)加密的，此解密已取消。尝试解压缩:" + Display("x.bin"),
                           "进行解压缩文件...不能完成！已经取消。可能文件未经此软件压缩过等:" + Display("x.bin")}));
  EXPECT_EQ(Names("out"), std::vector<std::string>{"a.txt"});
  EXPECT_FALSE(state_.plainDecompress);
}

TEST_F(DecryptJobTest, DamagedFieldsAreReportedWithTheFileAndRepaired) {
  Write("a.txt", Content(2000));
  MakeContainer("a.txt", "a.jmz", "k");
  // Cut the trailer short by 5 bytes: the size computed from the length is 5 smaller.
  fs::resize_file(Path("a.jmz"), fs::file_size(Path("a.jmz")) - 5);
  Decrypt("a.jmz", "k");
  const std::string c = Display("a.jmz");
  EXPECT_EQ(host_.log, (std::vector<std::string>{std::string(engine::read_text::kSizeMismatch) + "2000<>1995:" + c,
                                                 "解密文件已完成:" + c}));
  // The last 3 bytes are now tail bytes with their own rule, so only the
  // whole words before them come back unchanged.
  const std::string back = Read("out/a.txt");
  EXPECT_EQ(back.size(), 1995u);
  EXPECT_TRUE(back.substr(0, 1992) == Read("a.txt").substr(0, 1992));
}

TEST_F(DecryptJobTest, CompressedOldVersionsWithARepairedSizeStillExpand) {
  // Versions up to 35 compute the size with one key check too few, so the
  // repair of a damaged size would otherwise take K bytes of the trailer too.
  for (int version : {18, 11}) {
    for (std::size_t plainSize : {3000u, 3001u, 3002u, 3003u}) {
      const std::string plain = Content(plainSize, static_cast<unsigned>(plainSize));
      const std::string packed = Deflate(plain);
      SCOPED_TRACE(testing::Message() << "version " << version << " stream " << packed.size());
      testing_support::ContainerRecipe r;
      r.fields.version = version;
      r.fields.r1 = 5, r.fields.r2 = 77, r.fields.r3 = 140;
      r.fields.compression = 2;
      r.fields.extension = ".txt";
      r.key = "k";
      r.payload.assign(packed.begin(), packed.end());
      r.overrideStoredSize = true;
      r.storedSize = packed.size() + 100000;
      const auto bytes = testing_support::BuildContainer(r);
      Write("a.jmz", std::string(bytes.begin(), bytes.end()));
      host_.log.clear();
      Decrypt("a.jmz", "k");
      const std::string c = Display("a.jmz");
      ASSERT_EQ(host_.log.size(), 3u);
      EXPECT_EQ(host_.log[0], std::string(engine::read_text::kSizeMismatch) + std::to_string(r.storedSize) + "<>" +
                                  std::to_string(packed.size() + 12) + ":" + c);
      EXPECT_EQ(host_.log[2], "解密文件已完成:" + c);
      EXPECT_TRUE(Read("out/a.txt") == plain);
      EXPECT_TRUE(Names("tmp").empty());
      fs::remove(Path("out/a.txt"));
    }
  }
}

TEST_F(DecryptJobTest, MissingAndEmptyFilesAreRefused) {
  Write("empty.jmz", "");
  Decrypt("gone.jmz", "k");
  Decrypt("empty.jmz", "k");
  EXPECT_EQ(host_.log, (std::vector<std::string>{
                           "要解密的文件:“" + Display("gone.jmz") + "”不存在!解密文件已取消:",
                           "文件(大小0字节)是空的!不需要解密/解压缩。解密文件已取消:" + Display("empty.jmz")}));
  EXPECT_EQ(host_.Events("unlock"), (std::vector<std::string>{"2", "2"}));
}

TEST_F(DecryptJobTest, CancelDuringTheBodyLeavesNothing) {
  Write("big.bin", Content(6 << 20));
  MakeContainer("big.bin", "big.jmz", "k");
  host_.onProgress = [this](std::int32_t position) {
    if (position > 0) state_.decryptActive = false;
  };
  Decrypt("big.jmz", "k");
  EXPECT_TRUE(host_.log.empty());
  EXPECT_TRUE(Names("out").empty());
}

TEST_F(DecryptJobTest, CancelDuringExpansionLeavesNoIntermediate) {
  Write("big.bin", Content(6 << 20));
  MakeContainer("big.bin", "big.jmz", "k", 1);
  bool expanding = false;
  host_.onProgress = [&](std::int32_t position) {
    if (state_.decompressPending) expanding = true;
    if (expanding && position > 0) zip_.Stop();
  };
  Decrypt("big.jmz", "k");
  ASSERT_EQ(host_.log.size(), 1u);
  EXPECT_EQ(host_.log[0].rfind("进行解压缩文件...不能完成！已经取消。可能文件被取消解压缩等:", 0), 0u);
  EXPECT_TRUE(Names("out").empty());
  EXPECT_TRUE(Names("tmp").empty());
}

TEST_F(DecryptJobTest, TheCancelButtonAsksAccordingToTheStage) {
  engine::JobWindow w = Window();
  state_.decryptActive = true;
  host_.answers = {true};
  engine::CancelDecryptJob(w, "C:\\a.jmz");
  state_.decryptActive = true;
  state_.plainDecompress = true;
  host_.answers = {true};
  engine::CancelDecryptJob(w, "C:\\b.bin");
  EXPECT_EQ(host_.Events("ask"), (std::vector<std::string>{"取消解密|真的要取消解密：“C:\\a.jmz”吗?",
                                                           "取消解密|真的要取消解压缩：“C:\\b.bin”吗?"}));
  EXPECT_EQ(host_.log, (std::vector<std::string>{"解密文件已取消:C:\\a.jmz", "解压缩文件已取消:C:\\b.bin"}));
  EXPECT_FALSE(state_.decryptActive || state_.plainDecompress);
}

TEST_F(DecryptJobTest, AFullDiskLeavesNoPartialOutput) {
  Write("big.bin", Content(2 << 20));
  MakeContainer("big.bin", "big.jmz", "k");
  {
    testing_support::FileSizeLimit limit(1 << 20);
    Decrypt("big.jmz", "k");
  }
  EXPECT_EQ(host_.log, std::vector<std::string>{"解密文件出错!已停止:" + Display("big.jmz")});
  EXPECT_TRUE(Names("out").empty());
}

}  // namespace

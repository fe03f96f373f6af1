// Separation and self-decryption of packages: exact log lines, the files
// written, and what a cancel or a refusal leaves behind.
#include "sfx/detect.h"
#include "sfx/package_header.h"
#include "sfx/self_decrypt.h"
#include "sfx/separate_job.h"
#include "sfx_fixture.h"

namespace {

using testing_support::Content;
using testing_support::SfxJobTest;
namespace fs = std::filesystem;

class SfxCarriedTest : public SfxJobTest {
 protected:
  // stub + header + carried bytes (+ extra bytes after them).
  void Package(const std::string& package, const std::string& name, const std::string& carried,
               const std::string& extra = "") {
    const auto header = sfx::PackageHeader{carried.size(), name}.Encode();
    Write(package, Read("stub.exe") + std::string(header.begin(), header.end()) + carried + extra);
  }
  void ResetHost() {
    host_.events.clear();
    host_.log.clear();
    host_.answers.clear();
    host_.questions.clear();
    host_.onProgress = nullptr;
  }
  sfx::PackageInfo Detect(const std::string& package) {
    testing_support::RecordingHost quiet;
    return sfx::DetectPackage(quiet, Path(package));
  }
  void Separate(const std::string& package, const std::string& chosen) {
    engine::JobWindow w = Window();
    sfx::SeparatePackage(w, sfx::SeparateInput{Path(package), Detect(package), Path(chosen)});
  }
  void SelfDecrypt(const std::string& package, const std::string& chosen, const std::string& key = "key") {
    engine::JobWindow w = Window();
    sfx::SelfDecrypt(w, sfx::SelfDecryptInput{Path(package), Detect(package), Path(chosen), key, {}});
  }
};

TEST_F(SfxCarriedTest, SeparationWritesTheCarriedFileAndTheNextFreeToolCopy) {
  struct Case {
    const char* what;
    bool jmzExists;
    bool answer;
    bool toolExists;
    std::string extra;
  };
  const std::vector<Case> cases = {{"fresh folder", false, false, false, ""},
                                   {"tool copy already there", false, false, true, ""},
                                   {"replace agreed", true, true, false, ""},
                                   {"100 extra bytes ignored", false, false, false, std::string(100, 'z')}};
  MakeContainer("a.txt", "a.jmz", 9000);
  const std::string carried = Read("a.jmz");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(Path("out"));
    fs::create_directories(Path("out"));
    ResetHost();
    Package("p.exe", "a.jmz", carried, c.extra);
    if (c.jmzExists) Write("out/a.jmz", "old");
    if (c.toolExists) Write("out/星尘 文件加密.exe", "old");
    host_.answers = {c.answer};
    Separate("p.exe", "out/a.txt");
    EXPECT_EQ(host_.log, std::vector<std::string>{"分离自解密文件已完成:" + Display("out/a.jmz")});
    EXPECT_EQ(host_.questions.size(), c.jmzExists ? 1u : 0u);
    EXPECT_EQ(Read("out/a.jmz"), carried);
    EXPECT_EQ(Read(c.toolExists ? "out/星尘 文件加密(1).exe" : "out/星尘 文件加密.exe"), Read("stub.exe"));
    EXPECT_EQ(Names("out").size(), c.toolExists ? 3u : 2u);
    EXPECT_EQ(host_.Events("lock"), std::vector<std::string>{"5"});
    EXPECT_EQ(host_.Events("unlock"), std::vector<std::string>{"5"});
  }
}

TEST_F(SfxCarriedTest, ANameTakenWhileSeparatingGivesTheNextFreeOneAndTheLogNamesIt) {
  MakeContainer("a.txt", "a.jmz", 3 << 20);
  Package("p.exe", "a.jmz", Read("a.jmz"));
  fs::create_directories(Path("out"));
  host_.onProgress = [this](std::int32_t) {
    if (!fs::exists(Path("out/a.jmz"))) Write("out/a.jmz", "someone else's");
  };
  Separate("p.exe", "out/a.txt");
  EXPECT_EQ(host_.log, std::vector<std::string>{"分离自解密文件已完成:" + Display("out/a(1).jmz")});
  EXPECT_EQ(Read("out/a.jmz"), "someone else's");
  EXPECT_EQ(Read("out/a(1).jmz"), Read("a.jmz"));
}

TEST_F(SfxCarriedTest, RefusedReplaceWritesNothingAndCancelKeepsOnlyTheToolCopy) {
  MakeContainer("a.txt", "a.jmz", 3 << 20);
  Package("p.exe", "a.jmz", Read("a.jmz"));
  Write("out/a.jmz", "old");
  host_.answers = {false};
  Separate("p.exe", "out/a.jmz");
  EXPECT_EQ(host_.questions, std::vector<std::string>{Display("out/a.jmz") + " 文件已经存在,是否替换? 否 则取消。"});
  EXPECT_EQ(host_.Events("panel").back(), "分离自解密文件已取消:a.jmz");
  EXPECT_EQ(Names("out"), std::vector<std::string>{"a.jmz"});
  EXPECT_EQ(Read("out/a.jmz"), "old");

  fs::remove(Path("out/a.jmz"));
  ResetHost();
  host_.onProgress = [this](std::int32_t p) {
    if (p > 0) state_.separateActive = false;
  };
  Separate("p.exe", "out/a.jmz");
  EXPECT_TRUE(host_.log.empty());
  EXPECT_EQ(Names("out"), std::vector<std::string>{"星尘 文件加密.exe"});
}

TEST_F(SfxCarriedTest, DamagedNameIsReplacedInTheLog) {
  MakeContainer("a.txt", "a.jmz", 2000);
  Package("p.exe", "c:d.jmz", Read("a.jmz"));
  host_.answers = {true};
  Write("out/x.jmz", "old");
  state_.separateActive = false;
  engine::JobWindow w = Window();
  // Cancelling while nothing runs only asks.
  sfx::CancelSeparate(w, "乱名(被破坏,有错误).jmz");
  EXPECT_TRUE(host_.log.empty());
  host_.answers = {false};
  Separate("p.exe", "out/x.jmz");
  EXPECT_EQ(host_.Events("panel").back(), "分离自解密文件已取消:乱名(被破坏,有错误).jmz");
}

// The cancel comes through the window's handler when the progress bar
// reaches its end: after the last block, before the result is named, or
// after it is named.
TEST_F(SfxCarriedTest, ACancelAtTheEndIsLoggedAsWhatHappenedToTheResult) {
  // A last block large enough to move the bar to its end.
  MakeContainer("a.txt", "a.jmz", (3 << 20) + (100 << 10));
  Package("p.exe", "a.jmz", Read("a.jmz"));
  struct Case {
    const char* what;
    bool separate;
    bool named;  // the result has its name when the cancel comes
    std::string line;
  };
  const std::vector<Case> cases = {
      {"creation, before naming", false, false, "创建自解密文件已取消:" + Display("a.jmz")},
      {"creation, after naming", false, true, "创建自解密文件已完成:" + Display("out/a.exe")},
      {"separation, before naming", true, false, "分离自解密文件已取消:a.jmz"},
      {"separation, after naming", true, true, "分离自解密文件已完成:" + Display("out/a.jmz")}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(Path("out"));
    fs::create_directories(Path("out"));
    ResetHost();
    host_.progressMax = 0;
    const std::string result = c.separate ? "out/a.jmz" : "out/a.exe";
    bool cancelled = false;
    host_.answers = {true};
    host_.onProgress = [&](std::int32_t p) {
      if (cancelled || p == 0 || p != host_.progressMax || fs::exists(Path(result)) != c.named) return;
      cancelled = true;
      engine::JobWindow w = Window();
      c.separate ? sfx::CancelSeparate(w, "a.jmz") : sfx::CancelSfxCreate(w, Display("a.jmz"));
    };
    c.separate ? Separate("p.exe", "out/a.jmz") : Create("a.jmz");
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(host_.log, std::vector<std::string>{c.line});
    EXPECT_EQ(fs::exists(Path(result)), c.named);
    EXPECT_EQ(Names("out").size(), (c.named ? 1u : 0u) + (c.separate ? 1u : 0u));  // and the tool copy
  }
}

TEST_F(SfxCarriedTest, SelfDecryptionStartsWithTheStoredNameAndGoesOnWithItsReplacement) {
  MakeContainer("a.txt", "a.jmz", 2000);
  Package("p.exe", "c:d.jmz", Read("a.jmz"));
  const std::string size = std::to_string(Read("a.jmz").size());
  EXPECT_EQ(sfx::SelfDecryptStartText(Detect("p.exe")), "自解密里的已加密文件：c:d.jmz  大小：" + size + "字节。");
  SelfDecrypt("p.exe", "out/plain");
  EXPECT_EQ(host_.log, std::vector<std::string>{"解密文件已完成:自解密里的已加密文件:乱名(被破坏,有错误).jmz"});
}

TEST_F(SfxCarriedTest, SelfDecryptionGivesThePlainFileUnderTheChosenName) {
  struct Case {
    const char* what;
    std::size_t size;
    int level;
  };
  // Below and above 5,428 container bytes (header at 0 or 260), and compressed.
  for (const Case& c : {Case{"small", 1500, 0}, Case{"large", 200000, 0}, Case{"compressed", 300000, 2}}) {
    SCOPED_TRACE(c.what);
    fs::remove_all(Path("out"));
    fs::create_directories(Path("out"));
    ResetHost();
    MakeContainer("a.txt", "a.jmz", c.size, c.level);
    Package("p.exe", "a.jmz", Read("a.jmz"), "extra");
    SelfDecrypt("p.exe", "out/plain");
    ASSERT_FALSE(host_.log.empty());
    EXPECT_EQ(host_.log.back(), "解密文件已完成:自解密里的已加密文件:a.jmz");
    EXPECT_EQ(Read("out/plain.txt"), Content(c.size));
    EXPECT_EQ(Names("out"), std::vector<std::string>{"plain.txt"});
    EXPECT_EQ(host_.Events("lock"), std::vector<std::string>{"4"});
    EXPECT_FALSE(state_.decryptActive);
  }
}

TEST_F(SfxCarriedTest, SelfDecryptionRefusals) {
  MakeContainer("a.txt", "a.jmz", 2000);
  struct Case {
    const char* what;
    std::string carried;
    std::string key;
    std::string line;
  };
  const std::vector<Case> cases = {
      {"wrong key", Read("a.jmz"), "kez", "解密的密钥与加密的文件里的密钥不相同,不能解密:自解密里的已加密文件:a.jmz"},
      {"no container, no .zak fall-back", Content(3000), "key",
       "加密的文件(被破坏)保存的文件标识不相符。解密文件已取消:自解密里的已加密文件:a.jmz"},
      {"empty key", Read("a.jmz"), "",
       "不能解密:解密密钥是空的,请输入已加密文件的解密密钥。解密文件已取消:自解密里的已加密文件:a.jmz"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetHost();
    Package("p.exe", "a.jmz", c.carried);
    SelfDecrypt("p.exe", "out/plain", c.key);
    EXPECT_EQ(host_.log, std::vector<std::string>{c.line});
    EXPECT_TRUE(Names("out").empty());
    EXPECT_EQ(host_.Events("unlock"), std::vector<std::string>{"4"});
  }
}

TEST_F(SfxCarriedTest, CancelledSelfDecryptionLeavesNothing) {
  MakeContainer("a.txt", "a.jmz", 3 << 20);
  Package("p.exe", "a.jmz", Read("a.jmz"));
  host_.answers = {true};
  host_.onProgress = [this](std::int32_t p) {
    if (p > 0 && state_.decryptActive) {
      engine::JobWindow w = Window();
      sfx::CancelSelfDecrypt(w, "a.jmz");
    }
  };
  SelfDecrypt("p.exe", "out/plain");
  EXPECT_EQ(host_.log, std::vector<std::string>{"自解密文件已取消:a.jmz"});
  EXPECT_EQ(host_.questions, std::vector<std::string>{"真的要取消自解密：“a.jmz”吗?"});
  EXPECT_TRUE(Names("out").empty());
}

}  // namespace

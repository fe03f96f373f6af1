// The header reader's repairs, refusals and retries, with the texts it
// reports in the order it reports them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "container_builder.h"
#include "engine/format/save_key_reader.h"

namespace {

using engine::OpenResult;
using testing_support::BuildContainer;
using testing_support::ContainerRecipe;
namespace text = engine::read_text;

class Recorder final : public engine::ReaderEvents {
 public:
  void Report(std::string t) override { reports.push_back(std::move(t)); }
  bool AskTryNewerVersion() override {
    ++questions;
    return answer;
  }
  void Status(std::string_view) override {}

  std::vector<std::string> reports;
  int questions = 0;
  bool answer = false;
};

std::vector<std::uint8_t> Payload(std::size_t size) {
  std::vector<std::uint8_t> p(size);
  for (std::size_t i = 0; i < size; ++i) p[i] = static_cast<std::uint8_t>(i * 131 + 7);
  return p;
}

ContainerRecipe Recipe(std::size_t payloadSize, int version = 66, std::string key = "key1") {
  ContainerRecipe r;
  r.fields.version = version;
  r.fields.r1 = 17;
  r.fields.r2 = 91;
  r.fields.r3 = 203;
  r.fields.extension = ".txt";
  r.key = std::move(key);
  r.payload = Payload(payloadSize);
  return r;
}

struct Opened {
  engine::OpenOutcome outcome;
  std::vector<std::string> reports;
  int questions = 0;
  std::vector<std::uint8_t> plain;
};

Opened Open(const std::vector<std::uint8_t>& container, const std::string& key, bool answerYes = false,
            bool running = true) {
  platform::MemorySource source(container);
  Recorder events;
  events.answer = answerYes;
  engine::RunFlag flag{running};
  Opened o;
  o.outcome = engine::OpenSaveKeyContainer(source, {0, container.size()}, engine::AsBytes(key), events, flag);
  if (o.outcome.result == OpenResult::kOpened) {
    platform::MemorySink sink;
    engine::BodyMonitor monitor{flag, {}};
    EXPECT_TRUE(engine::DecryptSaveKeyBody(source, {0, container.size()}, *o.outcome.container, sink, monitor));
    o.plain = sink.Bytes();
  }
  o.reports = events.reports;
  o.questions = events.questions;
  return o;
}

std::vector<std::string> Texts(std::initializer_list<std::string_view> texts) {
  return std::vector<std::string>(texts.begin(), texts.end());
}

TEST(ReaderRepairs, ValidContainersOfEveryVersionOpenWithoutReports) {
  for (int version : {66, 56, 38, 18, 11}) {
    for (std::size_t size : {1u, 1023u, 1024u, 6000u}) {
      SCOPED_TRACE(testing::Message() << "version " << version << " size " << size);
      const ContainerRecipe r = Recipe(size, version);
      const Opened o = Open(BuildContainer(r), r.key);
      ASSERT_EQ(o.outcome.result, OpenResult::kOpened);
      EXPECT_TRUE(o.reports.empty());
      EXPECT_EQ(o.plain, r.payload);
      EXPECT_EQ(o.outcome.container->extension, ".txt");
    }
  }
}

TEST(ReaderRepairs, CompressionLevelAbove3IsReportedAndReadAs2) {
  ContainerRecipe r = Recipe(50);
  r.fields.compression = 7;
  const Opened o = Open(BuildContainer(r), r.key);
  ASSERT_EQ(o.outcome.result, OpenResult::kOpened);
  EXPECT_EQ(o.reports, Texts({text::kCompressionDamaged}));
  EXPECT_EQ(o.outcome.container->fields.compression, 2);
}

TEST(ReaderRepairs, ExtensionLengthAbove215IsReadAs4) {
  ContainerRecipe r = Recipe(3000);
  r.overrideExtensionLength = true;
  r.storedExtensionLength = 220;
  const Opened o = Open(BuildContainer(r), r.key);
  ASSERT_EQ(o.outcome.result, OpenResult::kOpened);
  EXPECT_EQ(o.reports, Texts({text::kExtensionLength}));
  // ".txt" has 4 bytes, so the repaired length happens to be right.
  EXPECT_EQ(o.outcome.container->extension, ".txt");
  EXPECT_EQ(o.plain, r.payload);
}

TEST(ReaderRepairs, DamagedOrUnsafeExtensionsBecomeExt) {
  for (const std::string& bad : std::vector<std::string>{"txt", ".", "..", "./../x", ".a\\b", ".c:", ".d\x01", ".\xFF\xFF"}) {
    SCOPED_TRACE(bad);
    ContainerRecipe r = Recipe(40);
    r.fields.extension = bad;
    const Opened o = Open(BuildContainer(r), r.key);
    ASSERT_EQ(o.outcome.result, OpenResult::kOpened);
    EXPECT_EQ(o.reports, Texts({text::kExtensionDamaged}));
    EXPECT_EQ(o.outcome.container->extension, ".ext");
    EXPECT_EQ(o.plain, r.payload);
  }
}

TEST(ReaderRepairs, ExtensionsAreKeptUpTo36CharactersAndGbkIsDecoded) {
  ContainerRecipe r = Recipe(40);
  r.fields.extension = "." + std::string(100, 'a');
  Opened o = Open(BuildContainer(r), r.key);
  ASSERT_EQ(o.outcome.result, OpenResult::kOpened);
  EXPECT_EQ(o.outcome.container->extension, "." + std::string(35, 'a'));

  r.fields.extension = "\x2E\xCE\xC4\xB5\xB5";  // ".文档" in GBK
  o = Open(BuildContainer(r), r.key);
  ASSERT_EQ(o.outcome.result, OpenResult::kOpened);
  EXPECT_TRUE(o.reports.empty());
  EXPECT_EQ(o.outcome.container->extension, ".文档");
}

TEST(ReaderRepairs, WrongStoredSizesAreReportedAndReplacedByTheComputedSize) {
  struct Case {
    int version;
    std::uint64_t stored;
    std::vector<std::string> reports;
  };
  const std::string mismatch = std::string(text::kSizeMismatch);
  // Versions up to 35 compute 12 bytes more (one key check) than their
  // payload, and the repair takes the payload's own size.
  const std::vector<Case> cases = {
      {66, 0, {std::string(text::kSizeBelowOne), mismatch + "0<>2000:"}},
      {66, (1ull << 32) + 5, {std::string(text::kSizeAbove4G), mismatch + "4294967301<>2000:"}},
      {66, 2500, {mismatch + "2500<>2000:"}},
      {18, 0, {std::string(text::kSizeBelowOne), mismatch + "0<>2012:"}},
      {18, 2013, {mismatch + "2013<>2012:"}},
      {11, 2500, {mismatch + "2500<>2012:"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "version " << c.version << " stored " << c.stored);
    ContainerRecipe r = Recipe(2000, c.version);
    r.overrideStoredSize = true;
    r.storedSize = c.stored;
    const Opened o = Open(BuildContainer(r), r.key);
    ASSERT_EQ(o.outcome.result, OpenResult::kOpened);
    EXPECT_EQ(o.reports, c.reports);
    EXPECT_EQ(o.outcome.container->fields.payloadSize, 2000u);
    EXPECT_EQ(o.plain, r.payload);
  }
}

TEST(ReaderRepairs, ASmallerStoredSizeIsReportedButKept) {
  ContainerRecipe r = Recipe(2000);
  r.overrideStoredSize = true;
  r.storedSize = 1500;
  const Opened o = Open(BuildContainer(r), r.key);
  ASSERT_EQ(o.outcome.result, OpenResult::kOpened);
  EXPECT_EQ(o.reports, Texts({std::string(text::kSizeMismatch) + "1500<>2000:"}));
  EXPECT_EQ(o.plain, std::vector<std::uint8_t>(r.payload.begin(), r.payload.begin() + 1500));
}

TEST(ReaderRepairs, SmallStoredSizesWithTheHeaderAt260DecipherExactlyThatMany) {
  // A 1,024-byte payload keeps its header at 260 and its key check at P; a
  // damaged size below P must end the body before the points it does not reach.
  for (int version : {66, 18, 11}) {
    ContainerRecipe r = Recipe(1024, version, "twelve-bytes");
    r.fields.r1 = 34, r.fields.r2 = 98, r.fields.r3 = 224;
    const std::uint64_t p = engine::KeyCheckPoint(version, r.fields.r2);
    const std::uint64_t computed = version > 35 ? 1024 : 1024 + 12;
    for (std::uint64_t stored : {std::uint64_t{1}, std::uint64_t{259}, std::uint64_t{260}, std::uint64_t{261}, p - 1, p,
                                 p + 1}) {
      SCOPED_TRACE(testing::Message() << "version " << version << " P " << p << " stored " << stored);
      r.overrideStoredSize = true;
      r.storedSize = stored;
      const Opened o = Open(BuildContainer(r), r.key);
      ASSERT_EQ(o.outcome.result, OpenResult::kOpened);
      EXPECT_EQ(o.reports, Texts({std::string(text::kSizeMismatch) + std::to_string(stored) + "<>" +
                                  std::to_string(computed) + ":"}));
      ASSERT_EQ(o.plain.size(), stored);
      // The bytes past the last whole word were enciphered as words but are
      // now tail bytes with their own rule (version 11 has no tail).
      const std::size_t same = version == 11 ? stored : stored & ~std::uint64_t{3};
      EXPECT_TRUE(std::equal(o.plain.begin(), o.plain.begin() + same, r.payload.begin()));
    }
  }
}

TEST(ReaderRefusals, KeyProblemsAreRefusedWithTheirTexts) {
  const ContainerRecipe r = Recipe(300, 66, "secret");
  const auto container = BuildContainer(r);
  EXPECT_EQ(Open(container, "").reports, Texts({text::kKeyEmpty}));
  EXPECT_EQ(Open(container, "secre").reports, Texts({text::kKeyMismatch}));
  EXPECT_EQ(Open(container, "secret!").reports, Texts({text::kKeyMismatch}));
  const Opened wrong = Open(container, "sekret");
  EXPECT_EQ(wrong.outcome.result, OpenResult::kRefused);
  EXPECT_EQ(wrong.reports, Texts({text::kKeyMismatch}));
}

TEST(ReaderRefusals, StoredKeyLengthOutside1To5012IsDamage) {
  for (std::uint16_t stored : {std::uint16_t{0}, std::uint16_t{5013}, std::uint16_t{65535}}) {
    SCOPED_TRACE(stored);
    ContainerRecipe r = Recipe(100);
    r.overrideKeyLength = true;
    r.storedKeyLength = stored;
    const Opened o = Open(BuildContainer(r), r.key);
    EXPECT_EQ(o.outcome.result, OpenResult::kRefused);
    EXPECT_EQ(o.reports, Texts({text::kKeyLengthDamaged}));
  }
}

TEST(ReaderRefusals, VersionsWithoutABodyRuleAreRefusedAsDamaged) {
  for (int version : {0, 10, 12}) {
    SCOPED_TRACE(version);
    ContainerRecipe r = Recipe(100, version);
    const Opened o = Open(BuildContainer(r), r.key);
    EXPECT_EQ(o.outcome.result, OpenResult::kRefused);
    EXPECT_EQ(o.reports, Texts({text::kVersionDamaged}));
  }
}

TEST(ReaderRefusals, NewerVersionsAreOnlyTriedWhenTheUserAgrees) {
  const ContainerRecipe r = Recipe(5000, 71);
  const auto container = BuildContainer(r);
  const Opened declined = Open(container, r.key, false);
  EXPECT_EQ(declined.questions, 1);
  EXPECT_EQ(declined.reports, Texts({text::kNewerDeclined}));

  const Opened tried = Open(container, r.key, true);
  EXPECT_EQ(tried.questions, 1);
  ASSERT_EQ(tried.outcome.result, OpenResult::kOpened);
  EXPECT_EQ(tried.plain, r.payload);

  EXPECT_EQ(Open(BuildContainer(Recipe(5000, 70)), r.key).questions, 0);
}

TEST(ReaderRetry, HeaderAt260IsFoundInFilesOf1033To5427Bytes) {
  for (std::size_t size : {1024u, 3000u, 5427u - 37 - 4 - 24}) {
    SCOPED_TRACE(size);
    const ContainerRecipe r = Recipe(size);
    const auto container = BuildContainer(r);
    ASSERT_LT(container.size(), engine::kProbeAtStartBelow);
    const Opened o = Open(container, r.key);
    ASSERT_EQ(o.outcome.result, OpenResult::kOpened);
    EXPECT_TRUE(o.reports.empty());
    EXPECT_EQ(o.plain, r.payload);
  }
}

TEST(ReaderRetry, ARefusalAtOffset0IsReportedOnceWhenTheRetryFindsNoHeader) {
  // A small payload with a long key: header at 0, file inside the retry range.
  const ContainerRecipe r = Recipe(100, 66, std::string(2000, 'k'));
  const auto container = BuildContainer(r);
  ASSERT_GE(container.size(), engine::kRetryFrom);
  ASSERT_LE(container.size(), engine::kRetryTo);
  const Opened o = Open(container, std::string(1999, 'k') + "j");
  EXPECT_EQ(o.outcome.result, OpenResult::kRefused);
  EXPECT_EQ(o.reports, Texts({text::kKeyMismatch}));
  EXPECT_EQ(Open(container, r.key).plain, r.payload);
}

TEST(ReaderRetry, FilesWithoutAMarkerAreNoContainers) {
  for (std::size_t size : {0u, 11u, 12u, 2000u, 6000u}) {
    SCOPED_TRACE(size);
    const Opened o = Open(Payload(size), "key1");
    EXPECT_EQ(o.outcome.result, OpenResult::kNotContainer);
    EXPECT_TRUE(o.reports.empty());
  }
}

TEST(ReaderRetry, AKeyCheckRightAfterTheHeaderIsRead) {
  // Older writers of versions 11 and 18 could put the key check on the header point.
  for (int version : {11, 18}) {
    SCOPED_TRACE(version);
    ContainerRecipe r = Recipe(4000, version);
    r.fields.r2 = 0;
    ASSERT_EQ(engine::KeyCheckPoint(version, 0), engine::kHeaderPoint);
    const Opened o = Open(BuildContainer(r), r.key);
    ASSERT_EQ(o.outcome.result, OpenResult::kOpened);
    EXPECT_EQ(o.plain, r.payload);
  }
}

TEST(ReaderCancel, ADroppedFlagStopsBeforeAnyReport) {
  const ContainerRecipe r = Recipe(100);
  const Opened o = Open(BuildContainer(r), r.key, false, false);
  EXPECT_EQ(o.outcome.result, OpenResult::kStopped);
  EXPECT_TRUE(o.reports.empty());
}

}  // namespace

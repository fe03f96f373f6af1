// The authenticated container through the encryption and decryption jobs:
// the independent vectors, round trips at the chunk boundaries, batches that
// share one key derivation, cancel and refusals that leave nothing.
#include <fstream>

#include "engine/aead/crypto.h"
#include "engine/jobs/aead_texts.h"
#include "engine/jobs/decrypt_job.h"
#include "engine/jobs/encrypt_job.h"
#include "job_fixture.h"

namespace {

using testing_support::Content;
using testing_support::JobTest;
namespace fs = std::filesystem;
namespace aead = engine::aead;

std::string Hex(const aead::Mac& digest) {
  static const char* const kDigits = "0123456789abcdef";
  std::string s;
  for (std::uint8_t b : digest) s += {kDigits[b >> 4], kDigits[b & 15]};
  return s;
}

std::string Sha256Hex(const std::string& bytes) { return Hex(aead::Sha256(engine::AsBytes(bytes))); }

// Small parameters keep the tests fast; the format allows them.
constexpr aead::KdfParams kTestParams{64, 1, 1};

class AeadJobTest : public JobTest {
 protected:
  void Encrypt(const std::string& file, const std::string& key, int level = 0,
               std::shared_ptr<aead::KdfBatch> batch = nullptr) {
    engine::JobWindow w = Window();
    engine::EncryptJobInput in;
    in.file = Path(file);
    in.encryptKeyText = key;
    in.encryptKey = "unused";
    in.zipLevel = level;
    in.outputFolder = Path("out");
    in.aead = {true, kTestParams, std::move(batch)};
    engine::RunEncryptJob(w, in);
  }

  void Decrypt(const std::string& file, const std::string& key, std::shared_ptr<aead::KdfBatch> batch = nullptr,
               const std::string& folder = "back") {
    fs::create_directories(Path(folder));
    engine::JobWindow w = Window();
    engine::DecryptJobInput in;
    in.source = Path(file);
    in.decryptKeyText = key;
    in.outputFolder = Path(folder);
    in.aeadBatch = std::move(batch);
    engine::RunDecryptJob(w, in);
  }

  std::string LastLog() const { return host_.log.empty() ? "" : host_.log.back(); }
};

struct Vector {
  const char* file;
  const char* key;
  const char* sha256;          // success: the content's digest; empty for a failure
  const char* extension;       // success: the output's extension
  std::string_view failure;    // the log text of a failure
};

const std::string kMultibyteKey = "\xF0\x9F\x94\x91 多字节\r\n第二行";

const Vector kVectors[] = {
    {"empty.jmz", "abc", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855", ".txt", {}},
    {"small.jmz", "密钥 key", "753110f2b69640e51743ecf7e5249f2c813cafc1e8c1313a3bde81c25338ab29", ".txt", {}},
    {"one-full-chunk.jmz", "abc", "5e2a42db0c25809017e21501ef2b3675d6f85c65fa17b391c03e6629ed83657b", ".bin", {}},
    {"two-full-chunks.jmz", "abc", "5183d397e9d7f4669b9a5b48b9c76a69f0b4fc0a4dad62c1d4281264eaeb2145", ".bin", {}},
    {"compressed-many-chunks.jmz", "abc", "7b9fab13db9efc3eb1c2ed8fe09deef7d78b022f991526189ee80ecf4fe7d4f0", ".csv", {}},
    {"no-extension.jmz", "abc", "84d89877f0d4041efb6bf91a16f0248f2fd573e6af05c19f96bedb9f882f7882", "", {}},
    {"multibyte-key.jmz", nullptr, "753110f2b69640e51743ecf7e5249f2c813cafc1e8c1313a3bde81c25338ab29", ".txt", {}},
    {"large-e16.jmz", "abc", "682fcf84f98d1a80e2ed0175acdd84bc520e66d94b1b61d7a3fbbc286c5851c3", ".dat", {}},
    {"unsafe-extension.jmz", "abc", "2cf24dba5fb0a30e26e83b2ac5b9e29e1b161e5c1fa7425e73043362938b9824", ".ext", {}},
    {"wrong-key.jmz", "密钥 kez", "", "", engine::aead_text::kWrongKey},
    {"header-damaged.jmz", "密钥 key", "", "", engine::aead_text::kDamagedHeader},
    {"header-mac-differs.jmz", "密钥 key", "", "", engine::aead_text::kWrongKey},
    {"chunk-damaged.jmz", "abc", "", "", engine::aead_text::kDamagedChunk},
    {"truncated-at-chunk.jmz", "abc", "", "", engine::aead_text::kTruncated},
    {"truncated-in-chunk.jmz", "abc", "", "", engine::aead_text::kDamagedChunk},
    {"appended.jmz", "abc", "", "", engine::aead_text::kDataAfterEnd},
    {"chunks-swapped.jmz", "abc", "", "", engine::aead_text::kDamagedChunk},
    {"memory-too-large.jmz", "密钥 key", "", "", engine::aead_text::kOutOfRange},
    {"passes-too-many.jmz", "密钥 key", "", "", engine::aead_text::kOutOfRange},
    {"version-2.jmz", "密钥 key", "", "", engine::aead_text::kNewerVersion},
    {"compressed-trailing.jmz", "abc", "", "", engine::aead_text::kDamagedContent},
    {"size-differs.jmz", "abc", "", "", engine::aead_text::kDamagedContent},
    {"metadata-short.jmz", "abc", "", "", engine::aead_text::kDamagedMetadata},
};

TEST_F(AeadJobTest, EveryVectorGivesItsResultAndAFailureWritesNothing) {
  for (const Vector& v : kVectors) {
    SCOPED_TRACE(v.file);
    host_.log.clear();
    fs::remove_all(Path("back"));
    fs::copy_file(fs::path(XCJM_AEAD_VECTORS) / v.file, Path(v.file), fs::copy_options::overwrite_existing);
    Decrypt(v.file, v.key ? v.key : kMultibyteKey);
    const std::string stem = fs::path(v.file).stem().string();
    if (*v.sha256) {
      ASSERT_EQ(Names("back"), std::vector<std::string>{stem + v.extension});
      EXPECT_EQ(Sha256Hex(Read("back/" + stem + v.extension)), v.sha256);
      EXPECT_EQ(LastLog(), std::string(engine::aead_text::kDecryptDone) + Display(v.file));
      const bool warned = std::find(host_.log.begin(), host_.log.end(),
                                    "加密文件里保存的扩展名已被破坏,解密后请改正文件扩展名。" + Display(v.file)) !=
                          host_.log.end();
      EXPECT_EQ(warned, std::string_view(v.file) == "unsafe-extension.jmz");
    } else {
      EXPECT_TRUE(Names("back").empty());
      EXPECT_EQ(LastLog(), std::string(v.failure) + Display(v.file));
    }
    EXPECT_TRUE(Names("tmp").empty());
    EXPECT_FALSE(state_.decryptActive);
  }
}

struct RoundTrip {
  std::size_t size;
  int level;
  std::string key;
};

TEST_F(AeadJobTest, RoundTripsAtChunkBoundariesLevelsAndKeys) {
  // The stream is a 16-byte record (".bin") and the content; e = 16.
  constexpr std::size_t kChunk = 1 << 16, kRecord = 16;
  const RoundTrip cases[] = {
      {0, 0, "abc"},
      {kChunk - 1 - kRecord, 0, "abc"},
      {kChunk - kRecord, 0, "abc"},
      {kChunk + 1 - kRecord, 0, "abc"},
      {2 * kChunk - kRecord, 0, "abc"},
      {300001, 1, "abc"},
      {300001, 2, "\xF0\x9F\x94\x91 key"},
      {300001, 3, "line\r\nbreak"},
      {5 * (2 << 20) + 7, 0, "多字节"},
  };
  for (const RoundTrip& c : cases) {
    SCOPED_TRACE(testing::Message() << c.size << " level " << c.level);
    fs::remove_all(Path("out"));
    fs::remove_all(Path("back"));
    fs::create_directories(Path("out"));
    const std::string content = Content(c.size, static_cast<unsigned>(c.size));
    Write("data.bin", content);
    Encrypt("data.bin", c.key, c.level);
    ASSERT_EQ(Names("out"), std::vector<std::string>{"data.jmz"});
    EXPECT_EQ(LastLog(), std::string(engine::aead_text::kDone) + Display("data.bin"));
    Decrypt("out/data.jmz", c.key);
    ASSERT_EQ(Names("back"), std::vector<std::string>{"data.bin"});
    EXPECT_TRUE(Read("back/data.bin") == content);
    if (c.level == 0) {
      const std::uint64_t chunks = (c.size + kRecord + kChunk - 1) / kChunk;
      EXPECT_EQ(fs::file_size(Path("out/data.jmz")), 92 + c.size + kRecord + 16 * chunks);
    }
  }
  EXPECT_TRUE(Names("tmp").empty());
}

TEST_F(AeadJobTest, ABatchDerivesEachKeyOnce) {
  auto writing = std::make_shared<aead::KdfBatch>();
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
    Write(name, Content(1000));
    Encrypt(name, "key", 0, writing);
  }
  EXPECT_EQ(writing->Derivations(), 1u);
  auto reading = std::make_shared<aead::KdfBatch>();
  for (const char* name : {"out/a.jmz", "out/b.jmz", "out/c.jmz"}) Decrypt(name, "key", reading);
  EXPECT_EQ(Names("back"), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
  EXPECT_EQ(reading->Derivations(), 1u);
}

TEST_F(AeadJobTest, CancelAtAChunkLeavesNothing) {
  Write("big.bin", Content(12 << 20));
  host_.onProgress = [this](std::int32_t position) {
    if (position > 0) state_.encryptActive = false;
  };
  Encrypt("big.bin", "key");
  EXPECT_TRUE(Names("out").empty());

  host_.onProgress = nullptr;
  Encrypt("big.bin", "key");
  ASSERT_EQ(Names("out"), std::vector<std::string>{"big.jmz"});
  host_.onProgress = [this](std::int32_t position) {
    if (position > 0) state_.decryptActive = false;
  };
  Decrypt("out/big.jmz", "key");
  EXPECT_TRUE(Names("back").empty());
  EXPECT_TRUE(Names("tmp").empty());
}

TEST_F(AeadJobTest, AnEmptyKeyIsRefusedWhenDecrypting) {
  Write("a.txt", "text");
  Encrypt("a.txt", "key");
  Decrypt("out/a.jmz", "");
  EXPECT_TRUE(Names("back").empty());
  EXPECT_EQ(LastLog(), "不能解密:解密密钥是空的,请输入已加密文件的解密密钥。解密文件已取消:" + Display("out/a.jmz"));
}

}  // namespace

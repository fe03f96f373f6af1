// Facts of the container layouts checked on the bytes the engine writes:
// lengths, where the header and the key check sit, which keys the reader
// refuses, and the old versions' header-point case.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <random>
#include <set>
#include <vector>

#include "engine/format/nokey_container.h"
#include "engine/format/save_key_reader.h"
#include "engine/format/save_key_writer.h"
#include "tests/native/oracle/engine_harness.h"
#include "tests/native/oracle/literal_containers.h"

namespace {

using harness::Bytes;
using harness::SameBytes;
using harness::ScriptedBytes;
using harness::SeededBytes;

constexpr int kSaveKeyVersions[] = {66, 56, 38, 18, 11};
constexpr int kNoKeyVersions[] = {38, 30, 20};

// The trailer repeats the header's seed and parameter bytes and the key check
// under fixed masks; reading them back from the end of the file lets a test
// find the blocks inside the file without decoding anything.
struct TrailerCopies {
  Bytes seed;       // SeedBlock
  Bytes param;      // ParamBlock
  std::uint8_t extensionLength = 0;  // the stored (masked) extension length byte
  Bytes keyCheck;   // KeyCheckBlock
  Bytes magic;      // as stored
};

TrailerCopies ReadTrailer(const Bytes& file, std::size_t k) {
  const std::size_t base = file.size() - (16 + k);
  TrailerCopies t;
  for (std::size_t i = 0; i < 4; ++i) t.seed.push_back(static_cast<std::uint8_t>(file[base + i] ^ 0x80));
  for (std::size_t i = 4; i < 7; ++i) t.param.push_back(static_cast<std::uint8_t>(file[base + i] ^ 0x81));
  t.extensionLength = static_cast<std::uint8_t>(file[base + 7] ^ 0x83);
  for (std::size_t i = 0; i < k; ++i) t.keyCheck.push_back(static_cast<std::uint8_t>(file[base + 8 + i] ^ 0x82));
  t.magic.assign(file.end() - 8, file.end());
  return t;
}

Bytes Slice(const Bytes& file, std::size_t at, std::size_t length) {
  if (at + length > file.size()) return {};
  return Bytes(file.begin() + static_cast<std::ptrdiff_t>(at), file.begin() + static_cast<std::ptrdiff_t>(at + length));
}

// The header blocks found at `offset`: seed and parameters as the trailer
// repeats them, the marker ".jmz" under X, A', B', C', the version under R1'
// and the stored extension length.
::testing::AssertionResult HeaderAt(const Bytes& file, std::size_t offset, const TrailerCopies& t, int version) {
  if (Slice(file, offset, 4) != t.seed) return ::testing::AssertionFailure() << "seed block not at " << offset;
  if (Slice(file, offset + 4, 3) != t.param) return ::testing::AssertionFailure() << "param block not at " << offset;
  const std::uint8_t x = t.seed[3], a = t.param[0], b = t.param[1], c = t.param[2];
  if ((file[offset + 7] ^ x) != '.' || (file[offset + 8] ^ a) != 'j' || (file[offset + 9] ^ b) != 'm' ||
      (file[offset + 10] ^ c) != 'z') {
    return ::testing::AssertionFailure() << "no marker at " << offset + 7;
  }
  if ((file[offset + 11] ^ t.seed[0]) != version) return ::testing::AssertionFailure() << "version byte differs";
  if (file[offset + 20] != t.extensionLength) return ::testing::AssertionFailure() << "extension length differs";
  return ::testing::AssertionSuccess();
}

std::uint8_t StoredR2(const TrailerCopies& t) { return static_cast<std::uint8_t>(t.seed[1] ^ t.param[0] ^ t.param[1]); }

Bytes Text(std::string_view s) { return Bytes(s.begin(), s.end()); }

// ---------------------------------------------------------------- save-key layout

TEST(SaveKeyLayout, LengthHeaderPlacementAndTrailer) {
  std::mt19937 gen(31);
  const Bytes extensions[] = {Bytes{}, Text(".txt"), harness::RandomExtension(gen, 215, true)};
  for (int version : kSaveKeyVersions) {
    for (std::size_t size : {1u, 3u, 1023u, 1024u, 1027u, 5428u}) {
      for (std::size_t keyLength : {1u, 11u, 12u, 13u, 2056u}) {
        for (const Bytes& extension : extensions) {
          const Bytes key = harness::RandomGbkText(gen, keyLength, keyLength > 11);
          const Bytes payload = harness::RandomPayload(size, static_cast<std::uint32_t>(gen()));
          SeededBytes draw(static_cast<std::uint32_t>(gen()));
          const auto written =
              harness::EngineWriteSaveKey(payload, harness::Options(key, version, extension), std::ref(draw));
          SCOPED_TRACE("version " + std::to_string(version) + ", payload " + std::to_string(size) + ", key " +
                       std::to_string(keyLength) + ", extension " + std::to_string(extension.size()));
          ASSERT_EQ(written.result, engine::WriteResult::kDone);
          const Bytes& file = written.bytes;
          const std::size_t k = harness::FilledLength(keyLength);
          ASSERT_EQ(file.size(), size + 37 + extension.size() + 2 * k);

          const TrailerCopies t = ReadTrailer(file, k);
          const std::size_t headerOffset = size < 1024 ? 0 : 260;
          EXPECT_TRUE(HeaderAt(file, headerOffset, t, version));
          if (size < 1024) {
            EXPECT_EQ(Slice(file, 21 + extension.size(), k), t.keyCheck) << "key check right after the extension";
          }
          // The magic under R2', R3'.
          const std::uint8_t r2m = t.seed[1], r3m = t.seed[2];
          for (std::size_t i = 0; i < 8; ++i) {
            EXPECT_EQ(t.magic[i], static_cast<std::uint8_t>(static_cast<std::uint8_t>(oracle::kMagic[i] - r2m) ^ r3m));
          }
        }
      }
    }
  }
}

// R2 decides the key-check point; script it through every value and look
// for the key check (as the trailer repeats it) where it must sit.
TEST(SaveKeyLayout, KeyCheckPointForEveryR2) {
  std::mt19937 gen(32);
  const Bytes key = harness::RandomGbkText(gen, 16, true);
  const Bytes extension = Text(".docx");
  const Bytes payload = harness::RandomPayload(1501, 32);
  constexpr std::uint8_t kRedraw = 9;  // what the writer gets when it draws R2 again
  for (int version : kSaveKeyVersions) {
    std::set<std::uint64_t> points;
    for (int r2 = 0; r2 < 255; ++r2) {
      SCOPED_TRACE("version " + std::to_string(version) + ", R2 " + std::to_string(r2));
      ScriptedBytes draw({0x35, static_cast<std::uint8_t>(r2), 0xC1}, kRedraw);
      const auto written =
          harness::EngineWriteSaveKey(payload, harness::Options(key, version, extension), std::ref(draw));
      ASSERT_EQ(written.result, engine::WriteResult::kDone);
      const TrailerCopies t = ReadTrailer(written.bytes, key.size());
      ASSERT_TRUE(HeaderAt(written.bytes, 260, t, version));

      const bool redrawn = (version == 11 || version == 18) && r2 < 4;
      const std::uint8_t used = redrawn ? kRedraw : static_cast<std::uint8_t>(r2);
      EXPECT_EQ(StoredR2(t), used);
      EXPECT_EQ(draw.Drawn(), redrawn ? 4u : 3u);

      std::uint64_t p = 0;
      if (version == 11) {
        p = 260 + used;
      } else {
        std::uint64_t q = used >> 2;
        if (version > 36 && q < 2) q = 2;
        p = 260 + 4 * q;
      }
      EXPECT_NE(p, 260u);
      if (version > 36) {
        EXPECT_GE(p, 268u);
      }
      EXPECT_EQ(Slice(written.bytes, p + 21 + extension.size(), key.size()), t.keyCheck)
          << "key check expected at payload offset " << p;
      points.insert(p);
    }
    // Every point the rule allows was reached.
    if (version == 11) {
      EXPECT_EQ(points.size(), 251u);
      EXPECT_EQ(*points.begin(), 264u);
      EXPECT_EQ(*points.rbegin(), 514u);
    } else {
      EXPECT_EQ(*points.begin(), version > 36 ? 268u : 264u);
      EXPECT_EQ(*points.rbegin(), 512u);
      EXPECT_EQ(points.size(), version > 36 ? 62u : 63u);
    }
  }
}

// ---------------------------------------------------------------- keys

TEST(SaveKeyKeys, WrongKeysAreRefusedByTheKeyCheck) {
  std::mt19937 gen(41);
  for (int version : kSaveKeyVersions) {
    // A payload below 1,024; one below 1,024 in a container of 1,033..5,427
    // bytes (a refusal there is retried at 260, and the first message
    // stands); one with the header at 260 in such a container; a larger one.
    for (std::size_t size : {100u, 1000u, 1500u, 7000u}) {
      for (std::size_t baseLength : {0u, 6u, 19u}) {
        const Bytes key = [&] {
          Bytes k = harness::RandomGbkText(gen, baseLength, true);
          k.push_back('Z');  // ends in a one-byte character so a prefix is a whole text
          return k;
        }();
        const Bytes payload = harness::RandomPayload(size, static_cast<std::uint32_t>(size + baseLength));
        SeededBytes draw(static_cast<std::uint32_t>(version * 100 + size + baseLength));
        const auto written =
            harness::EngineWriteSaveKey(payload, harness::Options(key, version, Text(".txt")), std::ref(draw));
        ASSERT_EQ(written.result, engine::WriteResult::kDone);

        Bytes sameLengthOther = key;
        sameLengthOther.back() = 'Y';
        Bytes otherFirstByte = key;
        otherFirstByte.front() = static_cast<std::uint8_t>(otherFirstByte.front() ^ 0x01);
        Bytes longer = key;
        longer.push_back('q');
        std::vector<std::pair<std::string, Bytes>> wrong = {
            {"same length, last character differs", sameLengthOther},
            {"same length, first byte differs", otherFirstByte},
            {"key plus one character", longer},
        };
        if (key.size() > 1) wrong.push_back({"prefix", Bytes(key.begin(), key.end() - 1)});

        for (const auto& [what, typed] : wrong) {
          SCOPED_TRACE("version " + std::to_string(version) + ", payload " + std::to_string(size) + ", key " +
                       std::to_string(key.size()) + ": " + what);
          const harness::EngineRead read = harness::EngineReadSaveKey(written.bytes, typed);
          EXPECT_EQ(read.result, engine::OpenResult::kRefused);
          EXPECT_EQ(read.reports, std::vector<std::string>{std::string(engine::read_text::kKeyMismatch)});
          EXPECT_TRUE(read.payload.empty());
        }
        SCOPED_TRACE("version " + std::to_string(version) + ", payload " + std::to_string(size) + ": right key");
        const harness::EngineRead right = harness::EngineReadSaveKey(written.bytes, key);
        ASSERT_EQ(right.result, engine::OpenResult::kOpened);
        EXPECT_TRUE(SameBytes(payload, right.payload));
      }
    }
  }
}

TEST(SaveKeyKeys, EmptyKeyIsRefused) {
  for (int version : kSaveKeyVersions) {
    SeededBytes draw(static_cast<std::uint32_t>(version));
    const Bytes payload = harness::RandomPayload(50, 1);
    const auto written =
        harness::EngineWriteSaveKey(payload, harness::Options(Text("abc"), version, Text(".txt")), std::ref(draw));
    const harness::EngineRead read = harness::EngineReadSaveKey(written.bytes, Bytes{});
    EXPECT_EQ(read.result, engine::OpenResult::kRefused) << "version " << version;
    EXPECT_EQ(read.reports, std::vector<std::string>{std::string(engine::read_text::kKeyEmpty)});
  }
}

// A 1-byte key is completed with 11 random filler bytes; decryption takes the
// filler from the stored key check, and the filler never counts as key.
TEST(SaveKeyKeys, OneByteKeyDecryptsWhateverTheFiller) {
  const Bytes key = {0xB0};  // a lone lead byte value: keys are bytes here
  for (int version : kSaveKeyVersions) {
    for (std::size_t size : {2u, 1030u}) {
      const Bytes payload = harness::RandomPayload(size, static_cast<std::uint32_t>(size));
      std::vector<Bytes> keyChecks;
      for (std::uint8_t fill : {std::uint8_t{0}, std::uint8_t{0x7F}, std::uint8_t{254}}) {
        SCOPED_TRACE("version " + std::to_string(version) + ", payload " + std::to_string(size) + ", filler " +
                     std::to_string(fill));
        std::vector<std::uint8_t> script(11, fill);
        script.push_back(0x10);  // R1
        script.push_back(0x40);  // R2
        script.push_back(0x70);  // R3
        ScriptedBytes draw(script, 5);
        const auto written =
            harness::EngineWriteSaveKey(payload, harness::Options(key, version, Text(".bin")), std::ref(draw));
        ASSERT_EQ(written.result, engine::WriteResult::kDone);
        ASSERT_EQ(written.bytes.size(), size + 37 + 4 + 24);
        const Bytes keyCheck = ReadTrailer(written.bytes, 12).keyCheck;
        EXPECT_EQ(std::count(keyChecks.begin(), keyChecks.end(), keyCheck), 0) << "the filler is stored in the key check";
        keyChecks.push_back(keyCheck);

        const harness::EngineRead read = harness::EngineReadSaveKey(written.bytes, key);
        ASSERT_EQ(read.result, engine::OpenResult::kOpened);
        EXPECT_TRUE(SameBytes(payload, read.payload));

        Bytes keyWithFiller = key;
        keyWithFiller.insert(keyWithFiller.end(), 11, fill);
        const harness::EngineRead filled = harness::EngineReadSaveKey(written.bytes, keyWithFiller);
        EXPECT_EQ(filled.result, engine::OpenResult::kRefused) << "the filler is not part of the key";
      }
    }
  }
}

// ---------------------------------------------------------------- the header point of the old versions

// Versions 11 and 18 allow P = 260 (R2 < 4; R2 = 0 for version 11), as do
// the versions up to 36 that this tool only reads. The reader then looks for
// the key check right behind the header, so a file that carries it there
// opens; the old writer put nothing there (the key check never reached the
// body) and such a file is refused as a key mismatch, since the reader takes
// body bytes for the key check.
struct HeaderPointCase {
  int version;
  std::uint8_t r2;
};

std::vector<HeaderPointCase> WrittenHeaderPointCases() {
  return {{11, 0}, {18, 0}, {18, 1}, {18, 2}, {18, 3}};
}

std::vector<HeaderPointCase> ReadHeaderPointCases() {
  std::vector<HeaderPointCase> cases = WrittenHeaderPointCases();
  cases.push_back({20, 3});
  cases.push_back({36, 1});
  return cases;
}

TEST(OldVersionHeaderPoint, KeyCheckRightAfterTheHeaderIsRead) {
  std::mt19937 gen(51);
  for (const HeaderPointCase& c : ReadHeaderPointCases()) {
    for (std::size_t size : {1024u, 1031u, 4000u, 9000u}) {
      for (std::size_t keyLength : {3u, 40u}) {
        oracle::SaveKeyInput input;
        input.key = harness::RandomGbkText(gen, keyLength, true);
        input.version = c.version;
        input.extension = Text(".log");
        input.randoms.filler = Bytes(keyLength < 12 ? 12 - keyLength : 0, 0x33);
        input.randoms.r1 = 0x5A;
        input.randoms.r2 = c.r2;
        input.randoms.r3 = 0xA5;
        input.clash = oracle::HeaderPointClash::kKeyCheckAfterHeader;
        const Bytes payload = harness::RandomPayload(size, static_cast<std::uint32_t>(size * 3 + keyLength));
        const Bytes container = oracle::WriteSaveKey(payload, input);
        const std::size_t k = harness::FilledLength(keyLength);
        SCOPED_TRACE("version " + std::to_string(c.version) + ", R2 " + std::to_string(c.r2) + ", payload " +
                     std::to_string(size) + ", key " + std::to_string(keyLength));
        ASSERT_EQ(container.size(), size + 37 + 4 + 2 * k);
        EXPECT_EQ(Slice(container, 260 + 21 + 4, k), ReadTrailer(container, k).keyCheck);

        const harness::EngineRead read = harness::EngineReadSaveKey(container, input.key);
        ASSERT_EQ(read.result, engine::OpenResult::kOpened);
        EXPECT_TRUE(read.reports.empty()) << "first report: " << (read.reports.empty() ? "" : read.reports.front());
        EXPECT_TRUE(SameBytes(payload, read.payload));
        const oracle::SaveKeyRead literal = oracle::ReadSaveKey(container, input.key);
        ASSERT_EQ(literal.status, oracle::ReadStatus::kOk);
        EXPECT_TRUE(SameBytes(payload, literal.payload));
      }
    }
  }
}

TEST(OldVersionHeaderPoint, FileWithoutKeyCheckInTheBodyIsRefused) {
  std::mt19937 gen(52);
  for (const HeaderPointCase& c : WrittenHeaderPointCases()) {
    for (std::size_t size : {1024u, 4000u, 9000u}) {
      oracle::SaveKeyInput input;
      input.key = harness::RandomGbkText(gen, 14, false);
      input.version = c.version;
      input.extension = Text(".log");
      input.randoms.r1 = 0x5A;
      input.randoms.r2 = c.r2;
      input.randoms.r3 = 0xA5;
      input.clash = oracle::HeaderPointClash::kOmitKeyCheck;
      const Bytes payload = harness::RandomPayload(size, static_cast<std::uint32_t>(size));
      const Bytes container = oracle::WriteSaveKey(payload, input);
      SCOPED_TRACE("version " + std::to_string(c.version) + ", R2 " + std::to_string(c.r2) + ", payload " +
                   std::to_string(size));
      ASSERT_EQ(container.size(), size + 37 + 4 + 14) << "the key check appears only in the trailer";

      const harness::EngineRead read = harness::EngineReadSaveKey(container, input.key);
      EXPECT_EQ(read.result, engine::OpenResult::kRefused);
      EXPECT_EQ(read.reports, std::vector<std::string>{std::string(engine::read_text::kKeyMismatch)});
      EXPECT_EQ(oracle::ReadSaveKey(container, input.key).status, oracle::ReadStatus::kKeyMismatch);
    }
  }
}

// ---------------------------------------------------------------- inside a larger file

// A self-decrypting package carries a container after its own bytes: the
// reader counts every offset from the container's start.
TEST(SaveKeyLayout, ContainerInsideALargerFile) {
  std::mt19937 gen(61);
  const Bytes prefix = harness::RandomPayload(3001, 61);
  for (int version : kSaveKeyVersions) {
    for (std::size_t size : {700u, 1024u, 3000u, 8000u}) {
      const Bytes key = harness::RandomGbkText(gen, 9, true);
      const Bytes payload = harness::RandomPayload(size, static_cast<std::uint32_t>(size + version));
      SeededBytes draw(static_cast<std::uint32_t>(size * version));
      const auto written =
          harness::EngineWriteSaveKey(payload, harness::Options(key, version, Text(".pdf")), std::ref(draw));
      Bytes file = prefix;
      file.insert(file.end(), written.bytes.begin(), written.bytes.end());
      SCOPED_TRACE("version " + std::to_string(version) + ", payload " + std::to_string(size));
      const harness::EngineRead read = harness::EngineReadSaveKey(file, key, prefix.size(), written.bytes.size());
      ASSERT_EQ(read.result, engine::OpenResult::kOpened);
      EXPECT_TRUE(SameBytes(payload, read.payload));
    }
  }
}

// ---------------------------------------------------------------- no saved key

TEST(NoKeyLayout, LengthFramingAndSalt) {
  std::mt19937 gen(71);
  for (int version : kNoKeyVersions) {
    for (std::size_t size : {1u, 4u, 5u, 1024u, 5427u}) {
      for (std::size_t keyLength : {1u, 11u, 12u, 300u}) {
        const Bytes key = harness::RandomGbkText(gen, keyLength, true);
        const Bytes payload = harness::RandomPayload(size, static_cast<std::uint32_t>(gen()));
        SeededBytes saltDraw(static_cast<std::uint32_t>(version + size + keyLength));
        oracle::Salt salt;
        for (auto& t : salt) t = saltDraw();
        SeededBytes draw(static_cast<std::uint32_t>(version + size + keyLength));
        const auto written = harness::EngineWriteNoKey(payload, key, version, std::ref(draw));
        SCOPED_TRACE("version " + std::to_string(version) + ", payload " + std::to_string(size) + ", key " +
                     std::to_string(keyLength));
        ASSERT_EQ(written.result, engine::WriteResult::kDone);
        const Bytes& file = written.bytes;
        ASSERT_EQ(file.size(), size + 38);
        const std::uint8_t t8 = salt[8], t10 = salt[10];
        EXPECT_EQ(file[0], static_cast<std::uint8_t>(t8 ^ 0x80 ^ t10));
        EXPECT_EQ(file[1], static_cast<std::uint8_t>(version ^ t8 ^ t10));
        EXPECT_EQ(Slice(file, 2, 4), (Bytes{static_cast<std::uint8_t>('.' ^ t8 ^ t10),
                                            static_cast<std::uint8_t>('j' ^ t8 ^ t10),
                                            static_cast<std::uint8_t>('m' ^ t8 ^ t10),
                                            static_cast<std::uint8_t>('z' ^ t8 ^ t10)}));
        EXPECT_EQ(Slice(file, 6, 12), Bytes(salt.begin(), salt.end()));
        for (std::size_t i = 0; i < 12; ++i) EXPECT_EQ(file[18 + size + i], static_cast<std::uint8_t>(salt[i] ^ 0x7B));
        for (std::size_t i = 0; i < 8; ++i) {
          EXPECT_EQ(file[30 + size + i], static_cast<std::uint8_t>(static_cast<std::uint8_t>(t8 ^ oracle::kMagic[i]) - t10));
        }
      }
    }
  }
}

// The variant without the two version bytes: marker at 0, salt at 4..15,
// S + 36 bytes, fixed step and the subtracting word rule.
TEST(NoKeyLayout, ContainerWithoutVersionBytesDecrypts) {
  std::mt19937 gen(72);
  for (std::size_t size : {1u, 3u, 4u, 5u, 263u, 1024u, 5427u, 100'003u}) {
    for (std::size_t keyLength : {1u, 2u, 3u, 11u, 12u, 13u, 257u}) {
      const Bytes key = harness::RandomGbkText(gen, keyLength, keyLength % 2 == 0);
      const Bytes payload = harness::RandomPayload(size, static_cast<std::uint32_t>(gen()));
      SeededBytes draw(static_cast<std::uint32_t>(gen()));
      const Bytes container = oracle::WriteNoKey(payload, key, 0, oracle::DrawSalt(std::ref(draw)));
      SCOPED_TRACE("payload " + std::to_string(size) + ", key " + std::to_string(keyLength));
      ASSERT_EQ(container.size(), size + 36);

      const harness::EngineNoKeyRead read = harness::EngineReadNoKey(container, key);
      ASSERT_TRUE(read.header.has_value());
      EXPECT_EQ(read.header->offset, 0u);
      EXPECT_EQ(read.header->version, 0);
      EXPECT_EQ(read.header->PayloadSize(container.size()), static_cast<std::int64_t>(size));
      EXPECT_TRUE(read.bodyDone);
      EXPECT_TRUE(SameBytes(payload, read.payload));
    }
  }
}

// A save-key container is no no-saved-key container, and the other way round.
TEST(NoKeyLayout, FormatsDoNotMistakeEachOther) {
  std::mt19937 gen(73);
  for (int round = 0; round < 50; ++round) {
    const Bytes key = harness::RandomGbkText(gen, 1 + gen() % 30, true);
    const Bytes payload = harness::RandomPayload(1 + gen() % 3000, static_cast<std::uint32_t>(gen()));
    SeededBytes draw(static_cast<std::uint32_t>(gen()));
    const auto saveKey =
        harness::EngineWriteSaveKey(payload, harness::Options(key, kSaveKeyVersions[round % 5], Text(".txt")),
                                    std::ref(draw));
    platform::MemorySource source(saveKey.bytes);
    EXPECT_FALSE(engine::ReadNoKeyHeader(source).has_value()) << "round " << round;

    const auto noKey = harness::EngineWriteNoKey(payload, key, kNoKeyVersions[round % 3], std::ref(draw));
    const harness::EngineRead read = harness::EngineReadSaveKey(noKey.bytes, key);
    EXPECT_EQ(read.result, engine::OpenResult::kNotContainer) << "round " << round;
  }
}

}  // namespace

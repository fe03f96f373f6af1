// The engine's fast writers, readers and cipher pieces against the literal
// per-unit reference in tests/native/oracle: same inputs and same random
// draws must give the same bytes, and each side must read the other's files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

#include "engine/cipher/body_pump.h"
#include "engine/cipher/cipher.h"
#include "engine/format/nokey_container.h"
#include "engine/format/save_key_format.h"
#include "engine/format/save_key_reader.h"
#include "engine/format/save_key_writer.h"
#include "tests/native/oracle/engine_harness.h"
#include "tests/native/oracle/literal_containers.h"

namespace {

using harness::Bytes;
using harness::SameBytes;
using harness::SeededBytes;

constexpr std::size_t kBoundarySizes[] = {1, 2, 3, 4, 259, 260, 261, 262, 263, 264, 1023, 1024, 1025, 5427, 5428};

std::uint32_t Seed(int version, std::size_t a, std::size_t b) {
  return static_cast<std::uint32_t>(version) * 1000003u + static_cast<std::uint32_t>(a) * 7919u +
         static_cast<std::uint32_t>(b) * 104729u + 17u;
}

// Keys of the lengths that matter (1, 11, 12, 13, around 256, the longest)
// and a few random lengths; every other one holds double-byte characters.
std::vector<Bytes> TestKeys(std::uint32_t seed) {
  std::mt19937 gen(seed);
  std::vector<std::size_t> lengths = {1, 11, 12, 13, 255, 256, 257, 2056};
  for (int k = 0; k < 4; ++k) lengths.push_back(1 + gen() % 2056);
  std::vector<Bytes> keys;
  for (std::size_t k = 0; k < lengths.size(); ++k) keys.push_back(harness::RandomGbkText(gen, lengths[k], k % 2 == 1));
  return keys;
}

std::vector<Bytes> TestExtensions() {
  std::mt19937 gen(4242);
  return {Bytes{}, Bytes{'.', 't', 'x', 't'}, harness::RandomExtension(gen, 215, true)};
}

std::string Describe(std::size_t size, const Bytes& key, const Bytes& extension) {
  return "payload " + std::to_string(size) + ", key " + std::to_string(key.size()) + " bytes (first 0x" +
         [&] {
           char hex[3];
           std::snprintf(hex, sizeof hex, "%02x", key.front());
           return std::string(hex);
         }() +
         "), extension " + std::to_string(extension.size()) + " bytes";
}

// One save-key case in all three relations: the engine writes what the
// oracle writes; the engine reads the oracle's container; the oracle reads
// the engine's container.
void CheckSaveKeyCase(const Bytes& payload, const engine::SaveKeyOptions& options, std::uint32_t seed) {
  SeededBytes engineDraw(seed);
  const harness::EngineWrite written = harness::EngineWriteSaveKey(payload, options, std::ref(engineDraw));
  ASSERT_EQ(written.result, engine::WriteResult::kDone);

  const oracle::SaveKeyInput input = harness::OracleInputFor(options, seed);
  const Bytes literal = oracle::WriteSaveKey(payload, input);
  EXPECT_TRUE(SameBytes(literal, written.bytes)) << "engine writer vs literal writer";

  const harness::EngineRead read = harness::EngineReadSaveKey(literal, input.key);
  ASSERT_EQ(read.result, engine::OpenResult::kOpened) << "engine reader on the literal container";
  EXPECT_TRUE(read.reports.empty()) << "first report: " << (read.reports.empty() ? "" : read.reports.front());
  EXPECT_TRUE(read.bodyDone);
  EXPECT_TRUE(SameBytes(payload, read.payload)) << "engine reader on the literal container";
  const engine::SaveKeyFields& fields = read.container->fields;
  EXPECT_EQ(fields.version, options.version);
  EXPECT_EQ(fields.payloadSize, payload.size());
  EXPECT_EQ(fields.keyLength, input.key.size());
  EXPECT_EQ(fields.compression, options.compression);
  EXPECT_EQ(fields.layers, options.layers);
  EXPECT_EQ(fields.extension, options.extension);

  const oracle::SaveKeyRead back = oracle::ReadSaveKey(written.bytes, input.key);
  ASSERT_EQ(back.status, oracle::ReadStatus::kOk) << "literal reader on the engine container";
  EXPECT_TRUE(back.trailerOk);
  EXPECT_EQ(back.version, options.version);
  EXPECT_EQ(back.compression, options.compression);
  EXPECT_EQ(back.layers, options.layers);
  EXPECT_EQ(back.extension, input.extension);
  EXPECT_TRUE(SameBytes(payload, back.payload)) << "literal reader on the engine container";
}

// ---------------------------------------------------------------- save-key containers

class SaveKeyAgainstLiteral : public ::testing::TestWithParam<int> {};

TEST_P(SaveKeyAgainstLiteral, BoundarySizesKeysAndExtensions) {
  const int version = GetParam();
  const std::vector<Bytes> keys = TestKeys(Seed(version, 1, 1));
  const std::vector<Bytes> extensions = TestExtensions();
  for (std::size_t s = 0; s < std::size(kBoundarySizes); ++s) {
    const Bytes payload = harness::RandomPayload(kBoundarySizes[s], Seed(version, s, 0));
    for (std::size_t k = 0; k < keys.size(); ++k) {
      const Bytes& extension = extensions[(s + k) % extensions.size()];
      const auto compression = static_cast<std::uint8_t>((s + k) % 4);
      const auto layers = static_cast<std::uint8_t>(1 + (s * 5 + k) % 12);
      SCOPED_TRACE("version " + std::to_string(version) + ", " + Describe(payload.size(), keys[k], extension));
      CheckSaveKeyCase(payload, harness::Options(keys[k], version, extension, compression, layers),
                       Seed(version, s, k + 1));
    }
  }
}

// Container lengths right at the reader's probe boundary: 5,427 bytes (probed
// at 0, then at 260) and 5,428 bytes (probed at 260 at once), and the
// smallest file whose header sits at 260.
TEST_P(SaveKeyAgainstLiteral, ContainerLengthsAroundTheProbeBoundary) {
  const int version = GetParam();
  std::mt19937 gen(Seed(version, 2, 2));
  const std::vector<Bytes> extensions = TestExtensions();
  for (std::size_t keyLength : {1u, 12u, 100u, 2056u}) {
    const Bytes key = harness::RandomGbkText(gen, keyLength, true);
    for (const Bytes& extension : extensions) {
      const std::size_t framing = 37 + extension.size() + 2 * harness::FilledLength(keyLength);
      for (std::size_t total : {std::size_t{5427}, std::size_t{5428}, std::size_t{1024} + framing}) {
        if (total < framing + 1024) continue;
        const Bytes payload = harness::RandomPayload(total - framing, static_cast<std::uint32_t>(total + keyLength));
        SCOPED_TRACE("version " + std::to_string(version) + ", container " + std::to_string(total) + " bytes, " +
                     Describe(payload.size(), key, extension));
        CheckSaveKeyCase(payload, harness::Options(key, version, extension), Seed(version, total, keyLength));
      }
    }
  }
}

TEST_P(SaveKeyAgainstLiteral, MultiMegabytePayload) {
  const int version = GetParam();
  std::mt19937 gen(Seed(version, 3, 3));
  const std::size_t size = 2'000'000 + 4 * static_cast<std::size_t>(version) + static_cast<std::size_t>(version % 4);
  const Bytes payload = harness::RandomPayload(size, Seed(version, 3, 4));
  const Bytes key = harness::RandomGbkText(gen, 37, true);
  SCOPED_TRACE("version " + std::to_string(version) + ", " + Describe(size, key, {'.', 'b', 'i', 'n'}));
  CheckSaveKeyCase(payload, harness::Options(key, version, {'.', 'b', 'i', 'n'}, 3, 12), Seed(version, 3, 5));
}

INSTANTIATE_TEST_SUITE_P(WrittenVersions, SaveKeyAgainstLiteral, ::testing::Values(66, 56, 38, 18, 11),
                         [](const auto& info) { return "V" + std::to_string(info.param); });

// The reader follows the version thresholds, not a list of known versions:
// containers of every readable version up to 70 open, and newer ones open
// only after the question.
TEST(SaveKeyReaderVersions, LiteralContainersOfEveryThresholdVersion) {
  const int versions[] = {13, 19, 20, 21, 35, 36, 37, 45, 46, 47, 51, 52, 59, 60, 61, 69, 70};
  std::mt19937 gen(777);
  for (int version : versions) {
    for (std::size_t size : {3u, 1000u, 1024u, 1027u, 6001u}) {
      for (std::size_t keyLength : {5u, 12u, 301u}) {
        const Bytes key = harness::RandomGbkText(gen, keyLength, keyLength != 12);
        const Bytes extension = {'.', 'd', 'a', 't'};
        const Bytes payload = harness::RandomPayload(size, Seed(version, size, keyLength));
        SeededBytes draw(Seed(version, keyLength, size));
        oracle::SaveKeyInput input;
        input.key = key;
        input.version = version;
        input.compression = static_cast<std::uint8_t>(size % 4);
        input.layers = 2;
        input.extension = extension;
        input.randoms = oracle::DrawSaveKeyRandoms(key.size(), version, std::ref(draw));
        // Up to version 36 R2 < 4 puts the key check on the header point; the
        // reader then expects it right behind the header.
        input.clash = oracle::HeaderPointClash::kKeyCheckAfterHeader;
        const Bytes container = oracle::WriteSaveKey(payload, input);
        SCOPED_TRACE("version " + std::to_string(version) + ", " + Describe(size, key, extension) + ", R2 " +
                     std::to_string(input.randoms.r2));

        const harness::EngineRead read = harness::EngineReadSaveKey(container, key);
        ASSERT_EQ(read.result, engine::OpenResult::kOpened)
            << "first report: " << (read.reports.empty() ? "" : read.reports.front());
        EXPECT_EQ(read.questions, 0);
        EXPECT_TRUE(read.reports.empty()) << "first report: " << (read.reports.empty() ? "" : read.reports.front());
        EXPECT_EQ(read.container->fields.version, version);
        EXPECT_EQ(read.container->fields.compression, input.compression);
        EXPECT_EQ(read.container->fields.layers, 2);
        EXPECT_TRUE(SameBytes(payload, read.payload));
      }
    }
  }
}

TEST(SaveKeyReaderVersions, NewerThan70AsksFirst) {
  std::mt19937 gen(778);
  const Bytes key = harness::RandomGbkText(gen, 20, false);
  for (int version : {71, 90}) {
    SCOPED_TRACE("version " + std::to_string(version));
    const Bytes payload = harness::RandomPayload(2000, static_cast<std::uint32_t>(version));
    SeededBytes draw(static_cast<std::uint32_t>(version));
    oracle::SaveKeyInput input;
    input.key = key;
    input.version = version;
    input.extension = {'.', 'a', 'b'};
    input.randoms = oracle::DrawSaveKeyRandoms(key.size(), version, std::ref(draw));
    const Bytes container = oracle::WriteSaveKey(payload, input);

    const harness::EngineRead declined = harness::EngineReadSaveKey(container, key);
    EXPECT_EQ(declined.questions, 1);
    EXPECT_EQ(declined.result, engine::OpenResult::kRefused);
    EXPECT_EQ(declined.reports, std::vector<std::string>{std::string(engine::read_text::kNewerDeclined)});
  }
}

// ---------------------------------------------------------------- no-saved-key containers

void CheckNoKeyCase(const Bytes& payload, const Bytes& key, int version, std::uint32_t seed) {
  SeededBytes engineDraw(seed);
  const harness::EngineWrite written = harness::EngineWriteNoKey(payload, key, version, std::ref(engineDraw));
  ASSERT_EQ(written.result, engine::WriteResult::kDone);

  SeededBytes oracleDraw(seed);
  const oracle::Salt salt = oracle::DrawSalt(std::ref(oracleDraw));
  const Bytes literal = oracle::WriteNoKey(payload, key, version, salt);
  EXPECT_TRUE(SameBytes(literal, written.bytes)) << "engine writer vs literal writer";

  const harness::EngineNoKeyRead read = harness::EngineReadNoKey(literal, key);
  ASSERT_TRUE(read.header.has_value()) << "engine reader on the literal container";
  EXPECT_EQ(read.header->offset, 2u);
  EXPECT_EQ(read.header->version, version);
  EXPECT_TRUE(read.bodyDone);
  EXPECT_TRUE(SameBytes(payload, read.payload)) << "engine reader on the literal container";

  const oracle::NoKeyRead back = oracle::ReadNoKey(written.bytes, key);
  ASSERT_EQ(back.status, oracle::ReadStatus::kOk) << "literal reader on the engine container";
  EXPECT_TRUE(back.framingOk);
  EXPECT_EQ(back.version, version);
  EXPECT_TRUE(SameBytes(payload, back.payload)) << "literal reader on the engine container";
}

class NoKeyAgainstLiteral : public ::testing::TestWithParam<int> {};

TEST_P(NoKeyAgainstLiteral, BoundarySizesAndKeys) {
  const int version = GetParam();
  std::vector<Bytes> keys = TestKeys(Seed(version, 4, 4));
  std::mt19937 gen(Seed(version, 4, 5));
  // Short keys take the one-byte-per-salt-byte path; every length there counts.
  for (std::size_t length = 2; length <= 10; ++length) keys.push_back(harness::RandomGbkText(gen, length, length % 2));
  for (std::size_t s = 0; s < std::size(kBoundarySizes); ++s) {
    const Bytes payload = harness::RandomPayload(kBoundarySizes[s], Seed(version, s, 7));
    for (std::size_t k = 0; k < keys.size(); ++k) {
      SCOPED_TRACE("no-saved-key version " + std::to_string(version) + ", " +
                   Describe(payload.size(), keys[k], {}));
      CheckNoKeyCase(payload, keys[k], version, Seed(version, s, k + 100));
    }
  }
}

TEST_P(NoKeyAgainstLiteral, MultiMegabytePayload) {
  const int version = GetParam();
  std::mt19937 gen(Seed(version, 5, 5));
  const std::size_t size = 3'000'001 + static_cast<std::size_t>(version);
  const Bytes payload = harness::RandomPayload(size, Seed(version, 5, 6));
  const Bytes key = harness::RandomGbkText(gen, 9, true);
  SCOPED_TRACE("no-saved-key version " + std::to_string(version) + ", " + Describe(size, key, {}));
  CheckNoKeyCase(payload, key, version, Seed(version, 5, 7));
}

INSTANTIATE_TEST_SUITE_P(WrittenVersions, NoKeyAgainstLiteral, ::testing::Values(38, 30, 20),
                         [](const auto& info) { return "V" + std::to_string(info.param); });

// No-saved-key versions the tool reads but no longer writes: each threshold
// of the step, the word rule and the conditioning mode.
TEST(NoKeyReaderVersions, LiteralContainersOfEveryThresholdVersion) {
  std::mt19937 gen(13);
  for (int version : {10, 12, 25, 26, 29, 32, 33, 34, 37, 42}) {
    for (std::size_t keyLength : {1u, 5u, 11u, 12u, 13u, 50u}) {
      for (std::size_t size : {1u, 7u, 1024u, 3001u}) {
        const Bytes key = harness::RandomGbkText(gen, keyLength, true);
        const Bytes payload = harness::RandomPayload(size, static_cast<std::uint32_t>(gen()));
        SeededBytes draw(static_cast<std::uint32_t>(gen()));
        const Bytes container = oracle::WriteNoKey(payload, key, version, oracle::DrawSalt(std::ref(draw)));
        SCOPED_TRACE("no-saved-key version " + std::to_string(version) + ", " + Describe(size, key, {}));
        const harness::EngineNoKeyRead read = harness::EngineReadNoKey(container, key);
        ASSERT_TRUE(read.header.has_value());
        EXPECT_EQ(read.header->version, version);
        EXPECT_TRUE(SameBytes(payload, read.payload));
      }
    }
  }
}

// The reader takes keys up to 5,012 bytes although the writer stops at 2,056.
TEST(SaveKeyReaderVersions, LongestReadableKey) {
  std::mt19937 gen(14);
  for (int version : {66, 56, 38, 18, 11}) {
    const Bytes payload = harness::RandomPayload(3000, static_cast<std::uint32_t>(version));
    for (std::size_t keyLength : {5012u, 5013u}) {
      SeededBytes draw(static_cast<std::uint32_t>(version + keyLength));
      oracle::SaveKeyInput input;
      input.key = harness::RandomGbkText(gen, keyLength, true);
      input.version = version;
      input.extension = {'.', 'z', 'i', 'p'};
      input.randoms = oracle::DrawSaveKeyRandoms(keyLength, version, std::ref(draw));
      const Bytes container = oracle::WriteSaveKey(payload, input);
      SCOPED_TRACE("version " + std::to_string(version) + ", key " + std::to_string(keyLength));
      const harness::EngineRead read = harness::EngineReadSaveKey(container, input.key);
      if (keyLength <= 5012) {
        ASSERT_EQ(read.result, engine::OpenResult::kOpened);
        EXPECT_TRUE(SameBytes(payload, read.payload));
      } else {
        EXPECT_EQ(read.result, engine::OpenResult::kRefused);
        EXPECT_EQ(read.reports, std::vector<std::string>{std::string(engine::read_text::kKeyLengthDamaged)});
      }
    }
  }
}

// Payloads that end right at, or just past, the engine's buffer size.
TEST(BufferBoundariesAgainstLiteral, PayloadsAroundOneMebibyte) {
  std::mt19937 gen(15);
  const Bytes key = harness::RandomGbkText(gen, 21, true);
  const std::size_t buffer = engine::BodyPump::kBufferSize;
  // Longer payloads (past 2 MiB) are in the multi-megabyte cases.
  for (std::size_t size : {buffer, buffer + 3}) {
    const Bytes payload = harness::RandomPayload(size, static_cast<std::uint32_t>(size));
    for (int version : {66, 11}) {
      SCOPED_TRACE("version " + std::to_string(version) + ", " + Describe(size, key, {'.', 'x'}));
      CheckSaveKeyCase(payload, harness::Options(key, version, {'.', 'x'}), Seed(version, size, 1));
    }
    for (int version : {38, 20}) {
      SCOPED_TRACE("no-saved-key version " + std::to_string(version) + ", " + Describe(size, key, {}));
      CheckNoKeyCase(payload, key, version, Seed(version, size, 2));
    }
  }
}

// ---------------------------------------------------------------- cipher pieces

TEST(CipherPiecesAgainstLiteral, KeyStreamKeyCheckAndVerification) {
  std::mt19937 gen(99);
  const int versions[] = {11, 13, 18, 19, 20, 38, 45, 46, 51, 52, 56, 60, 61, 66, 70};
  for (int version : versions) {
    for (std::size_t length : {12u, 13u, 255u, 256u, 257u, 600u}) {
      const Bytes filled = harness::RandomGbkText(gen, length, true);
      const auto r1 = static_cast<std::uint8_t>(gen() % 255), r2 = static_cast<std::uint8_t>(gen() % 255),
                 r3 = static_cast<std::uint8_t>(gen() % 255);
      const auto r1m = static_cast<std::uint8_t>(gen()), r3m = static_cast<std::uint8_t>(gen());
      SCOPED_TRACE("version " + std::to_string(version) + ", filled key " + std::to_string(length));

      const Bytes stream = oracle::BuildKeyStream(filled, r1, r2, r3, version);
      EXPECT_EQ(engine::BuildKeyStream(filled, r1, r2, r3, version), stream);
      const Bytes check = oracle::BuildKeyCheck(filled, r2, r1m, r3m, version);
      EXPECT_EQ(engine::BuildKeyCheck(filled, r2, r1m, r3m, version), check);
      EXPECT_EQ(engine::DecodeKeyCheck(check, r2, r1m, r3m, version), filled);
      EXPECT_EQ(oracle::DecodeKeyCheck(check, r2, r1m, r3m, version), filled);

      EXPECT_TRUE(engine::VerifyKey(filled, static_cast<unsigned>(length), check, r2, r1m, r3m, version));
      Bytes wrong = filled;
      wrong[gen() % wrong.size()] ^= 0x01;
      EXPECT_FALSE(engine::VerifyKey(wrong, static_cast<unsigned>(length), check, r2, r1m, r3m, version));
      EXPECT_FALSE(oracle::VerifyKey(wrong, static_cast<unsigned>(length), check, r2, r1m, r3m, version));
      const Bytes shorter(filled.begin(), filled.end() - 1);
      EXPECT_FALSE(engine::VerifyKey(shorter, static_cast<unsigned>(length), check, r2, r1m, r3m, version));
    }
  }
}

TEST(CipherPiecesAgainstLiteral, WordStepsAndKeyCheckPoint) {
  for (int version = 11; version <= 70; ++version) {
    for (int f = 0; f < 256; ++f) {
      const auto first = static_cast<std::uint8_t>(f);
      ASSERT_EQ(engine::SaveKeyWordStep(version, first), oracle::SaveKeyStep(version, first))
          << "version " << version << ", first key byte " << f;
    }
    for (int r2 = 0; r2 < 255; ++r2) {
      ASSERT_EQ(engine::KeyCheckPoint(version, static_cast<std::uint8_t>(r2)),
                oracle::KeyCheckPoint(version, static_cast<std::uint8_t>(r2)))
          << "version " << version << ", R2 " << r2;
    }
  }
  for (int version : {0, 9, 10, 20, 25, 26, 30, 32, 33, 38, 42}) {
    for (int f = 0; f < 256; ++f) {
      const auto first = static_cast<std::uint8_t>(f);
      ASSERT_EQ(engine::NoKeyWordStep(version, first), oracle::NoKeyStep(version, first))
          << "no-saved-key version " << version << ", first key byte " << f;
    }
  }
}

// Header and trailer blocks and the reader's probe decoding at the extreme
// field values (a 4 GiB payload, the longest key lengths, every level and
// layer count) for every version up to 70.
TEST(HeaderBlocksAgainstLiteral, BlocksAndProbeDecoding) {
  std::mt19937 gen(12);
  const std::uint64_t sizes[] = {1, 1023, 1024, 0xFFFFFFFFull, std::uint64_t{1} << 32, 0x12345678ull};
  const std::uint16_t keyLengths[] = {1, 11, 12, 255, 256, 2056, 5012, 5013, 65535};
  std::vector<Bytes> keyChecks;
  for (std::uint16_t keyLength : keyLengths) {
    keyChecks.push_back(harness::RandomPayload(std::max<std::size_t>(keyLength, 12), keyLength));
  }
  for (int version = 11; version <= 70; ++version) {
    for (std::uint64_t size : sizes) {
      for (std::size_t l = 0; l < std::size(keyLengths); ++l) {
        const std::uint16_t keyLength = keyLengths[l];
        const Bytes& keyCheck = keyChecks[l];
        engine::SaveKeyFields fields;
        fields.version = version;
        fields.r1 = static_cast<std::uint8_t>(gen() % 255);
        fields.r2 = static_cast<std::uint8_t>(gen() % 255);
        fields.r3 = static_cast<std::uint8_t>(gen() % 255);
        fields.keyLength = keyLength;
        fields.compression = static_cast<std::uint8_t>(gen() % 4);
        fields.layers = static_cast<std::uint8_t>(1 + gen() % 12);
        fields.payloadSize = size;
        const Bytes extension = harness::RandomExtension(gen, gen() % 3 == 0 ? 0 : 2 + gen() % 214, true);
        fields.extension = harness::AsString(extension);
        SCOPED_TRACE("version " + std::to_string(version) + ", S " + std::to_string(size) + ", L " +
                     std::to_string(keyLength) + ", E " + std::to_string(extension.size()));

        const oracle::Mixed m = oracle::MixHeader(version, keyLength, fields.compression, fields.layers, fields.r1,
                                                  fields.r2, fields.r3);
        const engine::MixedValues em = engine::Mix(fields);
        ASSERT_EQ((Bytes{em.a, em.b, em.c, em.r1, em.r2, em.r3, em.x}), (Bytes{m.a, m.b, m.c, m.r1, m.r2, m.r3, m.x}));

        Bytes header;
        for (std::uint8_t b : engine::SeedBlock(em)) header.push_back(b);
        for (std::uint8_t b : engine::ParamBlock(em)) header.push_back(b);
        const Bytes info = engine::InfoBlock(fields, em);
        header.insert(header.end(), info.begin(), info.end());
        const Bytes literal = oracle::HeaderBlocks(m, version, size, extension);
        ASSERT_TRUE(SameBytes(literal, header));

        EXPECT_TRUE(SameBytes(oracle::TrailerBlock(m, extension.size(), keyCheck),
                              engine::TrailerBlock(em, extension.size(), keyCheck)));

        const engine::HeaderProbe probe = engine::DecodeProbe(literal.data());
        EXPECT_TRUE(probe.markerOk);
        EXPECT_EQ(probe.version, version);
        EXPECT_EQ((Bytes{probe.r1, probe.r2, probe.r3}), (Bytes{fields.r1, fields.r2, fields.r3}));
        EXPECT_EQ(probe.layers, fields.layers);
        EXPECT_EQ(probe.KeyLength(), keyLength);
        EXPECT_EQ(probe.Compression(), fields.compression);
        EXPECT_EQ(probe.DecodeSize(literal.data() + 12), size);
        EXPECT_EQ(probe.DecodeExtensionLength(literal[20]), extension.size());
        EXPECT_EQ(probe.DecodeExtension(engine::ByteSpan(literal).subspan(21)), fields.extension);
      }
    }
  }
}

TEST(CipherPiecesAgainstLiteral, ConditionKeyStreamInBothModes) {
  std::mt19937 gen(5);
  engine::RunFlag running{true};
  std::vector<std::size_t> lengths;
  for (std::size_t n = 1; n <= 70; ++n) lengths.push_back(n);
  for (std::size_t n : {255u, 256u, 257u, 258u, 2056u, 2057u, 2058u, 2059u}) lengths.push_back(n);
  for (int mode : {30, 33, 34, 36, 38}) {
    for (std::size_t length : lengths) {
      for (std::size_t copyLength : {11u, 12u, 13u, 40u}) {
        Bytes stream(length), copy(copyLength);
        for (auto& b : stream) b = static_cast<std::uint8_t>(gen());
        for (auto& b : copy) b = static_cast<std::uint8_t>(gen());
        SCOPED_TRACE("mode " + std::to_string(mode) + ", stream " + std::to_string(length) + ", copy " +
                     std::to_string(copyLength));
        const auto expected = oracle::ConditionKeyStream(stream, copy, mode);
        ASSERT_TRUE(expected.has_value());
        Bytes actual = stream;
        ASSERT_EQ(engine::ConditionKeyStream(actual, copy, mode, running), engine::ConditionResult::kDone);
        EXPECT_EQ(actual, *expected);
      }
    }
  }
}

TEST(CipherPiecesAgainstLiteral, ConditionKeyStreamRefusesEmptyStreamAndShortCopy) {
  engine::RunFlag running{true};
  const Bytes copy12(12, 0x21);
  for (int mode : {30, 36, 38}) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    Bytes empty;
    EXPECT_EQ(engine::ConditionKeyStream(empty, copy12, mode, running), engine::ConditionResult::kFailed);
    EXPECT_FALSE(oracle::ConditionKeyStream(empty, copy12, mode).has_value());
    for (std::size_t copyLength = 0; copyLength <= 10; ++copyLength) {
      Bytes stream(16, 0x42);
      const Bytes copy(copyLength, 0x17);
      EXPECT_EQ(engine::ConditionKeyStream(stream, copy, mode, running), engine::ConditionResult::kFailed)
          << "copy of " << copyLength;
      EXPECT_FALSE(oracle::ConditionKeyStream(stream, copy, mode).has_value());
    }
    Bytes stream(13, 0x42);
    EXPECT_EQ(engine::ConditionKeyStream(stream, Bytes(11, 0x17), mode, running), engine::ConditionResult::kDone)
        << "a copy of 11 bytes is enough";
    EXPECT_EQ(stream.size(), 16u);
  }
}

TEST(CipherPiecesAgainstLiteral, SaltedKeyStream) {
  std::mt19937 gen(6);
  engine::RunFlag running{true};
  std::vector<std::size_t> lengths;
  for (std::size_t n = 1; n <= 40; ++n) lengths.push_back(n);
  for (std::size_t n : {255u, 256u, 257u, 2056u}) lengths.push_back(n);
  for (std::size_t length : lengths) {
    for (int round = 0; round < 4; ++round) {
      const Bytes key = harness::RandomGbkText(gen, length, round % 2 == 1);
      oracle::Salt salt;
      for (auto& t : salt) t = static_cast<std::uint8_t>(gen() % 255);
      const std::uint8_t selector = oracle::Selector(salt, key.front());
      SCOPED_TRACE("key " + std::to_string(length) + ", round " + std::to_string(round));
      const auto derived = engine::DeriveSaltedKeyStream(key, salt, selector, running);
      ASSERT_TRUE(derived.has_value());
      EXPECT_EQ(*derived, oracle::DeriveSaltedKeyStream(key, salt, selector));
      for (int version : {38, 30, 20, 0}) {
        const auto stream = engine::NoKeyStream(harness::AsString(key), version, salt, running);
        ASSERT_TRUE(stream.has_value()) << "version " << version;
        EXPECT_EQ(*stream, *oracle::NoKeyStream(key, version, salt)) << "version " << version;
      }
    }
  }
}

// ---------------------------------------------------------------- body cipher

// Feeds the engine's body cipher in pieces of whole units (the last piece
// takes whatever is left), so state carried between pieces is exercised.
Bytes EngineBody(engine::BodyCipher cipher, engine::Direction direction, Bytes data,
                 const std::vector<std::size_t>& pieces) {
  std::size_t at = 0;
  for (std::size_t k = 0; at < data.size(); ++k) {
    const std::size_t n = std::min(pieces[k % pieces.size()], data.size() - at);
    cipher.Apply(direction, data.data() + at, n);
    at += n;
  }
  return data;
}

oracle::Direction ToOracle(engine::Direction d) {
  return d == engine::Direction::kEncrypt ? oracle::Direction::kEncrypt : oracle::Direction::kDecrypt;
}

TEST(BodyCipherAgainstLiteral, SaveKeyBodiesInPieces) {
  std::mt19937 gen(8);
  const std::vector<std::size_t> pieces = {4, 1020, 8, 65536 + 12, 260, 4};
  const std::vector<std::size_t> bytePieces = {1, 3, 1000, 7, 65536 + 5};
  for (int version : {11, 18, 38, 56, 66}) {
    for (std::size_t keyLength : {12u, 13u, 14u, 15u, 33u}) {
      for (std::size_t size : {1u, 3u, 4u, 7u, 1025u, 80'003u}) {
        Bytes keyStream(keyLength);
        for (auto& b : keyStream) b = static_cast<std::uint8_t>(gen());
        if (version > 45) keyStream.resize(keyLength / 4 * 4);  // conditioned streams are whole words
        const Bytes data = harness::RandomPayload(size, static_cast<std::uint32_t>(gen()));
        const auto first = static_cast<std::uint8_t>(gen());
        SCOPED_TRACE("version " + std::to_string(version) + ", key stream " + std::to_string(keyStream.size()) +
                     ", size " + std::to_string(size) + ", F " + std::to_string(first));
        for (auto direction : {engine::Direction::kEncrypt, engine::Direction::kDecrypt}) {
          const Bytes expected = oracle::SaveKeyBody(ToOracle(direction), keyStream, version, first, data);
          const Bytes actual = EngineBody(engine::BodyCipher::SaveKey(keyStream, version, first, size), direction,
                                          data, version == 11 ? bytePieces : pieces);
          EXPECT_TRUE(SameBytes(expected, actual)) << (direction == engine::Direction::kEncrypt ? "encrypt" : "decrypt");
        }
      }
    }
  }
}

TEST(BodyCipherAgainstLiteral, NoKeyBodiesInPieces) {
  std::mt19937 gen(9);
  const std::vector<std::size_t> pieces = {8, 4, 4096, 65536 + 4};
  for (int version : {38, 30, 20, 0}) {
    for (std::size_t keyLength : {12u, 13u, 14u, 15u, 41u}) {
      for (std::size_t size : {1u, 2u, 3u, 5u, 1024u, 70'001u}) {
        Bytes keyStream(keyLength);
        for (auto& b : keyStream) b = static_cast<std::uint8_t>(gen());
        if (version > 25) keyStream.resize(keyLength / 4 * 4);
        const Bytes data = harness::RandomPayload(size, static_cast<std::uint32_t>(gen()));
        const auto first = static_cast<std::uint8_t>(gen());
        SCOPED_TRACE("no-saved-key version " + std::to_string(version) + ", key stream " +
                     std::to_string(keyStream.size()) + ", size " + std::to_string(size));
        for (auto direction : {engine::Direction::kEncrypt, engine::Direction::kDecrypt}) {
          const Bytes expected = oracle::NoKeyBody(ToOracle(direction), keyStream, version, first, data);
          const Bytes actual =
              EngineBody(engine::BodyCipher::NoKey(keyStream, version, first, size), direction, data, pieces);
          EXPECT_TRUE(SameBytes(expected, actual)) << (direction == engine::Direction::kEncrypt ? "encrypt" : "decrypt");
        }
      }
    }
  }
}

}  // namespace

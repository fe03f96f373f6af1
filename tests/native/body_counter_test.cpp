// The body ciphers' counters and key-stream rewinds, made visible with
// crafted key streams: with an all-zero key stream and an all-zero payload
// each output unit shows the counter itself.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/cipher/cipher.h"
#include "tests/native/oracle/engine_harness.h"
#include "tests/native/oracle/literal_containers.h"

namespace {

using harness::Bytes;
using harness::SameBytes;

std::uint32_t WordAt(const Bytes& bytes, std::size_t index) {
  return static_cast<std::uint32_t>(bytes[4 * index]) | static_cast<std::uint32_t>(bytes[4 * index + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[4 * index + 2]) << 16 | static_cast<std::uint32_t>(bytes[4 * index + 3]) << 24;
}

Bytes Apply(engine::BodyCipher cipher, engine::Direction direction, Bytes data) {
  cipher.Apply(direction, data.data(), data.size());
  return data;
}

// Version 11: c runs 1..255, then 2..255 again and again. With zero key bytes
// and zero payload, out = (0 ^ 0 ^ c) - 0 = c.
TEST(BodyCounters, Version11ByteCounterRestartsAtTwo) {
  const Bytes zeroStream(12, 0);
  const Bytes zeros(1200, 0);
  const Bytes out = Apply(engine::BodyCipher::SaveKey(zeroStream, 11, 'a', zeros.size()),
                          engine::Direction::kEncrypt, zeros);
  ASSERT_EQ(out.size(), zeros.size());
  EXPECT_EQ(out[0], 1);
  EXPECT_EQ(out[254], 255);
  EXPECT_EQ(out[255], 2) << "after 255 the counter goes on with 2, not 1";
  EXPECT_EQ(out[508], 255);
  EXPECT_EQ(out[509], 2);
  for (std::size_t n = 255; n < out.size(); ++n) {
    ASSERT_EQ(out[n], 2 + (n - 255) % 254) << "byte " << n;
  }
  EXPECT_TRUE(SameBytes(oracle::SaveKeyBody(oracle::Direction::kEncrypt, zeroStream, 11, 'a', zeros), out));
  EXPECT_EQ(Apply(engine::BodyCipher::SaveKey(zeroStream, 11, 'a', out.size()), engine::Direction::kDecrypt, out),
            zeros);
}

// The save-key word counter T is 64 bits wide and starts over at the step
// (not at T - 2^32) once it passes 0xFFFFFFFF.
struct ResetCase {
  int version;
  std::uint8_t firstKeyByte;
  std::uint32_t step;
  bool addOwnMask;  // versions from 46: out = (P ^ M) + M = 2T; before: out = (P ^ M) - K2 = T
};

TEST(BodyCounters, SaveKeyCounterStartsOverAtTheStep) {
  const ResetCase cases[] = {
      {66, 0x07, 11 * 0x3FFF + 0xFFFF, true},   // f = (0x07 ^ 0x0C) mod 12 = 11, the largest step
      {56, 0x07, 11 * 0x2FFF + 0xFFFF, true},
      {38, 0x13, 7 * 0x2FFF + 0xFFFF, false},   // f = (0x13 ^ 0x0C) mod 12 = 31 mod 12 = 7
      {18, 0x00, 0x2FFFF, false},
  };
  const Bytes zeroStream(12, 0);
  for (const ResetCase& c : cases) {
    SCOPED_TRACE("version " + std::to_string(c.version));
    ASSERT_EQ(oracle::SaveKeyStep(c.version, c.firstKeyByte), c.step);
    const std::size_t firstReset = 0xFFFFFFFFull / c.step;  // index of the first word past the top
    const std::size_t words = 2 * firstReset + 1000;       // two starts-over
    const Bytes zeros(4 * words + 3, 0);
    const Bytes out = Apply(engine::BodyCipher::SaveKey(zeroStream, c.version, c.firstKeyByte, zeros.size()),
                            engine::Direction::kEncrypt, zeros);
    auto shown = [&](std::uint64_t t) { return static_cast<std::uint32_t>(c.addOwnMask ? 2 * t : t); };

    EXPECT_EQ(WordAt(out, firstReset - 1), shown(std::uint64_t{firstReset} * c.step));
    EXPECT_EQ(WordAt(out, firstReset), shown(c.step)) << "T starts over at the step";
    EXPECT_NE(WordAt(out, firstReset), shown(std::uint64_t{firstReset + 1} * c.step - (std::uint64_t{1} << 32)))
        << "T must not merely wrap";
    std::uint64_t t = 0;
    for (std::size_t n = 0; n < words; ++n) {
      t += c.step;
      if (t > 0xFFFFFFFFull) t = c.step;
      ASSERT_EQ(WordAt(out, n), shown(t)) << "word " << n;
    }
    EXPECT_TRUE(SameBytes(oracle::SaveKeyBody(oracle::Direction::kEncrypt, zeroStream, c.version, c.firstKeyByte,
                                              zeros),
                          out));
  }
}

// The no-saved-key counter is 32 bits and simply wraps.
TEST(BodyCounters, NoKeyCounterWrapsAt32Bits) {
  struct Case {
    int version;
    std::uint8_t firstKeyByte;
    std::uint32_t step;
  };
  const Case cases[] = {
      {38, 9, 9 * 0x3FFF + 0x1FFFF},  // m = 9, the largest step
      {30, 9, 9 * 0x1FFF + 0x1FFFF},
      {20, 19, 9 * 0x2FFF + 0xFFFF},
      {0, 19, 0x2FFFF},
  };
  const Bytes zeroStream(12, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE("no-saved-key version " + std::to_string(c.version));
    ASSERT_EQ(oracle::NoKeyStep(c.version, c.firstKeyByte), c.step);
    const std::size_t firstWrap = 0xFFFFFFFFull / c.step;
    const std::size_t words = 2 * firstWrap + 1000;
    const Bytes zeros(4 * words + 1, 0);
    const Bytes out = Apply(engine::BodyCipher::NoKey(zeroStream, c.version, c.firstKeyByte, zeros.size()),
                            engine::Direction::kEncrypt, zeros);
    // Both word rules show T itself: P ^ K1 ^ T, and (P ^ M) - K2 with M = T.
    const std::uint32_t wrapped = static_cast<std::uint32_t>(std::uint64_t{firstWrap + 1} * c.step);
    EXPECT_EQ(WordAt(out, firstWrap), wrapped);
    EXPECT_NE(WordAt(out, firstWrap), c.step);
    std::uint32_t t = 0;
    for (std::size_t n = 0; n < words; ++n) {
      t += c.step;
      ASSERT_EQ(WordAt(out, n), t) << "word " << n;
    }
    EXPECT_TRUE(SameBytes(oracle::NoKeyBody(oracle::Direction::kEncrypt, zeroStream, c.version, c.firstKeyByte, zeros),
                          out));
  }
}

// Word reads rewind when fewer than 4 bytes remain, so below version 46 the
// last 1..3 bytes of a stream that is not whole words never touch a word;
// the tail starts again at byte 0 wherever the word loop stopped.
TEST(BodyCounters, PartialLastWordIsNeverUsedAndTheTailRewinds) {
  struct Case {
    bool saveKey;
    int version;
  };
  const Case cases[] = {{true, 18}, {true, 38}, {false, 20}, {false, 0}};
  const Bytes payload = harness::RandomPayload(4 * 1001 + 3, 77);
  for (const Case& c : cases) {
    for (std::size_t length : {13u, 14u, 15u, 17u, 23u}) {
      SCOPED_TRACE(std::string(c.saveKey ? "save-key" : "no-saved-key") + " version " + std::to_string(c.version) +
                   ", key stream " + std::to_string(length));
      Bytes stream = harness::RandomPayload(length, static_cast<std::uint32_t>(length));
      auto encrypt = [&](const Bytes& keys) {
        auto cipher = c.saveKey ? engine::BodyCipher::SaveKey(keys, c.version, 'k', payload.size())
                                : engine::BodyCipher::NoKey(keys, c.version, 'k', payload.size());
        return Apply(cipher, engine::Direction::kEncrypt, payload);
      };
      const Bytes out = encrypt(stream);
      Bytes changedEnd = stream;
      for (std::size_t i = length / 4 * 4; i < length; ++i) changedEnd[i] ^= 0xA5;
      EXPECT_EQ(encrypt(changedEnd), out) << "the partial last word is never read";

      // Tail: k1 = byte 0, k2 = byte 1, then bytes 2, 3, then 4, 5.
      for (std::size_t j = 0; j < 3; ++j) {
        const std::size_t at = 4 * 1001 + j;
        const std::uint8_t k1 = stream[2 * j], k2 = stream[2 * j + 1];
        EXPECT_EQ(out[at], static_cast<std::uint8_t>((payload[at] ^ k2) - k1)) << "tail byte " << j;
      }
      const Bytes literal = c.saveKey ? oracle::SaveKeyBody(oracle::Direction::kEncrypt, stream, c.version, 'k', payload)
                                      : oracle::NoKeyBody(oracle::Direction::kEncrypt, stream, c.version, 'k', payload);
      EXPECT_TRUE(SameBytes(literal, out));
    }
  }
}

// From version 46 (and in the conditioned no-saved-key versions) the stream
// is whole words; the tail still starts again at byte 0 even when the word
// loop ended in the middle of the stream.
TEST(BodyCounters, TailRewindsAfterWholeWordStreams) {
  const Bytes stream = harness::RandomPayload(12, 78);
  for (std::size_t words : {1u, 2u, 4u, 5u}) {
    const Bytes payload = harness::RandomPayload(4 * words + 3, static_cast<std::uint32_t>(words));
    for (bool saveKey : {true, false}) {
      SCOPED_TRACE(std::string(saveKey ? "save-key 66" : "no-saved-key 38") + ", words " + std::to_string(words));
      auto cipher = saveKey ? engine::BodyCipher::SaveKey(stream, 66, 'k', payload.size())
                            : engine::BodyCipher::NoKey(stream, 38, 'k', payload.size());
      const Bytes out = Apply(cipher, engine::Direction::kEncrypt, payload);
      for (std::size_t j = 0; j < 3; ++j) {
        const std::size_t at = 4 * words + j;
        EXPECT_EQ(out[at], static_cast<std::uint8_t>((payload[at] ^ stream[2 * j + 1]) - stream[2 * j]))
            << "tail byte " << j;
      }
    }
  }
}

}  // namespace

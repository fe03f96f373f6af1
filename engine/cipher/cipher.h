// The tool's own byte/word mixing scheme: key stream, key check, key-stream
// conditioning, salted key stream and the body ciphers of every format
// version. Pure computation over buffers; jobs own files and messages.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/bytes.h"

namespace engine {

// Key stream of the save-key mode from the filled key (key bytes plus filler
// up to 12) and the unmixed random bytes.
Bytes BuildKeyStream(ByteSpan filledKey, std::uint8_t r1, std::uint8_t r2, std::uint8_t r3, int version);

// Key check stored in a save-key container; r1Mixed/r3Mixed are R1', R3'.
Bytes BuildKeyCheck(ByteSpan filledKey, std::uint8_t r2, std::uint8_t r1Mixed, std::uint8_t r3Mixed, int version);

// Inverse of BuildKeyCheck: the filled key, filler bytes included.
Bytes DecodeKeyCheck(ByteSpan stored, std::uint8_t r2, std::uint8_t r1Mixed, std::uint8_t r3Mixed, int version);

// True when `typedKey` has `storedLength` bytes and matches the stored check.
bool VerifyKey(ByteSpan typedKey, unsigned storedLength, ByteSpan storedCheck, std::uint8_t r2,
               std::uint8_t r1Mixed, std::uint8_t r3Mixed, int version);

enum class ConditionResult { kDone, kFailed, kCancelled };

// Conditioning of the newer versions, in place. `copy` supplies the bytes that
// pad the stream to a multiple of 4 (from its offset 8); mode > 33 works on
// 16-bit words, otherwise on bytes. Fails on an empty stream or a copy of 10
// bytes or fewer.
ConditionResult ConditionKeyStream(Bytes& stream, ByteSpan copy, int mode, const RunFlag& running);

// Key stream of the no-saved-key mode from the key, the 12 salt bytes and the
// selector byte. Empty when the run flag drops.
std::optional<Bytes> DeriveSaltedKeyStream(ByteSpan key, ByteSpan salt, std::uint8_t selector, const RunFlag& running);

// Counter step of the save-key word loop.
std::uint32_t SaveKeyWordStep(int version, std::uint8_t firstKeyByte);

// Counter step of the no-saved-key word loop (version 0: no version bytes).
std::uint32_t NoKeyWordStep(int version, std::uint8_t firstKeyByte);

enum class Direction { kEncrypt, kDecrypt };

// The body of a container, enciphered or deciphered in order, piece by piece.
// Every piece but the last holds whole 4-byte units (in version 11 of the
// save-key mode the units are single bytes).
class BodyCipher {
 public:
  static BodyCipher SaveKey(const Bytes& keyStream, int version, std::uint8_t firstKeyByte, std::uint64_t payloadSize);
  // version 0: a container without version bytes.
  static BodyCipher NoKey(const Bytes& keyStream, int version, std::uint8_t firstKeyByte, std::uint64_t payloadSize);

  void Apply(Direction direction, std::uint8_t* data, std::size_t size);

  // How a word is combined with the key words.
  enum class WordRule { kSubtractSecondWord, kAddOwnMask, kXorOnly };

 private:
  BodyCipher(const Bytes& keyStream, std::uint32_t step, WordRule rule, bool resetCounter, bool byteUnits,
             std::uint64_t payloadSize);
  void ApplyWordRegion(Direction direction, std::uint8_t* data, std::size_t size);
  void ApplyTail(Direction direction, std::uint8_t* data, std::size_t size);
  void ApplyByteUnits(Direction direction, std::uint8_t* data, std::size_t size);

  Bytes stream_;
  std::vector<std::uint32_t> words_;  // the stream as whole little-endian words
  std::uint32_t step_;
  WordRule rule_;
  bool resetCounter_;  // save-key: T restarts at step past 2^32 - 1; no-saved-key: T wraps
  bool byteUnits_;     // save-key version 11
  std::uint64_t wordBytes_;  // payload bytes covered by the word loop; the rest is the tail
  std::uint64_t position_ = 0;
  std::uint64_t counter_ = 0;  // T
  std::size_t wordIndex_ = 0;
  std::size_t byteIndex_ = 0;
  std::uint8_t byteCounter_ = 0;  // c of version 11
};

}  // namespace engine

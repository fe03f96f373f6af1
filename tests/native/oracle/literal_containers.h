// A slow, literal reference of the container formats and the cipher, written
// independently of engine/ and used by the tests to hold the fast engine to
// the byte. Everything here works one unit at a time (one byte, or one 4-byte
// word), with the key stream read through its own position and rewind rules
// and with the header insertion/skip tests made after every unit, exactly as
// the formats lay them down. Speed is not a goal; plainness is.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace oracle {

using Bytes = std::vector<std::uint8_t>;
using Salt = std::array<std::uint8_t, 12>;
// A source of random bytes 0..254, called once per byte drawn.
using Draw = std::function<std::uint8_t()>;

enum class Direction { kEncrypt, kDecrypt };

// The 8 GBK bytes of the magic "星尘加密" at the end of every container.
inline constexpr std::array<std::uint8_t, 8> kMagic = {0xD0, 0xC7, 0xB3, 0xBE, 0xBC, 0xD3, 0xC3, 0xDC};

// ---------------------------------------------------------------- key stream

// Sequential reader over a key stream with its own position.
class KeyStreamReader {
 public:
  explicit KeyStreamReader(const Bytes& stream);
  // Next byte; the position rewinds to 0 when it has reached the end.
  std::uint8_t NextByte();
  // Next little-endian word; rewinds to 0 first when fewer than 4 bytes remain.
  std::uint32_t NextWord();
  void Rewind() { position_ = 0; }
  std::size_t Position() const { return position_; }

 private:
  const Bytes& stream_;
  std::size_t position_ = 0;
};

// Key stream of the save-key mode from the filled key.
Bytes BuildKeyStream(const Bytes& filledKey, std::uint8_t r1, std::uint8_t r2, std::uint8_t r3, int version);
// Key check from the filled key; r1Mixed/r3Mixed are R1', R3'.
Bytes BuildKeyCheck(const Bytes& filledKey, std::uint8_t r2, std::uint8_t r1Mixed, std::uint8_t r3Mixed, int version);
// The filled key recovered from a stored key check.
Bytes DecodeKeyCheck(const Bytes& stored, std::uint8_t r2, std::uint8_t r1Mixed, std::uint8_t r3Mixed, int version);
// Accept/reject of a typed key against the stored length and key check.
bool VerifyKey(const Bytes& typedKey, unsigned storedLength, const Bytes& storedCheck, std::uint8_t r2,
               std::uint8_t r1Mixed, std::uint8_t r3Mixed, int version);
// Conditioning (mode > 33: 16-bit words, else bytes); empty on an empty
// stream or a copy of 10 bytes or fewer.
std::optional<Bytes> ConditionKeyStream(Bytes stream, const Bytes& copy, int mode);
// Salted key stream of the no-saved-key mode (not yet conditioned).
Bytes DeriveSaltedKeyStream(const Bytes& key, const Salt& salt, std::uint8_t selector);
// Selector byte v = T[(F mod 10) + 1].
std::uint8_t Selector(const Salt& salt, std::uint8_t firstKeyByte);

// Word steps of the two body ciphers (no-saved-key version 0: no version bytes).
std::uint32_t SaveKeyStep(int version, std::uint8_t firstKeyByte);
std::uint32_t NoKeyStep(int version, std::uint8_t firstKeyByte);

// Payload position P of the key check when S >= 1024.
std::uint64_t KeyCheckPoint(int version, std::uint8_t r2);

// ---------------------------------------------------------------- body units

// The save-key body cipher, one unit per call, with the 64-bit counter T that
// restarts at the step past 0xFFFFFFFF and the version-11 byte counter.
class SaveKeyBodyUnits {
 public:
  SaveKeyBodyUnits(const Bytes& keyStream, int version, std::uint8_t firstKeyByte);
  std::uint8_t ByteUnit(Direction direction, std::uint8_t in);  // version 11
  std::uint32_t WordUnit(Direction direction, std::uint32_t in);
  void StartTail() { keys_.Rewind(); }
  std::uint8_t TailByte(Direction direction, std::uint8_t in);

 private:
  KeyStreamReader keys_;
  int version_;
  std::uint32_t step_;
  std::uint64_t t_ = 0;
  std::uint8_t c_ = 0;
};

// The no-saved-key body cipher with its 32-bit wrapping counter.
class NoKeyBodyUnits {
 public:
  NoKeyBodyUnits(const Bytes& keyStream, int version, std::uint8_t firstKeyByte);
  std::uint32_t WordUnit(Direction direction, std::uint32_t in);
  void StartTail() { keys_.Rewind(); }
  std::uint8_t TailByte(Direction direction, std::uint8_t in);

 private:
  KeyStreamReader keys_;
  int version_;
  std::uint32_t step_;
  std::uint32_t t_ = 0;
};

// A whole body through the unit ciphers: S div 4 words then the tail (all
// bytes as units in save-key version 11).
Bytes SaveKeyBody(Direction direction, const Bytes& keyStream, int version, std::uint8_t firstKeyByte,
                  const Bytes& data);
Bytes NoKeyBody(Direction direction, const Bytes& keyStream, int version, std::uint8_t firstKeyByte,
                const Bytes& data);

// ---------------------------------------------------------------- save-key

struct SaveKeyRandoms {
  Bytes filler;  // 12 - L bytes when L < 12, else none
  std::uint8_t r1 = 0, r2 = 0, r3 = 0;
};

// Draws in the writer's order: filler, R1, R2, R3; for versions 11 and 18 R2
// is drawn again while below 4, so the key check never meets the header point.
SaveKeyRandoms DrawSaveKeyRandoms(std::size_t keyLength, int version, const Draw& draw);

// What the writer does when the key-check point equals the header point 260
// (only possible in versions 11 and 18 with R2 < 4).
enum class HeaderPointClash {
  kOmitKeyCheck,          // the old writer: header only, the key check never reaches the body
  kKeyCheckAfterHeader,  // header, then the key check right behind it
};

struct SaveKeyInput {
  Bytes key;  // GBK bytes, not empty
  int version = 66;
  std::uint8_t compression = 0;
  std::uint8_t layers = 1;
  Bytes extension;  // with its dot, or empty
  SaveKeyRandoms randoms;
  HeaderPointClash clash = HeaderPointClash::kOmitKeyCheck;
};

// The mixed header values of a container.
struct Mixed {
  std::uint8_t a = 0, b = 0, c = 0;
  std::uint8_t r1 = 0, r2 = 0, r3 = 0;
  std::uint8_t x = 0;
};

Mixed MixHeader(int version, std::uint16_t keyLength, std::uint8_t compression, std::uint8_t layers,
                std::uint8_t r1, std::uint8_t r2, std::uint8_t r3);

// SeedBlock, ParamBlock and InfoBlock as they are stored, one after the other.
Bytes HeaderBlocks(const Mixed& m, int version, std::uint64_t size, const Bytes& extension);
// TrailerBlock.
Bytes TrailerBlock(const Mixed& m, std::size_t extensionLength, const Bytes& keyCheck);

// The container bytes for `payload`.
Bytes WriteSaveKey(const Bytes& payload, const SaveKeyInput& input);

enum class ReadStatus {
  kOk,
  kNoMarker,
  kBadKeyLength,
  kKeyMismatch,
  kNoBodyRule,
  kConditionFailed,
  kTruncated,
};

struct SaveKeyRead {
  ReadStatus status = ReadStatus::kNoMarker;
  std::uint64_t headerOffset = 0;
  int version = 0;
  std::uint8_t r1 = 0, r2 = 0, r3 = 0;
  std::uint8_t layers = 0;
  std::uint8_t compression = 0;
  std::uint16_t keyLength = 0;
  std::uint64_t size = 0;
  Bytes extension;
  std::uint64_t keyCheckOffset = 0;
  Bytes filledKey;         // decoded from the stored key check
  bool trailerOk = false;  // the trailer matches the header values and the key check
  Bytes payload;
};

// Locates, validates and deciphers a container held whole in memory.
SaveKeyRead ReadSaveKey(const Bytes& file, const Bytes& typedKey);

// ---------------------------------------------------------------- no saved key

Salt DrawSalt(const Draw& draw);

// The key stream of a no-saved-key container, conditioned where the version
// asks for it; empty when conditioning fails.
std::optional<Bytes> NoKeyStream(const Bytes& key, int version, const Salt& salt);

// Version 38, 30 or 20; version 0 writes the variant without version bytes.
Bytes WriteNoKey(const Bytes& payload, const Bytes& key, int version, const Salt& salt);

struct NoKeyRead {
  ReadStatus status = ReadStatus::kNoMarker;
  std::uint64_t offset = 0;  // where the marker is: 2, or 0 without version bytes
  int version = 0;
  Salt salt{};
  bool framingOk = false;  // trailer (and the first byte when versioned) match the salt
  Bytes payload;
};

NoKeyRead ReadNoKey(const Bytes& file, const Bytes& key);

}  // namespace oracle

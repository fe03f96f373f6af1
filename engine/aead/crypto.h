// The primitives of the authenticated container, all from libgcrypt:
// Argon2id, HMAC-SHA-256 and HKDF over it, ChaCha20-Poly1305 per chunk,
// strong random bytes.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "engine/aead/secret.h"
#include "engine/bytes.h"

namespace engine::aead {

constexpr std::size_t kKeySize = 32;
constexpr std::size_t kTagSize = 16;
constexpr std::size_t kSaltSize = 16;
using Salt = std::array<std::uint8_t, kSaltSize>;
using Mac = std::array<std::uint8_t, 32>;

// The library failed where it should not (a broken installation).
class CryptoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The Argon2 area could not be allocated.
class KdfMemoryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct KdfParams {
  std::uint32_t memoryKiB = 262144;
  std::uint32_t passes = 3;
  std::uint32_t lanes = 1;
  bool operator==(const KdfParams&) const = default;
};

// Initialises the library once per process; every function below calls it.
void EnsureCryptoReady();

// Fills `out` from the library's strong random generator.
void RandomBytes(std::uint8_t* out, std::size_t size);
Salt RandomSalt();

// Argon2id (version 0x13), 32-byte tag, no secret and no associated data.
// Throws KdfMemoryError when the area cannot be had.
Secret Argon2id(ByteSpan password, const Salt& salt, const KdfParams& params);

Mac HmacSha256(ByteSpan key, ByteSpan data);
Mac Sha256(ByteSpan data);
// HKDF-SHA-256 with a 32-byte output: extract, then the one expand block.
Secret Hkdf32(ByteSpan ikm, ByteSpan salt, std::string_view info);

// ChaCha20-Poly1305 (96-bit nonce) under one key, for one thread.
class ChunkCipher {
 public:
  explicit ChunkCipher(ByteSpan key);
  ~ChunkCipher();
  ChunkCipher(const ChunkCipher&) = delete;
  ChunkCipher& operator=(const ChunkCipher&) = delete;

  // Encrypts `size` bytes of `plain` into `out` and appends the tag
  // (`out` holds size + kTagSize bytes).
  void Seal(std::uint64_t index, bool last, const std::uint8_t* plain, std::size_t size, std::uint8_t* out);
  // Decrypts `size` stored bytes (ciphertext and tag) into `out` (size -
  // kTagSize bytes) and checks the tag; false when it does not verify.
  // `stored` is left as it is, so the chunk can be tried with the other flag.
  bool Open(std::uint64_t index, bool last, const std::uint8_t* stored, std::size_t size, std::uint8_t* out);

 private:
  void SetNonce(std::uint64_t index, bool last);
  void* handle_ = nullptr;
};

}  // namespace engine::aead

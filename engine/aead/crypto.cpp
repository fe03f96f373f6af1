#include "engine/aead/crypto.h"

#include <gcrypt.h>

#include <mutex>
#include <string>

namespace engine::aead {

namespace {

void Check(gcry_error_t err, const char* what) {
  if (err) throw CryptoError(std::string(what) + ": " + gcry_strerror(err));
}

struct MacHandle {
  gcry_mac_hd_t h = nullptr;
  explicit MacHandle(ByteSpan key) {
    EnsureCryptoReady();
    Check(gcry_mac_open(&h, GCRY_MAC_HMAC_SHA256, 0, nullptr), "HMAC");
    Check(gcry_mac_setkey(h, key.data(), key.size()), "HMAC key");
  }
  ~MacHandle() { gcry_mac_close(h); }
  void Write(ByteSpan data) { Check(gcry_mac_write(h, data.data(), data.size()), "HMAC"); }
  Mac Read() {
    Mac mac{};
    std::size_t length = mac.size();
    Check(gcry_mac_read(h, mac.data(), &length), "HMAC");
    if (length != mac.size()) throw CryptoError("HMAC: short output");
    return mac;
  }
};

}  // namespace

void EnsureCryptoReady() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (!gcry_check_version(GCRYPT_VERSION)) throw CryptoError("libgcrypt: version mismatch");
    // Keys live in ordinary memory and are wiped by the program; the library's
    // locked pool would need privileges that a desktop user lacks.
    gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
    gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
  });
}

void RandomBytes(std::uint8_t* out, std::size_t size) {
  EnsureCryptoReady();
  gcry_randomize(out, size, GCRY_STRONG_RANDOM);
}

Salt RandomSalt() {
  Salt salt{};
  RandomBytes(salt.data(), salt.size());
  return salt;
}

Secret Argon2id(ByteSpan password, const Salt& salt, const KdfParams& params) {
  EnsureCryptoReady();
  const unsigned long p[4] = {kKeySize, params.passes, params.memoryKiB, params.lanes};
  gcry_kdf_hd_t h = nullptr;
  gcry_error_t err = gcry_kdf_open(&h, GCRY_KDF_ARGON2, GCRY_KDF_ARGON2ID, p, 4, password.data(), password.size(),
                                   salt.data(), salt.size(), nullptr, 0, nullptr, 0);
  if (gcry_err_code(err) == GPG_ERR_ENOMEM) throw KdfMemoryError("Argon2: out of memory");
  Check(err, "Argon2");
  Secret master(kKeySize);
  err = gcry_kdf_compute(h, nullptr);
  if (!err) err = gcry_kdf_final(h, master.size(), master.data());
  gcry_kdf_close(h);
  if (gcry_err_code(err) == GPG_ERR_ENOMEM) throw KdfMemoryError("Argon2: out of memory");
  Check(err, "Argon2");
  return master;
}

Mac HmacSha256(ByteSpan key, ByteSpan data) {
  MacHandle mac(key);
  mac.Write(data);
  return mac.Read();
}

Mac Sha256(ByteSpan data) {
  EnsureCryptoReady();
  Mac digest{};
  gcry_md_hash_buffer(GCRY_MD_SHA256, digest.data(), data.data(), data.size());
  return digest;
}

Secret Hkdf32(ByteSpan ikm, ByteSpan salt, std::string_view info) {
  Mac prk = HmacSha256(salt, ikm);
  MacHandle expand({prk.data(), prk.size()});
  expand.Write(AsBytes(info));
  const std::uint8_t counter = 1;
  expand.Write({&counter, 1});
  Mac okm = expand.Read();
  Secret key(kKeySize);
  std::copy(okm.begin(), okm.end(), key.data());
  Wipe(prk.data(), prk.size());
  Wipe(okm.data(), okm.size());
  return key;
}

ChunkCipher::ChunkCipher(ByteSpan key) {
  EnsureCryptoReady();
  if (key.size() != kKeySize) throw CryptoError("ChaCha20: the key is not 32 bytes");
  gcry_cipher_hd_t h = nullptr;
  Check(gcry_cipher_open(&h, GCRY_CIPHER_CHACHA20, GCRY_CIPHER_MODE_POLY1305, 0), "ChaCha20-Poly1305");
  handle_ = h;
  const gcry_error_t err = gcry_cipher_setkey(h, key.data(), key.size());
  if (err) {
    gcry_cipher_close(h);
    Check(err, "ChaCha20-Poly1305 key");
  }
}

ChunkCipher::~ChunkCipher() { gcry_cipher_close(static_cast<gcry_cipher_hd_t>(handle_)); }

void ChunkCipher::SetNonce(std::uint64_t index, bool last) {
  // 11 bytes of the index, big-endian, then the last-chunk flag. The library
  // accepts nonces of other lengths silently, so the length is fixed here.
  std::uint8_t nonce[12] = {};
  for (int i = 0; i < 8; ++i) nonce[10 - i] = static_cast<std::uint8_t>(index >> (8 * i));
  nonce[11] = last ? 1 : 0;
  Check(gcry_cipher_setiv(static_cast<gcry_cipher_hd_t>(handle_), nonce, sizeof nonce), "ChaCha20-Poly1305 nonce");
}

void ChunkCipher::Seal(std::uint64_t index, bool last, const std::uint8_t* plain, std::size_t size,
                       std::uint8_t* out) {
  auto h = static_cast<gcry_cipher_hd_t>(handle_);
  SetNonce(index, last);
  Check(gcry_cipher_final(h), "ChaCha20-Poly1305");
  Check(gcry_cipher_encrypt(h, out, size, plain, size), "ChaCha20-Poly1305");
  Check(gcry_cipher_gettag(h, out + size, kTagSize), "ChaCha20-Poly1305 tag");
}

bool ChunkCipher::Open(std::uint64_t index, bool last, const std::uint8_t* stored, std::size_t size,
                       std::uint8_t* out) {
  if (size < kTagSize) return false;
  auto h = static_cast<gcry_cipher_hd_t>(handle_);
  const std::size_t length = size - kTagSize;
  SetNonce(index, last);
  Check(gcry_cipher_final(h), "ChaCha20-Poly1305");
  Check(gcry_cipher_decrypt(h, out, length, stored, length), "ChaCha20-Poly1305");
  const gcry_error_t err = gcry_cipher_checktag(h, stored + length, kTagSize);
  if (gcry_err_code(err) == GPG_ERR_CHECKSUM) return false;
  Check(err, "ChaCha20-Poly1305 tag");
  return true;
}

}  // namespace engine::aead

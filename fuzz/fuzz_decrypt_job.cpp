// The decryption job on any file: save-key containers of every version,
// compressed or not, and files that are none (tried as compressed-only).
#include <cstdint>
#include <string>

#include "engine/aead/header.h"
#include "engine/jobs/decrypt_job.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Authenticated containers have their own target, which keeps Argon2 small.
  if (engine::aead::HasMagic({data, size})) return 0;
  engine::DecryptJobInput input;
  input.decryptKey = fuzz::SeedKey();
  fuzz::RunDecryptJobOn({reinterpret_cast<const char*>(data), size}, input);
  return 0;
}

// The decryption job on authenticated containers: the header checks, the
// chunks, the metadata and the content. Every run goes through the job, so
// the checks on what it leaves are those of the other job targets.
#include <cstdint>
#include <string>

#include "engine/aead/header.h"
#include "engine/jobs/decrypt_job.h"
#include "fuzz/fuzz_support.h"

namespace {

// Headers that ask for more than this are refused or derived exactly like
// small ones; skipping them keeps a run from spending seconds in Argon2.
bool AffordableKdf(const std::uint8_t* data, std::size_t size) {
  engine::aead::Header header;
  if (engine::aead::ParseHeader({data, size}, header) != engine::aead::HeaderCheck::kValid) return true;
  return header.kdfParams.memoryKiB <= 8192 && header.kdfParams.passes <= 2;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!AffordableKdf(data, size)) return 0;
  engine::DecryptJobInput input;
  input.decryptKeyText = "abc";  // the seeds' key
  input.decryptKey = "abc";
  // One batch for the whole run: the seeds' key is derived once.
  static const auto batch = std::make_shared<engine::aead::KdfBatch>();
  input.aeadBatch = batch;
  fuzz::RunDecryptJobOn({reinterpret_cast<const char*>(data), size}, input);
  return 0;
}

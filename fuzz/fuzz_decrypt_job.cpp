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
  fuzz::RunFolder& run = fuzz::RunFolder::Get();
  run.Reset();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const fuzz::fs::path source = run.Put("sample.jmz", bytes);

  testing_support::RecordingHost host;
  host.answers = {true};  // try a newer version's container
  engine::JobState state;
  engine::TZnZip zip;
  engine::JobWindow window{host, state, zip};
  engine::DecryptJobInput input;
  input.source = source;
  input.decryptKey = fuzz::SeedKey();
  input.outputFolder = run.out;

  const fuzz::TimeBound bound(fuzz::kJobBound);
  engine::RunDecryptJob(window, input);
  bound.Check("the decryption job");

  fuzz::CheckJobOutcome(run, source, bytes, fuzz::LogHas(host, "已完成"));
  fuzz::CheckControlsUnlocked(host);
  fuzz::Check(!state.decryptActive && !state.plainDecompress, "the job cleared its flags");
  return 0;
}

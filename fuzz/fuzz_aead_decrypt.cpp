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
  fuzz::RunFolder& run = fuzz::RunFolder::Get();
  run.Reset();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const fuzz::fs::path source = run.Put("sample.jmz", bytes);

  testing_support::RecordingHost host;
  engine::JobState state;
  engine::TZnZip zip;
  engine::JobWindow window{host, state, zip};
  engine::DecryptJobInput input;
  input.source = source;
  input.decryptKeyText = "abc";  // the seeds' key
  input.decryptKey = "abc";
  input.outputFolder = run.out;
  // One batch for the whole run: the seeds' key is derived once.
  static const auto batch = std::make_shared<engine::aead::KdfBatch>();
  input.aeadBatch = batch;

  const fuzz::TimeBound bound(fuzz::kJobBound);
  engine::RunDecryptJob(window, input);
  bound.Check("the decryption job");

  fuzz::CheckJobOutcome(run, source, bytes, fuzz::LogHas(host, "已完成"));
  fuzz::CheckControlsUnlocked(host);
  fuzz::Check(!state.decryptActive && !state.plainDecompress, "the job cleared its flags");
  return 0;
}

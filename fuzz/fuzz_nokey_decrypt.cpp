// The no-saved-key decryption batch on any file.
#include <cstdint>
#include <string>

#include "engine/nokey_jobs.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::RunFolder& run = fuzz::RunFolder::Get();
  run.Reset();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const fuzz::fs::path source = run.Put("sample.jmz", bytes);

  testing_support::RecordingHost host;
  host.answers = {true, true};  // try a newer version's container
  engine::JobState state;
  engine::TZnZip zip;
  engine::JobWindow window{host, state, zip};
  engine::NoKeyBatchInput input;
  input.files = {source};
  input.key = fuzz::SeedKey();
  input.outputFolder = run.out;

  const fuzz::TimeBound bound(fuzz::kJobBound);
  engine::RunNoKeyDecryptBatch(window, input);
  bound.Check("the no-saved-key decryption");

  const fuzz::fs::path output = fuzz::CheckJobOutcome(run, source, bytes, fuzz::LogHas(host, "已完成"));
  fuzz::Check(!state.Busy(), "the batch cleared its flags");
  // The payload size follows from the file's length: 38 bytes of framing.
  if (!output.empty()) fuzz::Check(fuzz::ReadAll(output).size() + 36 <= size, "the output is shorter than the framing allows");
  return 0;
}

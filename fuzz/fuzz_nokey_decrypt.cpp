// The no-saved-key decryption batch on any file.
#include <cstdint>
#include <string>

#include "engine/format/nokey_container.h"
#include "engine/jobs/nokey_jobs.h"
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
  state.idleFlag = false;  // the window's dispatch of a batch
  engine::NoKeyBatchInput input;
  input.files = {source};
  input.key = fuzz::SeedKey();
  input.outputFolder = run.out;

  const fuzz::TimeBound bound(fuzz::kJobBound);
  engine::RunNoKeyDecryptBatch(window, input);
  bound.Check("the no-saved-key decryption");

  const fuzz::fs::path output = fuzz::CheckJobOutcome(run, source, bytes, fuzz::LogHas(host, "已完成"));
  fuzz::Check(!state.Busy(), "the batch cleared its flags");
  // The payload size follows from the file's length and the framing.
  if (!output.empty()) {
    platform::MemorySource memory(std::vector<std::uint8_t>(data, data + size));
    const std::optional<engine::NoKeyHeader> header = engine::ReadNoKeyHeader(memory);
    fuzz::Check(header.has_value(), "only a no-saved-key container decrypts");
    fuzz::Check(static_cast<std::int64_t>(fuzz::ReadAll(output).size()) == header->PayloadSize(size),
                "the output has the payload size the framing leaves");
  }
  return 0;
}

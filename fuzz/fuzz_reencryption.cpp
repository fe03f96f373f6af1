// The encryption job on any file: the re-encryption check reads the file's
// header with the decrypt key; a container gets one layer more, any other
// file one layer. The result must decrypt back to the source.
#include <cstdint>
#include <string>

#include "engine/format/container_info.h"
#include "engine/jobs/encrypt_job.h"
#include "engine/jobs/reencryption_check.h"
#include "fuzz/fuzz_support.h"
#include "platform/file.h"

namespace {

const std::string kNewKey = "new-key-2";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::RunFolder& run = fuzz::RunFolder::Get();
  run.Reset();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const fuzz::fs::path source = run.Put("sample.jmz", bytes);

  testing_support::RecordingHost host;
  engine::JobState state;
  engine::TZnZip zip;
  engine::JobWindow window{host, state, zip};
  engine::EncryptJobInput input;
  input.file = source;
  input.encryptKey = kNewKey;
  input.decryptKey = fuzz::SeedKey();
  input.outputFolder = run.out;

  const fuzz::TimeBound bound(fuzz::kJobBound);
  engine::RunEncryptJob(window, input);
  bound.Check("the encryption job");

  const fuzz::fs::path output = fuzz::CheckJobOutcome(run, source, bytes, fuzz::LogHas(host, "加密文件已完成"));
  fuzz::CheckControlsUnlocked(host);
  fuzz::Check(!state.encryptActive && !state.compressActive, "the job cleared its flags");
  if (output.empty()) return 0;

  // What the check alone says about the source decides the new layer count.
  testing_support::RecordingHost quiet;
  platform::MemorySource memory(std::vector<std::uint8_t>(data, data + size));
  const auto* key = reinterpret_cast<const std::uint8_t*>(input.decryptKey.data());
  const engine::ReencryptionCheck check =
      engine::CheckForReencryption(memory, engine::ByteSpan(key, input.decryptKey.size()), quiet, "");
  fuzz::Check(!check.stop, "the job encrypted a file its check refuses");

  const std::string written = fuzz::ReadAll(output);
  platform::MemorySource result(std::vector<std::uint8_t>(written.begin(), written.end()));
  const engine::ContainerInfo info = engine::InspectContainer(result);
  fuzz::Check(info.kind == engine::ContainerInfo::Kind::kSaveKey, "the result is a save-key container");
  fuzz::Check(info.layers == check.layers, "the result has the layer count of the check");
  fuzz::Check(fuzz::DecryptSaveKeyBytes(written, kNewKey) == bytes, "the result decrypts back to the source");
  return 0;
}

// `jmz info`'s reader: what a file is, read from its header without a key.
// The file reader and the memory reader must agree, and a file that info
// calls no save-key container must not open as one in decryption.
#include <cstdint>
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "engine/format/container_info.h"
#include "engine/format/save_key_reader.h"
#include "fuzz/fuzz_support.h"
#include "platform/file.h"

namespace {

class QuietEvents final : public engine::ReaderEvents {
 public:
  void Report(std::string) override {}
  bool AskTryNewerVersion() override { return true; }
  void Status(std::string_view) override {}
};

bool Same(const engine::ContainerInfo& a, const engine::ContainerInfo& b) {
  return a.kind == b.kind && a.version == b.version && a.layers == b.layers && a.compression == b.compression &&
         a.keyLength == b.keyLength && a.extension == b.extension && a.payloadSize == b.payloadSize &&
         a.headerOffset == b.headerOffset && a.zlibStream == b.zlibStream;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The tool's own output is not needed; libFuzzer reports on stderr.
  if (!std::freopen("/dev/null", "w", stdout)) return 1;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::RunFolder& run = fuzz::RunFolder::Get();
  run.Reset();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const fuzz::fs::path source = run.Put("sample.jmz", bytes);

  platform::MemorySource memory(std::vector<std::uint8_t>(data, data + size));
  const engine::ContainerInfo info = engine::InspectContainer(memory);
  platform::InputFile file(source);
  fuzz::Check(Same(info, engine::InspectContainer(file)), "the file and the memory reader agree");
  fuzz::Check(cli::InfoFile(source.string()), "info reads every readable file");

  using Kind = engine::ContainerInfo::Kind;
  if (info.kind == Kind::kSaveKey) {
    fuzz::Check(info.headerOffset == 0 || info.headerOffset == 260, "a save-key header lies at 0 or 260");
    fuzz::Check(info.extension.size() <= 215, "the extension fits its field");
  }
  if (info.kind == Kind::kNoKey) {
    fuzz::Check(info.headerOffset == 0 || info.headerOffset == 2, "a no-saved-key marker lies at 0 or 2");
    fuzz::Check(info.payloadSize == 0 || info.payloadSize + 36 <= size, "the payload fits the file");
  }

  // Decryption with any key must not find a container where info finds none.
  QuietEvents events;
  engine::RunFlag running{true};
  const std::string key = fuzz::SeedKey();
  const auto* k = reinterpret_cast<const std::uint8_t*>(key.data());
  platform::MemorySource again(std::vector<std::uint8_t>(data, data + size));
  const engine::OpenOutcome opened =
      engine::OpenSaveKeyContainer(again, engine::ContainerSpan{0, size}, engine::ByteSpan(k, key.size()), events, running);
  // The authenticated magic goes first, as in decryption.
  if (info.kind != Kind::kAead)
    fuzz::Check((info.kind == Kind::kSaveKey) == (opened.result != engine::OpenResult::kNotContainer),
                "info and decryption agree on what is a save-key container");
  fuzz::CheckJobOutcome(run, source, bytes, false);
  return 0;
}

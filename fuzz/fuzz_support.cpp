#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "engine/format/save_key_reader.h"
#include "platform/text.h"

namespace fuzz {

void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
  std::abort();
}

RunFolder& RunFolder::Get() {
  static RunFolder* run = [] {
    auto* r = new RunFolder;
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    r->root = base / ("xcjm-fuzz-" + std::to_string(::getpid()));
    r->src = r->root / "src";
    r->out = r->root / "out";
    r->tmp = r->root / "tmp";
    fs::remove_all(r->root, ec);
    for (const fs::path& p : {r->src, r->out, r->tmp}) fs::create_directories(p);
    ::setenv("TMPDIR", r->tmp.c_str(), 1);
    std::atexit([] {
      std::error_code e;
      fs::remove_all(RunFolder::Get().root, e);
    });
    return r;
  }();
  return *run;
}

void RunFolder::Reset() {
  for (const fs::path& folder : {src, out, tmp}) {
    for (const fs::path& entry : Entries(folder)) fs::remove_all(entry);
  }
}

fs::path RunFolder::Put(const std::string& name, std::string_view bytes) const {
  const fs::path file = src / fs::u8path(name);
  std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return file;
}

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<fs::path> Entries(const fs::path& folder) {
  std::vector<fs::path> entries;
  for (const auto& e : fs::directory_iterator(folder)) entries.push_back(e.path());
  return entries;
}

bool LooksTemporary(const fs::path& file) {
  const std::string name = file.filename().string();
  return name.rfind("~xcjm-", 0) == 0 || file.extension() == ".part";
}

fs::path CheckJobOutcome(const RunFolder& run, const fs::path& source, std::string_view original, bool completed) {
  const std::vector<fs::path> sources = Entries(run.src);
  Check(sources.size() == 1 && sources[0] == source, "the source folder holds only the source");
  Check(ReadAll(source) == original, "the source is unchanged");
  const std::vector<fs::path> temps = Entries(run.tmp);
  Check(temps.empty(), "nothing is left in the temporary folder: " + (temps.empty() ? "" : temps[0].string()));
  const std::vector<fs::path> outputs = Entries(run.out);
  Check(outputs.size() <= 1, "at most one output");
  if (outputs.empty()) {
    Check(!completed, "a completed job left its output");
    return {};
  }
  Check(completed, "an output appears only when the job reports completion: " + outputs[0].string());
  Check(!LooksTemporary(outputs[0]), "the output is under its final name: " + outputs[0].string());
  Check(fs::is_regular_file(outputs[0]), "the output is a file");
  return outputs[0];
}

bool LogHas(const testing_support::RecordingHost& host, std::string_view text) {
  for (const std::string& line : host.log)
    if (line.find(text) != std::string::npos) return true;
  return false;
}

void CheckControlsUnlocked(const testing_support::RecordingHost& host) {
  int locked = 0;
  for (const std::string& e : host.events) {
    if (e.rfind("lock:", 0) == 0) locked = 1;
    if (e.rfind("unlock:", 0) == 0) locked = 0;
  }
  Check(locked == 0, "the job unlocked its controls at its end");
}

void TimeBound::Check(const char* what) const {
  const auto elapsed = std::chrono::steady_clock::now() - start_;
  fuzz::Check(elapsed <= bound_, std::string(what) + " ran longer than its bound");
}

namespace {

class QuietEvents final : public engine::ReaderEvents {
 public:
  void Report(std::string) override {}
  bool AskTryNewerVersion() override { return false; }
  void Status(std::string_view) override {}
};

}  // namespace

std::optional<std::string> DecryptSaveKeyBytes(std::string_view container, std::string_view key) {
  platform::MemorySource source(std::vector<std::uint8_t>(container.begin(), container.end()));
  QuietEvents events;
  engine::RunFlag running{true};
  const engine::ContainerSpan span{0, container.size()};
  const auto* k = reinterpret_cast<const std::uint8_t*>(key.data());
  engine::OpenOutcome opened = engine::OpenSaveKeyContainer(source, span, engine::ByteSpan(k, key.size()), events, running);
  if (opened.result != engine::OpenResult::kOpened || !opened.container) return std::nullopt;
  platform::MemorySink sink;
  engine::BodyMonitor monitor{running, {}};
  if (!engine::DecryptSaveKeyBody(source, span, *opened.container, sink, monitor)) return std::nullopt;
  return std::string(sink.Bytes().begin(), sink.Bytes().end());
}

bool IsUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > text.size()) return false;
    std::uint32_t cp = n == 1 ? c : c & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
      const auto t = static_cast<unsigned char>(text[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (t & 0x3F);
    }
    const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += n;
  }
  return true;
}

void RunDecryptJobOn(std::string_view bytes, engine::DecryptJobInput input) {
  RunFolder& run = RunFolder::Get();
  run.Reset();
  const fs::path source = run.Put("sample.jmz", bytes);
  testing_support::RecordingHost host;
  host.answers = {true};  // try a newer version's container
  engine::JobState state;
  engine::TZnZip zip;
  engine::JobWindow window{host, state, zip};
  input.source = source;
  input.outputFolder = run.out;

  const TimeBound bound(kJobBound);
  engine::RunDecryptJob(window, input);
  bound.Check("the decryption job");

  CheckJobOutcome(run, source, bytes, LogHas(host, "已完成"));
  CheckControlsUnlocked(host);
  Check(!state.decryptActive && !state.plainDecompress, "the job cleared its flags");
}

std::string SeedKey() { return *platform::Utf8ToGbk("种子密钥seed"); }

}  // namespace fuzz

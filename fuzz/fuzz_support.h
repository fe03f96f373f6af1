// What every fuzz target shares: a folder of its own on tmpfs for each run,
// the checks on what a job leaves behind, a time bound, and a failure that
// libFuzzer records with its input.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/jobs/decrypt_job.h"
#include "tests/native/recording_host.h"

namespace fuzz {

namespace fs = std::filesystem;

// Prints what failed and aborts, so libFuzzer keeps the input as a crash.
[[noreturn]] void Fail(const std::string& what);
inline void Check(bool ok, const std::string& what) {
  if (!ok) Fail(what);
}

// The per-process folder: src/ holds the input file, out/ is the output
// folder and tmp/ is the system temporary folder (TMPDIR) of the jobs.
class RunFolder {
 public:
  // Created on first use, on /dev/shm when it exists; removed at exit.
  static RunFolder& Get();
  // Empties src/, out/ and tmp/.
  void Reset();
  // Writes `bytes` to src/`name` and returns its path.
  fs::path Put(const std::string& name, std::string_view bytes) const;

  fs::path root, src, out, tmp;
};

std::string ReadAll(const fs::path& file);
std::vector<fs::path> Entries(const fs::path& folder);

// True when a temporary file of the staged outputs could have this name.
bool LooksTemporary(const fs::path& file);

// After a job on `source` (whose bytes were `original`): the source is
// unchanged and alone in its folder, the temporary folder is empty, and the
// output folder holds one complete file when the job reported completion and
// nothing otherwise. Returns that file, or an empty path.
fs::path CheckJobOutcome(const RunFolder& run, const fs::path& source, std::string_view original, bool completed);

// True when a log line contains `text`.
bool LogHas(const testing_support::RecordingHost& host, std::string_view text);

// The job gave back every control it locked.
void CheckControlsUnlocked(const testing_support::RecordingHost& host);

// Fails a run that took longer than the bound.
class TimeBound {
 public:
  explicit TimeBound(std::chrono::seconds bound) : bound_(bound), start_(std::chrono::steady_clock::now()) {}
  void Check(const char* what) const;

 private:
  std::chrono::seconds bound_;
  std::chrono::steady_clock::time_point start_;
};

inline constexpr std::chrono::seconds kJobBound{10};

// Runs the decryption job on the input `bytes`, put in src/ as sample.jmz,
// with the key and batch of `input` (its source and folder are set here),
// within the job bound, and checks what it leaves, its controls and flags.
void RunDecryptJobOn(std::string_view bytes, engine::DecryptJobInput input);

// Opens `container` with `key` and deciphers its body; empty when it does
// not open or the body cannot be read to its end.
std::optional<std::string> DecryptSaveKeyBytes(std::string_view container, std::string_view key);

// True for well-formed UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(std::string_view text);

// The GBK bytes of the key the seed containers were made with.
std::string SeedKey();

}  // namespace fuzz

#include <atomic>
#include <deque>
#include <functional>
#include <thread>

#include "cli/commands.h"
#include "cli/console_host.h"
#include "cli/file_jobs.h"
#include "engine/jobs/decrypt_job.h"
#include "engine/jobs/encrypt_job.h"
#include "engine/jobs/job_window.h"
#include "engine/jobs/nokey_jobs.h"
#include "engine/jobs/upgrade_job.h"
#include "platform/paths.h"

namespace cli {

namespace {

namespace fs = std::filesystem;

// The answers to the format-version questions that lead to `version`.
std::deque<bool> VersionAnswers(Command command, int version) {
  if (command == Command::kNoKeyEncrypt) {
    if (version == 30) return {true, false};
    if (version == 20) return {true, true};
    return {};
  }
  switch (version) {
    case 56: return {true, false};
    case 38: return {true, true, false};
    case 18: return {true, true, true, false};
    case 11: return {true, true, true, true};
    default: return {};
  }
}

bool OffersOldVersions(const Options& o) { return !VersionAnswers(o.command, o.formatVersion).empty(); }

}  // namespace

fs::path OutputFolderFor(const Options& o, const fs::path& file) {
  if (o.outputDir) return platform::Utf8ToPath(*o.outputDir);
  const fs::path parent = fs::absolute(file).parent_path();
  return parent.empty() ? fs::path(".") : parent;
}

bool RunFileJobs(const Options& o, const FileJob& job) {
  ProgressDisplay display(o.quiet);
  QuestionDesk desk(o.answer);
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> completed{0};
  auto worker = [&] {
    for (std::size_t i = next++; i < o.files.size(); i = next++) {
      const fs::path file = platform::Utf8ToPath(o.files[i]);
      ConsoleHost host(display, desk, static_cast<int>(i), platform::PathToUtf8(file.filename()),
                       VersionAnswers(o.command, o.formatVersion), {engine::DisplayPath(file)});
      engine::JobState state;
      engine::TZnZip zip;
      engine::JobWindow window{host, state, zip};
      job(file, window);
      if (host.Completed() > 0) ++completed;
    }
  };
  std::vector<std::thread> threads;
  for (unsigned t = 1; t < std::min<std::size_t>(o.jobs, o.files.size()); ++t) threads.emplace_back(worker);
  worker();
  for (std::thread& t : threads) t.join();
  return completed == o.files.size();
}


// The files of one run are one batch: one KDF salt, each key derived once.
engine::AeadSettings AeadFor(const Options& o) {
  engine::AeadSettings aead;
  aead.enabled = o.aead || o.command == Command::kUpgrade;
  aead.params.memoryKiB = static_cast<std::uint32_t>(o.kdfMemoryMiB) * 1024;
  aead.params.passes = static_cast<std::uint32_t>(o.kdfPasses);
  aead.batch = std::make_shared<engine::aead::KdfBatch>();
  return aead;
}

bool RunEncrypt(const Options& o, const std::string& key, const std::string& oldKey, const std::string& keyText) {
  const engine::AeadSettings aead = AeadFor(o);
  return RunFileJobs(o, [&](const fs::path& file, engine::JobWindow& window) {
    engine::EncryptJobInput in;
    in.file = file;
    in.encryptKey = key;
    in.decryptKey = oldKey;
    in.zipLevel = o.level;
    in.outputFolder = OutputFolderFor(o, file);
    in.offerOldVersions = OffersOldVersions(o);
    in.aead = aead;
    in.encryptKeyText = keyText;
    engine::RunEncryptJob(window, in);
  });
}

bool RunDecrypt(const Options& o, const std::string& key, const std::string& keyText) {
  const auto batch = std::make_shared<engine::aead::KdfBatch>();
  return RunFileJobs(o, [&](const fs::path& file, engine::JobWindow& window) {
    engine::DecryptJobInput in;
    in.source = file;
    in.decryptKey = key;
    in.decryptKeyText = keyText;
    in.aeadBatch = batch;
    in.outputFolder = OutputFolderFor(o, file);
    engine::RunDecryptJob(window, in);
  });
}

bool RunUpgrade(const Options& o, const std::string& key, const std::string& keyText) {
  const engine::AeadSettings aead = AeadFor(o);
  return RunFileJobs(o, [&](const fs::path& file, engine::JobWindow& window) {
    engine::RunUpgradeJob(window, {file, key, keyText, aead, OutputFolderFor(o, file)});
  });
}

bool RunNoKey(const Options& o, const std::string& key) {
  // A batch runs its files one after the other; each file is a batch of one
  // here, so that every file gets its own output folder.
  Options sequential = o;
  sequential.jobs = 1;
  const bool encrypting = o.command == Command::kNoKeyEncrypt;
  return RunFileJobs(sequential, [&](const fs::path& file, engine::JobWindow& window) {
    engine::NoKeyBatchInput in;
    in.files = {file};
    in.key = key;
    in.outputFolder = OutputFolderFor(o, file);
    in.offerOldVersions = OffersOldVersions(o);
    window.state.idleFlag = false;
    encrypting ? engine::RunNoKeyEncryptBatch(window, in) : engine::RunNoKeyDecryptBatch(window, in);
  });
}

}  // namespace cli

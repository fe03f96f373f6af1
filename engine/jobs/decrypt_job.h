// The decryption job of one file: checks the container's header against the
// key, deciphers the body and, when the payload is compressed, expands it on
// the compression component; a file that is no container is expanded as a
// compressed-only file. Runs as one sequence on the job's worker thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "engine/aead/kdf_batch.h"
#include "engine/jobs/job_window.h"

namespace engine {

struct DecryptJobInput {
  std::filesystem::path source;        // the selected file, or the package
  std::string decryptKey;              // GBK bytes of the decrypt key box
  std::filesystem::path outputFolder;  // where results go
  // Self-decryption of a package: the container lies inside the source.
  bool selfDecryption = false;
  std::uint64_t containerStart = 0;
  std::uint64_t containerSize = 0;     // 0: the whole source
  std::string carriedName;             // the carried file's name, for the log
  // The decrypted file's name without its stored extension; empty: the
  // source's name without its extension.
  std::string outputName;
  // The key box's text as UTF-8, the key of an authenticated container.
  std::string decryptKeyText;
  // Shared by the files of one batch, so each key is derived once; empty:
  // the file is a batch of its own.
  std::shared_ptr<aead::KdfBatch> aeadBatch;
};

void RunDecryptJob(JobWindow& window, const DecryptJobInput& input);

// Button2Click while the button is the cancel button of a running job.
void CancelDecryptJob(JobWindow& window, const std::string& sourceDisplayPath);

}  // namespace engine

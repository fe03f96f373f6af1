// Re-encrypts a historical save-key container into the authenticated
// container in one job: the old body is deciphered (and expanded) straight
// into the new writer, so no plaintext reaches the disk. The original stays.
#pragma once

#include <filesystem>
#include <string>

#include "engine/jobs/aead_settings.h"
#include "engine/jobs/job_window.h"

namespace engine {

struct UpgradeJobInput {
  std::filesystem::path source;        // the historical container
  std::string decryptKey;              // its key, GBK bytes
  std::string keyText;                 // the new container's key, UTF-8
  AeadSettings aead;                   // parameters and the batch
  std::filesystem::path outputFolder;  // "name.jmz", or the first free "name(n).jmz"
};

// Runs on the job's worker thread; the encryption flag is its run flag.
void RunUpgradeJob(JobWindow& window, const UpgradeJobInput& input);

}  // namespace engine

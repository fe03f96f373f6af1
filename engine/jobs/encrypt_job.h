// The encryption job of one file: the per-file driver (size and
// re-encryption checks), the compression stage when a level is chosen, and
// the encryption worker that writes the container. It runs as one sequence on
// the job's worker thread and reports through the window's host.
#pragma once

#include <filesystem>
#include <string>

#include "engine/jobs/aead_settings.h"
#include "engine/jobs/job_window.h"

namespace engine {

struct EncryptJobInput {
  std::filesystem::path file;          // the selected file
  std::string encryptKey;              // GBK bytes of the encrypt key box
  std::string decryptKey;              // GBK bytes of the decrypt key box (re-encryption)
  // Set when the decrypt key box holds text that cannot be a key: a file
  // that would need the decrypt key is refused with this notice.
  std::string decryptKeyRefusal;
  int zipLevel = 0;                    // 0 none, 1 fastest, 2 default, 3 maximum
  std::filesystem::path outputFolder;  // where results go
  bool offerOldVersions = false;       // ask for an older format version (hidden click counter above 7)
  // The authenticated container: when enabled and a key is typed, the file
  // is encrypted into it with the key box's text as UTF-8.
  AeadSettings aead;
  std::string encryptKeyText;          // UTF-8 of the encrypt key box
};

void RunEncryptJob(JobWindow& window, const EncryptJobInput& input);

// Button1Click while the button is the cancel button of a running job.
void CancelEncryptJob(JobWindow& window, const std::string& displayPath);

}  // namespace engine

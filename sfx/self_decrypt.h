// Self-decryption: the file a package carries decrypted in place, through
// the decryption job, never separated first.
#pragma once

#include <filesystem>
#include <string>

#include "engine/jobs/job_window.h"
#include "sfx/detect.h"

namespace sfx {

struct SelfDecryptInput {
  std::filesystem::path package;  // the package file
  PackageInfo info;               // from DetectPackage on it
  std::filesystem::path chosen;   // the save dialog's name; the stored extension is appended
  std::string decryptKey;         // GBK bytes of the decrypt key box
  std::string decryptKeyText;     // its text as UTF-8 (the authenticated container's key)
};

// The decryption job on the carried container (from the image's end plus
// the header, `carriedSize` long), on the job's worker thread.
void SelfDecrypt(engine::JobWindow& window, const SelfDecryptInput& input);

// The second panel when Button7Click starts: the carried name as the header
// holds it, damaged or not; the replacement of a damaged one is what the
// command uses from there on (the suggested name, the job's lines).
std::string SelfDecryptStartText(const PackageInfo& info);

// Button7Click while the button cancels the running self-decryption.
void CancelSelfDecrypt(engine::JobWindow& window, const std::string& carriedName);

}  // namespace sfx

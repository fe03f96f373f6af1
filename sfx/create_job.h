// Creating a self-decrypting package: a program's image, the package header
// and one save-key container, written under a temporary name and given the
// name "B.exe" (or "B(n).exe") only when complete.
#pragma once

#include <filesystem>
#include <string>

#include "engine/jobs/job_window.h"

namespace sfx {

struct SfxCreateInput {
  std::filesystem::path source;        // the chosen .jmz file
  std::filesystem::path stub;          // the program whose image leads the package (the running one)
  std::filesystem::path outputFolder;  // where the package goes
};

// PrepareSfxJob followed by WriteSfxPackage, on the job's worker thread.
void PrepareSfxJob(engine::JobWindow& window, const SfxCreateInput& input);

// Button6Click while the button cancels the running creation.
void CancelSfxCreate(engine::JobWindow& window, const std::string& sourceDisplayPath);

// Creation logs this after its completion line when the package reaches
// 4 GiB, which Windows does not start.
inline constexpr const char* kTooBigToStart =
    "自解密文件大小达到或超过4GB，Windows不能直接运行它，请用jmz sfx-separate分离出其中的已加密文件:";

}  // namespace sfx

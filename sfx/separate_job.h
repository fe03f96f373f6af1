// Separation: the carried .jmz file written back out of a package, together
// with a plain copy of the tool (the package's image without what it carries).
#pragma once

#include <filesystem>
#include <string>

#include "engine/jobs/job_window.h"
#include "sfx/detect.h"

namespace sfx {

struct SeparateInput {
  std::filesystem::path package;  // the package file (the running program, or any for jmz)
  PackageInfo info;               // from DetectPackage on it
  std::filesystem::path chosen;   // the save dialog's name; the .jmz goes beside it under its base
};

// The name of the tool's plain copy: "星尘 文件加密.exe", then "(n)" before ".exe".
std::filesystem::path ToolCopyCandidate(const std::filesystem::path& folder, unsigned n);

// The replace question (when the target exists), the tool copy and the copy
// of the carried data, on the job's worker thread. The target .jmz appears
// only when complete; an existing one the user agreed to replace is replaced
// only then. The tool copy stays whatever happens to the .jmz.
void SeparatePackage(engine::JobWindow& window, const SeparateInput& input);

// Button8Click while the button cancels the running separation.
void CancelSeparate(engine::JobWindow& window, const std::string& carriedName);

}  // namespace sfx

#include "cli/sfx_commands.h"

#include <functional>

#include "cli/file_jobs.h"
#include "cli/terminal.h"
#include "engine/jobs/output_names.h"
#include "platform/paths.h"
#include "sfx/create_job.h"
#include "sfx/detect.h"
#include "sfx/package_names.h"
#include "sfx/self_decrypt.h"
#include "sfx/separate_job.h"

namespace cli {

namespace {

namespace fs = std::filesystem;

// Detection as the package's own window runs it; empty after saying why
// the file carries nothing.
std::optional<sfx::PackageInfo> Detect(engine::JobWindow& window, const fs::path& file) {
  const sfx::PackageInfo info = sfx::DetectPackage(window.host, file);
  if (info.Present()) return info;
  const std::string why = !info.imageError.empty() ? info.imageError
                          : info.ownFileSize == 0  ? std::string("cannot be read")
                                                   : std::string("carries no package");
  WriteErr("jmz: " + platform::PathToUtf8(file) + ": " + why + "\n");
  return std::nullopt;
}

}  // namespace

bool RunSfxCreate(const Options& o) {
  const fs::path stub = platform::Utf8ToPath(*o.stub);
  return RunFileJobs(o, [&](const fs::path& file, engine::JobWindow& window) {
    sfx::PrepareSfxJob(window, sfx::SfxCreateInput{file, stub, OutputFolderFor(o, file)});
  });
}

bool RunSfxSeparate(const Options& o) {
  return RunFileJobs(o, [&](const fs::path& file, engine::JobWindow& window) {
    const std::optional<sfx::PackageInfo> info = Detect(window, file);
    if (!info) return;
    const fs::path chosen = OutputFolderFor(o, file) / platform::Utf8ToPath(sfx::UsableCarriedName(info->carriedName));
    sfx::SeparatePackage(window, sfx::SeparateInput{file, *info, chosen});
  });
}

bool RunSfxDecrypt(const Options& o, const std::string& key, const std::string& keyText) {
  return RunFileJobs(o, [&](const fs::path& file, engine::JobWindow& window) {
    const std::optional<sfx::PackageInfo> info = Detect(window, file);
    if (!info) return;
    // The carried name without its extension; the stored one is appended.
    const std::string name = engine::SplitFileName(platform::Utf8ToPath(sfx::UsableCarriedName(info->carriedName))).name;
    sfx::SelfDecrypt(window, sfx::SelfDecryptInput{file, *info, OutputFolderFor(o, file) / platform::Utf8ToPath(name), key,
                                                   keyText});
  });
}

}  // namespace cli

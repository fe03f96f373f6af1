#include "sfx/self_decrypt.h"

#include "engine/jobs/decrypt_job.h"
#include "platform/paths.h"
#include "sfx/package_names.h"

namespace sfx {

void SelfDecrypt(engine::JobWindow& window, const SelfDecryptInput& input) {
  engine::DecryptJobInput job;
  job.source = input.package;
  job.decryptKey = input.decryptKey;
  job.decryptKeyText = input.decryptKeyText;
  const std::filesystem::path folder = input.chosen.parent_path();
  job.outputFolder = folder.empty() ? std::filesystem::path(".") : folder;
  job.outputName = platform::PathToUtf8(input.chosen.filename());
  job.selfDecryption = true;
  job.containerStart = input.info.CarriedStart();
  job.containerSize = static_cast<std::uint64_t>(input.info.carriedSize);
  job.carriedName = UsableCarriedName(input.info.carriedName);
  engine::RunDecryptJob(window, job);
}

std::string SelfDecryptStartText(const PackageInfo& info) {
  return PackageStatusText(info, CarriedNameText(info.carriedName));
}

void CancelSelfDecrypt(engine::JobWindow& window, const std::string& carriedName) {
  if (!window.host.AskYesNo("取消自解密", "真的要取消自解密：“" + carriedName + "”吗?")) return;
  if (!window.state.decryptActive) return;
  window.state.decryptActive = false;
  // A compressed carried file may be expanding already.
  window.zip.Stop();
  window.host.SetJobControls(engine::JobControl::kButton7, true);
  window.host.LogLine("自解密文件已取消:" + carriedName);
}

}  // namespace sfx

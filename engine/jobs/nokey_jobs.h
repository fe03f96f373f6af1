// The no-saved-key batches: every chosen file, one after the other, on one
// worker thread in the window whose hidden menu entry started them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "engine/jobs/job_window.h"

namespace engine {

// Texts of the entries (the window shows them before a batch starts).
namespace nokey_text {
inline constexpr std::string_view kEncryptKeyEmpty = "加密密钥(不能)是空的，请输入加密的密钥。加密文件已取消:";
inline constexpr std::string_view kDecryptKeyEmpty = "解密密钥(不能)是空的,请输入解密的密钥。解密文件已取消:";
}  // namespace nokey_text

struct NoKeyBatchInput {
  std::vector<std::filesystem::path> files;
  std::string key;                     // GBK bytes: the encrypt or the decrypt key box
  std::filesystem::path outputFolder;  // where results go
  bool offerOldVersions = false;       // ask for an older format version (hidden click counter above 7)
};

void RunNoKeyEncryptBatch(JobWindow& window, const NoKeyBatchInput& input);
void RunNoKeyDecryptBatch(JobWindow& window, const NoKeyBatchInput& input);

// A click on the entry that is the cancel entry of a running batch.
void CancelNoKeyBatch(JobWindow& window, NoKeyMode mode, const std::string& workingDisplayPath);

}  // namespace engine

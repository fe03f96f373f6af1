#include "app/job_lock.h"

namespace app {

using engine::JobControl;

std::string_view JobButtonCaption(JobControl control, bool enabled) {
  switch (control) {
    case JobControl::kButton1: return enabled ? "加密文件" : "取消加密";
    case JobControl::kButton2: return enabled ? "解密文件" : "取消解密";
    case JobControl::kButton6: return enabled ? "创建自解密" : "取消创建";
    case JobControl::kButton7: return enabled ? "自解密" : "取消解密";
    case JobControl::kButton8: return enabled ? "分离" : "取消";
    case JobControl::kNone:
    case JobControl::kMD51: break;
  }
  return {};
}

JobLockPlan SetJobControlsPlan(JobControl trigger, bool enabled, bool carriesPackage, bool closing) {
  JobLockPlan plan;
  if (closing) return plan;
  const bool package = enabled && carriesPackage;
  plan.enabled = {
      {LockedControl::kButton1, enabled}, {LockedControl::kButton2, enabled}, {LockedControl::kButton6, enabled},
      {LockedControl::kSf, true},         {LockedControl::kButton7, package}, {LockedControl::kButton8, package},
      {LockedControl::kDelfl, enabled},   {LockedControl::kJm1, enabled},     {LockedControl::kJm2, enabled},
      {LockedControl::kMD51, enabled},
  };
  // An MD5 batch keeps the check box as it is: unticking it cancels the batch.
  if (trigger == JobControl::kMD51) return plan;
  plan.enabled.emplace_back(LockedControl::kCheckBox2, enabled);
  plan.checkBox2Ticked = enabled;
  if (trigger == JobControl::kNone) return plan;
  plan.trigger = TriggerChange{trigger, enabled ? 0 : 1, JobButtonCaption(trigger, enabled)};
  return plan;
}

std::string FolderPart(std::string_view path) {
  const std::size_t last = path.find_last_of("\\/");
  return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last + 1));
}

namespace {

// The text without its last UTF-8 character.
std::string_view WithoutLastCharacter(std::string_view text) {
  if (text.empty()) return text;
  std::size_t end = text.size() - 1;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

}  // namespace

OutputFolderChoice ChooseOutputFolder(std::string_view currentFolder, std::string_view listHint,
                                      std::string_view firstFile,
                                      const std::function<bool(std::string_view path)>& isFolder) {
  const std::string_view named = WithoutLastCharacter(listHint);
  if (!named.empty() && isFolder(named)) {
    if (!currentFolder.empty()) return {std::string(currentFolder), false};
    std::string folder(named);
    if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return {folder, false};
  }
  return {FolderPart(firstFile), true};
}

}  // namespace app

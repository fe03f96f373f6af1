// The job lock of a window as data: which controls a job locks or unlocks,
// the state of the MD5 check box, and the caption and tag its trigger gets.
// The window applies the plan to its controls.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/jobs/job_host.h"

namespace app {

// The controls the job lock touches.
enum class LockedControl {
  kButton1, kButton2, kButton6, kButton7, kButton8, kSf, kDelfl, kJm1, kJm2, kMD51, kCheckBox2,
};

struct TriggerChange {
  engine::JobControl control;
  int tag = 0;               // 1 while the button is the cancel button of its job
  std::string_view caption;  // empty for MD51, whose caption never changes
};

struct JobLockPlan {
  // Enabled states in the order they are set.
  std::vector<std::pair<LockedControl, bool>> enabled;
  // CheckBox2 ticked (its click behaviour runs when that changes it).
  std::optional<bool> checkBox2Ticked;
  std::optional<TriggerChange> trigger;
};

// SetJobControls(trigger, enabled). A window that is closing changes
// nothing (empty plan). The self-decryption and separation buttons follow
// `enabled` only when the program carries a package.
JobLockPlan SetJobControlsPlan(engine::JobControl trigger, bool enabled, bool carriesPackage, bool closing);

// Caption of a job button when idle (`enabled`) and while it cancels its job.
std::string_view JobButtonCaption(engine::JobControl control, bool enabled);

// PrepareOutputFolder's rule. While the log list's hint without its last
// character names an existing folder, the window's output folder
// `currentFolder` carries over (a window without one takes the hint's folder,
// with one trailing separator). Otherwise the batch writes into the folder of
// its first file, and the list shows that folder (`replaced`).
struct OutputFolderChoice {
  std::string folder;  // ends with "\"
  bool replaced = false;
};
OutputFolderChoice ChooseOutputFolder(std::string_view currentFolder, std::string_view listHint,
                                      std::string_view firstFile,
                                      const std::function<bool(std::string_view path)>& isFolder);

// The folder part of a path with its trailing separator ("\" or "/").
std::string FolderPart(std::string_view path);

}  // namespace app

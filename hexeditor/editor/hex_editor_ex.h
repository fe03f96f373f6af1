// The published editor: the model plus the backup of an overwritten file.
#pragma once

#include <filesystem>
#include <string>

#include "hexeditor/editor/custom_hex_editor.h"

namespace hexed {

class TQDHexEditorEx : public TCustomQDHexEditor {
 public:
  // Move the existing file aside before saving over it.
  bool CreateBackup() const { return createBackup_; }
  void SetCreateBackup(bool on) { createBackup_ = on; }
  // Extension of backup names (cut to 6 characters when a name gets too long).
  const std::string& BackupExtension() const { return backupExtension_; }
  void SetBackupExtension(const std::string& ext) { backupExtension_ = ext; }

  // Refuses read-only files, then, when CreateBackup, Modified and the file
  // exists, renames FileName to its backup name; throws EQDHexEditor "Cannot
  // create backup %s. (%s)" when the rename fails.
  void CheckOverwrite() override;

  // The name the backup of FileName gets now: the name cut to 203 characters,
  // BackupExtension appended (itself cut to 6 characters when name and
  // extension reach 210), and "(n)" before the extension while taken.
  std::filesystem::path BackupName();

 private:
  bool createBackup_ = true;
  std::string backupExtension_ = ".bak";
};

}  // namespace hexed

#include "hexeditor/editor/hex_editor_ex.h"

#include <system_error>

#include "hexeditor/errors.h"
#include "hexeditor/messages.h"
#include "hexeditor/path_text.h"

namespace hexed {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxBackupBaseChars = 203;
constexpr std::size_t kLongBackupNameChars = 210;
constexpr std::size_t kShortExtensionChars = 6;

std::size_t CharCount(const std::string& utf8) {
  std::size_t n = 0;
  for (char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

// The first maxChars characters of UTF-8 text.
std::string FirstChars(const std::string& utf8, std::size_t maxChars) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80 && chars++ == maxChars) return utf8.substr(0, i);
  }
  return utf8;
}

}  // namespace

fs::path TQDHexEditorEx::BackupName() {
  const fs::path folder = FileName().parent_path();
  const std::string name = FirstChars(PathText(FileName().filename()), kMaxBackupBaseChars);
  if (CharCount(name) + CharCount(backupExtension_) >= kLongBackupNameChars) {
    backupExtension_ = FirstChars(backupExtension_, kShortExtensionChars);
  }
  std::error_code ec;
  fs::path candidate = folder / PathFromText(name + backupExtension_);
  for (int n = 1; fs::exists(candidate, ec); ++n) {
    candidate = folder / PathFromText(name + "(" + std::to_string(n) + ")" + backupExtension_);
  }
  return candidate;
}

void TQDHexEditorEx::CheckOverwrite() {
  TCustomQDHexEditor::CheckOverwrite();
  std::error_code ec;
  if (!createBackup_ || !Modified() || !fs::exists(FileName(), ec)) return;
  // The save moves the old file there once the new one is complete.
  SetSaveBackup(BackupName());
}

}  // namespace hexed

// MD5 verification in the main window: files dropped on it or chosen from the
// log list's menu are digested on the window's own thread, the progress
// callback pumping messages after every block, and the log list's commands
// (copy the digest, stop, save and clear the list, the read mode).
//
// A drop or a command that arrives while a digest runs is handled inside the
// callback's pumping, nested in the running batch; every batch ends by
// setting the idle flag, so the interrupted digest stops at its next block.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "app/win32/main_window.h"
#include "app/win32/main_window_ids.h"
#include "app/win32/ui_texts.h"
#include "engine/jobs/job_progress.h"
#include "platform/paths.h"
#include "platform/win32/wide.h"
#include "utils/md5_list.h"
#include "platform/win32/window_text.h"

namespace app {

namespace {

constexpr wchar_t kMd51Title[] = L"选择文件效验MD5(可多选)：";
constexpr wchar_t kListFileName[] = L"记录文件";
constexpr wchar_t kListFilter[] = L"TXT文件(*.TXT)|*.txt|全部文件(*.*)|*.*";
constexpr wchar_t kListTitle[] = L"列表框全部内容保存为：";
constexpr ULONGLONG kMd5PumpMilliseconds = 100;

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The dropped name at `index`, whatever its length.
std::wstring DroppedName(HDROP drop, UINT index) {
  const UINT length = DragQueryFileW(drop, index, nullptr, 0);
  std::wstring name(static_cast<std::size_t>(length) + 1, L'\0');
  name.resize(DragQueryFileW(drop, index, name.data(), length + 1));
  return name;
}

std::wstring ListItem(HWND list, LRESULT index) {
  const LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR) return {};
  std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT got = SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item.data()));
  item.resize(got == CB_ERR ? 0 : static_cast<std::size_t>(got));
  return item;
}

void PutTextOnClipboard(HWND owner, const std::wstring& text) {
  if (!OpenClipboard(owner)) throw std::runtime_error("the clipboard is busy");
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  bool placed = false;
  if (memory != nullptr) {
    if (void* target = GlobalLock(memory)) {
      std::memcpy(target, text.c_str(), bytes);
      GlobalUnlock(memory);
      placed = EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    }
    if (!placed) GlobalFree(memory);
  }
  CloseClipboard();
  if (!placed) throw std::runtime_error("the clipboard refused the text");
}

}  // namespace

bool MainWindow::CheckBox2Ticked() const {
  return SendMessageW(Control(kIdCheckBox2), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainWindow::WMDropFiles(HDROP drop) {
  Hold hold(*this);
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  try {
    if (count > 0 && !closing_) {
      if (CheckBox2Ticked()) state_.idleFlag = false;
      std::wstring name;
      for (UINT i = 0; i < count; ++i) {
        name = DroppedName(drop, i);
        if (IsFolder(name) && CheckBox2Ticked()) {
          const std::wstring line = platform::Widen(utils::FolderLine(platform::Narrow(name)));
          SetStatusPanelText(line);
          AddLogLine(line);
        } else if (CheckBox2Ticked() && !state_.idleFlag) {
          VerifyFileMD5(name);
        }
      }
      // The last dropped file becomes the next dialog's file, MD5 or not.
      if (IsWindowEnabled(Control(kIdCheckBox2)) && IsFile(name)) {
        SetStatusPanelText(name);
        SetHint(kIdStatusBar1, name);
      }
    }
  } catch (const std::exception& error) {
    // An error of the MD5 unit ends the drop with the program's error box.
    ShowBox(platform::Widen(error.what()), text::kTitle, MB_OK | MB_ICONERROR);
  }
  DragFinish(drop);
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  if (CheckBox2Ticked()) state_.idleFlag = true;
  SetForegroundWindow(Handle());
}

void MainWindow::VerifyFileMD5(const std::wstring& file) {
  state_.idleFlag = false;
  const utils::VerifyResult result =
      utils::VerifyFileMD5(std::filesystem::path(file), md5ReadMode_,
                           [this](std::uint64_t total, std::uint64_t done, bool& cancel) { MD5Progress(total, done, cancel); });
  for (const std::string& line : result.lines) AddLogLine(platform::Widen(line));
  if (result.hex.empty()) return;
  const std::wstring hex = platform::Widen(result.hex);
  SetWindowTextW(Control(kIdComboBox1), hex.c_str());
  SetHint(kIdComboBox1, hex);
}

void MainWindow::MD5Progress(std::uint64_t total, std::uint64_t done, bool& cancel) {
  std::int32_t max = 100, position;
  if (total < 2147483647u) {
    max = static_cast<std::int32_t>(total);
    position = static_cast<std::int32_t>(done);
  } else {
    position = engine::Percentage(total, done);
  }
  // The bar is moved and messages are served every few milliseconds and at
  // the end: a repaint and a visit to the message queue after each
  // 4,096-byte block would cost far more than the block's digest. The clock
  // itself is read only every 64 blocks.
  if ((++md5Blocks_ & 63) == 0 || done == total) {
    const ULONGLONG now = GetTickCount64();
    if (now - md5LastPump_ >= kMd5PumpMilliseconds || done == total) {
      HWND bar = Control(kIdProgressBar1);
      SendMessageW(bar, PBM_SETRANGE32, 0, max);
      SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
      PumpMessages();
      md5LastPump_ = GetTickCount64();
    }
  }
  // A closing window stops the digest as well: its controls are going.
  cancel = state_.idleFlag || !md5Ticked_ || closing_;
}

void MainWindow::MD51Click() {
  Hold hold(*this);
  try {
    FileDialogRequest request{kMd51Title, text::kAllFilesFilter, 1, L""};
    const std::optional<std::vector<std::wstring>> files = group_.services.dialogs.OpenFiles(Handle(), request);
    if (files && !files->empty() && !closing_) {
      ResetJobs();
      state_.idleFlag = false;
      SetCheckBox2(true);
      SetJobControls(engine::JobControl::kMD51, false);
      try {
        for (const std::wstring& file : *files) {
          if (!CheckBox2Ticked() || state_.idleFlag || closing_) break;
          VerifyFileMD5(file);
        }
      } catch (...) {
        // The controls never stay locked after a failed digest.
        SetJobControls(engine::JobControl::kMD51, true);
        throw;
      }
      SetJobControls(engine::JobControl::kMD51, true);
    }
    state_.idleFlag = true;
  } catch (const std::exception&) {
    group_.services.boxes.Beep();
    ResetJobs();
  }
}

void MainWindow::MD52Click() {
  try {
    PutTextOnClipboard(Handle(), Hint(kIdComboBox1));
  } catch (const std::exception&) {
    group_.services.boxes.Beep();
  }
}

void MainWindow::MD53Click() { state_.idleFlag = true; }

std::vector<std::wstring> MainWindow::LogItems() const {
  HWND list = Control(kIdComboBox1);
  std::vector<std::wstring> items;
  const LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) items.push_back(ListItem(list, i));
  return items;
}

void MainWindow::N19Click() {
  try {
    std::optional<SavedFile> chosen;
    {
      Hold hold(*this);
      chosen = group_.services.dialogs.SaveFile(Handle(), FileDialogRequest{kListTitle, kListFilter, 1, kListFileName});
    }
    if (!chosen || chosen->path.empty()) return;
    std::vector<std::string> items;
    for (const std::wstring& item : LogItems()) items.push_back(platform::Narrow(item));
    if (!utils::SaveList(std::filesystem::path(chosen->path), items)) group_.services.boxes.Beep();
  } catch (const std::exception&) {
    group_.services.boxes.Beep();
  }
}

void MainWindow::N21Click() {
  SendMessageW(Control(kIdComboBox1), CB_RESETCONTENT, 0, 0);
  SetWindowTextW(Control(kIdComboBox1), L"");
}

void MainWindow::PopupMenu3Popup() {
  try {
    const auto enable = [this](int id, bool on) {
      EnableMenuItem(popupMenu3_, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    // The hint holds either a digest or the output folder (ending in "\").
    const std::wstring hint = Hint(kIdComboBox1);
    enable(kIdMD52, !hint.empty() && hint.front() != L' ' && !IsFolder(hint.substr(0, hint.size() - 1)));
    enable(kIdMD53, !state_.idleFlag);
    const bool hasItems = SendMessageW(Control(kIdComboBox1), CB_GETCOUNT, 0, 0) > 0;
    enable(kIdN19, hasItems);
    enable(kIdN21, hasItems || GetWindowTextLengthW(Control(kIdComboBox1)) > 0);
  } catch (const std::exception&) {
    group_.services.boxes.Beep();
  }
}

void MainWindow::ComboBox1Select() {
  HWND list = Control(kIdComboBox1);
  const LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return;
  const std::wstring item = ListItem(list, index);
  SetHint(kIdComboBox1, item);
  SetStatusPanelText(item);
  SetHint(kIdStatusBar1, item);
}

void MainWindow::ComboBox1Change() {
  if (platform::WindowText(Control(kIdComboBox1)).empty()) SetHint(kIdComboBox1, text::kComboBox1Hint);
}

}  // namespace app

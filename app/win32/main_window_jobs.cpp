// The job side of a main window: the job state's reset, the output folder,
// the job lock, the batch dispatch over new windows, the hidden
// no-saved-key commands, and the one worker thread a window runs jobs on.
#include <windows.h>

#include <commctrl.h>
#include <filesystem>

#include "app/cascade.h"
#include "app/job_lock.h"
#include "app/key_entry.h"
#include "app/win32/main_window.h"
#include "app/win32/main_window_ids.h"
#include "app/win32/ui_texts.h"
#include "engine/aead/secret.h"
#include "engine/jobs/decrypt_job.h"
#include "engine/jobs/encrypt_job.h"
#include "engine/jobs/nokey_jobs.h"
#include "platform/paths.h"
#include "platform/win32/wide.h"
#include "platform/win32/window_text.h"

namespace app {

using engine::JobControl;

namespace {

int ControlIdOf(JobControl control) {
  switch (control) {
    case JobControl::kButton1: return kIdButton1;
    case JobControl::kButton2: return kIdButton2;
    case JobControl::kButton6: return kIdButton6;
    case JobControl::kButton7: return kIdButton7;
    case JobControl::kButton8: return kIdButton8;
    case JobControl::kMD51: return kIdMD51;
    case JobControl::kNone: break;
  }
  return 0;
}

bool IsExistingFolder(std::string_view path) {
  std::error_code ec;
  return std::filesystem::is_directory(platform::Utf8ToPath(path), ec);
}

}  // namespace

void MainWindow::ClearJobFlags() {
  state_.ClearJobFlags();
  try {
    zip_.Stop();
  } catch (const std::exception&) {
    group_.services.boxes.Beep();
  }
}

void MainWindow::ResetJobs() {
  Hold hold(*this);
  ClearJobFlags();
  PumpMessages();
  PumpFor(260);
}

bool MainWindow::PrepareOutputFolder(const std::wstring& firstFile) {
  const OutputFolderChoice choice =
      ChooseOutputFolder(outputFolder_, platform::Narrow(Hint(kIdComboBox1)), platform::Narrow(firstFile), IsExistingFolder);
  outputFolder_ = choice.folder;
  if (choice.replaced) {
    const std::wstring folder = platform::Widen(outputFolder_);
    SetHint(kIdComboBox1, folder);
    SetWindowTextW(Control(kIdComboBox1), folder.c_str());
    SendMessageW(Control(kIdComboBox1), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(folder.c_str()));
  }
  state_.idleFlag = false;
  PumpMessages();
  return !outputFolder_.empty();
}

void MainWindow::SetButtonCaption(int id, const std::wstring& caption) {
  SetWindowTextW(Control(id), caption.c_str());
}

void MainWindow::ApplyJobLock(const JobLockPlan& plan) {
  try {
    for (auto [control, enabled] : plan.enabled) {
      const bool on = enabled;
      switch (control) {
        case LockedControl::kButton1: EnableWindow(Control(kIdButton1), on); break;
        case LockedControl::kButton2: EnableWindow(Control(kIdButton2), on); break;
        case LockedControl::kButton6: EnableWindow(Control(kIdButton6), on); break;
        case LockedControl::kButton7: EnableWindow(Control(kIdButton7), on); break;
        case LockedControl::kButton8: EnableWindow(Control(kIdButton8), on); break;
        case LockedControl::kSf: EnableWindow(Control(kIdSf), on); break;
        case LockedControl::kDelfl: EnableMenuItem(popupMenu1_, kIdDelfl, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); break;
        case LockedControl::kJm1: EnableWindow(Control(kIdJm1), on); break;
        case LockedControl::kJm2: EnableWindow(Control(kIdJm2), on); break;
        case LockedControl::kMD51: EnableMenuItem(popupMenu3_, kIdMD51, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); break;
        case LockedControl::kCheckBox2: EnableWindow(Control(kIdCheckBox2), on); break;
      }
    }
    if (plan.checkBox2Ticked) SetCheckBox2(*plan.checkBox2Ticked);
    if (!plan.trigger) return;
    const int id = ControlIdOf(plan.trigger->control);
    if (id == kIdMD51) return;
    EnableWindow(Control(id), TRUE);
    buttonTags_[id] = plan.trigger->tag;
    if (closing_) return;
    SetButtonCaption(id, platform::Widen(plan.trigger->caption));
  } catch (const std::exception&) {
    group_.services.boxes.Beep();
  }
}

void MainWindow::SetCompressionChoice(int index, bool click) {
  compressionIndex_ = index;
  CheckRadioButton(Handle(), kIdRgysl0, kIdRgysl3, kIdRgysl0 + index);
  if (click) Store(setting::kCompression, index);
}

void MainWindow::SetCheckBox2(bool ticked) {
  const bool now = SendMessageW(Control(kIdCheckBox2), BM_GETCHECK, 0, 0) == BST_CHECKED;
  if (now == ticked) return;
  SendMessageW(Control(kIdCheckBox2), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
  CheckBox2Click();
}

void MainWindow::CheckBox2Click() {
  const bool ticked = SendMessageW(Control(kIdCheckBox2), BM_GETCHECK, 0, 0) == BST_CHECKED;
  md5Ticked_ = ticked;
  Store(setting::kNoMd5, ticked ? 0 : 1);
}

std::wstring MainWindow::PreselectedFile() const {
  const std::wstring hint = Hint(kIdStatusBar1);
  std::error_code ec;
  return !hint.empty() && std::filesystem::is_regular_file(std::filesystem::path(hint), ec) ? hint : std::wstring();
}

std::optional<std::string> MainWindow::KeyBytesOrNotice(int box, const char* refusal) {
  std::optional<std::string> bytes = KeyBytes(platform::Narrow(KeyText(box)));
  if (!bytes) ShowNoticeText(platform::Widen(refusal));
  return bytes;
}

bool MainWindow::RefuseWhileBusy() {
  if (!commandInProgress_ && dispatchingButton_ == 0 && !(workerRunning_ && state_.Busy())) return false;
  group_.services.boxes.Beep();
  return true;
}

void MainWindow::RunJobCommand(const std::function<void()>& command) {
  if (RefuseWhileBusy()) return;
  CommandInProgress inProgress(*this);
  if (!WaitForWorker()) return;
  Hold hold(*this);
  command();
}

MainWindow::BatchKeys MainWindow::CurrentKeys() const { return {KeyText(kIdJm1), KeyText(kIdJm2), aeadChecked_}; }

void MainWindow::Button1Click() {
  if (ButtonTag(kIdButton1) == 1) {
    engine::CancelEncryptJob(jobWindow_, jobDisplayPath_);
    return;
  }
  if (dispatchingButton_ == kIdButton1) {
    // A click while the windows are still being created stops the creation.
    state_.idleFlag = true;
    return;
  }
  if (RefuseWhileBusy()) return;
  CommandInProgress command(*this);
  // The decrypt key is needed only for a container that gets a further
  // layer; the job refuses such a file when the box cannot be a key.
  const BatchKeys keys = CurrentKeys();
  if (!keys.aead && !KeyBytesOrNotice(kIdJm1, text::kEncryptKeyNotGbk)) return;
  if (!WaitForWorker()) return;
  RunBatchCommand(kIdButton1, {text::kEncryptTitle, text::kAllFilesFilter, 1, PreselectedFile()}, keys);
}

void MainWindow::Button2Click() {
  if (ButtonTag(kIdButton2) == 1) {
    engine::CancelDecryptJob(jobWindow_, jobDisplayPath_);
    return;
  }
  if (dispatchingButton_ == kIdButton2) {
    state_.idleFlag = true;
    return;
  }
  if (RefuseWhileBusy()) return;
  CommandInProgress command(*this);
  const BatchKeys keys = CurrentKeys();
  if (!keys.aead && !KeyBytesOrNotice(kIdJm2, text::kDecryptKeyNotGbk)) return;
  if (!WaitForWorker()) return;
  RunBatchCommand(kIdButton2, {text::kDecryptTitle, text::kDecryptFilter, 1, PreselectedFile()}, keys);
}

void MainWindow::RunBatchCommand(int button, const FileDialogRequest& request, const BatchKeys& keys) {
  Hold hold(*this);
  try {
    ResetJobs();
    SetStatusPanelText(L"");
    const std::optional<std::vector<std::wstring>> files = group_.services.dialogs.OpenFiles(Handle(), request);
    if (!files || files->empty() || closing_) return;
    DispatchBatch(button, *files, keys);
  } catch (const std::exception&) {
    BatchFailed(button, "");
  }
}

void MainWindow::BatchFailed(int button, const std::string& file) {
  (button == kIdButton1 ? state_.encryptActive : button == kIdButton6 ? state_.sfxCreateActive
                                                                      : state_.decryptActive) = false;
  state_.idleFlag = true;
  LogLine((button == kIdButton1 ? text::kEncryptDispatchError
           : button == kIdButton6 ? text::kSfxDispatchError
                                  : text::kDecryptDispatchError) + file);
  if (button == kIdButton2) group_.services.boxes.Beep();
}

void MainWindow::DispatchBatch(int button, std::vector<std::wstring> files, const BatchKeys& keys) {
  Hold hold(*this);
  const bool encrypting = button == kIdButton1;
  // The encryption and self-decrypting batches pause before each file; the
  // decryption batch pauses longer after starting each job.
  const bool pauseBeforeFile = button != kIdButton2;
  std::size_t current = 0;
  try {
    PrepareOutputFolder(files.front());
    dispatchingButton_ = button;
    // Every window of the batch runs its file with this window's keys,
    // compression level and output folder.
    const std::wstring& encryptText = keys.encryptText;
    const std::wstring& decryptText = keys.decryptText;
    const std::string encryptKey = KeyBytes(platform::Narrow(encryptText)).value_or(std::string());
    const std::string decryptKey = KeyBytes(platform::Narrow(decryptText)).value_or(std::string());
    const std::filesystem::path outputFolder = platform::Utf8ToPath(outputFolder_);
    const int level = compressionIndex_;
    // The files of the batch share one KDF salt and derive each key once.
    const engine::AeadSettings aead{keys.aead, {}, std::make_shared<engine::aead::KdfBatch>()};
    for (current = 0; current < files.size(); ++current) {
      if (state_.idleFlag || closing_) break;
      if (pauseBeforeFile) PumpFor(33);
      if (state_.idleFlag || closing_) break;
      MainWindow* target = this;
      if (current > 0) {
        if (isPrimary_ && tag_ != 1) {
          SetWindowTextW(Handle(), (platform::WindowText(Handle()) + text::kPrimarySuffix).c_str());
          tag_ = 1;
        }
        PumpFor(33);
        if (state_.idleFlag || closing_) break;
        target = CreateSecondaryWindow();
      }
      Hold targetHold(*target);
      if (target != this) {
        PumpFor(33);
        SetWindowTextW(target->Handle(), (platform::WindowText(target->Handle()) + text::kSecondarySuffix).c_str());
        if (target->compressionIndex_ != level) target->SetCompressionChoice(level, true);
        PumpMessages();
        PumpFor(33);
        if (target->closing_) continue;
        PlaceInCascade(*target, static_cast<int>(current));
        target->Show(SW_SHOW);
      }
      // The window that runs the job shows the keys and the output folder it
      // was given.
      if (target != this) {
        target->SetKeyText(kIdJm1, encryptText);
        target->SetKeyText(kIdJm2, decryptText);
        target->SetHint(kIdComboBox1, Hint(kIdComboBox1));
        target->outputFolder_ = outputFolder_;
      }
      const std::filesystem::path file(files[current]);
      target->jobDisplayPath_ = engine::DisplayPath(file);
      bool started = false;
      if (encrypting) {
        engine::EncryptJobInput input;
        input.file = file;
        input.encryptKey = encryptKey;
        input.decryptKey = decryptKey;
        if (!KeyBytes(platform::Narrow(decryptText))) input.decryptKeyRefusal = text::kReencryptKeyNotGbk;
        input.zipLevel = level;
        input.outputFolder = outputFolder;
        input.offerOldVersions = target->hiddenClickCount_ > kOldVersionClicks;
        input.aead = aead;
        input.encryptKeyText = platform::Narrow(encryptText);
        started = target->StartWorker([target, input]() mutable {
          engine::RunEncryptJob(target->jobWindow_, input);
          // The worker's copies of the keys go with the job.
          engine::aead::WipeContainer(input.encryptKey);
          engine::aead::WipeContainer(input.encryptKeyText);
          engine::aead::WipeContainer(input.decryptKey);
        });
      } else if (button == kIdButton6) {
        started = target->StartSfxCreate(file, outputFolder);
      } else {
        engine::DecryptJobInput input;
        input.source = file;
        input.decryptKey = decryptKey;
        input.decryptKeyText = platform::Narrow(decryptText);
        input.aeadBatch = aead.batch;
        input.outputFolder = outputFolder;
        started = target->StartWorker([target, input]() mutable {
          engine::RunDecryptJob(target->jobWindow_, input);
          engine::aead::WipeContainer(input.decryptKey);
          engine::aead::WipeContainer(input.decryptKeyText);
        });
      }
      if (!started) throw std::runtime_error("the window cannot start a job");
      PumpFor(button == kIdButton2 ? 66 : 33);
      PumpMessages();
    }
    state_.idleFlag = true;
  } catch (const std::exception&) {
    BatchFailed(button, current < files.size() ? platform::Narrow(files[current]) : std::string());
  }
  dispatchingButton_ = 0;
}

void MainWindow::PlaceInCascade(MainWindow& target, int index) const {
  RECT first{};
  GetWindowRect(Handle(), &first);
  // One step is the caption: the window's top edge to its client area.
  POINT client{0, 0};
  ClientToScreen(Handle(), &client);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  const ScreenPoint place = CascadePosition({first.left, first.top, first.right, first.bottom}, index,
                                            static_cast<int>(client.y - first.top),
                                            {work.left, work.top, work.right, work.bottom});
  SetWindowPos(target.Handle(), nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

MainWindow* MainWindow::CreateSecondaryWindow() {
  auto window = std::make_unique<MainWindow>(group_, false);
  window->slot_ = group_.table.Add(window.get());
  try {
    window->Create();
  } catch (...) {
    if (!window->finished_) group_.table.Closed(window->slot_, true);
    window->finished_ = true;
    throw;
  }
  window->tag_ = window->slot_;
  // From here on the window owns itself: it deletes itself with its window.
  window->selfOwned_ = true;
  return window.release();
}

bool MainWindow::StartWorker(std::function<void()> job) {
  if (closing_ || workerRunning_) return false;
  if (worker_.joinable()) worker_.join();
  workerRunning_ = true;
  HWND hwnd = Handle();
  worker_ = std::thread([this, hwnd, job = std::move(job)] {
    // Nothing escapes a thread: a job reports its own errors.
    try {
      job();
    } catch (...) {
      MessageBeep(MB_OK);
    }
    workerRunning_ = false;
    PostMessageW(hwnd, kMsgWorkerEnded, 0, 0);
  });
  return true;
}

bool MainWindow::WaitForWorker() {
  if (workerRunning_) {
    // A cancelled job may still be deleting its output; its last unlock must
    // not reach the next job's controls.
    if (waitingForWorker_) return false;
    Hold hold(*this);
    waitingForWorker_ = true;
    while (workerRunning_ && !closing_) PumpFor(10);
    waitingForWorker_ = false;
    if (workerRunning_) return false;
  }
  if (worker_.joinable()) worker_.join();
  return !closing_;
}

void MainWindow::OnWorkerEnded() {
  if (!workerRunning_ && worker_.joinable()) worker_.join();
  TryFinishClose();
}

void MainWindow::NoKeyEntryClick(engine::NoKeyMode mode) {
  const bool encrypting = mode == engine::NoKeyMode::kEncrypt;
  NoKeyEntry& entry = noKeyEntries_[encrypting ? 0 : 1];
  if (entry.tag == 1) {
    const std::size_t index = noKeyStarted_ > 0 ? noKeyStarted_ - 1 : 0;
    engine::CancelNoKeyBatch(jobWindow_, mode, index < noKeyFiles_.size() ? noKeyFiles_[index] : std::string());
    return;
  }
  const int box = encrypting ? kIdJm1 : kIdJm2;
  if (KeyText(box).empty()) {
    ShowNoticeText(platform::Widen(encrypting ? engine::nokey_text::kEncryptKeyEmpty
                                              : engine::nokey_text::kDecryptKeyEmpty));
    return;
  }
  if (RefuseWhileBusy()) return;
  CommandInProgress command(*this);
  const std::optional<std::string> key =
      KeyBytesOrNotice(box, encrypting ? text::kEncryptKeyNotGbk : text::kDecryptKeyNotGbk);
  if (!key || !WaitForWorker()) return;
  Hold hold(*this);
  std::string working;
  try {
    ResetJobs();
    FileDialogRequest request = encrypting
                                    ? FileDialogRequest{text::kNoKeyEncryptTitle, text::kAllFilesFilter, 1, PreselectedFile()}
                                    : FileDialogRequest{text::kNoKeyDecryptTitle, text::kNoKeyDecryptFilter, 1, PreselectedFile()};
    SetStatusPanelText(L"");
    const std::optional<std::vector<std::wstring>> files = group_.services.dialogs.OpenFiles(Handle(), request);
    if (!files || files->empty() || closing_) return;
    working = platform::Narrow(files->front());
    PrepareOutputFolder(files->front());
    engine::NoKeyBatchInput input;
    input.key = *key;
    input.outputFolder = platform::Utf8ToPath(outputFolder_);
    input.offerOldVersions = hiddenClickCount_ > kOldVersionClicks;
    noKeyFiles_.clear();
    for (const std::wstring& file : *files) {
      input.files.emplace_back(file);
      noKeyFiles_.push_back(engine::DisplayPath(std::filesystem::path(file)));
    }
    noKeyStarted_ = 0;
    const bool started = StartWorker([this, input, encrypting] {
      if (encrypting)
        engine::RunNoKeyEncryptBatch(jobWindow_, input);
      else
        engine::RunNoKeyDecryptBatch(jobWindow_, input);
    });
    if (!started) throw std::runtime_error("the window cannot start a job");
  } catch (const std::exception&) {
    (encrypting ? state_.encryptActive : state_.decryptActive) = false;
    LogLine((encrypting ? "加密文件“" : "解密文件“") + working + "”出错!已停止。");
    NoKeyMenuRestore(mode);
  }
}

}  // namespace app

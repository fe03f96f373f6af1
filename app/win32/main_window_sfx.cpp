// Self-decrypting packages in the main window: detection of a carried
// package at creation, the creation batch (Button6), separation (Button8)
// and self-decryption (Button7). The jobs themselves are portable (sfx/).
#include <windows.h>

#include <filesystem>

#include "app/key_entry.h"
#include "app/win32/main_window.h"
#include "app/win32/main_window_ids.h"
#include "app/win32/ui_texts.h"
#include "engine/aead/secret.h"
#include "engine/jobs/output_names.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/win32/wide.h"
#include "sfx/create_job.h"
#include "sfx/package_names.h"
#include "sfx/self_decrypt.h"
#include "sfx/separate_job.h"

namespace app {

namespace {

constexpr wchar_t kSfxCreateTitle[] = L"选择已加密文件创建自解密文件(可多选):";
constexpr wchar_t kJmzFilter[] = L"jmz加密文件(*.jmz)|*.jmz|全部文件(*.*)|*.*";
constexpr wchar_t kSeparateTitle[] = L"分离后的文件保存为";
constexpr wchar_t kSelfDecryptTitle[] = L"自解密后的文件保存为:";

}  // namespace

std::filesystem::path MainWindow::OwnProgram() const {
  return group_.ownProgram.empty() ? platform::ExecutablePath() : group_.ownProgram;
}

void MainWindow::DetectOwnPackage() {
  package_ = sfx::DetectPackage(*this, OwnProgram());
  carriesPackage_ = package_.Present();
}

bool MainWindow::StartSfxCreate(const std::filesystem::path& file, const std::filesystem::path& outputFolder) {
  const sfx::SfxCreateInput input{file, OwnProgram(), outputFolder};
  return StartWorker([this, input] { sfx::PrepareSfxJob(jobWindow_, input); });
}

void MainWindow::Button6Click() {
  if (ButtonTag(kIdButton6) == 1) {
    sfx::CancelSfxCreate(jobWindow_, jobDisplayPath_);
    return;
  }
  if (dispatchingButton_ == kIdButton6) {
    state_.idleFlag = true;
    return;
  }
  if (RefuseWhileBusy()) return;
  CommandInProgress command(*this);
  const BatchKeys keys = CurrentKeys();
  if (!WaitForWorker()) return;
  RunBatchCommand(kIdButton6, {kSfxCreateTitle, kJmzFilter, 1, PreselectedFile()}, keys);
}

bool MainWindow::CarriedPackageClickGoesOn(int button, const std::function<void()>& cancel) {
  if (ButtonTag(button) == 1) {
    cancel();
    return false;
  }
  if (!carriesPackage_) {
    group_.services.boxes.Beep();
    return false;
  }
  return true;
}

std::optional<std::filesystem::path> MainWindow::AskCarriedOutput(const wchar_t* title, const wchar_t* filter,
                                                                  const std::string& fileName) {
  const std::filesystem::path suggested = OwnProgram().parent_path() / platform::Utf8ToPath(fileName);
  FileDialogRequest request{title, filter, 1, suggested.wstring()};
  const std::optional<SavedFile> saved = group_.services.dialogs.SaveFile(Handle(), request);
  if (!saved || closing_) return std::nullopt;
  return std::filesystem::path(saved->path);
}

void MainWindow::Button8Click() {
  const std::string name = sfx::UsableCarriedName(package_.carriedName);
  if (!CarriedPackageClickGoesOn(kIdButton8, [&] { sfx::CancelSeparate(jobWindow_, name); })) return;
  RunJobCommand([&] {
    try {
      ResetJobs();
      SetStatusPanelText(platform::Widen(sfx::PackageStatusText(package_, name)));
      const std::optional<std::filesystem::path> output = AskCarriedOutput(kSeparateTitle, kJmzFilter, name);
      if (!output) return;
      const sfx::SeparateInput input{OwnProgram(), package_, *output};
      if (!StartWorker([this, input] { sfx::SeparatePackage(jobWindow_, input); }))
        throw std::runtime_error("the window cannot start a job");
    } catch (const std::exception&) {
      state_.separateActive = false;
      LogLine("分离自解密文件出错!已停止:可能要分离的文件(自身程序)正在被使用读写等:" +
              engine::DisplayPath(OwnProgram()));
      SetJobControls(engine::JobControl::kButton8, true);
    }
  });
}

void MainWindow::Button7Click() {
  const std::string name = sfx::UsableCarriedName(package_.carriedName);
  if (!CarriedPackageClickGoesOn(kIdButton7, [&] { sfx::CancelSelfDecrypt(jobWindow_, name); })) return;
  if (RefuseWhileBusy()) return;
  CommandInProgress command(*this);
  // With the authenticated-encryption item on, any key text goes to the job.
  const std::optional<std::string> key =
      aeadChecked_ ? std::optional<std::string>(KeyBytes(platform::Narrow(KeyText(kIdJm2))).value_or(std::string()))
                   : KeyBytesOrNotice(kIdJm2, text::kDecryptKeyNotGbk);
  if (!key || !WaitForWorker()) return;
  Hold hold(*this);
  try {
    ResetJobs();
    SetStatusPanelText(platform::Widen(sfx::SelfDecryptStartText(package_)));
    const std::string base = engine::SplitFileName(platform::Utf8ToPath(name)).name;
    const std::optional<std::filesystem::path> output = AskCarriedOutput(kSelfDecryptTitle, text::kAllFilesFilter, base);
    if (!output) return;
    sfx::SelfDecryptInput input{OwnProgram(), package_, *output, *key, platform::Narrow(KeyText(kIdJm2))};
    if (!StartWorker([this, input]() mutable {
          sfx::SelfDecrypt(jobWindow_, input);
          engine::aead::WipeContainer(input.decryptKey);
          engine::aead::WipeContainer(input.decryptKeyText);
        }))
      throw std::runtime_error("the window cannot start a job");
  } catch (const std::exception&) {
    state_.decryptActive = false;
    LogLine("自解密文件出错!已停止:" + name);
    SetJobControls(engine::JobControl::kButton7, true);
  }
}

}  // namespace app

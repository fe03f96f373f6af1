// The update check and the web links of the main window: the two downloads
// of the sites' settings files, what the window learns from them, and the
// commands that open the sites' pages.
#include <windows.h>

#include <wininet.h>

#include <filesystem>
#include <string>

#include "app/win32/main_window.h"
#include "app/win32/main_window_ids.h"
#include "engine/jobs/job_files.h"
#include "platform/paths.h"
#include "platform/random.h"
#include "platform/win32/wide.h"
#include "utils/update/web_address.h"

namespace app {
namespace {

// A download is cut after the first block that passes this many bytes.
constexpr std::uint32_t kLargestSettingsFile = 10876;
constexpr int kNameTries = 100;

bool InternetConnected() {
  DWORD flags = 0;
  return InternetGetConnectedState(&flags, 0) != FALSE;
}

// Creates a new empty file "<prefix><0..9999>.ini" in the temporary folder
// and returns its path; a taken name is never reused, so two windows never
// share a file and no existing file is overwritten. Empty when none is free.
std::string ReserveTempFile(const char* prefix) {
  const std::filesystem::path folder = engine::TempDirectory();
  for (int attempt = 0; attempt < kNameTries; ++attempt) {
    const std::filesystem::path file =
        folder / (prefix + std::to_string(platform::RandomU64() % 10000) + ".ini");
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      CloseHandle(handle);
      return platform::PathToUtf8(file);
    }
  }
  return {};
}

// Removes the reserved file of a download that is not running when the
// scope ends (it never started, or starting it failed).
class ReleaseUnlessRunning {
 public:
  explicit ReleaseUnlessRunning(utils::THTTPGet& get) : get_(get) {}
  ReleaseUnlessRunning(const ReleaseUnlessRunning&) = delete;
  ReleaseUnlessRunning& operator=(const ReleaseUnlessRunning&) = delete;
  ~ReleaseUnlessRunning() {
    if (get_.Running()) return;
    std::error_code ec;
    std::filesystem::remove(platform::Utf8ToPath(get_.FileName), ec);
  }

 private:
  utils::THTTPGet& get_;
};

}  // namespace

void MainWindow::SetUpDownloads() {
  utils::THTTPGet* gets[2] = {&httpGet1_, &httpGet2_};
  for (utils::THTTPGet* get : gets) {
    get->OnProgress = [this, get](std::uint32_t, std::uint32_t readed) { HTTPGetProgress(*get, readed); };
    get->OnDoneFile = [this](const std::string& file, std::uint32_t) { ProcessUpdate(file); };
    get->OnError = [this, get] { ProcessUpdate(get->FileName); };
  }
}

void MainWindow::StartUpdateCheck() {
  try {
    update_ = {};
    const bool connected = group_.sites.connected ? group_.sites.connected() : InternetConnected();
    if (!connected) return;
    httpGet1_.CancelDownload();
    httpGet2_.CancelDownload();
    KillTimer(Handle(), kUpdateTimer);
    PumpMessages();
    PumpFor(33);
    const struct {
      utils::THTTPGet& get;
      const char* prefix;
      const std::wstring& site;
      const char* path;
    } downloads[2] = {{httpGet1_, "xcjm01", group_.sites.first, "/xcwjjm1.htm"},
                      {httpGet2_, "xcjm02", group_.sites.second, "/xcwjjm2.htm"}};
    SetTimer(Handle(), kUpdateTimer, group_.sites.checkMilliseconds, nullptr);
    for (const auto& d : downloads) {
      // A download still ending keeps its file; it is read when it ends.
      if (d.get.Running()) continue;
      d.get.FileName = ReserveTempFile(d.prefix);
      if (d.get.FileName.empty()) continue;
      // A reserved file whose download does not start is nobody's to remove.
      ReleaseUnlessRunning release(d.get);
      d.get.URL = "http://" + platform::Narrow(d.site) + d.path;
      d.get.WaitThread = false;
      d.get.Timeout = group_.sites.checkMilliseconds;
      d.get.DownloadToFile();
    }
  } catch (const std::exception&) {
    group_.services.boxes.Beep();
  }
}

void MainWindow::StopUpdateCheck() {
  httpGet1_.CancelDownload();
  httpGet2_.CancelDownload();
  KillTimer(Handle(), kUpdateTimer);
}

void MainWindow::HTTPGetProgress(utils::THTTPGet& get, std::uint32_t readed) {
  if (readed > kLargestSettingsFile) get.CancelDownload();
}

void MainWindow::Timer1Timer() { StopUpdateCheck(); }

void MainWindow::ProcessUpdate(const std::string& file) {
  try {
    const std::filesystem::path path = platform::Utf8ToPath(file);
    if (closing_) {
      std::error_code ec;
      std::filesystem::remove(path, ec);
      return;
    }
    const utils::UpdateOutcome outcome = utils::ProcessUpdateFile(
        update_, path, platform::Narrow(group_.sites.first), platform::Narrow(group_.sites.second));
    for (const std::string& line : outcome.logLines) AddLogLine(platform::Widen(line));
    for (const std::string& notice : outcome.notices) ShowNoticeText(platform::Widen(notice));
  } catch (const std::exception&) {
    group_.services.boxes.Beep();
  }
}

void MainWindow::OpenLearnedAddress(const std::string& address, int showCommand) {
  if (address.empty()) return;
  // Learned from the network: only a web address reaches the shell.
  if (!utils::IsWebAddress(address)) {
    group_.services.boxes.Beep();
    return;
  }
  group_.services.shell.Open(Handle(), L"", platform::Widen(address), showCommand);
}

void MainWindow::N11Click() {
  try {
    group_.services.shell.Open(Handle(), L"open", L"http://" + group_.sites.first + L"/jmz/Help.htm", SW_SHOW);
    OpenLearnedAddress(update_.helpUrl, SW_SHOW);
  } catch (const std::exception&) {
    group_.services.boxes.Beep();
  }
  HiddenClickStep();
}

void MainWindow::N1Click() {
  try {
    group_.services.shell.Open(Handle(), L"", L"http://" + group_.sites.first + L"/jmz/Index.htm", SW_SHOW);
    OpenLearnedAddress(update_.updateUrl, SW_SHOW);
  } catch (const std::exception&) {
    group_.services.boxes.Beep();
  }
  HiddenClickStep();
}

void MainWindow::N2Click() {
  try {
    group_.services.shell.Open(Handle(), L"", L"http://" + group_.sites.second + L"/", SW_SHOWNORMAL);
    group_.services.shell.Open(Handle(), L"", L"http://" + group_.sites.first + L"/", SW_SHOW);
    OpenLearnedAddress(update_.homeUrl, SW_SHOW);
  } catch (const std::exception&) {
    group_.services.boxes.Beep();
  }
  HiddenClickStep();
}

}  // namespace app

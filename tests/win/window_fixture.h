// Real main windows driven by real messages, with every outside effect
// replaced: dialogs answer from queues, message boxes record what they show
// and answer from a queue, menus and the shell record, the clock is fixed.
// The settings go to the real registry of the test's Wine prefix.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/win32/main_window.h"
#include "app/win32/main_window_ids.h"
#include "app/win32/registry_store.h"
#include "tests/win/fake_services.h"
#include "platform/file.h"
#include "platform/win32/wide.h"

namespace wintest {

namespace fs = std::filesystem;

// The settings key of the program, in the test's own Wine prefix.
inline void DeleteSettingsKey() { RegDeleteTreeW(HKEY_CURRENT_USER, app::RegistrySettingsStore::kKey); }

inline bool SettingsKeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, app::RegistrySettingsStore::kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

// A stored value: empty when absent.
inline std::optional<DWORD> StoredDword(const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, app::RegistrySettingsStore::kKey, name, RRF_RT_REG_DWORD, nullptr, &value,
                   &size) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

inline void StoreDword(const wchar_t* name, DWORD value) {
  RegSetKeyValueW(HKEY_CURRENT_USER, app::RegistrySettingsStore::kKey, name, REG_DWORD, &value, sizeof value);
}

inline void CreateSettingsKey() {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, app::RegistrySettingsStore::kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                  nullptr);
  if (key != nullptr) RegCloseKey(key);
}

inline std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

inline std::wstring StatusPanel(HWND window) {
  HWND status = GetDlgItem(window, app::kIdStatusBar1);
  const auto length = LOWORD(SendMessageW(status, SB_GETTEXTLENGTHW, 1, 0));
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(status, SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(text.data()));
  text.resize(length);
  return text;
}

// The items of the log list.
inline std::vector<std::wstring> LogLines(HWND window) {
  HWND log = GetDlgItem(window, app::kIdComboBox1);
  std::vector<std::wstring> lines;
  const auto count = SendMessageW(log, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring line(static_cast<std::size_t>(SendMessageW(log, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
    line.resize(static_cast<std::size_t>(SendMessageW(log, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(line.data()))));
    lines.push_back(line);
  }
  return lines;
}

inline bool HasLine(HWND window, const std::wstring& line) {
  for (const std::wstring& l : LogLines(window))
    if (l == line) return true;
  return false;
}

inline bool Checked(HWND window, int id) {
  return SendMessageW(GetDlgItem(window, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

inline bool Enabled(HWND window, int id) { return IsWindowEnabled(GetDlgItem(window, id)) != FALSE; }

inline int ClientHeight(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return r.bottom - r.top;
}

inline std::wstring MenuCaption(HMENU menu, UINT position) {
  wchar_t text[256] = {};
  GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
  return text;
}

inline bool MenuEnabled(HMENU menu, UINT id) { return !(GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED); }
inline bool MenuChecked(HMENU menu, UINT id) { return GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED; }

inline void Click(HWND window, int id) { SendMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0); }
inline void Command(HWND window, int id, int code = 0) {
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

// Serves this thread's messages once.
inline void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Serves messages until `done` holds or the time is up; true when it holds.
inline bool PumpUntil(const std::function<bool()>& done, int milliseconds = 20000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    Pump();
    if (done()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

inline void PumpFor(int milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

// Every top-level window of this thread with the window class (visible or not).
inline std::vector<HWND> ThreadWindowsOfClass(const wchar_t* className) {
  struct Search {
    const wchar_t* className;
    std::vector<HWND> windows;
  } search{className, {}};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM out) -> BOOL {
        auto* s = reinterpret_cast<Search*>(out);
        wchar_t name[32] = {};
        GetClassNameW(hwnd, name, 32);
        if (std::wstring_view(name) == s->className) s->windows.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.windows;
}

// Every main window of this thread (visible or not).
inline std::vector<HWND> TysjmWindows() { return ThreadWindowsOfClass(L"Tysjm"); }

inline std::string ReadFileBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFileBytes(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

inline app::WebSites OfflineSites() {
  app::WebSites sites;
  sites.connected = [] { return false; };
  return sites;
}

class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    DeleteSettingsKey();
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    folder_ = platform::SystemTempFolder() / (L"星尘 窗体-" + platform::Widen(info->name()));
    std::error_code ec;
    fs::remove_all(folder_, ec);
    fs::create_directories(folder_);
  }

  void TearDown() override {
    CloseEverything();
    DeleteSettingsKey();
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }

  // A group and its primary window, created and shown.
  app::MainWindow& StartPrimary(std::vector<std::wstring> arguments = {}) {
    group_ = std::make_unique<app::WindowGroup>(
        GetModuleHandleW(nullptr), app::Services{dialogs_, boxes_, menus_, shell_, clock_, store_},
        std::move(arguments));
    group_->sites = sites_;
    group_->ownProgram = ownProgram_;
    primary_ = std::make_unique<app::MainWindow>(*group_, true);
    group_->primary = primary_.get();
    primary_->Create();
    primary_->Show(SW_SHOWNOACTIVATE);
    return *primary_;
  }

  HWND Primary() const { return primary_->Handle(); }

  // Closes the primary window (answering every question with yes) and waits
  // until every window of the group has ended.
  void CloseEverything() {
    if (!primary_) return;
    boxes_.onShow = nullptr;
    clock_.onUiPause = nullptr;
    if (primary_->Handle() != nullptr) {
      boxes_.otherwise = IDYES;
      boxes_.answers.clear();
      SendMessageW(primary_->Handle(), WM_CLOSE, 0, 0);
      EXPECT_TRUE(PumpUntil([&] { return primary_->Handle() == nullptr; }, 30000)) << "the windows did not close";
    }
    primary_.reset();
    group_.reset();
  }

  fs::path File(const std::wstring& name) const { return folder_ / name; }

  // A file of `size` bytes of varied content.
  fs::path MakeFile(const std::wstring& name, std::size_t size, unsigned seed = 1) const {
    std::string bytes(size, '\0');
    std::uint32_t x = seed * 2654435761u + 7;
    for (std::size_t i = 0; i < size; ++i) {
      x = x * 1664525u + 1013904223u;
      bytes[i] = (i / 100) % 2 ? static_cast<char>('a' + i % 26) : static_cast<char>(x >> 24);
    }
    WriteFileBytes(File(name), bytes);
    return File(name);
  }

  void SetKey(HWND window, int box, const std::wstring& key) {
    SetWindowTextW(GetDlgItem(window, box), key.c_str());
  }

  FakeDialogs dialogs_;
  FakeBoxes boxes_;
  FakeMenus menus_;
  FakeShell shell_;
  // No update check reaches the network unless a test points the sites at
  // its own server.
  app::WebSites sites_ = OfflineSites();
  FakeClock clock_;
  app::RegistrySettingsStore store_;
  std::unique_ptr<app::WindowGroup> group_;
  std::unique_ptr<app::MainWindow> primary_;
  // The program file the windows look into for a package (empty: the test program).
  fs::path ownProgram_;
  fs::path folder_;
};

}  // namespace wintest

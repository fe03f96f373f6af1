// A multiple selection longer than the open dialog's buffer: the dialog
// fails as if cancelled, so the user is told and asked again with a larger
// buffer, and the second answer arrives whole.
#include <windows.h>

#include <cderr.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "app/win32/real_services.h"

namespace {

// The selection a user makes: a folder and three long names.
const std::wstring kSelection = std::wstring(L"C:\\选择\0", 6) + std::wstring(200, L'a') + L'\0' +
                                std::wstring(200, L'b') + L'\0' + std::wstring(200, L'c') + L'\0';

std::vector<DWORD> offeredSizes;
DWORD lastError = 0;

// Behaves as the system's dialog does with that selection.
BOOL WINAPI OpenDialogStandIn(LPOPENFILENAMEW ofn) {
  offeredSizes.push_back(ofn->nMaxFile);
  if (ofn->nMaxFile < kSelection.size() + 1) {
    lastError = FNERR_BUFFERTOOSMALL;
    *reinterpret_cast<WORD*>(ofn->lpstrFile) = static_cast<WORD>(kSelection.size() + 1);
    return FALSE;
  }
  std::memcpy(ofn->lpstrFile, kSelection.c_str(), (kSelection.size() + 1) * sizeof(wchar_t));
  lastError = 0;
  return TRUE;
}

DWORD WINAPI DialogErrorStandIn() { return lastError; }

// Confirms every message box of this process from another thread; counts them.
class BoxConfirmer {
 public:
  BoxConfirmer() : thread_([this] { Run(); }) {}
  ~BoxConfirmer() {
    stop_ = true;
    thread_.join();
  }
  std::atomic<int> boxes{0};

 private:
  void Run() {
    HWND handled = nullptr;
    while (!stop_) {
      Sleep(20);
      HWND box = FindWindowW(L"#32770", L"选择文件");
      if (box == nullptr || box == handled) continue;
      handled = box;
      ++boxes;
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
  }
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

TEST(SystemDialogsTest, ASelectionLongerThanTheBufferIsAskedForAgainNotDropped) {
  app::SystemFileDialogs dialogs(OpenDialogStandIn, DialogErrorStandIn, 100);
  const app::FileDialogRequest request{L"选择多个文件", L"全部文件(*.*)|*.*", 1, L""};
  std::optional<std::vector<std::wstring>> chosen;
  int boxes = 0;
  {
    BoxConfirmer confirmer;
    chosen = dialogs.OpenFiles(nullptr, request);
    boxes = confirmer.boxes;
  }
  EXPECT_EQ(boxes, 1);
  EXPECT_EQ(offeredSizes, (std::vector<DWORD>{100, 800}));
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, (std::vector<std::wstring>{L"C:\\选择\\" + std::wstring(200, L'a'),
                                                L"C:\\选择\\" + std::wstring(200, L'b'),
                                                L"C:\\选择\\" + std::wstring(200, L'c')}));
}

}  // namespace

// Recording stand-ins for the main window's dialogs, message boxes, menus,
// shell and clock, shared by the Windows tests and benchmarks.
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/win32/services.h"

namespace wintest {

class FakeDialogs final : public app::FileDialogs {
 public:
  std::deque<std::optional<std::vector<std::wstring>>> openAnswers;
  std::vector<app::FileDialogRequest> openRequests;
  std::deque<std::optional<app::SavedFile>> saveAnswers;
  std::vector<app::FileDialogRequest> saveRequests;
  std::deque<std::optional<std::wstring>> folderAnswers;
  std::deque<std::optional<COLORREF>> colourAnswers;
  std::vector<COLORREF> colourRequests;

  // Runs while the dialog is open (a user may type meanwhile).
  std::function<void()> onOpen;

  std::optional<std::vector<std::wstring>> OpenFiles(HWND, const app::FileDialogRequest& request) override {
    openRequests.push_back(request);
    if (onOpen) onOpen();
    return Take(openAnswers);
  }
  std::optional<app::SavedFile> SaveFile(HWND, const app::FileDialogRequest& request) override {
    saveRequests.push_back(request);
    return Take(saveAnswers);
  }
  std::optional<std::wstring> BrowseFolder(HWND) override { return Take(folderAnswers); }
  std::optional<COLORREF> ChooseColour(HWND, COLORREF initial) override {
    colourRequests.push_back(initial);
    return Take(colourAnswers);
  }

 private:
  template <typename T>
  static std::optional<T> Take(std::deque<std::optional<T>>& answers) {
    if (answers.empty()) return std::nullopt;
    std::optional<T> answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

struct ShownBox {
  HWND owner;
  std::wstring text;
  std::wstring caption;
  UINT flags;
};

class FakeBoxes final : public app::MessageBoxes {
 public:
  std::vector<ShownBox> shown;
  // Answers of Yes/No boxes in order; afterwards `otherwise`.
  std::deque<int> answers;
  int otherwise = IDNO;
  int beeps = 0;
  // Runs while a box is "open" (a job's worker waits for it meanwhile).
  std::function<void(const ShownBox&)> onShow;

  int Show(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) override {
    shown.push_back({owner, text, caption, flags});
    if (onShow) onShow(shown.back());
    if ((flags & MB_TYPEMASK) != MB_YESNO) return IDOK;
    if (answers.empty()) return otherwise;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void Beep() override { ++beeps; }
  void DismissOwnedBy(HWND) override {}

  // Boxes whose text contains `part`.
  int Count(const std::wstring& part) const {
    int n = 0;
    for (const ShownBox& box : shown)
      if (box.text.find(part) != std::wstring::npos) ++n;
    return n;
  }
};

struct TrackedMenu {
  HMENU menu;
  POINT point;
};

class FakeMenus final : public app::PopupMenus {
 public:
  std::vector<TrackedMenu> tracked;
  void Track(HWND, HMENU menu, POINT screen) override { tracked.push_back({menu, screen}); }
};

struct OpenedTarget {
  std::wstring verb;
  std::wstring target;
  int show;
};

class FakeShell final : public app::Shell {
 public:
  std::vector<OpenedTarget> opened;
  int associationsChanged = 0;
  bool failOpen = false;  // the system cannot start what is opened
  bool Open(HWND, const std::wstring& verb, const std::wstring& target, int show) override {
    opened.push_back({verb, target, show});
    return !failOpen;
  }
  void AssociationsChanged() override { ++associationsChanged; }
};

class FakeClock final : public app::Clock {
 public:
  app::Date today{2024, 6, 1};
  std::atomic<std::uint32_t> ticks{12345};
  // Pauses last this many percent of their design length.
  std::atomic<int> pacePercent{10};
  // Runs at the start of every pause of the user-interface thread.
  std::function<void()> onUiPause;
  // The design lengths of the user-interface thread's pauses, in order.
  std::vector<int> uiPauses;
  DWORD uiThread = GetCurrentThreadId();
  // While set, a job's worker that pauses waits here (the count says how many).
  std::atomic<bool> parkWorkers{false};
  std::atomic<int> parked{0};

  app::Date Today() override { return today; }
  std::uint32_t Ticks() override { return ticks; }
  int PauseLength(int designMilliseconds) override {
    if (GetCurrentThreadId() == uiThread) {
      uiPauses.push_back(designMilliseconds);
      if (onUiPause) onUiPause();
    } else if (parkWorkers) {
      ++parked;
      while (parkWorkers) Sleep(1);
      --parked;
    }
    return designMilliseconds * pacePercent / 100;
  }
};

}  // namespace wintest

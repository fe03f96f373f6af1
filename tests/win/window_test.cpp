#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <system_error>

#include "app/win32/window.h"

namespace {

struct Counts {
  int erased = 0;
  int destroyed = 0;
};

// A bare window whose handlers count their calls and fail on demand.
class TestWindow final : public app::Window {
 public:
  static constexpr wchar_t kClassName[] = L"XcjmTestWindow";

  enum class Failure { kNone, kCreate, kErase };

  TestWindow(Counts& counts, Failure failure, bool destroyWithObject)
      : counts_(counts), failure_(failure), destroyWithObject_(destroyWithObject) {
    WNDCLASSEXW windowClass{};
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterWindowClass(windowClass);
    CreateHandle(0, kClassName, L"", WS_OVERLAPPED, RECT{0, 0, 100, 100}, nullptr, GetModuleHandleW(nullptr));
  }
  ~TestWindow() override {
    if (destroyWithObject_) Destroy();
  }

 protected:
  bool OnCreate(const CREATESTRUCTW&) override {
    if (failure_ == Failure::kCreate) throw std::runtime_error("creation fails");
    return true;
  }
  bool OnEraseBkgnd(HDC) override {
    ++counts_.erased;
    if (failure_ == Failure::kErase) throw std::runtime_error("painting fails");
    return true;
  }
  void OnDestroy() override { ++counts_.destroyed; }

 private:
  Counts& counts_;
  Failure failure_;
  bool destroyWithObject_;
};

LRESULT Erase(HWND hwnd) {
  HDC dc = GetDC(hwnd);
  const LRESULT result = SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  ReleaseDC(hwnd, dc);
  return result;
}

TEST(WindowProcedure, NamedHandlersReceiveTheirMessages) {
  Counts counts;
  {
    TestWindow window(counts, TestWindow::Failure::kNone, true);
    EXPECT_EQ(Erase(window.Handle()), 1);
    EXPECT_EQ(counts.erased, 1);
  }
  EXPECT_EQ(counts.destroyed, 1);
}

TEST(WindowProcedure, ExceptionInAHandlerEndsAtTheProcedure) {
  Counts counts;
  TestWindow window(counts, TestWindow::Failure::kErase, true);
  Erase(window.Handle());
  EXPECT_EQ(counts.erased, 1);
  EXPECT_TRUE(IsWindow(window.Handle()));
}

TEST(WindowProcedure, ExceptionInOnCreateFailsTheCreation) {
  Counts counts;
  EXPECT_THROW(TestWindow(counts, TestWindow::Failure::kCreate, true), std::system_error);
  EXPECT_EQ(FindWindowW(TestWindow::kClassName, nullptr), nullptr);
}

TEST(WindowProcedure, WindowOutlivingItsObjectNoLongerReachesIt) {
  Counts counts;
  HWND hwnd = nullptr;
  {
    TestWindow window(counts, TestWindow::Failure::kNone, false);
    hwnd = window.Handle();
  }
  ASSERT_TRUE(IsWindow(hwnd));
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_USERDATA), 0);
  Erase(hwnd);
  DestroyWindow(hwnd);
  EXPECT_EQ(counts.erased, 0);
  EXPECT_EQ(counts.destroyed, 0);
}

}  // namespace

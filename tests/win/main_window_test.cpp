#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include <cstdlib>
#include <string>

#include "app/win32/main_window.h"
#include "window_fixture.h"

namespace {

using app::MainWindow;
using namespace wintest;

std::wstring ClassNameOf(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  return name;
}

std::wstring CaptionOf(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The window's client area as the window itself paints it (background
// included), drawn into a memory bitmap: independent of what covers the
// window on the screen.
class ClientImage {
 public:
  explicit ClientImage(HWND hwnd) {
    RECT client{};
    GetClientRect(hwnd, &client);
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, client.right, client.bottom);
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_, bitmap_);
    // A colour no test expects, so an unpainted pixel shows.
    RECT all{0, 0, client.right, client.bottom};
    HBRUSH marker = CreateSolidBrush(RGB(1, 2, 3));
    FillRect(dc_, &all, marker);
    DeleteObject(marker);
    printed_ = PrintWindow(hwnd, dc_, PW_CLIENTONLY) != FALSE;
  }
  ~ClientImage() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  bool Printed() const { return printed_; }
  COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  bool printed_ = false;
};

class MainWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    StartPrimary();
    hwnd_ = Primary();
    ASSERT_NE(hwnd_, nullptr);
  }

  // Corners and middle of the client area.
  void ExpectBackground(COLORREF expected) {
    ClientImage image(hwnd_);
    ASSERT_TRUE(image.Printed());
    const int right = MainWindow::kClientWidth - 1;
    for (POINT p : {POINT{0, 104}, POINT{right, 104}, POINT{4, 290}, POINT{right, 300}, POINT{249, 100}})
      EXPECT_EQ(image.Pixel(p.x, p.y), expected) << "at " << p.x << "," << p.y;
  }

  HWND hwnd_ = nullptr;
};

TEST_F(MainWindowTest, IsATysjmWindowWithTheProgramCaption) {
  EXPECT_EQ(ClassNameOf(hwnd_), L"Tysjm");
  EXPECT_EQ(CaptionOf(hwnd_), L"星尘 文件加密");
}

TEST_F(MainWindowTest, ClientAreaIs498By472) {
  RECT client{};
  ASSERT_TRUE(GetClientRect(hwnd_, &client));
  EXPECT_EQ(client.right - client.left, 498);
  EXPECT_EQ(client.bottom - client.top, 472);
}

TEST_F(MainWindowTest, FixedSingleBorderWithSystemMenuAndMinimiseBoxStaysOnTop) {
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
  EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
  EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
}

TEST_F(MainWindowTest, OpensCentredOnTheWorkArea) {
  RECT workArea{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0));
  RECT outer{};
  ASSERT_TRUE(GetWindowRect(hwnd_, &outer));
  const int leftMargin = outer.left - workArea.left;
  const int rightMargin = workArea.right - outer.right;
  const int topMargin = outer.top - workArea.top;
  const int bottomMargin = workArea.bottom - outer.bottom;
  EXPECT_LE(std::abs(leftMargin - rightMargin), 1) << leftMargin << " vs " << rightMargin;
  EXPECT_LE(std::abs(topMargin - bottomMargin), 1) << topMargin << " vs " << bottomMargin;
  EXPECT_GE(leftMargin, 0);
  EXPECT_GE(topMargin, 0);
}

TEST_F(MainWindowTest, PaintsItsBackgroundSkyBlueAndInAChangedColour) {
  EXPECT_EQ(primary_->Color(), static_cast<COLORREF>(0xF0CAA6));
  ExpectBackground(0xF0CAA6);

  primary_->SetColor(RGB(255, 0, 0));
  EXPECT_EQ(primary_->Color(), RGB(255, 0, 0));
  ExpectBackground(RGB(255, 0, 0));
  // A negative colour is one of the system's.
  primary_->SetColor(static_cast<app::Color>(0xFF000000 | COLOR_BTNFACE));
  EXPECT_EQ(primary_->Color(), GetSysColor(COLOR_BTNFACE));
}

TEST_F(MainWindowTest, ShownWindowShowsItsColourOnTheScreen) {
  ASSERT_TRUE(IsWindowVisible(hwnd_));
  // Painting is asynchronous with the display; the colour must arrive soon.
  COLORREF seen = CLR_INVALID;
  for (int attempt = 0; attempt < 50 && seen != 0xF0CAA6; ++attempt) {
    Pump();
    HDC dc = GetDC(hwnd_);
    seen = GetPixel(dc, 200, 104);
    ReleaseDC(hwnd_, dc);
    if (seen != 0xF0CAA6) Sleep(20);
  }
  EXPECT_EQ(seen, static_cast<COLORREF>(0xF0CAA6));
}

TEST_F(MainWindowTest, AColourChangeRepaintsTheControlsOnTheWindowColour) {
  PumpFor(100);
  dialogs_.colourAnswers.push_back(RGB(255, 0, 0));
  SendMessageW(hwnd_, WM_LBUTTONDBLCLK, 0, MAKELPARAM(4, 290));
  // Points of the window colour inside both key captions, a site label, the
  // compression group and the MD5 check box, read back from the window's DC.
  const POINT inside[] = {{19, 109}, {259, 109}, {4, 1}, {25, 340}, {487, 337}};
  for (POINT p : inside) {
    COLORREF seen = CLR_INVALID;
    for (int attempt = 0; attempt < 50 && seen != RGB(255, 0, 0); ++attempt) {
      Pump();
      HDC dc = GetDC(hwnd_);
      seen = GetPixel(dc, p.x, p.y);
      ReleaseDC(hwnd_, dc);
      if (seen != RGB(255, 0, 0)) Sleep(20);
    }
    EXPECT_EQ(seen, RGB(255, 0, 0)) << p.x << "," << p.y;
  }
}

// The window's pixels as they stand on its surface, children included.
std::vector<COLORREF> SurfacePixels(HWND hwnd) {
  RECT client{};
  GetClientRect(hwnd, &client);
  HDC window = GetDC(hwnd);
  HDC memory = CreateCompatibleDC(window);
  HBITMAP bitmap = CreateCompatibleBitmap(window, client.right, client.bottom);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, client.right, client.bottom, window, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<COLORREF> pixels(static_cast<std::size_t>(client.right) * static_cast<std::size_t>(client.bottom));
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(client.bottom), pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(hwnd, window);
  return pixels;
}

// Folding moves the status bar over other controls and back: every state,
// once painted, looks as the same state painted anew from scratch, with no
// pieces of the state before.
TEST_F(MainWindowTest, EveryFoldStatePaintsLikeAWholeRepaint) {
  PumpFor(200);
  for (int step = 0; step < 8; ++step) {
    Click(hwnd_, app::kIdSf);
    PumpFor(150);
    const std::vector<COLORREF> folded = SurfacePixels(hwnd_);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpFor(150);
    const std::vector<COLORREF> repainted = SurfacePixels(hwnd_);
    ASSERT_EQ(folded.size(), repainted.size());
    std::size_t different = 0;
    for (std::size_t i = 0; i < folded.size(); ++i) different += folded[i] != repainted[i];
    // A blinking caret may differ; a piece of a control is far larger.
    EXPECT_LT(different, 40u) << "fold state " << primary_->FoldState();
  }
}

TEST(MainWindowLifetime, DestroyingTheWindowRunsTheDestroyedHandlerOnce) {
  FakeDialogs dialogs;
  FakeBoxes boxes;
  FakeMenus menus;
  FakeShell shell;
  FakeClock clock;
  app::RegistrySettingsStore store;
  app::WindowGroup group(GetModuleHandleW(nullptr), app::Services{dialogs, boxes, menus, shell, clock, store}, {});
  group.sites = OfflineSites();
  int destroyed = 0;
  HWND hwnd = nullptr;
  {
    MainWindow window(group, true);
    group.primary = &window;
    window.SetDestroyedHandler([&destroyed] { ++destroyed; });
    window.Create();
    hwnd = window.Handle();
    window.Destroy();
    EXPECT_EQ(destroyed, 1);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(window.Handle(), nullptr);
    window.Destroy();
  }
  EXPECT_EQ(destroyed, 1);
  DeleteSettingsKey();
}

TEST(MainWindowLifetime, WindowGoesWithItsObjectAndWindowsKeepTheirOwnColours) {
  FakeDialogs dialogs;
  FakeBoxes boxes;
  FakeMenus menus;
  FakeShell shell;
  FakeClock clock;
  app::RegistrySettingsStore store;
  app::WindowGroup group(GetModuleHandleW(nullptr), app::Services{dialogs, boxes, menus, shell, clock, store}, {});
  group.sites = OfflineSites();
  HWND hwnd = nullptr;
  {
    MainWindow first(group, true);
    MainWindow second(group, true);
    first.Create();
    second.Create();
    hwnd = first.Handle();
    second.SetColor(RGB(0, 128, 0));
    ClientImage firstImage(first.Handle());
    ClientImage secondImage(second.Handle());
    ASSERT_TRUE(firstImage.Printed() && secondImage.Printed());
    EXPECT_EQ(firstImage.Pixel(5, 105), static_cast<COLORREF>(0xF0CAA6));
    EXPECT_EQ(secondImage.Pixel(5, 105), RGB(0, 128, 0));
  }
  EXPECT_FALSE(IsWindow(hwnd));
  DeleteSettingsKey();
}

}  // namespace

// The window as a user first sees it: every control at its place with its
// caption, font and hint, the three context menus, and the starting states.
#include <windows.h>

#include <gtest/gtest.h>

#include "window_fixture.h"

namespace {

using namespace wintest;
using namespace app;

class LayoutTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    StartPrimary();
  }

  RECT Bounds(int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(Primary(), id), &r);
    MapWindowPoints(nullptr, Primary(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }

  LOGFONTW FontOf(int id) {
    LOGFONTW font{};
    auto handle = reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(Primary(), id), WM_GETFONT, 0, 0));
    GetObjectW(handle, sizeof font, &font);
    return font;
  }
};

TEST_F(LayoutTest, EveryControlAtItsPlaceWithItsCaption) {
  struct Expected {
    int id;
    RECT bounds;
    const wchar_t* caption;
  };
  const Expected table[] = {
      {kIdLabel3, {216, 0, 276, 34}, L"星尘"},
      {kIdSiteLeft, {3, 0, 58, 19}, L"xc.test"},
      {kIdSiteRight, {424, 0, 494, 19}, L"xcjm.test"},
      {kIdButton1, {69, 18, 168, 51}, L"加密文件"},
      {kIdSf, {212, 35, 281, 62}, L">>>>>>"},
      {kIdButton2, {323, 18, 422, 51}, L"解密文件"},
      {kIdProgressBar1, {16, 68, 481, 96}, L""},
      {kIdLabel2, {18, 108, 218, 127}, L"请先输入加密的密钥："},
      {kIdLabel1, {258, 108, 458, 127}, L"请先输入解密的密钥："},
      {kIdJm1, {16, 128, 242, 281}, L""},
      {kIdJm2, {255, 128, 481, 281}, L""},
      {kIdRgysl, {23, 291, 375, 344}, L"文件压缩率"},
      {kIdCheckBox1, {391, 288, 489, 313}, L"粘贴密钥"},
      {kIdPbmy, {391, 312, 489, 334}, L"屏蔽密钥"},
      {kIdCheckBox2, {392, 336, 489, 353}, L"MD5效验"},
      {kIdButton6, {53, 362, 161, 395}, L"创建自解密"},
      {kIdButton8, {217, 362, 287, 395}, L"分离"},
      {kIdButton7, {341, 362, 441, 395}, L"自解密"},
      {kIdStatusBar1, {0, 447, 498, 472}, nullptr},
  };
  for (const Expected& e : table) {
    const RECT r = Bounds(e.id);
    EXPECT_EQ(r.left, e.bounds.left) << e.id;
    EXPECT_EQ(r.top, e.bounds.top) << e.id;
    EXPECT_EQ(r.right, e.bounds.right) << e.id;
    EXPECT_EQ(r.bottom, e.bounds.bottom) << e.id;
    if (e.caption != nullptr) {
      EXPECT_EQ(TextOf(GetDlgItem(Primary(), e.id)), e.caption) << e.id;
    }
  }
  // The log list: its edit field's row (the drop-down part opens below).
  const RECT log = Bounds(kIdComboBox1);
  EXPECT_EQ(log.left, 16);
  EXPECT_EQ(log.top, 408);
  EXPECT_EQ(log.right, 481);
  // The compression items, in four columns inside their group.
  const wchar_t* items[] = {L"不压缩", L"快速压缩", L"正常压缩", L"更大压缩"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(TextOf(GetDlgItem(Primary(), kIdRgysl0 + i)), items[i]);
    const RECT r = Bounds(kIdRgysl0 + i);
    EXPECT_GT(r.left, 23 + i * 80);
    EXPECT_GT(r.top, 291);
    EXPECT_LT(r.bottom, 344);
    EXPECT_LT(r.right, 375);
  }
  EXPECT_EQ(StatusPanel(Primary()), L" 请先输入/载入(或者粘贴)加密或者解密的密钥,再进行加密/解密文件的操作...");
}

TEST_F(LayoutTest, FontsOfTheDesign) {
  struct Expected {
    int id;
    const wchar_t* face;
    int height;
    bool bold;
  };
  const Expected table[] = {
      {kIdButton1, L"Microsoft Sans Serif", -16, false}, {kIdLabel3, L"Arial", -29, true},
      {kIdSiteLeft, L"Microsoft Sans Serif", -13, true},  {kIdSf, L"Microsoft Sans Serif", -13, true},
      {kIdLabel2, L"楷体_GB2312", -19, false},            {kIdJm1, L"Arial", -15, false},
      {kIdCheckBox1, L"楷体_GB2312", -16, false},         {kIdPbmy, L"楷体_GB2312", -16, false},
      {kIdComboBox1, L"Arial", -21, false},
  };
  for (const Expected& e : table) {
    const LOGFONTW font = FontOf(e.id);
    EXPECT_STREQ(font.lfFaceName, e.face) << e.id;
    EXPECT_EQ(font.lfHeight, e.height) << e.id;
    EXPECT_EQ(font.lfWeight >= FW_BOLD, e.bold) << e.id;
  }
}

TEST_F(LayoutTest, HintsAreTheControlsTooltips) {
  MainWindow& w = *primary_;
  EXPECT_EQ(w.Hint(kIdPanel1), L"鼠标右键单击显示菜单...,鼠标左键双击改变窗体颜色");
  EXPECT_EQ(w.Hint(kIdLabel3), L"鼠标单击显示菜单...鼠标左键双击改变星尘颜色");
  EXPECT_EQ(w.Hint(kIdSiteRight), L"鼠标左键单击打开网址...,鼠标左键双击还原窗体颜色");
  EXPECT_EQ(w.Hint(kIdButton1), L"选择任意文件进行保存密钥(压缩)加密，无密码就只压缩不加密...");
  EXPECT_EQ(w.Hint(kIdSf), L"窗体缩放");
  EXPECT_EQ(w.Hint(kIdProgressBar1), L"进度条");
  EXPECT_EQ(w.Hint(kIdLabel1), L"(输入/粘贴)密钥最多为1028个字体，(载入)密钥最多可以为2056个字节");
  EXPECT_EQ(w.Hint(kIdLabel2), w.Hint(kIdLabel1));
  EXPECT_EQ(w.Hint(kIdComboBox1), L" 鼠标右键单击展示菜单");
  EXPECT_EQ(w.Hint(kIdStatusBar1), L"鼠标左键双击展示提示窗体...");
  EXPECT_EQ(w.Hint(kIdButton7), L"解密此程序自身包含的已加密文件...");

  // The tooltip control knows the same text for the control.
  HWND tooltip = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM out) -> BOOL {
        wchar_t name[32] = {};
        GetClassNameW(hwnd, name, 32);
        if (std::wstring_view(name) == TOOLTIPS_CLASSW && GetWindow(hwnd, GW_OWNER) != nullptr)
          *reinterpret_cast<HWND*>(out) = hwnd;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&tooltip));
  ASSERT_NE(tooltip, nullptr);
  wchar_t text[256] = {};
  TTTOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.hwnd = Primary();
  ti.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(Primary(), kIdSf));
  ti.lpszText = text;
  SendMessageW(tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&ti));
  EXPECT_STREQ(text, L"窗体缩放");
}

TEST_F(LayoutTest, TheThreeContextMenusInOrder) {
  const std::vector<std::pair<std::wstring, bool>> main = {
      {L"文件(用内存流)16进制查看(编辑修改)", true}, {L"", false}, {L"另外打开:星尘 文件加密程序", true},
      {L"", false}, {L"清空加解密密钥编辑框里的内容", true}, {L"清空剪贴板文本内容(粘贴密钥后用的)", true},
      {L"", false}, {L"粉碎文件(彻底删除文件，慎用)", true}, {L"", false}, {L"注册关联jmz加密文件", true},
      {L"快捷方式增加到文件右键菜单", true}, {L"", false}, {L"清除本程序全部注册表项", true}, {L"", false},
      {L"帮助...", true}, {L"检查更新...", true}, {L"主页...", true}, {L"", false}, {L"关于...", true},
      {L"", false}, {L"加密时使用认证加密(Argon2id + ChaCha20-Poly1305)", true}};
  HMENU menu1 = primary_->PopupMenu1();
  ASSERT_EQ(GetMenuItemCount(menu1), 21);
  for (UINT i = 0; i < main.size(); ++i) {
    EXPECT_EQ(MenuCaption(menu1, i), main[i].first) << i;
    const bool separator = GetMenuState(menu1, i, MF_BYPOSITION) & MF_SEPARATOR;
    EXPECT_EQ(separator, main[i].first.empty()) << i;
    if (!separator) {
      EXPECT_EQ(!(GetMenuState(menu1, i, MF_BYPOSITION) & MF_GRAYED), main[i].second) << i;
    }
  }
  const std::vector<std::wstring> keys = {L"载入密钥从文件...", L"保存密钥到文件...", L"清空密钥编辑框内容",
                                          L"屏蔽密钥编辑框内容", L"密钥编辑框提示显示内容", L"系统菜单(可粘贴密钥)"};
  ASSERT_EQ(GetMenuItemCount(primary_->PopupMenu2()), 6);
  for (UINT i = 0; i < keys.size(); ++i) EXPECT_EQ(MenuCaption(primary_->PopupMenu2(), i), keys[i]);
  const std::vector<std::wstring> log = {L"选择文件效验MD5", L"复制列表框当前MD5值到剪贴板", L"停止效验文件MD5",
                                         L"效验文件MD5读取模式:", L"", L"列表框全部内容另存为", L"清空列表框全部内容",
                                         L"", L"设置加解密文件保存路径"};
  HMENU menu3 = primary_->PopupMenu3();
  ASSERT_EQ(GetMenuItemCount(menu3), 9);
  for (UINT i = 0; i < log.size(); ++i) EXPECT_EQ(MenuCaption(menu3, i), log[i]);
  EXPECT_TRUE(MenuEnabled(menu3, kIdN28));
  EXPECT_TRUE(MenuEnabled(menu3, kIdMD51));
  HMENU readMode = GetSubMenu(menu3, 3);
  EXPECT_EQ(MenuCaption(readMode, 0), L"自动模式");
  EXPECT_EQ(MenuCaption(readMode, 2), L"文件流");
  EXPECT_TRUE(MenuChecked(readMode, kIdN25));
}

TEST_F(LayoutTest, StartingStatesAndRightClicks) {
  EXPECT_TRUE(Checked(Primary(), kIdRgysl2));
  EXPECT_TRUE(Checked(Primary(), kIdCheckBox2));
  EXPECT_FALSE(Checked(Primary(), kIdPbmy));
  EXPECT_FALSE(Checked(Primary(), kIdCheckBox1));
  EXPECT_TRUE(Enabled(Primary(), kIdButton1));
  EXPECT_TRUE(Enabled(Primary(), kIdButton2));
  // No package is carried: nothing to separate or self-decrypt; creation is open.
  EXPECT_FALSE(Enabled(Primary(), kIdButton7));
  EXPECT_FALSE(Enabled(Primary(), kIdButton8));
  EXPECT_TRUE(Enabled(Primary(), kIdButton6));

  // A right-click on the top panel (or a control on it) opens PopupMenu1,
  // on the log list PopupMenu3, on the key box PopupMenu2; below the panel nothing.
  RECT outer{};
  GetWindowRect(Primary(), &outer);
  POINT panel{10, 60};
  ClientToScreen(Primary(), &panel);
  SendMessageW(Primary(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Primary()), MAKELPARAM(panel.x, panel.y));
  SendMessageW(Primary(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(GetDlgItem(Primary(), kIdButton1)),
               MAKELPARAM(panel.x, panel.y));
  POINT below{10, 300};
  ClientToScreen(Primary(), &below);
  SendMessageW(Primary(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Primary()), MAKELPARAM(below.x, below.y));
  SendMessageW(GetDlgItem(Primary(), kIdJm2), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(GetDlgItem(Primary(), kIdJm2)),
               MAKELPARAM(below.x, below.y));
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetComboBoxInfo(GetDlgItem(Primary(), kIdComboBox1), &info));
  SendMessageW(info.hwndItem, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(info.hwndItem), MAKELPARAM(below.x, below.y));
  ASSERT_EQ(menus_.tracked.size(), 4u);
  EXPECT_EQ(menus_.tracked[0].menu, primary_->PopupMenu1());
  EXPECT_EQ(menus_.tracked[0].point.x, panel.x);
  EXPECT_EQ(menus_.tracked[1].menu, primary_->PopupMenu1());
  EXPECT_EQ(menus_.tracked[2].menu, primary_->PopupMenu2());
  EXPECT_EQ(menus_.tracked[3].menu, primary_->PopupMenu3());
}

}  // namespace

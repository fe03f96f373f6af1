// The context menus of a main window and their commands: about, another
// instance, the output folder, the MD5 read mode, and the click counter that
// reveals the hidden no-saved-key commands.
#include <windows.h>

#include <commctrl.h>

#include "app/hidden_clicks.h"
#include "app/win32/main_window.h"
#include "app/win32/main_window_ids.h"
#include "app/win32/ui_texts.h"
#include "platform/file.h"
#include "platform/win32/wide.h"

namespace app {

namespace {

// Items created greyed are enabled later: shredding and MD51 by the job
// lock, the log menu's other commands before that menu opens.
void Append(HMENU menu, int id, const wchar_t* caption, bool enabled = true) {
  AppendMenuW(menu, MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), static_cast<UINT_PTR>(id), caption);
}

void Separator(HMENU menu) { AppendMenuW(menu, MF_SEPARATOR, 0, nullptr); }

}  // namespace

void MainWindow::CreateMenus() {
  popupMenu1_ = CreatePopupMenu();
  Append(popupMenu1_, kIdN161, L"文件(用内存流)16进制查看(编辑修改)");
  Separator(popupMenu1_);  // N32
  Append(popupMenu1_, kIdN31, L"另外打开:星尘 文件加密程序");
  Separator(popupMenu1_);  // N22
  Append(popupMenu1_, kIdN5, L"清空加解密密钥编辑框里的内容");
  Append(popupMenu1_, kIdN12, L"清空剪贴板文本内容(粘贴密钥后用的)");
  Separator(popupMenu1_);  // N13
  Append(popupMenu1_, kIdDelfl, L"粉碎文件(彻底删除文件，慎用)", false);
  Separator(popupMenu1_);  // N15
  Append(popupMenu1_, kIdN6, L"注册关联jmz加密文件");
  Append(popupMenu1_, kIdN7, L"快捷方式增加到文件右键菜单");
  Separator(popupMenu1_);  // N10
  Append(popupMenu1_, kIdN9, L"清除本程序全部注册表项");
  Separator(popupMenu1_);  // N4
  Append(popupMenu1_, kIdN11, L"帮助...");
  Append(popupMenu1_, kIdN1, L"检查更新...");
  Append(popupMenu1_, kIdN2, L"主页...");
  Separator(popupMenu1_);  // N8
  Append(popupMenu1_, kIdN3, L"关于...");
  Separator(popupMenu1_);
  Append(popupMenu1_, kIdAead, text::kAeadItem);

  popupMenu2_ = CreatePopupMenu();
  Append(popupMenu2_, kIdN14, L"载入密钥从文件...");
  Append(popupMenu2_, kIdN16, L"保存密钥到文件...");
  Append(popupMenu2_, kIdN17, L"清空密钥编辑框内容");
  Append(popupMenu2_, kIdN18, L"屏蔽密钥编辑框内容");
  Append(popupMenu2_, kIdN20, L"密钥编辑框提示显示内容");
  Append(popupMenu2_, kIdN30, L"系统菜单(可粘贴密钥)");

  popupMenu3_ = CreatePopupMenu();
  Append(popupMenu3_, kIdMD51, L"选择文件效验MD5", false);
  Append(popupMenu3_, kIdMD52, L"复制列表框当前MD5值到剪贴板", false);
  Append(popupMenu3_, kIdMD53, L"停止效验文件MD5", false);
  n24_ = CreatePopupMenu();
  Append(n24_, kIdN25, L"自动模式");
  Append(n24_, kIdN26, L"内存流");
  Append(n24_, kIdN27, L"文件流");
  CheckMenuRadioItem(n24_, kIdN25, kIdN27, kIdN25, MF_BYCOMMAND);
  AppendMenuW(popupMenu3_, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(n24_), L"效验文件MD5读取模式:");
  Separator(popupMenu3_);  // N29
  Append(popupMenu3_, kIdN19, L"列表框全部内容另存为", false);
  Append(popupMenu3_, kIdN21, L"清空列表框全部内容", false);
  Separator(popupMenu3_);  // N23
  Append(popupMenu3_, kIdN28, L"设置加解密文件保存路径");
}

void MainWindow::ShowMainMenu(POINT screen) {
  Hold hold(*this);
  group_.services.menus.Track(Handle(), popupMenu1_, screen);
}

void MainWindow::ShowLogMenu(POINT screen) {
  Hold hold(*this);
  PopupMenu3Popup();
  group_.services.menus.Track(Handle(), popupMenu3_, screen);
}

void MainWindow::HiddenClickStep() {
  try {
    const ClickStep step =
        app::HiddenClickStep(hiddenClickCount_, GetMenuItemCount(popupMenu1_), IsWindowEnabled(Control(kIdButton1)),
                             IsWindowEnabled(Control(kIdButton2)), group_.services.clock.Today());
    hiddenClickCount_ = step.counter;
    if (step.removeHidden) RemoveHiddenEntries();
    if (step.insertHidden) InsertHiddenEntries();
    if (step.startUpdateCheck) StartUpdateCheck();
  } catch (const std::exception&) {
    group_.services.boxes.Beep();
  }
}

void MainWindow::InsertHiddenEntries() {
  // A separator first, then the decryption command and the encryption
  // command above it: they end up in that order at the top.
  InsertMenuW(popupMenu1_, 0, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
  InsertMenuW(popupMenu1_, 0, MF_BYPOSITION | MF_STRING, kIdNoKeyDecrypt, noKeyEntries_[1].caption.c_str());
  InsertMenuW(popupMenu1_, 0, MF_BYPOSITION | MF_STRING, kIdNoKeyEncrypt, noKeyEntries_[0].caption.c_str());
  hiddenInserted_ = true;
  ApplyNoKeyEntries();
}

void MainWindow::RemoveHiddenEntries() {
  for (int i = 0; i < kHiddenMenuItems; ++i) DeleteMenu(popupMenu1_, 0, MF_BYPOSITION);
  hiddenInserted_ = false;
}

void MainWindow::ApplyNoKeyEntries() {
  if (!hiddenInserted_) return;
  const int ids[2] = {kIdNoKeyEncrypt, kIdNoKeyDecrypt};
  for (int i = 0; i < 2; ++i) {
    const NoKeyEntry& entry = noKeyEntries_[i];
    ModifyMenuW(popupMenu1_, static_cast<UINT>(ids[i]),
                MF_BYCOMMAND | MF_STRING | (entry.enabled ? MF_ENABLED : MF_GRAYED), static_cast<UINT_PTR>(ids[i]),
                entry.caption.c_str());
  }
}

void MainWindow::N3Click() {
  try {
    SetStatusPanelText(text::kSlogan);
    ShowBox(text::kAboutText, text::kAboutCaption, 0xF0);
    hiddenClickCount_ = AboutCounter(hiddenClickCount_);
    HiddenClickStep();
  } catch (const std::exception&) {
    group_.services.boxes.Beep();
  }
}

void MainWindow::N31Click() {
  const std::wstring path = platform::ExecutablePath().wstring();
  if (path.empty()) {
    group_.services.boxes.Beep();
    return;
  }
  // Like every command that cannot do its work, a failed start beeps.
  if (!group_.services.shell.Open(Handle(), L"open", path, SW_SHOW)) group_.services.boxes.Beep();
}

void MainWindow::N28Click() {
  std::optional<std::wstring> folder;
  {
    Hold hold(*this);
    folder = group_.services.dialogs.BrowseFolder(Handle());
  }
  if (!folder || folder->empty()) return;
  // A drive's root already ends in its separator.
  std::wstring chosen = *folder;
  if (chosen.back() != L'\\') chosen += L'\\';
  outputFolder_ = platform::Narrow(chosen);
  SetHint(kIdComboBox1, chosen);
  SetWindowTextW(Control(kIdComboBox1), chosen.c_str());
  SendMessageW(Control(kIdComboBox1), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(chosen.c_str()));
}

void MainWindow::SetAead(bool checked, bool store) {
  aeadChecked_ = checked;
  CheckMenuItem(popupMenu1_, kIdAead, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
  ShowAeadState();
  if (store) Store(setting::kAead, checked ? 1 : 0);
}

void MainWindow::ShowAeadState() {
  SetWindowTextW(Control(kIdLabel2), aeadChecked_ ? text::kLabel2Aead : text::kLabel2);
}

void MainWindow::SetMd5ReadMode(int mode) {
  md5ReadMode_ = mode;
  CheckMenuRadioItem(n24_, kIdN25, kIdN27, kIdN25 + mode, MF_BYCOMMAND);
  Store(setting::kMd5ReadMode, mode);
}

}  // namespace app

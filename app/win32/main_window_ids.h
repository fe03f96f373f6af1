// Identifiers of a main window's controls, menu items and private messages.
#pragma once

#include <windows.h>

namespace app {

// Child controls (GetDlgItem finds them by these).
enum ControlId : int {
  kIdLabel3 = 100,   // logo "星尘"
  kIdSiteLeft,       // first web site
  kIdSiteRight,      // second web site
  kIdButton1,        // 加密文件
  kIdSf,             // fold button
  kIdButton2,        // 解密文件
  kIdProgressBar1,
  kIdLabel2,         // title of the encryption key box
  kIdLabel1,         // title of the decryption key box
  kIdJm1,            // encryption key
  kIdJm2,            // decryption key
  kIdRgysl,          // group box of the compression choice
  kIdRgysl0,         // its four items
  kIdRgysl1,
  kIdRgysl2,
  kIdRgysl3,
  kIdCheckBox1,      // 粘贴密钥
  kIdPbmy,           // 屏蔽密钥
  kIdCheckBox2,      // MD5效验
  kIdButton6,        // 创建自解密
  kIdButton8,        // 分离
  kIdButton7,        // 自解密
  kIdComboBox1,      // log list
  kIdStatusBar1,
  kIdPanel1,         // the top panel's area (hint only)
};

// Menu items.
enum MenuId : int {
  // PopupMenu1 (top panel, logo); the first two only after six counted clicks.
  kIdNoKeyEncrypt = 300,  // 创建不保存密钥的加密文件
  kIdNoKeyDecrypt,        // 解密不保存密钥的加密文件
  kIdN161,                // hex view
  kIdN31,                 // another instance
  kIdN5,                  // clear both key boxes
  kIdN12,                 // clear the clipboard
  kIdDelfl,               // shredding
  kIdN6,                  // .jmz association
  kIdN7,                  // context-menu entry
  kIdN9,                  // registry cleanup
  kIdN11,                 // help
  kIdN1,                  // check for updates
  kIdN2,                  // home page
  kIdN3,                  // about
  // PopupMenu2 (key boxes).
  kIdN14,                 // load a key file
  kIdN16,                 // save a key file
  kIdN17,                 // empty the box
  kIdN18,                 // mask the box
  kIdN20,                 // hint shows the text
  kIdN30,                 // paste permission
  // PopupMenu3 (log list).
  kIdMD51,
  kIdMD52,
  kIdMD53,
  kIdN25,
  kIdN26,
  kIdN27,
  kIdN19,
  kIdN21,
  kIdN28,                 // output folder
  // PopupMenu1's last item, below a separator after N3.
  kIdAead,                // encryption writes the authenticated container
};

// Private messages.
enum : UINT {
  kMsgRunOnUiThread = WM_APP + 1,  // lParam: const std::function<void()>*
  kMsgWorkerEnded,                 // the window's worker thread has ended
  kMsgTryFinishClose,              // a closing window checks whether it may go
};

// Timer of the logo: a click opens the menu once no double-click follows.
inline constexpr UINT_PTR kLogoClickTimer = 1;
// The pauses of a closing window: the job reset's and the closing pause.
inline constexpr UINT_PTR kClosePauseTimer = 0x5F10;
// Timer1: bounds the update check.
inline constexpr UINT_PTR kUpdateTimer = 2;

}  // namespace app

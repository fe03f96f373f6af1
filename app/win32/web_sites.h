// The maker's two web sites as a window group sees them. The host names are
// build settings; tests point them at a local server ("127.0.0.1:port").
#pragma once

#include <functional>
#include <string>

#ifndef XCJM_FIRST_SITE
#define XCJM_FIRST_SITE "xc.test"
#endif
#ifndef XCJM_SECOND_SITE
#define XCJM_SECOND_SITE "xcjm.test"
#endif

namespace app {

class ShellRegistry;

struct WebSites {
  std::wstring first = L"" XCJM_FIRST_SITE;
  std::wstring second = L"" XCJM_SECOND_SITE;
  // Whether the computer reports an Internet connection; empty asks WinINet.
  std::function<bool()> connected;
  // How long the update check may run (Timer1's interval).
  unsigned checkMilliseconds = 12000;
  // The registry the shell commands write; empty is the real one.
  ShellRegistry* registry = nullptr;
};

}  // namespace app

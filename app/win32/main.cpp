#include <windows.h>

#include "app/win32/application.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  return app::Application(instance).Run(showCommand);
}

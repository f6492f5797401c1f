// The program entry on Windows: no console, no command line. The backend needs the module's
// instance for its window classes; everything after that is the window layer's.
#include "shell/Program.h"
#include "shell/platform/win32_platform.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE AInstance, HINSTANCE, PWSTR, int) {
  nyarumi::win32::Win32Platform platform(AInstance);
  nyarumi::PlatformScope scope(platform);
  return nyarumi::RunProgram();
}

// The program entry of the native X11 backend: opens the display, installs the backend and
// runs the portable program.
#include "shell/Program.h"
#include "shell/platform/Platform.h"
#include "shell/platform/x11_platform.h"
#include "shell/platform/xdg_desktop.h"

#include <cstdio>
#include <exception>

int main() {
  try {
    nyarumi::x11::TX11Platform platform(nyarumi::xdg::DefaultSettingsPath());
    nyarumi::PlatformScope scope(platform);
    return nyarumi::RunProgram();
  } catch (const std::exception& e) {
    // Without a display there is nowhere to show a message box.
    std::fprintf(stderr, "nyarumi: %s\n", e.what());
    return 1;
  }
}

// The program entry of the native X11 backend: opens the display, installs the backend and
// runs the portable program.
#include "shell/Program.h"
#include "shell/platform/Platform.h"
#include "shell/platform/x11_platform.h"
#include "shell/platform/xdg_desktop.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

int main() {
  // Through XWayland she only starts: say why she then does nothing.
  if (const char* Wayland = std::getenv("WAYLAND_DISPLAY");
      Wayland != nullptr && *Wayland != '\0') {
    std::fputs("nyarumi: on a Wayland session she runs through XWayland, where she cannot stay on "
               "top, follow the pointer over other windows or open her menu; use an X11 session\n",
               stderr);
  }
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

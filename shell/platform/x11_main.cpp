// The program entry of the native X11 backend: opens the display, installs the backend and
// runs the portable program.
#include "shell/Program.h"
#include "shell/platform/Platform.h"
#include "shell/platform/x11_platform.h"
#include "shell/platform/xdg_desktop.h"

#include <cstdio>
#include <exception>

int main() {
  // Through XWayland she only starts: say why she then does nothing.
  if (const auto Note =
          nyarumi::xdg::WaylandSessionNote(nyarumi::xdg::Environment("WAYLAND_DISPLAY"))) {
    std::fprintf(stderr, "nyarumi: %s\n", Note->c_str());
  }
  try {
    nyarumi::x11::TX11Platform platform(nyarumi::xdg::DefaultSettingsPath());
    nyarumi::PlatformScope scope(platform);
    return nyarumi::RunProgram();
  } catch (const std::exception& e) {
    // Without a display there is nowhere to show a message box: one line on stderr.
    std::fprintf(stderr, "nyarumi: %s\n", e.what());
    return 1;
  }
}

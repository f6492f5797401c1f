// The program entry on Linux with the native X11 backend: opens the display, installs the
// backend and runs the portable program.
//
// There is no command line, no configuration and nothing is written: every start looks the same.
#include "assets/fileIN.h"
#include "shell/ABOUT.h"
#include "shell/formMain.h"
#include "shell/platform/qt_desktop.h"
#include "shell/platform/x11_platform.h"
#include "shell/window/Application.h"
#include "shell/window/Registration.h"

#include <cstdio>
#include <exception>

namespace nyarumi {
namespace {

TClassRegistry ProgramClasses() {
  TClassRegistry registry;
  RegisterWindowClasses(registry);
  RegisterfileIN(registry);
  RegisterfrmMAIN(registry);
  RegisterAboutClasses(registry);
  return registry;
}

int RunProgram() {
  TApplication app;
  app.SetTitle("Nyarumi");
  try {
    const TClassRegistry registry = ProgramClasses();
    // The main window first: being the first form it is the application's main window.
    const std::unique_ptr<TfrmMAIN> main = CreatefrmMAIN(registry);
    const std::unique_ptr<TfrmABUT> about = CreateAboutWindow(registry);
    main->SetAboutForm(about.get());
    app.Run();
    main->SetAboutForm(nullptr);
  } catch (const std::exception& e) {
    // A window that cannot be built from its stream: say why, and do not start.
    app.ShowException(e);
    return 1;
  }
  return 0;
}

} // namespace
} // namespace nyarumi

int main() {
  try {
    nyarumi::x11::TX11Platform platform(nyarumi::qt::DefaultSettingsPath());
    nyarumi::PlatformScope scope(platform);
    return nyarumi::RunProgram();
  } catch (const std::exception& e) {
    // Without a display there is nowhere to show a message box.
    std::fprintf(stderr, "nyarumi: %s\n", e.what());
    return 1;
  }
}

// The program entry on Linux/X11. The Qt backend needs its QApplication to exist before it is
// made, so this file owns that object; everything after it is the window layer's.
//
// There is no command line, no configuration and nothing is written: every start looks the same.
#include "assets/fileIN.h"
#include "shell/ABOUT.h"
#include "shell/formMain.h"
#include "shell/platform/qt_desktop.h"
#include "shell/platform/qt_platform.h"
#include "shell/platform/qt_startup.h"
#include "shell/window/Application.h"
#include "shell/window/Registration.h"

#include <QApplication>

#include <exception>
#include <iostream>

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
  nyarumi::qt::SelectQtPlatform();
  if (!nyarumi::qt::X11DisplayUsable(std::cerr)) {
    return 1;
  }
  nyarumi::qt::NoteWaylandSession(std::cerr);
  // Qt reads its own options from the command line; the program takes none, so it gets none.
  int argc = 1;
  char name[] = "nyarumi";
  char* argv[] = {name, nullptr};
  QApplication qtApplication(argc, argv);
  nyarumi::qt::InstallFontSubstitutes();
  nyarumi::qt::QtPlatform platform(nyarumi::qt::DefaultSettingsPath());
  nyarumi::PlatformScope scope(platform);
  return nyarumi::RunProgram();
}

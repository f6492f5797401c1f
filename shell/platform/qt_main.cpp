// The program entry of the Qt backend: its QApplication must exist before the backend is made.
#include "shell/Program.h"
#include "shell/platform/Platform.h"
#include "shell/platform/qt_platform.h"
#include "shell/platform/qt_startup.h"
#include "shell/platform/xdg_desktop.h"

#include <QApplication>

#include <iostream>

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
  nyarumi::qt::QtPlatform platform(nyarumi::xdg::DefaultSettingsPath());
  nyarumi::PlatformScope scope(platform);
  return nyarumi::RunProgram();
}

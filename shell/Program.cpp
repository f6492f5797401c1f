#include "shell/Program.h"

#include "assets/Resources.h"
#include "assets/fileIN.h"
#include "shell/ABOUT.h"
#include "shell/formMain.h"
#include "shell/window/Application.h"
#include "shell/window/Registration.h"

#include <exception>
#include <memory>

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

} // namespace

int RunProgram() {
  TApplication app;
  app.SetTitle("Nyarumi");
  try {
    const TClassRegistry registry = ProgramClasses();
    // The main window first: being the first form it is the application's main window.
    const std::unique_ptr<TfrmMAIN> main = CreatefrmMAIN(registry);
    const std::unique_ptr<TfrmABUT> about = CreateAboutWindow(registry);
    main->SetAboutForm(about.get());
    // Both windows are built: her 700 KB of form streams need not stay in memory all day.
    ReleaseResourcePages();
    app.Run();
    main->SetAboutForm(nullptr);
  } catch (const std::exception& e) {
    // A window that cannot be built from its stream: say why, and do not start.
    app.ShowException(e);
    return 1;
  }
  return 0;
}

} // namespace nyarumi

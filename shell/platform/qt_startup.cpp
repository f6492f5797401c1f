#include "shell/platform/qt_startup.h"

#include "shell/platform/xdg_desktop.h"

#include <QFont>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <xcb/xcb.h>

namespace nyarumi::qt {

void SelectQtPlatform() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "xcb");
  }
}

bool X11DisplayUsable(std::ostream& AErrors) {
  if (qgetenv("QT_QPA_PLATFORM") != "xcb") {
    return true; // another platform plugin reports its own troubles
  }
  xcb_connection_t* Connection = xcb_connect(nullptr, nullptr);
  const bool Usable = xcb_connection_has_error(Connection) == 0;
  xcb_disconnect(Connection);
  if (!Usable) {
    AErrors << "nyarumi: " << xdg::NoDisplayMessage(xdg::Environment("DISPLAY")) << '\n';
  }
  return Usable;
}

void NoteWaylandSession(std::ostream& AErrors) {
  if (const auto Note = xdg::WaylandSessionNote(xdg::Environment("WAYLAND_DISPLAY"))) {
    AErrors << "nyarumi: " << *Note << '\n';
  }
}

void InstallFontSubstitutes() {
  // The first installed family of each list wins; IPA ships with the program's dependencies,
  // Noto CJK is the common alternative on desktops.
  QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                             {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"),
                              QStringLiteral("IPAGothic")});
  QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"),
                             {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                              QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic")});
}

} // namespace nyarumi::qt

#include "shell/platform/qt_startup.h"

#include <QFont>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <xcb/xcb.h>

#include <string>

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
    const QByteArray Display = qgetenv("DISPLAY");
    AErrors << "nyarumi: cannot open the X11 display "
            << (Display.isEmpty() ? std::string("(DISPLAY is not set)")
                                  : "\"" + Display.toStdString() + "\"")
            << "; Nyarumi needs an X11 desktop\n";
  }
  return Usable;
}

void NoteWaylandSession(std::ostream& AErrors) {
  if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    AErrors << "nyarumi: on a Wayland session she runs through XWayland, where she cannot stay on "
               "top, follow the pointer over other windows or open her menu; use an X11 session\n";
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

#include "shell/platform/qt_startup.h"

#include <QFont>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace nyarumi::qt {

void SelectQtPlatform() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "xcb");
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

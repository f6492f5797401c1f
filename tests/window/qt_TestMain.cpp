// The backend's tests run without a display: Qt's offscreen platform has widgets, timers and
// menus but no X server.
#include "shell/platform/qt_startup.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication App(argc, argv);
  nyarumi::qt::InstallFontSubstitutes();
  return RUN_ALL_TESTS();
}

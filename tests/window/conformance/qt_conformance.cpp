// The Qt backend against the backend contract, on Qt's offscreen platform (see qt_TestMain.cpp).
#include "shell/platform/qt_platform.h"
#include "shell/platform/qt_window.h"
#include "tests/window/conformance/ConformanceTest.h"

#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

namespace nyarumi::conformance {
namespace {

struct QtTraits {
  using PlatformType = qt::QtPlatform;
  static std::unique_ptr<qt::QtPlatform> Make() {
    return std::make_unique<qt::QtPlatform>("/nonexistent/settings.ini");
  }
  static void NestedLoop(qt::QtPlatform&, std::uint32_t AMs) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(AMs), &loop, &QEventLoop::quit);
    loop.exec();
  }
  static void Settle(qt::QtPlatform&) { QCoreApplication::processEvents(); }
  static std::size_t LiveRegions(qt::QtPlatform& AP) { return AP.Regions().LiveCount(); }
  static std::optional<std::string> Clipboard(qt::QtPlatform&) {
    return QGuiApplication::clipboard()->text().toStdString();
  }
  static void Click(qt::QtPlatform& AP, WindowId AWindow, ButtonId) {
    auto* native = AP.Widget(AWindow)->findChild<QPushButton*>();
    ASSERT_NE(native, nullptr);
    native->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, Conformance, QtTraits);

} // namespace
} // namespace nyarumi::conformance

#include "shell/platform/qt_window.h"

#include "shell/platform/qt_input.h"
#include "shell/platform/qt_region.h"
#include "shell/platform/qt_x11events.h"
#include "shell/platform/x11_ewmh.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWindow>

namespace nyarumi::qt {
namespace {

Qt::WindowFlags FlagsOf(const TWindowParams& P) {
  // Qt::Tool keeps the window out of the window list of most desktops; the skip states do the
  // rest. A tool-window frame gets a caption and nothing else: no system menu and no buttons.
  Qt::WindowFlags F = Qt::Tool;
  if (P.Border == TWindowBorder::None) {
    F |= Qt::FramelessWindowHint;
  } else {
    F |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  }
  if (P.StayOnTop) {
    F |= Qt::WindowStaysOnTopHint;
  }
  return F;
}

TPoint PointOf(const QPointF& P) {
  const QPoint I = P.toPoint();
  return {I.x(), I.y()};
}

// Two windows that both raise themselves when covered would otherwise raise each other without
// end; ten raises a second keep her on top at no noticeable cost.
constexpr qint64 RAISE_INTERVAL_MS = 100;

// A mask that covers no pixel of the window: QWidget takes an empty region as "no mask".
const QRegion& NothingVisible() {
  static const QRegion Outside(-1, -1, 1, 1);
  return Outside;
}

} // namespace

QtWindow::QtWindow(const TWindowParams& AParams, WindowEvents& AEvents, TPictureCache& ACache,
                   const TEwmh* AXcb, TDispatch ADispatch)
    : QWidget(nullptr, FlagsOf(AParams)), FEvents(&AEvents), FCache(ACache), FXcb(AXcb),
      FDispatch(std::move(ADispatch)), FSkipTaskbar(AParams.SkipTaskbar) {
  setAttribute(Qt::WA_DeleteOnClose, false);
  setMouseTracking(true);
  setFocusPolicy(Qt::ClickFocus);
  QPalette Pal = palette();
  Pal.setColor(QPalette::Window, ColorOf(AParams.Background));
  setPalette(Pal);
  setAutoFillBackground(true);
  setWindowTitle(QString::fromStdString(AParams.Caption));
  SetGeometry(AParams.OuterTopLeft, AParams.ClientWidth, AParams.ClientHeight);
  // Create the native window now, unmapped, so the skip states are on it before the window
  // manager first sees it (the WinIdChange handler applies them).
  winId();
}

unsigned long QtWindow::NativeId() const {
  const QWindow* W = windowHandle();
  return (W != nullptr && W->handle() != nullptr) ? static_cast<unsigned long>(W->winId()) : 0;
}

void QtWindow::ApplySkipStates() {
  if (FXcb == nullptr) {
    return;
  }
  if (const auto Id = NativeId(); Id != 0) {
    FXcb->SetSkipStates(static_cast<xcb_window_t>(Id), FSkipTaskbar);
    SelectVisibilityEvents(FXcb->Connection(), static_cast<xcb_window_t>(Id));
    FStatesOn = Id;
  }
}

void QtWindow::CheckNativeWindow() {
  // Qt's xcb layer may swap the X window when it maps it (after a stay-on-top change, for one)
  // without telling the widget; the first paint after mapping is where that shows. A busy
  // window manager may also drop the states it read from the property while taking the window
  // over, so the first paint after each show asks for them again on the managed window.
  if (NativeId() != FStatesOn) {
    ApplySkipStates();
    if (FXcb != nullptr && FStatesOn != 0 && windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
      FXcb->RequestAbove(static_cast<xcb_window_t>(FStatesOn), true);
    }
  }
}

void QtWindow::showEvent(QShowEvent* AEvent) {
  FStatesOn = 0; // confirmed by the first paint, once the window manager has the window
  QWidget::showEvent(AEvent);
}

void QtWindow::SetGeometry(TPoint AOuterTopLeft, std::int32_t AClientWidth,
                           std::int32_t AClientHeight) {
  const QSize Size(std::max(AClientWidth, 0), std::max(AClientHeight, 0));
  if (size() != Size || minimumSize() != Size || maximumSize() != Size) {
    setFixedSize(Size); // neither the user nor the desktop resizes these windows
  }
  FExpectedOuter = QPoint(AOuterTopLeft.X, AOuterTopLeft.Y);
  // Place the client area by the frame last seen: a hidden window's frame position is not
  // known to Qt, and the desktop would put the frame or the client there depending on timing.
  const QPoint Client = FExpectedOuter + QPoint(FMargins.left(), FMargins.top());
  if (geometry().topLeft() != Client) {
    setGeometry(QRect(Client, Size)); // the client area's, unlike move()
  }
}

void QtWindow::SetStayOnTop(bool AStayOnTop) {
  Qt::WindowFlags F = windowFlags();
  F.setFlag(Qt::WindowStaysOnTopHint, AStayOnTop);
  if (QWindow* W = windowHandle(); W != nullptr) {
    // Changing the QWindow's flag switches the state on the same X window; QWidget's own
    // setWindowFlags would destroy and re-create it, losing the outline until the next tick.
    overrideWindowFlags(F);
    W->setFlags(F);
  } else {
    setWindowFlags(F);
  }
}

void QtWindow::Obscured() {
  // Never over the program's own open menu; and with an EWMH window manager the stay-on-top
  // state is its business.
  if (!windowFlags().testFlag(Qt::WindowStaysOnTopHint) || FXcb == nullptr ||
      QApplication::activePopupWidget() != nullptr || FRaisePending || FXcb->ManagerRunning()) {
    return;
  }
  const qint64 Since = FLastRaise.isValid() ? FLastRaise.elapsed() : RAISE_INTERVAL_MS;
  if (Since >= RAISE_INTERVAL_MS) {
    RaiseNow();
    return;
  }
  FRaisePending = true;
  QTimer::singleShot(RAISE_INTERVAL_MS - Since, this, [this] {
    FRaisePending = false;
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
      RaiseNow();
    }
  });
}

void QtWindow::RaiseNow() {
  raise();
  FLastRaise.start();
}

void QtWindow::SetSkipTaskbar(bool ASkip) {
  FSkipTaskbar = ASkip;
  ApplySkipStates();
}

void QtWindow::Invalidate(std::optional<TRect> AArea) {
  const QRegion Area = AArea ? QRegion(RectOf(*AArea)) : QRegion(rect());
  FDirty += Area;
  update(Area);
}

void QtWindow::UpdateNow() {
  if (!FDirty.isEmpty()) {
    repaint(FDirty);
  }
}

void QtWindow::SetRegion(std::optional<TRegion> ARegion) {
  FRegion = std::move(ARegion);
  if (!FRegion) {
    clearMask();
    return;
  }
  const QRegion Shape = RegionOf(FRegion->Rects());
  setMask(Shape.isEmpty() ? NothingVisible() : Shape);
}

bool QtWindow::RegionContains(TPoint APos) const {
  return !FRegion || FRegion->Contains(APos.X, APos.Y);
}

void QtWindow::Notify(const std::function<void(WindowEvents&)>& ACall) {
  if (FEvents == nullptr) {
    return;
  }
  ++FCallbackDepth;
  FDispatch([&] {
    if (FEvents != nullptr) {
      ACall(*FEvents);
    }
  });
  --FCallbackDepth;
}

bool QtWindow::event(QEvent* AEvent) {
  if (AEvent->type() == QEvent::WinIdChange) {
    // Qt made a new native window for this widget: it carries none of our states yet.
    ApplySkipStates();
  }
  return QWidget::event(AEvent);
}

void QtWindow::paintEvent(QPaintEvent* AEvent) {
  CheckNativeWindow();
  FDirty -= AEvent->region();
  QPainter Painter(this);
  TQtCanvas Canvas(Painter, FCache);
  const QRect R = AEvent->rect();
  const TRect Dirty{R.left(), R.top(), R.left() + R.width(), R.top() + R.height()};
  Notify([&](WindowEvents& E) { E.Paint(Canvas, Dirty); });
}

void QtWindow::mouseMoveEvent(QMouseEvent* AEvent) {
  const TShiftState S = ShiftStateOf(AEvent->modifiers(), AEvent->buttons());
  const TPoint P = PointOf(AEvent->position());
  Notify([&](WindowEvents& E) { E.MouseMove(S, P); });
}

void QtWindow::mousePressEvent(QMouseEvent* AEvent) {
  const auto Button = MouseButtonOf(AEvent->button());
  if (!Button) {
    return;
  }
  const TShiftState S = ShiftStateOf(AEvent->modifiers(), AEvent->buttons());
  const TPoint P = PointOf(AEvent->position());
  Notify([&](WindowEvents& E) { E.MouseDown(*Button, S, P); });
}

void QtWindow::mouseReleaseEvent(QMouseEvent* AEvent) {
  const auto Button = MouseButtonOf(AEvent->button());
  if (!Button) {
    return;
  }
  const TShiftState S = ShiftStateOf(AEvent->modifiers(), AEvent->buttons());
  const TPoint P = PointOf(AEvent->position());
  Notify([&](WindowEvents& E) { E.MouseUp(*Button, S, P); });
}

void QtWindow::leaveEvent(QEvent*) {
  Notify([](WindowEvents& E) { E.MouseLeave(); });
}

void QtWindow::keyPressEvent(QKeyEvent* AEvent) {
  const auto ShortCut = ShortCutOf(AEvent->key(), AEvent->modifiers());
  bool Used = false;
  if (ShortCut) {
    Notify([&](WindowEvents& E) { Used = E.KeyDown(*ShortCut); });
  }
  if (Used) {
    AEvent->accept();
  } else {
    QWidget::keyPressEvent(AEvent);
  }
}

void QtWindow::changeEvent(QEvent* AEvent) {
  QWidget::changeEvent(AEvent);
  if (AEvent->type() == QEvent::WindowStateChange && FSkipTaskbar && isMinimized()) {
    // Without a taskbar entry a minimised window could never be brought back, and the program
    // would take it for visible. Some window managers offer the button anyway: on a window
    // with a caption it asks to close instead (which hides it until it is shown again); a
    // frameless one simply stays.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    if (windowFlags().testFlag(Qt::WindowTitleHint)) {
      Notify([](WindowEvents& E) { E.CloseRequest(); });
    }
  }
}

void QtWindow::closeEvent(QCloseEvent* AEvent) {
  // The window layer decides: hide, quit or nothing. Qt must not close the widget itself.
  AEvent->ignore();
  Notify([](WindowEvents& E) { E.CloseRequest(); });
}

void QtWindow::TakeFrameMargins(const QWindow& AWindow) {
  // While the window manager is still building the frame, Qt measures it from a frame smaller
  // than the window and gets negative margins, or none at all for a moment; the real ones
  // follow with _NET_FRAME_EXTENTS, and a frame once seen does not go away.
  const QMargins M = AWindow.frameMargins();
  if (M.left() >= 0 && M.top() >= 0 && M.right() >= 0 && M.bottom() >= 0 && !M.isNull()) {
    FMargins = M;
  }
}

void QtWindow::SyncFramePosition() {
  const QWindow* W = windowHandle();
  if (W == nullptr || !isVisible()) {
    return;
  }
  TakeFrameMargins(*W);
  if (W->framePosition() == FExpectedOuter) {
    return;
  }
  FExpectedOuter = W->framePosition();
  const TPoint P{FExpectedOuter.x(), FExpectedOuter.y()};
  Notify([&](WindowEvents& E) { E.Moved(P); });
}

void QtWindow::moveEvent(QMoveEvent*) {
  if (const QWindow* W = windowHandle(); W != nullptr && isVisible()) {
    TakeFrameMargins(*W);
  }
  const QPoint Outer = frameGeometry().topLeft();
  if (Outer == FExpectedOuter) {
    return; // our own move arriving back, not the user's
  }
  if (windowFlags().testFlag(Qt::FramelessWindowHint)) {
    // Without a caption nobody but the program moves such a window. Another position is the
    // window manager's own placement at mapping or the late echo of an earlier of two quick
    // moves: put the window back where the window layer wants it instead of adopting it.
    if (isVisible()) {
      move(FExpectedOuter);
    }
    return;
  }
  FExpectedOuter = Outer;
  const TPoint P{Outer.x(), Outer.y()};
  Notify([&](WindowEvents& E) { E.Moved(P); });
}

} // namespace nyarumi::qt

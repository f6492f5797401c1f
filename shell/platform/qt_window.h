#pragma once
// One top-level window of the program as a QWidget: painted by the window layer through a
// canvas, shaped by its region, kept off the taskbar, and reporting input to the window layer.
#include "shell/platform/Platform.h"
#include "shell/platform/RegionTable.h"
#include "shell/platform/qt_canvas.h"

#include <QElapsedTimer>
#include <QRegion>
#include <QWidget>

#include <functional>
#include <optional>

namespace nyarumi::x11 {
class TEwmh;
}

namespace nyarumi::qt {

using x11::TEwmh;

// Runs a window-layer callback from inside a Qt event handler; exceptions must not unwind
// through Qt, so the runner decides what becomes of them.
using TDispatch = std::function<void(const std::function<void()>&)>;

class QtWindow final : public QWidget {
public:
  QtWindow(const TWindowParams& AParams, WindowEvents& AEvents, TPictureCache& ACache,
           const TEwmh* AXcb, TDispatch ADispatch);

  // No callback reaches the window layer after this.
  void Detach() { FEvents = nullptr; }
  bool InCallback() const { return FCallbackDepth > 0; }

  void SetGeometry(TPoint AOuterTopLeft, std::int32_t AClientWidth, std::int32_t AClientHeight);
  // Reports the frame's position as Moved when it is not where we put it: the frame extents
  // often arrive after the window was placed, without any move event.
  void SyncFramePosition();
  void SetStayOnTop(bool AStayOnTop);
  // The window is (partly) covered by another. A stay-on-top window raises itself where no
  // window manager keeps it above the others.
  void Obscured();
  void SetSkipTaskbar(bool ASkip);
  void Invalidate(std::optional<TRect> AArea);
  void UpdateNow();

  // Installs a region as the window's outline and input shape; nullopt restores the full
  // rectangle. An empty region leaves nothing visible or clickable.
  void SetRegion(std::optional<TRegion> ARegion);
  bool RegionContains(TPoint APos) const;
  bool HasRegion() const { return FRegion.has_value(); }

  // The frame around the client area as last seen while shown; the window is placed by it, so
  // the window layer must reckon with the same margins.
  QMargins FrameMargins() const { return FMargins; }

  // The X window id Qt uses now (it changes when Qt re-creates the native window); 0 offscreen.
  unsigned long NativeId() const;

protected:
  bool event(QEvent* AEvent) override;
  void paintEvent(QPaintEvent* AEvent) override;
  void mouseMoveEvent(QMouseEvent* AEvent) override;
  void mousePressEvent(QMouseEvent* AEvent) override;
  void mouseReleaseEvent(QMouseEvent* AEvent) override;
  void leaveEvent(QEvent* AEvent) override;
  void keyPressEvent(QKeyEvent* AEvent) override;
  void closeEvent(QCloseEvent* AEvent) override;
  void changeEvent(QEvent* AEvent) override;
  void showEvent(QShowEvent* AEvent) override;
  void moveEvent(QMoveEvent* AEvent) override;

private:
  void Notify(const std::function<void(WindowEvents&)>& ACall);
  void ApplySkipStates();
  void CheckNativeWindow();
  void RaiseNow();
  void TakeFrameMargins(const QWindow& AWindow);

  WindowEvents* FEvents;
  TPictureCache& FCache;
  const TEwmh* FXcb;
  TDispatch FDispatch;
  bool FSkipTaskbar;
  unsigned long FStatesOn = 0; // the X window the skip states were last put on
  int FCallbackDepth = 0;
  QRegion FDirty;
  std::optional<TRegion> FRegion;
  QPoint FExpectedOuter;
  QMargins FMargins; // the frame around the client area, as last seen while shown
  QElapsedTimer FLastRaise;
  bool FRaisePending = false;
};

} // namespace nyarumi::qt

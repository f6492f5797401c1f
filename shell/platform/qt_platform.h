#pragma once
// The Linux/X11 backend of the platform interface, over Qt Widgets and a few xcb calls.
//
// Implemented:
// - frameless (or tool-framed) top-level QWidgets, shaped by setMask (bounding and input shape),
//   stay-on-top switched on the live X window, skip-taskbar/pager states re-applied whenever Qt
//   re-creates the native window;
// - a QPainter canvas with converted 8-bit pictures cached between paints;
// - QPushButton children, QTimer timers that keep their cadence and never re-enter, QMenu popups
//   (radio check marks, bold default item, shortcut column), QMessageBox error boxes;
// - cursor, focus, active-window (xcb) and virtual-screen queries, text extents, system colours;
// - clipboard, opening addresses (xdg-open), starting commands without a shell, a read-only INI
//   settings file and the desktop's default handlers.
// Under QT_QPA_PLATFORM=offscreen everything works except the X11 pieces: no active window is
// reported and the skip states are not set.
#include "shell/platform/Platform.h"
#include "shell/platform/RegionTable.h"
#include "shell/platform/qt_canvas.h"

#include <QStyle>

#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string>

class QApplication;
class QPushButton;
class QTimer;

namespace nyarumi::x11 {
class TEwmh;
}

namespace nyarumi::qt {

using x11::TEwmh;

class QtWindow;
class TX11Events;

class QtPlatform final : public Platform {
public:
  // Needs a QApplication; reads settings from ASettingsPath (see TIniSettings).
  explicit QtPlatform(std::string ASettingsPath);
  ~QtPlatform() override;
  QtPlatform(const QtPlatform&) = delete;
  QtPlatform& operator=(const QtPlatform&) = delete;

  void Run() override;
  void Quit() override;
  void ProcessMessages() override;

  WindowId CreateNativeWindow(const TWindowParams& AParams, WindowEvents& AEvents) override;
  void DestroyNativeWindow(WindowId AWindow) override;
  void SetWindowCaption(WindowId AWindow, std::string_view ACaption) override;
  void SetWindowGeometry(WindowId AWindow, TPoint AOuterTopLeft, std::int32_t AClientWidth,
                         std::int32_t AClientHeight) override;
  TRect FrameExtents(WindowId AWindow) override;
  void SetWindowVisible(WindowId AWindow, bool AVisible) override;
  void SetStayOnTop(WindowId AWindow, bool AStayOnTop) override;
  void SetSkipTaskbar(WindowId AWindow, bool ASkip) override;
  void SetWindowCursor(WindowId AWindow, TCursorShape AShape) override;
  void InvalidateWindow(WindowId AWindow, std::optional<TRect> AArea) override;
  void UpdateWindow(WindowId AWindow) override;
  bool WindowRegionContains(WindowId AWindow, TPoint APos) override;

  ButtonId CreateButton(WindowId AParent, const TButtonParams& AParams,
                        std::function<void()> AOnClick) override;
  void DestroyButton(ButtonId AButton) override;
  void SetButtonBounds(ButtonId AButton, const TRect& ABounds) override;
  void SetButtonCaption(ButtonId AButton, std::string_view ACaption) override;
  void SetButtonVisible(ButtonId AButton, bool AVisible) override;
  void SetButtonEnabled(ButtonId AButton, bool AEnabled) override;

  RegionId CreateRectRgn(std::int32_t ALeft, std::int32_t ATop, std::int32_t ARight,
                         std::int32_t ABottom) override;
  TRegionKind CombineRgn(RegionId ADest, RegionId ASource1, RegionId ASource2,
                         TCombineMode AMode) override;
  RegionId ExtCreateRegion(std::span<const std::uint8_t> ARecord) override;
  TRegionKind GetRgnBox(RegionId ARegion, TRect& ABox) override;
  TRegionKind OffsetRgn(RegionId ARegion, std::int32_t ADx, std::int32_t ADy) override;
  int SetWindowRgn(WindowId AWindow, RegionId ARegion, bool ARedraw) override;
  bool DeleteObject(RegionId ARegion) override;

  void KillTimer(TimerId ATimer) override;

  std::optional<TPoint> GetCursorPos() override;
  bool ProgramHasFocus() override;
  std::optional<TRect> ForegroundWindowRect() override;
  TRect VirtualScreenRect() override;
  TPoint TextExtent(std::string_view AText, const TFontDesc& AFont,
                    std::optional<std::int32_t> AWrapWidth) override;
  TRgb SystemColor(int AIndex) override;

  int PopupMenu(TPoint AScreenPos, std::span<const TMenuEntry> AEntries) override;
  void ShowErrorBox(std::string_view AText, std::string_view ACaption) override;

  void SetClipboardText(std::string_view AText) override;

  bool OpenUrl(std::string_view AUrl) override;
  std::optional<std::string> ReadSetting(std::string_view AKey, std::string_view AName) override;
  std::optional<std::string> DefaultHandlerCommand(THandlerKind AKind) override;
  bool StartHandler(THandlerKind AKind, std::string_view ACommand,
                    std::string_view AAddress) override;

  // For tests and diagnostics: the live X window id of a window (0 offscreen or unknown), and
  // the widget itself.
  unsigned long NativeWindowId(WindowId AWindow) const;
  QtWindow* Widget(WindowId AWindow) const;
  const RegionTable& Regions() const { return FRegions; }
  const TPictureCache& PictureCache() const { return FCache; }

protected:
  TimerId CreateTimer(std::uint32_t AIntervalMs, std::function<void()> ACallback) override;

private:
  struct Timer;
  struct Button;

  // Runs a callback of the window layer from inside Qt. An exception that escapes it must not
  // unwind through Qt: it ends the event loop and Run() raises it again.
  void Dispatch(const std::function<void()>& ACallback);
  QPushButton* FindButton(ButtonId AButton) const;
  double DevicePixelRatio() const;
  QtWindow* WidgetOfNative(unsigned long ANativeId) const;

  std::string FSettingsPath;
  std::unique_ptr<TEwmh> FXcb;            // none without an X11 connection (offscreen)
  std::unique_ptr<TX11Events> FX11Events; // likewise
  TPictureCache FCache;
  RegionTable FRegions;
  std::map<WindowId, std::unique_ptr<QtWindow>> FWindows;
  std::map<ButtonId, std::unique_ptr<Button>> FButtons;
  std::map<TimerId, std::unique_ptr<Timer>> FTimers;
  std::uintptr_t FNextHandle = 1;
  std::exception_ptr FPending;
  // Popup menus use the classic style: it draws every separator, the leading and trailing ones
  // included, as an etched line of its own height.
  std::unique_ptr<QStyle> FMenuStyle;
  bool FQuitRequested = false;
};

} // namespace nyarumi::qt

#pragma once
// The native X11 backend of the platform interface, on Xlib with the Shape extension, fontconfig,
// FreeType and Xrender for text, and nothing else: no toolkit, no threads.
//
// Implemented:
// - top-level windows: the borderless one managed, above and off the taskbar and pager (states
//   on the property before mapping and asked for again once managed), WM_CLASS, _NET_WM_PID,
//   WM_DELETE_WINDOW; a captioned one with a border and no title-bar buttons (Motif hints);
// - one event loop over poll() on the X connection with the timers' deadlines as timeouts;
// - painting into a server-side surface: pictures uploaded once as pixmaps, the outline from the
//   region as precomputed rectangles (bounding and input shape), one request for a move;
// - text through fontconfig, FreeType and Xrender glyph sets, fonts opened when first needed;
// - push buttons, popup menus and the error box drawn in the classic flat grey style;
// - the clipboard as a selection owner, the active window's frame, cursor, focus and screen;
// - stay-on-top windows raised when covered while no EWMH window manager keeps them above;
// - an integer scale from Xft.dpi (or NYARUMI_SCALE), applied to every coordinate.
#include "shell/platform/Platform.h"
#include "shell/platform/RegionTable.h"
#include "shell/platform/x11_display.h"
#include "shell/platform/x11_fonts.h"
#include "shell/platform/x11_pictures.h"
#include "shell/platform/x11_timers.h"
#include "shell/platform/x11_window.h"

#include <exception>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace nyarumi::x11 {

class TEwmh;
class TX11Button;
class TX11Clipboard;
class TX11Menu;

class TX11Platform final : public Platform {
public:
  // Opens the display named by DISPLAY (throws without one); reads settings from ASettingsPath.
  explicit TX11Platform(std::string ASettingsPath);
  ~TX11Platform() override;
  TX11Platform(const TX11Platform&) = delete;
  TX11Platform& operator=(const TX11Platform&) = delete;

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
  bool ShowPicture(WindowId AWindow, const TPictureRef& APicture, const TRect& ASource) override;

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
  bool CopyWindowRgn(WindowId AWindow, RegionId ARegion) override;
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

  // Runs the event loop until ADone holds, Quit() is called or a callback failed: what every
  // modal part (menu, error box, clipboard read) waits with.
  void RunUntil(const std::function<bool()>& ADone);

  // A captioned window the desktop may also close from its frame (the error box).
  WindowId CreateDialogWindow(const TWindowParams& AParams, WindowEvents& AEvents);

  // For tests and diagnostics.
  unsigned long NativeWindowId(WindowId AWindow) const;
  unsigned long NativeButtonId(ButtonId AButton) const;
  const TX11Display& DisplayOf() const { return *FDisplay; }
  std::size_t PictureUploads() const { return FPictures->Uploads(); }
  std::size_t LiveRegions() const { return FRegions.LiveCount(); }

protected:
  TimerId CreateTimer(std::uint32_t AIntervalMs, std::function<void()> ACallback) override;

private:
  void Dispatch(const std::function<void()>& ACallback);
  // One round: pending events, due timers, marked paints; waits up to ATimeoutMs (-1: until an
  // event) when nothing is pending.
  void Iterate(int ATimeoutMs);
  void DispatchEvent(XEvent& AEvent);
  void PaintMarked();
  void CollectGarbage();
  void RethrowPending();
  WindowId AddWindow(const TWindowParams& AParams, WindowEvents& AEvents, bool AClosable);
  TX11Window* Find(WindowId AWindow) const;
  void ReadActiveWindow();
  void KeepAbove();
  bool ManagerRunning();
  // Asks again whether a window manager runs, and lets the windows watch their visibility
  // only where none does.
  void ManagerMayHaveChanged();
  TX11Button* FindButton(ButtonId AButton) const;

  std::string FSettingsPath;
  std::unique_ptr<TX11Display> FDisplay;
  std::unique_ptr<TEwmh> FEwmh;
  std::unique_ptr<TX11Pictures> FPictures;
  std::unique_ptr<TX11Fonts> FFonts;
  std::unique_ptr<TX11Context> FContext;
  std::unique_ptr<TX11Clipboard> FClipboard;
  TX11Timers FTimers;
  RegionTable FRegions;
  std::map<WindowId, std::unique_ptr<TX11Window>> FWindows;
  std::map<ButtonId, std::unique_ptr<TX11Button>> FButtons;
  std::unordered_map<Window, TX11Window*> FByNative;
  std::unordered_map<Window, TX11Button*> FButtonsByNative;
  TX11Menu* FMenu = nullptr; // the open popup menu, if any
  // Destroyed from inside their own callbacks: freed once no handler of theirs runs.
  std::vector<std::unique_ptr<TX11Window>> FDeadWindows;
  std::vector<std::unique_ptr<TX11Button>> FDeadButtons;
  // The desktop's active window, read again only when the root window says it changed: most
  // ticks then ask the server nothing about it.
  Window FActive = XNone;
  bool FActiveStale = true;
  std::vector<std::uint32_t> FOurs; // X window ids, reused by every tick
  // Raising covered stay-on-top windows where no window manager does: at most one raise per
  // interval, so that two such windows over each other cannot raise each other without end.
  TimerId FRaiseTimer = TimerId::None;
  TX11Timers::Clock::time_point FLastRaise{};
  Cursor FHand = XNone;
  std::uintptr_t FNextHandle = 1;
  // Whether an EWMH window manager runs, known until the root's check property changes or one
  // of the windows is reparented.
  bool FManager = false;
  bool FManagerKnown = false;
  bool FMayHaveEvents = true; // the connection may hold unread data
  bool FQueueEmpty = false;   // nothing came since Xlib's queue was last found empty
  std::exception_ptr FPending;
  bool FQuit = false;
};

} // namespace nyarumi::x11

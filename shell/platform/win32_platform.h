#pragma once
// The Windows backend of the platform interface, straight on Win32 and GDI.
//
// Implemented:
// - borderless WS_POPUP windows (tool windows, so no taskbar button) or tool windows with a small
//   caption and no border icons, topmost on request, shaped by SetWindowRgn;
// - painting into a back buffer with GDI: 8-bit palette pictures through StretchDIBits, text
//   through DrawTextW, copied to the screen in one go;
// - BUTTON children, SetTimer timers on a message-only window, popup menus through
//   TrackPopupMenuEx, MessageBoxW error boxes;
// - cursor, focus, foreground-window and virtual-screen queries, text extents, system colours;
// - the clipboard as CF_UNICODETEXT, opening addresses through the shell, link settings from
//   the registry, and the registered handlers of http and mailto, started with the address as
//   one properly quoted argument of their own.
// Positions are logical pixels: each window converts by its monitor's scale.
#include "shell/platform/Platform.h"
#include "shell/platform/RegionTable.h"
#include "shell/platform/win32_text.h"

#include <windows.h>

#include <exception>
#include <map>
#include <memory>
#include <vector>

namespace nyarumi::win32 {

class TWin32Window;

class Win32Platform final : public Platform {
public:
  explicit Win32Platform(HINSTANCE AInstance);
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

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

  // For tests and diagnostics: the native window of a window, nullptr when unknown; the
  // clipboard's text, nullopt when it holds none.
  HWND NativeWindow(WindowId AWindow) const;
  std::optional<std::string> ClipboardText() const;
  const RegionTable& Regions() const { return FRegions; }

protected:
  TimerId CreateTimer(std::uint32_t AIntervalMs, std::function<void()> ACallback) override;

private:
  struct Timer;
  struct Button;

  static LRESULT CALLBACK MessageProc(HWND AHandle, UINT AMessage, WPARAM AWParam, LPARAM ALParam);
  // Runs a callback of the window layer from inside a window procedure. An exception that
  // escapes it must not unwind through the system: it ends the message loop and Run() (or
  // ProcessMessages()) raises it again.
  void Dispatch(const std::function<void()>& ACallback);
  void RethrowPending();
  // One message through the window layer's keys first, then the system. False on WM_QUIT.
  bool Deliver(MSG& AMessage);
  void OnTimer(UINT_PTR ANativeId);
  void OnCommand(WORD AControlId);
  TWin32Window* Window(WindowId AWindow) const;
  TWin32Window* WindowOf(HWND AHandle) const;
  Button* FindButton(ButtonId AButton) const;
  HWND MenuOwner() const;

  HINSTANCE FInstance;
  HWND FMessages = nullptr; // message-only: timers and the clipboard's owner
  TFontCache FFonts;
  RegionTable FRegions;
  std::map<WindowId, std::unique_ptr<TWin32Window>> FWindows;
  std::vector<std::unique_ptr<TWin32Window>> FDoomed; // destroyed from inside their own callback
  std::map<ButtonId, std::unique_ptr<Button>> FButtons;
  std::map<TimerId, std::unique_ptr<Timer>> FTimers;
  std::uintptr_t FNextHandle = 1;
  WORD FNextControlId = 100; // clear of IDOK, IDCANCEL and the other dialog ids
  WORD FClicking = 0;        // the button whose click runs now
  std::exception_ptr FPending;
  bool FQuitRequested = false;
};

} // namespace nyarumi::win32

#pragma once
// The null backend, always built, used by the window tests without any display.
// Implemented features:
// - every operation is recorded (call counts) and can be told to fail: once, always or every
//   Nth call; a failing call returns its failure value (None, 0, Error, false, nullopt) or, for
//   an operation without one, does nothing;
// - windows, buttons, timers and regions are counted while alive, so tests can assert no leak;
// - painting runs through a recording canvas on UpdateWindow/PaintNow;
// - timers fire only when the test advances the clock; Run() advances it until Quit();
// - cursor, focus, foreground window, screen, menu choice, settings, handlers, clipboard and
//   the results of opening an address or starting a command are whatever the test sets.
#include "shell/platform/Platform.h"
#include "shell/platform/RegionTable.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace nyarumi {

enum class NullOp {
  Run,
  Quit,
  ProcessMessages,
  CreateNativeWindow,
  DestroyNativeWindow,
  SetWindowCaption,
  SetWindowGeometry,
  FrameExtents,
  SetWindowVisible,
  SetStayOnTop,
  SetSkipTaskbar,
  SetWindowCursor,
  InvalidateWindow,
  UpdateWindow,
  WindowRegionContains,
  CreateButton,
  DestroyButton,
  SetButtonBounds,
  SetButtonCaption,
  SetButtonVisible,
  SetButtonEnabled,
  CreateRectRgn,
  CombineRgn,
  ExtCreateRegion,
  GetRgnBox,
  OffsetRgn,
  SetWindowRgn,
  DeleteObject,
  SetTimer,
  KillTimer,
  GetCursorPos,
  ProgramHasFocus,
  ForegroundWindowRect,
  VirtualScreenRect,
  TextExtent,
  SystemColor,
  PopupMenu,
  ShowErrorBox,
  SetClipboardText,
  OpenUrl,
  ReadSetting,
  DefaultHandlerCommand,
  StartHandler,
  Count_
};

// One drawing call of a paint, as the recording canvas saw it.
struct TPaintOp {
  enum class Kind { Fill, Picture, Text, Rectangle };
  Kind Type = Kind::Fill;
  TRect Rect;                    // destination
  TRect Source;                  // Picture: the source rectangle
  const void* Picture = nullptr; // Picture: the Indexed or Rgb32 pointer
  std::optional<TRgb> Color;     // Fill: colour; Rectangle: brush
  std::optional<TRgb> Pen;       // Rectangle: pen
  std::string Text;              // Text
  TFontDesc Font;                // Text
  TTextOptions Options;          // Text
};

struct TNullWindow {
  TWindowParams Params;
  WindowEvents* Events = nullptr;
  bool Visible = false;
  TCursorShape Cursor = TCursorShape::Arrow;
  std::optional<TRegion> Region; // the window's own region, owned by the window
  int SetRegionCount = 0;
  int RedrawCount = 0; // SetWindowRgn with redraw
  bool Invalid = false;
  TRect Dirty; // what the marked areas span while Invalid
  int UpdateCount = 0;
  std::vector<TPaintOp> LastPaint;
  // The picture shown in place of a paint, while one is.
  std::shared_ptr<const void> ShownPicture;
  int ShowPictureCount = 0;
};

struct TNullButton {
  WindowId Parent = WindowId::None;
  TButtonParams Params;
  std::function<void()> OnClick;
};

struct TShownMenu {
  TPoint At;
  std::vector<TMenuEntry> Entries;
};

class NullPlatform final : public Platform {
public:
  NullPlatform();
  ~NullPlatform() override;

  // --- Failure injection. A call fails when any rule for its operation says so.
  void FailOnce(NullOp AOp);                 // the next call fails
  void FailAlways(NullOp AOp);               // every call fails until cleared
  void FailEvery(NullOp AOp, unsigned ANth); // calls ANth, 2*ANth… from now fail
  void ClearFailures();
  unsigned CallCount(NullOp AOp) const { return FCalls[static_cast<std::size_t>(AOp)]; }

  // --- What a test sets
  std::optional<TPoint> CursorPos = TPoint{0, 0};
  bool HasFocus = false;
  std::optional<TRect> Foreground;
  TRect VirtualScreen{0, 0, 1024, 768};
  TRect Frame;         // FrameExtents of tool windows
  int MenuChoice = -1; // what PopupMenu returns
  bool OpenUrlResult = true;
  bool ShowsPictures = false; // whether ShowPicture takes a picture of the window's size
  bool CopiesRegions = false; // whether CopyWindowRgn gives the window a copy in one step
  bool StartHandlerResult = true;
  std::map<std::pair<std::string, std::string>, std::string> Settings;
  std::map<THandlerKind, std::string> Handlers;
  std::function<void()> OnPopup; // runs inside PopupMenu, as events would while it is open

  // --- What a test reads back
  std::size_t LiveRegions() const { return FRegions.LiveCount(); }
  std::size_t LiveWindows() const { return FWindows.size(); }
  std::size_t LiveButtons() const { return FButtons.size(); }
  std::size_t LiveTimers() const { return FTimers.size(); }
  TNullWindow& Window(WindowId AWindow);
  TNullButton& Button(ButtonId AButton);
  const RegionTable& Regions() const { return FRegions; }
  std::vector<std::pair<std::string, std::string>> ErrorBoxes; // text, caption
  std::vector<TShownMenu> Menus;
  std::optional<std::string> Clipboard;
  std::vector<std::string> OpenedUrls;
  struct TStartedHandler {
    THandlerKind Kind;
    std::string Command;
    std::string Address;
    friend bool operator==(const TStartedHandler&, const TStartedHandler&) = default;
  };
  std::vector<TStartedHandler> StartedHandlers;
  bool QuitRequested = false;
  std::uint32_t TimerInterval(TimerId ATimer) const;

  // --- Driving the program
  // Moves the clock forward, firing every due timer in order of its due time.
  void AdvanceTime(std::uint32_t AMs);
  // Repaints the whole window now through the recording canvas.
  void PaintNow(WindowId AWindow);
  void ClickButton(ButtonId AButton);
  std::uint32_t RunLimitMs = 60'000; // Run() gives up after this much virtual time

  // --- Platform
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
  bool CopyWindowRgn(WindowId AWindow, RegionId ARegion) override;
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

protected:
  TimerId CreateTimer(std::uint32_t AIntervalMs, std::function<void()> ACallback) override;

private:
  struct TFailRule {
    bool Once = false;
    bool Always = false;
    unsigned Every = 0;
    unsigned Counted = 0;
  };
  struct TTimer {
    std::uint32_t Interval = 0;
    std::uint64_t Due = 0;
    std::function<void()> Callback;
  };

  // Counts the call and tells whether it fails.
  bool Fails(NullOp AOp);
  TNullWindow* FindWindow(WindowId AWindow);
  // The window or button an operation works on: nullptr when the call fails or the handle is
  // unknown, which every operation then ignores.
  TNullWindow* Known(NullOp AOp, WindowId AWindow);
  TNullButton* KnownButton(NullOp AOp, ButtonId AButton);
  void Paint(WindowId AWindow, const TRect& ADirty);

  unsigned FCalls[static_cast<std::size_t>(NullOp::Count_)] = {};
  TFailRule FRules[static_cast<std::size_t>(NullOp::Count_)] = {};
  RegionTable FRegions;
  std::map<WindowId, TNullWindow> FWindows;
  std::map<ButtonId, TNullButton> FButtons;
  std::map<TimerId, TTimer> FTimers;
  std::uintptr_t FNextHandle = 1;
  std::uint64_t FNow = 0;
};

} // namespace nyarumi

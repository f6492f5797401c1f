#pragma once
// The one narrow interface between the portable window layer and a native backend
// (x11_* on Linux/X11, win32_* on Windows, null_* for tests). Backends
// implement every operation; the window layer calls nothing else. Native types never appear
// here: windows, buttons, timers and regions are opaque handles whose value 0 means "none" or
// "failed".
//
// The contract every backend keeps (tests/window/conformance checks it against each one):
// - Threads: everything runs on the one GUI thread. Callbacks (WindowEvents, button clicks,
//   timers) come only from inside Run(), ProcessMessages(), UpdateWindow() or a modal
//   PopupMenu()/ShowErrorBox(), never from another thread and never from inside the operation
//   that registered them.
// - Handles: an operation given None or a handle it did not hand out (or has already destroyed)
//   does nothing and returns its failure value: None, 0, false, TRegionKind::Error or nullopt.
//   It never throws and never touches another object.
// - Timers never re-enter: SetTimer wraps every callback in the one shared guard below, so a
//   tick that runs a modal loop skips the ticks that fall due meanwhile instead of nesting.
//   A backend keeps a callback alive while it runs, even when it kills its own timer.
// - Exceptions: a callback that throws ends the event loop that delivered it; the exception
//   comes out of that Run() or ProcessMessages() (or the modal call) on the caller's side,
//   never through native frames. The window layer catches handler errors itself first, so this
//   is only for errors in the layer.
// - Tab order: native buttons of a window take the keyboard focus in ascending TabOrder, ties
//   in creation order.
// - Units: all coordinates here are logical pixels, x to the right and y down. Client pixels
//   count from the client area's top-left corner; screen pixels from the top-left of the
//   virtual screen. A backend on a scaled display converts to and from device pixels itself,
//   so the window layer never sees a device pixel.
#include "assets/Bitmap.h"
#include "common/Geometry.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nyarumi {

enum class WindowId : std::uintptr_t { None = 0 };
enum class ButtonId : std::uintptr_t { None = 0 };
enum class TimerId : std::uintptr_t { None = 0 };
enum class RegionId : std::uintptr_t { None = 0 };

// A resolved colour, ready for the screen (the window layer has already turned palette-relative
// and system colours into plain RGB).
struct TRgb {
  std::uint8_t Red = 0;
  std::uint8_t Green = 0;
  std::uint8_t Blue = 0;
  friend bool operator==(const TRgb&, const TRgb&) = default;
};

// A picture that a canvas can copy from: either an 8-bit palette picture or 32-bit pixels
// 0x00RRGGBB (top byte ignored), row after row, top row first, Width * Height of them.
struct TPictureRef {
  const TBitmap8* Indexed = nullptr;
  const std::uint32_t* Rgb32 = nullptr;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  // Set when the pixels can never change: while a backend holds it, the same owner means the
  // same pixels, so an upload can be found again without reading them.
  std::shared_ptr<const void> Owner;
};

struct TFontDesc {
  std::string Name;              // a family; the backend substitutes an installed one
  std::int32_t PixelHeight = 12; // character height in pixels
  TRgb Color;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  friend bool operator==(const TFontDesc&, const TFontDesc&) = default;
};

struct TTextOptions {
  bool WordWrap = false;    // break lines at blanks (and anywhere in CJK text) to fit the width
  bool Transparent = false; // leave the background; otherwise fill the rectangle first
  TRgb Background;          // used when not transparent
};

// Modifier keys and held buttons of a mouse notification.
enum TShiftFlag : std::uint8_t {
  ssShift = 1,
  ssAlt = 2,
  ssCtrl = 4,
  ssLeft = 8,
  ssRight = 16,
  ssMiddle = 32,
};
using TShiftState = std::uint8_t;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
enum class TCursorShape { Arrow, HandPoint };
enum class TWindowBorder { None, ToolWindow }; // ToolWindow: small caption, no icons, fixed size

// A shortcut: a virtual key code ('A'..'Z', '0'..'9', F1 = 0x70…) plus these modifier bits.
using TShortCut = std::uint16_t;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;

// Results of the region operations that report a kind; Error is 0, as callers test it.
enum class TRegionKind : int { Error = 0, Null = 1, Simple = 2, Complex = 3 };
enum class TCombineMode : int { And = 1, Or = 2, Xor = 3, Diff = 4, Copy = 5 };

enum class THandlerKind { WebPage, Mail }; // the browser (text/html) and the mail program

// What a paint callback draws with. Coordinates are client pixels; the backend clips to the
// window. Only valid during the Paint callback that hands it out.
class Canvas {
public:
  virtual ~Canvas() = default;
  virtual void FillRect(const TRect& ARect, TRgb AColor) = 0;
  // Copies ASource of the picture to ADest; equal sizes give a plain pixel copy, otherwise the
  // picture is stretched. Parts of ASource outside the picture are not drawn.
  virtual void CopyPicture(const TRect& ADest, const TPictureRef& APicture,
                           const TRect& ASource) = 0;
  // Draws AText inside ARect (clipped to it), from its top-left corner.
  virtual void DrawString(const TRect& ARect, std::string_view AText, const TFontDesc& AFont,
                          const TTextOptions& AOptions) = 0;
  // A rectangle outline with a one-pixel pen and/or a filled inside; nullopt draws none.
  virtual void DrawRectangle(const TRect& ARect, std::optional<TRgb> APen,
                             std::optional<TRgb> ABrush) = 0;
};

// What a native window tells the window layer. Positions are client pixels.
class WindowEvents {
public:
  virtual ~WindowEvents() = default;
  virtual void Paint(Canvas& ACanvas, const TRect& ADirty) = 0;
  virtual void MouseMove(TShiftState AShift, TPoint APos) = 0;
  virtual void MouseLeave() = 0;
  virtual void MouseDown(TMouseButton AButton, TShiftState AShift, TPoint APos) = 0;
  virtual void MouseUp(TMouseButton AButton, TShiftState AShift, TPoint APos) = 0;
  // A key pressed while the window has the keyboard focus, already resolved to a shortcut
  // value. True when the window layer used it.
  virtual bool KeyDown(TShortCut AShortCut) = 0;
  // The user (or the desktop) asks the window to close; the window layer decides what happens.
  virtual void CloseRequest() = 0;
  // The user moved the window, or the desktop framed it after it was shown (its frame's corner
  // then moves; FrameExtents already gives the new margins). AOuterTopLeft is the new top-left
  // corner of its frame on screen.
  virtual void Moved(TPoint AOuterTopLeft) = 0;
};

struct TWindowParams {
  TWindowBorder Border = TWindowBorder::None;
  std::string Caption;
  TPoint OuterTopLeft; // screen position of the frame's top-left corner
  std::int32_t ClientWidth = 0;
  std::int32_t ClientHeight = 0;
  TRgb Background; // what the window shows where nothing is painted
  bool StayOnTop = false;
  bool SkipTaskbar = true; // no taskbar or pager entry
};

struct TButtonParams {
  TRect Bounds; // client pixels of the parent window
  std::string Caption;
  TFontDesc Font;
  std::int32_t TabOrder = 0;
  bool Visible = true;
  bool Enabled = true;
};

struct TMenuEntry {
  std::string Caption;      // "&" marks the access key, "&&" is a literal ampersand
  std::string ShortCutText; // shown right-aligned, e.g. "Ctrl+V"; empty for none
  bool Separator = false;
  bool Enabled = true;
  bool Checked = false;
  bool RadioCheck = false; // draw the check mark as a bullet
  bool Default = false;    // drawn bold
};

class Platform {
public:
  virtual ~Platform() = default;

  // --- Application and event loop
  virtual void Run() = 0;  // processes events until Quit()
  virtual void Quit() = 0; // Run() returns after the current event
  virtual void ProcessMessages() = 0;

  // --- Top-level windows. CreateNativeWindow returns None on failure. AEvents must outlive
  // the window; no callback arrives after DestroyNativeWindow.
  virtual WindowId CreateNativeWindow(const TWindowParams& AParams, WindowEvents& AEvents) = 0;
  virtual void DestroyNativeWindow(WindowId AWindow) = 0;
  virtual void SetWindowCaption(WindowId AWindow, std::string_view ACaption) = 0;
  virtual void SetWindowGeometry(WindowId AWindow, TPoint AOuterTopLeft, std::int32_t AClientWidth,
                                 std::int32_t AClientHeight) = 0;
  // Margins of the native frame around the client area (left, top, right, bottom); all zero
  // for a borderless window or while the desktop has not told them yet.
  virtual TRect FrameExtents(WindowId AWindow) = 0;
  virtual void SetWindowVisible(WindowId AWindow, bool AVisible) = 0;
  // Switches between the topmost band and ordinary stacking at run time; the skip-taskbar
  // state is kept. Whether the window keeps its region is up to the backend.
  virtual void SetStayOnTop(WindowId AWindow, bool AStayOnTop) = 0;
  virtual void SetSkipTaskbar(WindowId AWindow, bool ASkip) = 0;
  virtual void SetWindowCursor(WindowId AWindow, TCursorShape AShape) = 0;
  // Marks an area (client pixels) for repainting; nullopt marks the whole window.
  virtual void InvalidateWindow(WindowId AWindow, std::optional<TRect> AArea) = 0;
  // Repaints every marked area of the window before returning.
  virtual void UpdateWindow(WindowId AWindow) = 0;
  // True when the window has no region or APos (client pixels) lies inside its region.
  virtual bool WindowRegionContains(WindowId AWindow, TPoint APos) = 0;
  // Shows ASource of an unchanging picture (APicture.Owner set) as the shown window's whole
  // client area at once, as a paint of only that picture would, and true. False, changing
  // nothing, where the backend has no such shortcut or the part is not the window's size: the
  // caller then marks and paints as usual. Areas marked already stay marked.
  virtual bool ShowPicture(WindowId AWindow, const TPictureRef& APicture, const TRect& ASource);

  // --- Native push buttons, children of a top-level window. None on failure.
  virtual ButtonId CreateButton(WindowId AParent, const TButtonParams& AParams,
                                std::function<void()> AOnClick) = 0;
  virtual void DestroyButton(ButtonId AButton) = 0;
  virtual void SetButtonBounds(ButtonId AButton, const TRect& ABounds) = 0;
  virtual void SetButtonCaption(ButtonId AButton, std::string_view ACaption) = 0;
  virtual void SetButtonVisible(ButtonId AButton, bool AVisible) = 0;
  virtual void SetButtonEnabled(ButtonId AButton, bool AEnabled) = 0;

  // --- Regions. Handles are owned by the caller until SetWindowRgn succeeds, after which the
  // window owns the region and frees it when it gets another one or is destroyed. Backends keep
  // them in the shared handle table of RegionTable.h and only install the shape natively.
  virtual RegionId CreateRectRgn(std::int32_t ALeft, std::int32_t ATop, std::int32_t ARight,
                                 std::int32_t ABottom) = 0;
  virtual TRegionKind CombineRgn(RegionId ADest, RegionId ASource1, RegionId ASource2,
                                 TCombineMode AMode) = 0;
  // Builds a region from the bytes of a region record (header and rectangles), no transform.
  virtual RegionId ExtCreateRegion(std::span<const std::uint8_t> ARecord) = 0;
  virtual TRegionKind GetRgnBox(RegionId ARegion, TRect& ABox) = 0;
  virtual TRegionKind OffsetRgn(RegionId ARegion, std::int32_t ADx, std::int32_t ADy) = 0;
  // Returns 0 on failure (the caller still owns ARegion), nonzero on success. None removes the
  // window's region.
  virtual int SetWindowRgn(WindowId AWindow, RegionId ARegion, bool ARedraw) = 0;
  // Gives the window a copy of ARegion, which stays the caller's, in one step, and true. False,
  // changing nothing, where the backend has no such shortcut: the caller copies the region and
  // hands the copy to SetWindowRgn.
  virtual bool CopyWindowRgn(WindowId AWindow, RegionId ARegion);
  virtual bool DeleteObject(RegionId ARegion) = 0;

  // --- Timers: ACallback runs on the GUI thread every AIntervalMs until killed, never
  // re-entered (see the contract above). None when the platform refuses the timer.
  TimerId SetTimer(std::uint32_t AIntervalMs, std::function<void()> ACallback);
  virtual void KillTimer(TimerId ATimer) = 0;

  // --- Desktop queries
  virtual std::optional<TPoint> GetCursorPos() = 0;
  // True when one of this program's windows has the keyboard focus.
  virtual bool ProgramHasFocus() = 0;
  // The outer rectangle of the window the user works in; nullopt when there is none or it is
  // one of ours.
  virtual std::optional<TRect> ForegroundWindowRect() = 0;
  // The rectangle spanning all monitors.
  virtual TRect VirtualScreenRect() = 0;
  // Width and height of AText drawn in AFont; with AWrapWidth, of the text wrapped to it.
  virtual TPoint TextExtent(std::string_view AText, const TFontDesc& AFont,
                            std::optional<std::int32_t> AWrapWidth) = 0;
  // A system colour by its index (button face 15, window text 8…).
  virtual TRgb SystemColor(int AIndex) = 0;

  // --- Modal user interface
  // Shows the menu with its top-left corner at a screen point; returns the index of the chosen
  // entry, or -1 when the menu was dismissed.
  virtual int PopupMenu(TPoint AScreenPos, std::span<const TMenuEntry> AEntries) = 0;
  virtual void ShowErrorBox(std::string_view AText, std::string_view ACaption) = 0; // stop icon

  // --- Clipboard (text only): replaces the contents.
  virtual void SetClipboardText(std::string_view AText) = 0;

  // --- The desktop around the program
  // Opens a web address with the desktop's opener; true when it was handed over.
  virtual bool OpenUrl(std::string_view AUrl) = 0;
  // A read-only settings value ("Software\...\Settings", "Anchor Color"); nullopt when absent.
  virtual std::optional<std::string> ReadSetting(std::string_view AKey, std::string_view AName) = 0;
  // The registered command line of the default handler, with its placeholder ("%u", "%1"…)
  // still in it; nullopt when none is registered.
  virtual std::optional<std::string> DefaultHandlerCommand(THandlerKind AKind) = 0;
  // Starts the handler: ACommand is its registered command with the placeholder already taken
  // out. The backend splits it by its own platform's rules and passes AAddress as one argument
  // of its own, never through a shell or a command line that is parsed again. True when it
  // started.
  virtual bool StartHandler(THandlerKind AKind, std::string_view ACommand,
                            std::string_view AAddress) = 0;

protected:
  // The native timer behind SetTimer; ACallback is already guarded against re-entry.
  virtual TimerId CreateTimer(std::uint32_t AIntervalMs, std::function<void()> ACallback) = 0;
};

// The backend the program or a test installed at start-up: the one process-wide reference.
// CurrentPlatform() throws when none is installed.
Platform& CurrentPlatform();
void InstallPlatform(Platform* APlatform); // nullptr uninstalls

// Installs a backend for the lifetime of the scope and restores none afterwards.
class PlatformScope {
public:
  explicit PlatformScope(Platform& APlatform) { InstallPlatform(&APlatform); }
  ~PlatformScope() { InstallPlatform(nullptr); }
  PlatformScope(const PlatformScope&) = delete;
  PlatformScope& operator=(const PlatformScope&) = delete;
};

} // namespace nyarumi

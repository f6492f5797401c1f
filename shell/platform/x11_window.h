#pragma once
// One top-level window of the program on X: painted through a surface by the window layer,
// shaped by its region (the bounding shape, which also bounds input), kept above and off the
// taskbar through the desktop's window states, and reporting input to the window layer.
#include "shape/Region.h"
#include "shell/platform/Platform.h"
#include "shell/platform/x11_backdrop.h"
#include "shell/platform/x11_canvas.h"
#include "shell/platform/x11_display.h"
#include "shell/platform/x11_surface.h"

#include <X11/Xlib.h>

#include <functional>
#include <optional>
#include <vector>

namespace nyarumi::x11 {

class TEwmh;
class TX11Button;

// Runs a window-layer callback; exceptions must not unwind through the event loop, so the
// runner decides what becomes of them.
using TDispatch = std::function<void(const std::function<void()>&)>;

// What every window of the backend shares.
struct TX11Context {
  const TX11Display& Display;
  TX11Pictures& Pictures;
  TX11Fonts& Fonts;
  const TEwmh& Ewmh;
  TDispatch Dispatch;
};

class TX11Window {
public:
  // AClosable: a window the desktop may close from its frame (the error box); the program's
  // own windows leave that to the window layer's buttons.
  TX11Window(TX11Context& AContext, const TWindowParams& AParams, WindowEvents& AEvents,
             bool AClosable = false);
  ~TX11Window();
  TX11Window(const TX11Window&) = delete;
  TX11Window& operator=(const TX11Window&) = delete;

  Window Id() const { return FWindow; }
  // No callback reaches the window layer after this.
  void Detach() { FEvents = nullptr; }
  bool InCallback() const { return FCallbackDepth > 0; }

  void Handle(XEvent& AEvent);

  void SetCaption(std::string_view ACaption);
  void SetGeometry(TPoint AOuterTopLeft, std::int32_t AClientWidth, std::int32_t AClientHeight);
  TRect FrameExtents() const; // logical pixels, left/top/right/bottom
  void SetVisible(bool AVisible);
  bool Visible() const { return FWanted; }
  void SetStayOnTop(bool AStayOnTop);
  void SetSkipTaskbar(bool ASkip);
  void SetCursor(Cursor ACursor);
  // Sends the move SetGeometry left for the end of the round, if any.
  void SendMove();
  void Invalidate(std::optional<TRect> AArea);
  bool Dirty() const { return FDirty.has_value(); }
  // Paints the marked area now (nothing while hidden: showing marks it all).
  void Paint();
  // The whole window shows this part of an unchanging picture from now on, as its background;
  // false while the window is hidden or when the part is not the window's size.
  bool ShowPicture(const TPictureRef& APicture, const TRect& ASource);

  // Installs a region as outline (input follows it); nullopt restores the full rectangle.
  void SetRegion(std::optional<TRegion> ARegion);
  bool RegionContains(TPoint APos) const;

  // Covered, wholly or in part, by another window while it should stay above the others. Known
  // only while visibility is watched, which is needed only where no window manager keeps
  // windows above.
  bool CoveredOnTop() const { return FStayOnTop && FMapped && FObscured; }
  void WatchVisibility(bool AWatch);
  void Raise();

  bool HasFocus() const { return FFocused; }
  void AddButton(TX11Button* AButton);
  void RemoveButton(TX11Button* AButton);
  void FocusButton(TX11Button* AButton);

private:
  void Notify(const std::function<void(WindowEvents&)>& ACall);
  // Shows a picture as the window's background; XNone goes back to painting through the
  // surface. True when the picture shows.
  bool ShowBackdrop(Pixmap APicture);
  long EventMask() const;
  void SelectEvents();
  // Hears of the window's mapping and reparenting through the substructure of its frame
  // instead of through its own structure events; XNone goes back to those.
  void WatchFrame(Window AFrame);
  void WriteHints();
  void WriteStates();
  void ReassertStates();
  void RequestActivation();
  void RequestStates(bool AAdd, Atom AFirst, Atom ASecond);
  void MoveToExpected();
  void OnConfigure(const XConfigureEvent& AEvent);
  void OnMap();
  void OnReparent(const XReparentEvent& AEvent);
  void OnUnmap();
  void OnProperty(const XPropertyEvent& AEvent);
  void ReadFrameExtents();
  void ReportFrame();
  void OnKey(XKeyEvent& AEvent);
  void OnFocus(const XFocusChangeEvent& AEvent);
  void FocusFirstButton();
  bool MoveButtonFocus(bool AForward);
  TPoint Logical(int AX, int AY) const;

  TX11Context& FContext;
  Display* FDpy;
  WindowEvents* FEvents;
  Window FWindow = XNone;
  TX11Surface FSurface;
  TX11Backdrop FPaint;      // the latest paint, kept until it is shown
  Pixmap FBackdrop = XNone; // the picture shown as background, if the window is one picture
  Cursor FCursor = XNone;   // as last defined; XNone: the parent's
  TWindowBorder FBorder;
  bool FClosable;
  bool FStayOnTop;
  bool FSkipTaskbar;
  TPoint FExpected; // outer top-left, logical
  int FWidth = 0;   // client size, logical
  int FHeight = 0;
  TRgb FBackground;
  bool FWanted = false; // shown by the window layer
  bool FMapped = false;
  Window FParent = XNone;  // the window manager's frame, while it has one
  Window FWatched = XNone; // the frame whose substructure events are selected
  bool FObscured = false;
  bool FMovePending = false; // FExpected is not asked of the server yet
  bool FWatchVisibility = true;
  long FSelected = 0;              // the event mask as selected
  long FExtents[4] = {0, 0, 0, 0}; // device pixels: left, right, top, bottom
  std::optional<TRect> FDirty;     // logical
  std::optional<TRegion> FRegion;
  std::vector<XRectangle> FShape;     // the outline as installed, device pixels
  std::vector<XRectangle> FNextShape; // the one asked for, until it is compared
  bool FShaped = false;
  bool FFocused = false;
  int FCallbackDepth = 0;
  std::vector<TX11Button*> FButtons;
  TX11Button* FFocusButton = nullptr;
};

} // namespace nyarumi::x11

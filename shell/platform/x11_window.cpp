#include "shell/platform/x11_window.h"

#include "shell/platform/x11_button.h"
#include "shell/platform/x11_input.h"

#include <X11/Xatom.h>
#include <X11/Xlib-xcb.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <unistd.h>

namespace nyarumi::x11 {
namespace {

// The rectangle in device pixels, cut to what the protocol's 16-bit coordinates can name: a
// larger coordinate would wrap round and put that piece of the outline somewhere else.
std::optional<XRectangle> DeviceRect(const TRect& ARect, int AScale) {
  constexpr std::int64_t Low = std::numeric_limits<short>::min();
  constexpr std::int64_t High = std::numeric_limits<short>::max();
  const auto Device = [&](std::int32_t V) {
    return std::clamp(std::int64_t{V} * AScale, Low, High);
  };
  const std::int64_t L = Device(ARect.Left), T = Device(ARect.Top);
  const std::int64_t R = Device(ARect.Right), B = Device(ARect.Bottom);
  if (L >= R || T >= B) {
    return std::nullopt;
  }
  return XRectangle{static_cast<short>(L), static_cast<short>(T),
                    static_cast<unsigned short>(R - L), static_cast<unsigned short>(B - T)};
}

// The Motif hints: which frame parts and which frame actions the window manager offers.
constexpr long MwmHintsFunctions = 1L << 0;
constexpr long MwmHintsDecorations = 1L << 1;
constexpr long MwmFuncMove = 1L << 2;
constexpr long MwmFuncClose = 1L << 5;
constexpr long MwmDecorBorder = 1L << 1;
constexpr long MwmDecorTitle = 1L << 3;
constexpr long MwmDecorMenu = 1L << 4;

// Exposures and visibility changes come with every new outline, structure events with every
// move; each is asked for only while it is needed (see EventMask()).
constexpr long BaseEventMask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                               LeaveWindowMask | KeyPressMask | FocusChangeMask |
                               PropertyChangeMask;

// Selects events on a window of the window manager's, which it may destroy at any moment: the
// error that would bring is dropped instead of ending the program.
void SelectOnForeign(Display* ADpy, Window AWindow, std::uint32_t AMask) {
  xcb_connection_t* C = XGetXCBConnection(ADpy);
  const xcb_void_cookie_t Cookie = xcb_change_window_attributes_checked(
      C, static_cast<xcb_window_t>(AWindow), XCB_CW_EVENT_MASK, &AMask);
  xcb_discard_reply(C, Cookie.sequence);
}

// Asks for the keyboard without an error: the window manager may unmap the window (on a change
// of desktop, say) after the click that asks for it was sent, and Xlib's default answer to the
// error would end the program.
void FocusUnlessUnmapped(Display* ADpy, Window AWindow, Time ATime) {
  xcb_connection_t* C = XGetXCBConnection(ADpy);
  const xcb_void_cookie_t Cookie =
      xcb_set_input_focus_checked(C, XCB_INPUT_FOCUS_PARENT, static_cast<xcb_window_t>(AWindow),
                                  static_cast<xcb_timestamp_t>(ATime));
  xcb_discard_reply(C, Cookie.sequence);
}

} // namespace

TX11Window::TX11Window(TX11Context& AContext, const TWindowParams& AParams, WindowEvents& AEvents,
                       bool AClosable)
    : FContext(AContext), FDpy(AContext.Display.Dpy()), FEvents(&AEvents),
      FSurface(AContext.Display), FPaint(AContext.Pictures), FBorder(AParams.Border),
      FClosable(AClosable), FStayOnTop(AParams.StayOnTop), FSkipTaskbar(AParams.SkipTaskbar),
      FExpected(AParams.OuterTopLeft), FWidth(std::max(AParams.ClientWidth, 1)),
      FHeight(std::max(AParams.ClientHeight, 1)), FBackground(AParams.Background) {
  const TX11Display& D = AContext.Display;
  const int S = D.Scale();
  XSetWindowAttributes Attributes{};
  Attributes.background_pixel = D.Pixel(FBackground);
  Attributes.event_mask = EventMask();
  Attributes.bit_gravity = NorthWestGravity;
  FWindow = XCreateWindow(FDpy, D.Root(), FExpected.X * S, FExpected.Y * S,
                          static_cast<unsigned>(FWidth * S), static_cast<unsigned>(FHeight * S), 0,
                          CopyFromParent, InputOutput, CopyFromParent,
                          CWBackPixel | CWEventMask | CWBitGravity, &Attributes);
  FSelected = Attributes.event_mask;

  XClassHint Class{const_cast<char*>("nyarumi"), const_cast<char*>("Nyarumi")};
  XWMHints Wm{};
  Wm.flags = InputHint | StateHint;
  Wm.input = True;
  Wm.initial_state = NormalState;
  XSetWMProperties(FDpy, FWindow, nullptr, nullptr, nullptr, 0, nullptr, &Wm, &Class);
  const long Pid = static_cast<long>(getpid());
  const TAtoms& A = D.Atoms();
  XChangeProperty(FDpy, FWindow, A.NetWmPid, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&Pid), 1);
  Atom Protocols[] = {A.WmDeleteWindow};
  XSetWMProtocols(FDpy, FWindow, Protocols, 1);
  const Atom Type = AClosable ? A.NetWmWindowTypeDialog : A.NetWmWindowTypeUtility;
  XChangeProperty(FDpy, FWindow, A.NetWmWindowType, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&Type), 1);

  // A caption and a border, no title-bar buttons: the frame offers moving only, neither
  // closing, minimising nor resizing (the error box may also be closed). A borderless window
  // has no frame. Some window managers keep their buttons whatever the hints say; a minimised
  // window is then handled when it unmaps.
  long Motif[5] = {MwmHintsFunctions | MwmHintsDecorations, MwmFuncMove, 0, 0, 0};
  if (FBorder != TWindowBorder::None) {
    Motif[1] = MwmFuncMove | (AClosable ? MwmFuncClose : 0);
    Motif[2] = MwmDecorBorder | MwmDecorTitle | (AClosable ? MwmDecorMenu : 0);
  }
  XChangeProperty(FDpy, FWindow, A.MotifWmHints, A.MotifWmHints, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(Motif), 5);
  SetCaption(AParams.Caption);
  WriteHints();
  WriteStates();

  // Ask the window manager for the frame's size now, so a hidden window can be placed by it.
  XEvent Request{};
  Request.xclient.type = ClientMessage;
  Request.xclient.window = FWindow;
  Request.xclient.message_type = A.NetRequestFrameExtents;
  Request.xclient.format = 32;
  XSendEvent(FDpy, D.Root(), False, SubstructureNotifyMask | SubstructureRedirectMask, &Request);
}

TX11Window::~TX11Window() {
  if (FWatched != XNone) {
    SelectOnForeign(FDpy, FWatched, 0); // the frame may outlive the window a little
  }
  XDestroyWindow(FDpy, FWindow);
}

void TX11Window::WriteHints() {
  // Neither the user nor the desktop resizes these windows, and they go where they are put.
  const int S = FContext.Display.Scale();
  XSizeHints* Hints = XAllocSizeHints();
  Hints->flags = USPosition | PPosition | PSize | PMinSize | PMaxSize | PWinGravity;
  Hints->x = FExpected.X * S;
  Hints->y = FExpected.Y * S;
  Hints->width = Hints->min_width = Hints->max_width = FWidth * S;
  Hints->height = Hints->min_height = Hints->max_height = FHeight * S;
  Hints->win_gravity = NorthWestGravity;
  XSetWMNormalHints(FDpy, FWindow, Hints);
  XFree(Hints);
}

void TX11Window::WriteStates() {
  // Read by the window manager when it takes the window over at mapping.
  const TAtoms& A = FContext.Display.Atoms();
  Atom States[3];
  int Count = 0;
  if (FStayOnTop) {
    States[Count++] = A.NetWmStateAbove;
  }
  if (FSkipTaskbar) {
    States[Count++] = A.NetWmStateSkipTaskbar;
    States[Count++] = A.NetWmStateSkipPager;
  }
  XChangeProperty(FDpy, FWindow, A.NetWmState, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(States), Count);
}

void TX11Window::RequestStates(bool AAdd, Atom AFirst, Atom ASecond) {
  // Once the window manager has the window, the state property is its own: writing it could
  // undo a change it just made, so a managed window only asks.
  XEvent Request{};
  Request.xclient.type = ClientMessage;
  Request.xclient.window = FWindow;
  Request.xclient.message_type = FContext.Display.Atoms().NetWmState;
  Request.xclient.format = 32;
  Request.xclient.data.l[0] = AAdd ? 1 : 0; // _NET_WM_STATE_ADD or _REMOVE
  Request.xclient.data.l[1] = static_cast<long>(AFirst);
  Request.xclient.data.l[2] = static_cast<long>(ASecond);
  Request.xclient.data.l[3] = 1; // from an application
  XSendEvent(FDpy, FContext.Display.Root(), False,
             SubstructureNotifyMask | SubstructureRedirectMask, &Request);
}

void TX11Window::RequestActivation() {
  XEvent Request{};
  Request.xclient.type = ClientMessage;
  Request.xclient.window = FWindow;
  Request.xclient.message_type = FContext.Display.Atoms().NetActiveWindow;
  Request.xclient.format = 32;
  Request.xclient.data.l[0] = 1; // from an application
  Request.xclient.data.l[1] = CurrentTime;
  XSendEvent(FDpy, FContext.Display.Root(), False,
             SubstructureNotifyMask | SubstructureRedirectMask, &Request);
}

void TX11Window::ReassertStates() {
  // A busy window manager may drop the states it read from the property while taking the
  // window over: once it manages the window, ask for them again.
  const TAtoms& A = FContext.Display.Atoms();
  RequestStates(FSkipTaskbar, A.NetWmStateSkipTaskbar, A.NetWmStateSkipPager);
  RequestStates(FStayOnTop, A.NetWmStateAbove, XNone);
}

void TX11Window::SetCaption(std::string_view ACaption) {
  std::string Caption(ACaption);
  // WM_NAME is Latin-1 (STRING) or compound text, never UTF-8: tools and window managers that
  // read only WM_NAME would show her Japanese captions as mojibake.
  if (std::optional<std::string> Latin1 = PrintableLatin1(Caption)) {
    XTextProperty Name{reinterpret_cast<unsigned char*>(Latin1->data()), XA_STRING, 8,
                       Latin1->size()};
    XSetWMName(FDpy, FWindow, &Name);
  } else {
    char* List[] = {Caption.data()};
    XTextProperty Name{};
    if (Xutf8TextListToTextProperty(FDpy, List, 1, XStdICCTextStyle, &Name) >= Success) {
      XSetWMName(FDpy, FWindow, &Name);
      XFree(Name.value);
    }
  }
  XChangeProperty(FDpy, FWindow, FContext.Display.Atoms().NetWmName,
                  FContext.Display.Atoms().Utf8String, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(Caption.data()),
                  static_cast<int>(Caption.size()));
}

void TX11Window::MoveToExpected() {
  const int S = FContext.Display.Scale();
  XMoveWindow(FDpy, FWindow, FExpected.X * S, FExpected.Y * S);
  FMovePending = false;
  // The window manager answers each move of a framed window with a synthetic ConfigureNotify,
  // which would wake her after every step. A window without a caption only ever goes where the
  // program puts it, so once it has been placed those answers say nothing new: its frame's
  // substructure events then stand in for its own structure events.
  if (FBorder == TWindowBorder::None && FMapped && FWatched == XNone) {
    WatchFrame(FParent);
  }
}

void TX11Window::SendMove() {
  if (FMovePending) {
    MoveToExpected();
  }
}

void TX11Window::SetGeometry(TPoint AOuterTopLeft, std::int32_t AClientWidth,
                             std::int32_t AClientHeight) {
  const int W = std::max(AClientWidth, 1), H = std::max(AClientHeight, 1);
  const bool Resized = W != FWidth || H != FHeight;
  const bool Moved = AOuterTopLeft != FExpected;
  FExpected = AOuterTopLeft;
  FWidth = W;
  FHeight = H;
  const int S = FContext.Display.Scale();
  if (Resized) {
    WriteHints();
    XMoveResizeWindow(FDpy, FWindow, FExpected.X * S, FExpected.Y * S, static_cast<unsigned>(W * S),
                      static_cast<unsigned>(H * S));
    FMovePending = false;
  } else if (Moved) {
    // Sent once the round's callbacks are done (SendMove): her step sets top and left one after
    // the other, and two requests would make the window manager move her frame twice and echo
    // a position she has already left.
    FMovePending = true;
  }
}

TRect TX11Window::FrameExtents() const {
  const int S = FContext.Display.Scale();
  // Round outwards, so a converted frame never shrinks.
  const auto Up = [S](long V) { return static_cast<std::int32_t>((V + S - 1) / S); };
  return {Up(FExtents[0]), Up(FExtents[2]), Up(FExtents[1]), Up(FExtents[3])};
}

void TX11Window::SetVisible(bool AVisible) {
  if (AVisible == FWanted) {
    return;
  }
  FWanted = AVisible;
  if (AVisible) {
    WriteHints();
    WriteStates();
    MoveToExpected();
    XMapRaised(FDpy, FWindow);
    Invalidate(std::nullopt);
  } else {
    XWithdrawWindow(FDpy, FWindow, FContext.Display.ScreenNumber());
    FMapped = false;
    FFocused = false;
  }
}

void TX11Window::SetStayOnTop(bool AStayOnTop) {
  FStayOnTop = AStayOnTop;
  if (FWanted) {
    RequestStates(AStayOnTop, FContext.Display.Atoms().NetWmStateAbove, XNone);
  } else {
    WriteStates();
  }
}

void TX11Window::SetSkipTaskbar(bool ASkip) {
  FSkipTaskbar = ASkip;
  if (FWanted) {
    const TAtoms& A = FContext.Display.Atoms();
    RequestStates(ASkip, A.NetWmStateSkipTaskbar, A.NetWmStateSkipPager);
  } else {
    WriteStates();
  }
}

void TX11Window::SetCursor(Cursor ACursor) {
  // The pointer crosses her window whenever she runs under it; the form sets the cursor anew.
  if (ACursor != FCursor) {
    XDefineCursor(FDpy, FWindow, ACursor); // XNone: the parent's
    FCursor = ACursor;
  }
}

void TX11Window::Invalidate(std::optional<TRect> AArea) {
  TRect Area = AArea.value_or(TRect{0, 0, FWidth, FHeight});
  Area = {std::max(Area.Left, 0), std::max(Area.Top, 0), std::min(Area.Right, FWidth),
          std::min(Area.Bottom, FHeight)};
  if (Area.IsEmpty()) {
    return;
  }
  if (!FDirty) {
    FDirty = Area;
  } else {
    FDirty = FDirty->Span(Area);
  }
}

void TX11Window::Paint() {
  // A shown window paints even before the window manager has mapped it: the surface keeps the
  // picture, and the exposure after mapping copies it again.
  if (!FDirty || !FWanted) {
    return;
  }
  const TRect Dirty = *FDirty;
  FDirty.reset();
  FPaint.Begin(FWidth, FHeight);
  FPaint.FillRect(Dirty, FBackground);
  Notify([&](WindowEvents& E) { E.Paint(FPaint, Dirty); });
  if (ShowBackdrop(FPaint.Picture())) {
    return;
  }
  const TX11Display& D = FContext.Display;
  const int S = D.Scale();
  FSurface.Resize(FWidth * S, FHeight * S);
  TX11Canvas Canvas(D, FSurface, FContext.Pictures, FContext.Fonts);
  FPaint.Replay(Canvas);
  XCopyArea(FDpy, FSurface.Target(), FWindow, FSurface.Gc(), Dirty.Left * S, Dirty.Top * S,
            static_cast<unsigned>(Dirty.Width() * S), static_cast<unsigned>(Dirty.Height() * S),
            Dirty.Left * S, Dirty.Top * S);
}

bool TX11Window::ShowPicture(const TPictureRef& APicture, const TRect& ASource) {
  // Hidden, the window paints nothing either: its marked areas wait for the show.
  if (!FWanted || !APicture.Owner || ASource.Left < 0 || ASource.Top < 0 ||
      ASource.Right > WidthOf(APicture) || ASource.Bottom > HeightOf(APicture) ||
      ASource.Width() != FWidth || ASource.Height() != FHeight) {
    return false;
  }
  const Pixmap Picture = FContext.Pictures.Get(APicture, ASource);
  if (Picture == XNone) {
    return false;
  }
  ShowBackdrop(Picture);
  return true;
}

long TX11Window::EventMask() const {
  // A background picture repaints exposures on the server; only a window manager that keeps
  // windows above makes visibility uninteresting.
  return BaseEventMask | (FBackdrop == XNone ? ExposureMask : 0) |
         (FWatchVisibility ? VisibilityChangeMask : 0) |
         (FWatched == XNone ? StructureNotifyMask : 0);
}

void TX11Window::WatchFrame(Window AFrame) {
  if (AFrame == FWatched) {
    return;
  }
  // The new selection comes first: an event between the two requests then arrives twice,
  // which its handling bears, rather than not at all.
  const Window Old = FWatched;
  FWatched = AFrame;
  if (AFrame != XNone) {
    SelectOnForeign(FDpy, AFrame, SubstructureNotifyMask);
  }
  SelectEvents();
  if (Old != XNone) {
    SelectOnForeign(FDpy, Old, 0);
  }
}

void TX11Window::SelectEvents() {
  if (const long Mask = EventMask(); Mask != FSelected) {
    XSelectInput(FDpy, FWindow, Mask);
    FSelected = Mask;
  }
}

void TX11Window::WatchVisibility(bool AWatch) {
  if (AWatch && !FWatchVisibility) {
    FObscured = true; // unknown until the next change: a needless raise does no harm
  }
  FWatchVisibility = AWatch;
  SelectEvents();
}

bool TX11Window::ShowBackdrop(Pixmap APicture) {
  if (APicture == FBackdrop) {
    return APicture != XNone; // shown already
  }
  if (APicture == XNone) {
    // Back to painting through the surface, which paints the whole window; exposures are
    // filled with the plain background again until that copy arrives.
    XSetWindowBackground(FDpy, FWindow, FContext.Display.Pixel(FBackground));
    FBackdrop = XNone;
    SelectEvents();
    return false;
  }
  XSetWindowBackgroundPixmap(FDpy, FWindow, APicture);
  // A copy rather than a clear: the server fills a tiled background rectangle by rectangle
  // against every rectangle of her outline, a copy clips once.
  const int S = FContext.Display.Scale();
  XCopyArea(FDpy, APicture, FWindow, FSurface.Gc(), 0, 0, static_cast<unsigned>(FWidth * S),
            static_cast<unsigned>(FHeight * S), 0, 0);
  FBackdrop = APicture;
  SelectEvents();
  return true;
}

void TX11Window::SetRegion(std::optional<TRegion> ARegion) {
  // A copy of the installed outline is known equal without reading its rectangles.
  const bool Copy = FShaped && FRegion && ARegion && FRegion->SharesRects(*ARegion);
  FRegion = std::move(ARegion);
  if (Copy) {
    return;
  }
  if (!FRegion) {
    if (FShaped) {
      FContext.Display.RemoveOutline(FWindow);
      FShaped = false;
      FShape.clear();
    }
    return;
  }
  const int S = FContext.Display.Scale();
  FNextShape.clear(); // keeps its capacity: no allocation once the largest was seen
  for (const TRect& R : FRegion->Rects()) {
    if (const auto X = DeviceRect(R, S)) {
      FNextShape.push_back(*X);
    }
  }
  // Her frames repeat: an outline equal to the installed one costs nothing.
  const bool Same =
      FShaped && std::equal(FNextShape.begin(), FNextShape.end(), FShape.begin(), FShape.end(),
                            [](const XRectangle& A, const XRectangle& B) {
                              return A.x == B.x && A.y == B.y && A.width == B.width &&
                                     A.height == B.height;
                            });
  if (Same) {
    return;
  }
  FShape.swap(FNextShape);
  // The region is y-x banded already, which lets the server skip sorting. The input shape is
  // left alone: the server takes input only inside the bounding shape anyway, and setting both
  // would double the cost of every new outline.
  FContext.Display.SetOutline(FWindow, FShape);
  FShaped = true;
}

bool TX11Window::RegionContains(TPoint APos) const {
  return !FRegion || FRegion->Contains(APos.X, APos.Y);
}

void TX11Window::Notify(const std::function<void(WindowEvents&)>& ACall) {
  if (FEvents == nullptr) {
    return;
  }
  ++FCallbackDepth;
  FContext.Dispatch([&] {
    if (FEvents != nullptr) {
      ACall(*FEvents);
    }
  });
  --FCallbackDepth;
}

TPoint TX11Window::Logical(int AX, int AY) const {
  const int S = FContext.Display.Scale();
  const auto Down = [S](int V) { return V >= 0 ? V / S : -((-V + S - 1) / S); };
  return {Down(AX), Down(AY)};
}

void TX11Window::OnConfigure(const XConfigureEvent& AEvent) {
  // Real events of a reparented window are relative to its frame; the window manager's
  // synthetic ones carry root coordinates. Before reparenting the real events say it all, and
  // a synthetic one describes a frame not placed yet (openbox sends one at 0,0 while answering
  // the request for the frame's extents).
  const bool Synthetic = AEvent.send_event != 0;
  if (Synthetic != (FParent != XNone) || FMovePending) {
    return; // a move not sent yet decides where the window goes
  }
  const TPoint Client{AEvent.x - static_cast<int>(FExtents[0]),
                      AEvent.y - static_cast<int>(FExtents[2])};
  const TPoint Outer = Logical(Client.X, Client.Y);
  if (Outer == FExpected || !FWanted) {
    return;
  }
  if (FBorder == TWindowBorder::None) {
    // Without a caption nobody but the program moves such a window: another position is the
    // window manager's own placement or the late echo of an earlier of two quick moves.
    MoveToExpected();
    return;
  }
  FExpected = Outer;
  Notify([&](WindowEvents& E) { E.Moved(Outer); });
}

void TX11Window::OnMap() {
  FMapped = true;
  ReassertStates();
  if (FClosable) {
    RequestActivation(); // a modal box takes the keyboard, so Enter and Escape reach it
  }
  Invalidate(std::nullopt);
  ReportFrame();
}

void TX11Window::OnReparent(const XReparentEvent& AEvent) {
  const Window Root = FContext.Display.Root();
  Window Parent = AEvent.parent;
  bool Mapped = FMapped;
  if (FWatched != XNone) {
    // Heard through the frame it leaves. Its own events are selected again from here on; a new
    // parent may already have taken it and mapped it, so where and how it is now is asked.
    WatchFrame(XNone);
    Window QueriedRoot = XNone;
    Window* Children = nullptr;
    unsigned Count = 0;
    if (XQueryTree(FDpy, FWindow, &QueriedRoot, &Parent, &Children, &Count) == 0) {
      Parent = Root;
    }
    if (Children != nullptr) {
      XFree(Children);
    }
    XWindowAttributes Attributes;
    Mapped =
        XGetWindowAttributes(FDpy, FWindow, &Attributes) != 0 && Attributes.map_state != IsUnmapped;
  }
  FParent = Parent != Root ? Parent : XNone;
  if (Mapped && !FMapped) {
    OnMap();
  } else if (!Mapped) {
    FMapped = false;
  }
}

void TX11Window::OnUnmap() {
  FMapped = false;
  if (!FWanted) {
    return; // our own withdrawal
  }
  // Minimised by the desktop. Without a taskbar entry it could never come back, and the
  // program would take it for visible: a window with a caption asks to close instead (which
  // hides it), a frameless one comes straight back.
  if (FBorder != TWindowBorder::None && FSkipTaskbar) {
    Notify([](WindowEvents& E) { E.CloseRequest(); });
  }
  if (FWanted) {
    XMapWindow(FDpy, FWindow);
  }
}

void TX11Window::OnProperty(const XPropertyEvent& AEvent) {
  if (AEvent.atom != FContext.Display.Atoms().NetFrameExtents) {
    return;
  }
  ReadFrameExtents();
  ReportFrame();
}

void TX11Window::ReportFrame() {
  // The window manager frames a shown window after mapping it, and its extents may arrive
  // before or after the mapping: the window layer learns of the frame through a move of the
  // frame's corner, which north-west gravity keeps where the window was put. A borderless
  // window gets no frame.
  if (FWanted && FBorder != TWindowBorder::None) {
    const TPoint Outer = FExpected;
    Notify([&](WindowEvents& E) { E.Moved(Outer); });
  }
}

void TX11Window::ReadFrameExtents() {
  Atom Type = XNone;
  int Format = 0;
  unsigned long Count = 0, After = 0;
  unsigned char* Data = nullptr;
  if (XGetWindowProperty(FDpy, FWindow, FContext.Display.Atoms().NetFrameExtents, 0, 4, False,
                         XA_CARDINAL, &Type, &Format, &Count, &After, &Data) == Success &&
      Data != nullptr) {
    if (Format == 32 && Count == 4) {
      const auto* Values = reinterpret_cast<const long*>(Data);
      std::copy(Values, Values + 4, FExtents);
    }
    XFree(Data);
  }
}

void TX11Window::Raise() {
  XRaiseWindow(FDpy, FWindow);
}

void TX11Window::AddButton(TX11Button* AButton) {
  FButtons.push_back(AButton);
  std::stable_sort(FButtons.begin(), FButtons.end(), [](const TX11Button* A, const TX11Button* B) {
    return A->TabOrder() < B->TabOrder();
  });
}

void TX11Window::RemoveButton(TX11Button* AButton) {
  std::erase(FButtons, AButton);
  if (FFocusButton == AButton) {
    FFocusButton = nullptr;
  }
}

void TX11Window::FocusButton(TX11Button* AButton) {
  if (FFocusButton != nullptr && FFocusButton != AButton) {
    FFocusButton->SetFocused(false);
  }
  FFocusButton = AButton;
  if (AButton != nullptr) {
    AButton->SetFocused(true);
  }
}

void TX11Window::FocusFirstButton() {
  if (FFocusButton != nullptr && FFocusButton->Focusable()) {
    return;
  }
  const auto It = std::find_if(FButtons.begin(), FButtons.end(),
                               [](const TX11Button* B) { return B->Focusable(); });
  FocusButton(It != FButtons.end() ? *It : nullptr);
}

bool TX11Window::MoveButtonFocus(bool AForward) {
  std::vector<TX11Button*> Order;
  std::copy_if(FButtons.begin(), FButtons.end(), std::back_inserter(Order),
               [](const TX11Button* B) { return B->Focusable(); });
  if (Order.empty()) {
    return false;
  }
  const auto It = std::find(Order.begin(), Order.end(), FFocusButton);
  std::size_t Index = 0;
  if (It != Order.end()) {
    const std::size_t Here = static_cast<std::size_t>(It - Order.begin());
    Index = AForward ? (Here + 1) % Order.size() : (Here + Order.size() - 1) % Order.size();
  }
  FocusButton(Order[Index]);
  return true;
}

void TX11Window::OnKey(XKeyEvent& AEvent) {
  const KeySym Sym = XLookupKeysym(&AEvent, 0);
  const bool Plain = (AEvent.state & (ControlMask | Mod1Mask)) == 0;
  if (Plain && FFocusButton != nullptr && FFocusButton->Focusable() &&
      (Sym == XK_space || Sym == XK_Return || Sym == XK_KP_Enter)) {
    FFocusButton->Click();
    return;
  }
  if (Plain && (Sym == XK_Tab || Sym == XK_ISO_Left_Tab) &&
      MoveButtonFocus(Sym == XK_Tab && (AEvent.state & ShiftMask) == 0)) {
    return;
  }
  if (const auto ShortCut = ShortCutOf(Sym, AEvent.state)) {
    Notify([&](WindowEvents& E) { E.KeyDown(*ShortCut); });
  }
}

void TX11Window::OnFocus(const XFocusChangeEvent& AEvent) {
  // Grabs (her own menu's among them) do not move the focus away from the program.
  if (AEvent.mode != NotifyNormal && AEvent.mode != NotifyWhileGrabbed) {
    return;
  }
  if (AEvent.detail == NotifyPointer) {
    return;
  }
  FFocused = AEvent.type == FocusIn;
  if (FFocused) {
    FocusFirstButton();
  }
}

void TX11Window::Handle(XEvent& AEvent) {
  switch (AEvent.type) {
  case Expose: {
    if (FBackdrop != XNone) {
      break; // the server fills it from the background picture itself
    }
    const TPoint From = Logical(AEvent.xexpose.x, AEvent.xexpose.y);
    const TPoint To =
        Logical(AEvent.xexpose.x + AEvent.xexpose.width + FContext.Display.Scale() - 1,
                AEvent.xexpose.y + AEvent.xexpose.height + FContext.Display.Scale() - 1);
    Invalidate(TRect{From.X, From.Y, To.X, To.Y});
    break;
  }
  case MotionNotify: {
    // Only the latest position matters; older ones still queued are dropped.
    while (XCheckTypedWindowEvent(FDpy, FWindow, MotionNotify, &AEvent)) {
    }
    const TShiftState S = ShiftStateOf(AEvent.xmotion.state);
    const TPoint P = Logical(AEvent.xmotion.x, AEvent.xmotion.y);
    Notify([&](WindowEvents& E) { E.MouseMove(S, P); });
    break;
  }
  case LeaveNotify:
    if (AEvent.xcrossing.mode == NotifyNormal && AEvent.xcrossing.detail != NotifyInferior) {
      Notify([](WindowEvents& E) { E.MouseLeave(); });
    }
    break;
  case ButtonPress:
  case ButtonRelease: {
    const auto Button = MouseButtonOf(AEvent.xbutton.button);
    if (!Button) {
      break;
    }
    const bool Down = AEvent.type == ButtonPress;
    if (Down && !FFocused && FMapped) {
      // A click gives the window the keyboard at once, in the server's order of events: a key
      // pressed right after it must not go to the window that had the focus before.
      FocusUnlessUnmapped(FDpy, FWindow, AEvent.xbutton.time);
    }
    const TShiftState S = Down ? ShiftStateOf(AEvent.xbutton.state, Button)
                               : ShiftStateOf(AEvent.xbutton.state, std::nullopt, Button);
    const TPoint P = Logical(AEvent.xbutton.x, AEvent.xbutton.y);
    if (Down) {
      Notify([&](WindowEvents& E) { E.MouseDown(*Button, S, P); });
    } else {
      Notify([&](WindowEvents& E) { E.MouseUp(*Button, S, P); });
    }
    break;
  }
  case KeyPress:
    OnKey(AEvent.xkey);
    break;
  case ClientMessage:
    if (AEvent.xclient.message_type == FContext.Display.Atoms().WmProtocols &&
        static_cast<Atom>(AEvent.xclient.data.l[0]) == FContext.Display.Atoms().WmDeleteWindow) {
      Notify([](WindowEvents& E) { E.CloseRequest(); });
    }
    break;
  case ConfigureNotify:
    OnConfigure(AEvent.xconfigure);
    break;
  case ReparentNotify:
    OnReparent(AEvent.xreparent);
    break;
  case MapNotify:
    OnMap();
    break;
  case UnmapNotify:
    OnUnmap();
    break;
  case PropertyNotify:
    OnProperty(AEvent.xproperty);
    break;
  case VisibilityNotify:
    FObscured = AEvent.xvisibility.state != VisibilityUnobscured;
    break;
  case FocusIn:
  case FocusOut:
    OnFocus(AEvent.xfocus);
    break;
  default:
    break;
  }
}

} // namespace nyarumi::x11

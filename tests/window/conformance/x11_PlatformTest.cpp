// What the X11 backend shows other programs and the window manager, read back from a real
// server (run through with_x.sh): window hints before mapping, moves and what a framed window
// still hears of the window manager, the popup menu's keyboard, the clipboard's answers and its
// hand-over to a clipboard manager, which paints are shown as a window background, that a shown
// frame covers her whole window, and her outline as the server holds it.
#include <gtest/gtest.h>

#include "shape/Region.h"
#include "shell/platform/x11_backdrop.h"
#include "shell/platform/x11_clipboard.h"
#include "shell/platform/x11_platform.h"
#include "tests/window/conformance/x11_WindowManagerQuiet.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>
#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <array>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace nyarumi::x11 {
namespace {

class TQuiet : public WindowEvents {
public:
  void Paint(Canvas&, const TRect&) override {}
  void MouseMove(TShiftState, TPoint) override {}
  void MouseLeave() override {}
  void MouseDown(TMouseButton, TShiftState, TPoint) override { ++Presses; }
  void MouseUp(TMouseButton, TShiftState, TPoint) override {}
  bool KeyDown(TShortCut) override { return false; }
  void CloseRequest() override {}
  void Moved(TPoint) override {}
  int Presses = 0;
};

class TMoves final : public TQuiet {
public:
  std::function<void(TPoint)> OnMoved;
  void Moved(TPoint AOuterTopLeft) override { OnMoved(AOuterTopLeft); }
};

class X11Platform : public ::testing::Test {
protected:
  // Constructed before the platform connects.
  struct TQuietManager {
    TQuietManager() { AwaitWindowManagerQuiet(); }
  } Quiet;
  TX11Platform P{"/nonexistent/settings.ini"};
  TQuiet Events;
  Display* Dpy() { return P.DisplayOf().Dpy(); }

  // Shows her frameless window at 100,100 and returns once the window manager, watched through
  // another connection that keeps her structure events selected, has finished taking it over.
  Window ShowManaged(Display* AOther) {
    TWindowParams Main;
    Main.OuterTopLeft = {100, 100};
    Main.ClientWidth = 88;
    Main.ClientHeight = 154;
    const WindowId W = P.CreateNativeWindow(Main, Events);
    const Window Her = P.NativeWindowId(W);
    XSelectInput(AOther, Her, StructureNotifyMask);
    XSync(AOther, False);
    P.SetWindowVisible(W, true);
    // Her platform keeps running while the other connection waits: mapping may take more than
    // one round of its loop.
    XEvent E;
    while (!XCheckTypedWindowEvent(AOther, Her, MapNotify, &E)) {
      P.ProcessMessages();
    }
    // The client is mapped before its frame: wait until the window manager has finished taking
    // it over, or it may still place the frame after later moves and never echo them.
    const Window Root = DefaultRootWindow(AOther);
    const auto Listed = [&] {
      const auto Clients = Property(AOther, Root, "_NET_CLIENT_LIST", XA_WINDOW);
      return std::find(Clients.begin(), Clients.end(), static_cast<long>(Her)) != Clients.end();
    };
    while (!Listed()) {
      P.ProcessMessages();
    }
    Shown = W;
    return Her;
  }

  // Moves her and waits until the window manager's answer to the last move has come.
  void MoveAndAwaitEcho(Display* AOther, Window AHer, std::vector<std::pair<int, int>> AMoves,
                        std::vector<std::pair<int, int>>& ASeen) {
    for (const auto& [X, Y] : AMoves) {
      P.SetWindowGeometry(Shown, {X, Y}, 88, 154);
    }
    XEvent E;
    while (ASeen.empty() || ASeen.back() != AMoves.back()) {
      P.ProcessMessages();
      if (XCheckTypedWindowEvent(AOther, AHer, ConfigureNotify, &E) && E.xconfigure.send_event) {
        ASeen.emplace_back(E.xconfigure.x, E.xconfigure.y);
      }
    }
  }

  WindowId Shown{};
};

TEST_F(X11Platform, WindowsCarryTheirHintsBeforeTheWindowManagerSeesThem) {
  TWindowParams Main;
  Main.ClientWidth = 88;
  Main.ClientHeight = 154;
  Main.StayOnTop = true;
  Main.Caption = "Nyarumi Café";
  const Window Her = P.NativeWindowId(P.CreateNativeWindow(Main, Events));
  TWindowParams About = Main;
  About.Border = TWindowBorder::ToolWindow;
  About.StayOnTop = false;
  About.Caption = "バージョン情報";
  const Window Box = P.NativeWindowId(P.CreateNativeWindow(About, Events));
  XSync(Dpy(), False);

  const Atom Above = XInternAtom(Dpy(), "_NET_WM_STATE_ABOVE", False);
  const Atom Skip = XInternAtom(Dpy(), "_NET_WM_STATE_SKIP_TASKBAR", False);
  const auto HerStates = Property(Dpy(), Her, "_NET_WM_STATE", XA_ATOM);
  EXPECT_NE(std::find(HerStates.begin(), HerStates.end(), static_cast<long>(Above)),
            HerStates.end());
  EXPECT_NE(std::find(HerStates.begin(), HerStates.end(), static_cast<long>(Skip)),
            HerStates.end());
  const auto BoxStates = Property(Dpy(), Box, "_NET_WM_STATE", XA_ATOM);
  EXPECT_EQ(std::find(BoxStates.begin(), BoxStates.end(), static_cast<long>(Above)),
            BoxStates.end());

  // Motif hints: flags, functions, decorations. Her window has no frame at all; the About
  // window a caption and a border, and may only be moved: no title-bar buttons.
  const Atom Motif = XInternAtom(Dpy(), "_MOTIF_WM_HINTS", False);
  EXPECT_EQ(Property(Dpy(), Her, "_MOTIF_WM_HINTS", Motif), (std::vector<long>{3, 4, 0, 0, 0}));
  EXPECT_EQ(Property(Dpy(), Box, "_MOTIF_WM_HINTS", Motif), (std::vector<long>{3, 4, 10, 0, 0}));
  EXPECT_EQ(Property(Dpy(), Her, "_NET_WM_PID", XA_CARDINAL),
            (std::vector<long>{static_cast<long>(getpid())}));
  XClassHint Class{};
  ASSERT_TRUE(XGetClassHint(Dpy(), Her, &Class));
  EXPECT_STREQ(Class.res_class, "Nyarumi");
  XFree(Class.res_name);
  XFree(Class.res_class);

  // Programs that read only WM_NAME decode it by its type: it must not be UTF-8 called STRING.
  XTextProperty Name{};
  ASSERT_TRUE(XGetWMName(Dpy(), Box, &Name));
  char** List = nullptr;
  int Count = 0;
  ASSERT_EQ(Xutf8TextPropertyToTextList(Dpy(), &Name, &List, &Count), Success);
  ASSERT_EQ(Count, 1);
  EXPECT_STREQ(List[0], "バージョン情報");
  XFreeStringList(List);
  XFree(Name.value);
  // A caption Latin-1 can hold goes as Latin-1 STRING.
  ASSERT_TRUE(XGetWMName(Dpy(), Her, &Name));
  EXPECT_EQ(Name.encoding, XA_STRING);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(Name.value), Name.nitems), "Nyarumi Caf\xE9");
  XFree(Name.value);
}

TEST_F(X11Platform, AFrameAddedAfterShowingIsReportedAsAMoveOnceItsSizeIsKnown) {
  TMoves Moves;
  TWindowParams About;
  About.OuterTopLeft = {40, 30};
  About.ClientWidth = 325;
  About.ClientHeight = 124;
  About.Border = TWindowBorder::ToolWindow;
  const WindowId W = P.CreateNativeWindow(About, Moves);
  std::optional<TRect> Frame;
  std::optional<TPoint> Corner;
  Moves.OnMoved = [&](TPoint AOuterTopLeft) {
    if (const TRect E = P.FrameExtents(W); E != TRect{}) {
      Frame = E;
      Corner = AOuterTopLeft;
    }
  };
  P.SetWindowVisible(W, true);
  // Waits on the window manager's framing; without the report this never ends (test timeout).
  P.RunUntil([&] { return Frame.has_value(); });
  EXPECT_GT(Frame->Top, 0) << "openbox gives a captioned window a title bar";
  EXPECT_EQ(*Corner, About.OuterTopLeft) << "nobody moved it: the frame's corner stays put";
}

// Her step sets top and then left: the server must see one move, straight to where she ends,
// or the window manager moves her frame twice and echoes a place she never meant to be.
TEST_F(X11Platform, AStepOfTopAndLeftIsOneMove) {
  Display* Other = XOpenDisplay(nullptr);
  ASSERT_NE(Other, nullptr);
  const Window Her = ShowManaged(Other);
  std::vector<std::pair<int, int>> Seen;
  MoveAndAwaitEcho(Other, Her, {{100, 110}, {120, 110}}, Seen);
  EXPECT_EQ(std::count(Seen.begin(), Seen.end(), std::pair{100, 110}), 0);
  XCloseDisplay(Other);
}

// Each frame she shows covers her whole window at once, on screen and not only in exposures.
TEST_F(X11Platform, AShownPictureCoversHerWholeWindow) {
  Display* Other = XOpenDisplay(nullptr);
  ASSERT_NE(Other, nullptr);
  const Window Her = ShowManaged(Other);
  XWindowAttributes Attributes{};
  // Shown after she is on screen, so the server has no exposure to fill from the picture.
  while (XGetWindowAttributes(Dpy(), Her, &Attributes) != 0 && Attributes.map_state != IsViewable) {
    P.ProcessMessages();
  }
  ASSERT_EQ(Attributes.map_state, IsViewable);
  const TX11Display& D = P.DisplayOf();
  const int S = D.Scale();
  const TRect Whole{0, 0, 88, 154};
  std::vector<std::shared_ptr<const TBitmap8>> Frames; // pictures are found by owner while it lives
  for (const std::uint8_t Index : {0, 1}) {
    auto B = std::make_shared<const TBitmap8>(TBitmap8{
        88, 154, {{200, 40, 60}, {30, 90, 220}}, std::vector<std::uint8_t>(88 * 154, Index)});
    Frames.push_back(B);
    ASSERT_TRUE(P.ShowPicture(Shown, TPictureRef{B.get(), nullptr, 0, 0, B}, Whole));
    XImage* Image = XGetImage(Dpy(), Her, 0, 0, static_cast<unsigned>(88 * S),
                              static_cast<unsigned>(154 * S), AllPlanes, ZPixmap);
    ASSERT_NE(Image, nullptr);
    const unsigned long Want = D.PixelOf(Index == 0 ? 0xC8283C : 0x1E5ADC);
    int Wrong = 0;
    for (int Y = 0; Y < 154 * S; ++Y) {
      for (int X = 0; X < 88 * S; ++X) {
        Wrong += XGetPixel(Image, X, Y) != Want ? 1 : 0;
      }
    }
    XDestroyImage(Image);
    EXPECT_EQ(Wrong, 0) << "frame " << int{Index};
  }
  XCloseDisplay(Other);
}

// Her outline reaches the server rectangle for rectangle, in device pixels, and comes off again;
// one too large for a single request arrives whole, a piece beyond what the protocol can name
// is left out. Read back through another connection and another client library.
TEST_F(X11Platform, HerOutlineReachesTheServerAndComesOff) {
  TWindowParams Main;
  Main.ClientWidth = 600;
  Main.ClientHeight = 280;
  const WindowId W = P.CreateNativeWindow(Main, Events);
  const Window Her = P.NativeWindowId(W);
  xcb_connection_t* C = xcb_connect(nullptr, nullptr);
  ASSERT_EQ(xcb_connection_has_error(C), 0);
  const auto Bounding = [&] {
    XSync(Dpy(), False);
    std::vector<TRect> Got;
    xcb_shape_get_rectangles_reply_t* R = xcb_shape_get_rectangles_reply(
        C, xcb_shape_get_rectangles(C, Her, XCB_SHAPE_SK_BOUNDING), nullptr);
    for (int I = 0; R != nullptr && I < xcb_shape_get_rectangles_rectangles_length(R); ++I) {
      const xcb_rectangle_t& X = xcb_shape_get_rectangles_rectangles(R)[I];
      Got.push_back({X.x, X.y, X.x + X.width, X.y + X.height});
    }
    std::free(R);
    return Got;
  };
  std::vector<TRect> Dots; // a pixel every other column: 34 000 rectangles
  for (int Y = 0; Y < 2 * 136; Y += 2) {
    for (int X = 0; X < 2 * 250; X += 2) {
      Dots.push_back({X, Y, X + 1, Y + 1});
    }
  }
  const int S = P.DisplayOf().Scale();
  const std::vector<TRect> Simple{{0, 0, 10, 5}, {30, 0, 40, 5}, {5, 5, 60, 130}};
  // Beyond 16 bits a coordinate would wrap round, this piece onto the window's top left.
  const int Wrapped = 65536 / S + 20;
  const struct {
    std::vector<TRect> Rects, Want;
  } Cases[] = {
      {Simple, Simple},
      {Dots, Dots},
      {{{0, 0, 10, 5}, {Wrapped, 0, Wrapped + 10, 5}}, {{0, 0, 10, 5}}},
  };
  for (const auto& [Rects, Want] : Cases) {
    const RegionId Id = P.ExtCreateRegion(TRegion::FromRects(Rects).ToRecord());
    ASSERT_NE(Id, RegionId::None);
    ASSERT_NE(P.SetWindowRgn(W, Id, true), 0);
    std::vector<TRect> Device;
    for (const TRect& R : Want) {
      Device.push_back({R.Left * S, R.Top * S, R.Right * S, R.Bottom * S});
    }
    EXPECT_EQ(Bounding(), Device) << Rects.size() << " rectangles";
  }
  ASSERT_NE(P.SetWindowRgn(W, RegionId::None, true), 0);
  EXPECT_EQ(Bounding(), (std::vector<TRect>{{0, 0, 600 * S, 280 * S}})) << "the whole window";
  xcb_shape_query_extents_reply_t* Extents =
      xcb_shape_query_extents_reply(C, xcb_shape_query_extents(C, Her), nullptr);
  ASSERT_NE(Extents, nullptr);
  EXPECT_EQ(Extents->bounding_shaped, 0);
  std::free(Extents);
  xcb_disconnect(C);
  P.DestroyNativeWindow(W);
}

// Once she has moved, the window manager's answers to her moves no longer wake her: she hears
// of her mapping through her frame instead. Minimised by the desktop, she still comes back.
TEST_F(X11Platform, AfterHerFirstMoveSheHearsOfHerMappingThroughHerFrame) {
  Display* Other = XOpenDisplay(nullptr);
  ASSERT_NE(Other, nullptr);
  const Window Her = ShowManaged(Other);
  std::vector<std::pair<int, int>> Seen;
  MoveAndAwaitEcho(Other, Her, {{130, 100}}, Seen);
  XWindowAttributes Attributes;
  ASSERT_NE(XGetWindowAttributes(Dpy(), Her, &Attributes), 0);
  EXPECT_EQ(Attributes.your_event_mask & StructureNotifyMask, 0);

  XEvent Iconify{};
  Iconify.xclient.type = ClientMessage;
  Iconify.xclient.window = Her;
  Iconify.xclient.message_type = XInternAtom(Other, "WM_CHANGE_STATE", False);
  Iconify.xclient.format = 32;
  Iconify.xclient.data.l[0] = IconicState;
  XSendEvent(Other, DefaultRootWindow(Other), False,
             SubstructureRedirectMask | SubstructureNotifyMask, &Iconify);
  XFlush(Other);
  // Without her frame's events she would never learn of the unmapping (test timeout).
  XEvent E;
  while (!XCheckTypedWindowEvent(Other, Her, UnmapNotify, &E)) {
    P.ProcessMessages();
  }
  while (!XCheckTypedWindowEvent(Other, Her, MapNotify, &E)) {
    P.ProcessMessages();
  }

  // Another window manager replaces this one while her platform is not looking: the old one
  // gives her back to the root, which she hears of through the old frame, and the new one frames
  // her again, which she must find out herself to keep its answers away after her next step.
  Window Unused = XNone, Old = XNone, *Children = nullptr;
  unsigned Count = 0;
  XQueryTree(Other, Her, &Unused, &Old, &Children, &Count);
  XFree(Children);
  ASSERT_EQ(std::system("openbox --replace --sm-disable >/dev/null 2>&1 &"), 0);
  const Window Root = DefaultRootWindow(Other);
  do {
    XWindowEvent(Other, Her, StructureNotifyMask, &E);
  } while (E.type != ReparentNotify || E.xreparent.parent == Root || E.xreparent.parent == Old);
  XSync(Dpy(), False); // her events of the change are in, the new manager's answers need not be
  P.SetWindowGeometry(Shown, {140, 100}, 88, 154);
  P.ProcessMessages();
  ASSERT_NE(XGetWindowAttributes(Dpy(), Her, &Attributes), 0);
  EXPECT_EQ(Attributes.your_event_mask & StructureNotifyMask, 0);
  XCloseDisplay(Other);
}

// A click read after the window manager has unmapped her (on a change of desktop, say) asks for
// the keyboard for a window that can no longer take it: she goes on.
TEST_F(X11Platform, AClickReadAfterHerWindowWasUnmappedCostsNothing) {
  Display* Other = XOpenDisplay(nullptr);
  ASSERT_NE(Other, nullptr);
  const Window Her = ShowManaged(Other);
  XEvent Click{};
  Click.xbutton.type = ButtonPress;
  Click.xbutton.window = Her;
  Click.xbutton.root = DefaultRootWindow(Other);
  Click.xbutton.button = Button1;
  Click.xbutton.same_screen = True;
  XSendEvent(Other, Her, False, ButtonPressMask, &Click);
  XUnmapWindow(Other, Her);
  XSync(Other, False);
  while (Events.Presses == 0) {
    P.ProcessMessages();
  }
  XSync(Dpy(), False); // reads whatever error the server sent her
  EXPECT_EQ(Events.Presses, 1);
  XCloseDisplay(Other);
}

TEST_F(X11Platform, TheMenuAnswersArrowsAccessKeysAndEscape) {
  std::vector<TMenuEntry> Entries(5);
  Entries[0].Separator = true;
  Entries[1].Caption = "&Open";
  Entries[2].Caption = "&Gone";
  Entries[2].Enabled = false;
  Entries[3].Caption = "コピー(&C)";
  Entries[3].ShortCutText = "Ctrl+C";
  Entries[4].Caption = "&Quit";
  struct Case {
    const char* Keys;
    int Chosen;
  };
  const Case Cases[] = {
      {"g c", 3},              // a disabled entry's key does nothing
      {"Down Down Return", 3}, // the highlight passes the disabled entry
      {"Up Return", 4},        // and wraps from the top to the last
      {"Escape", -1},
      {"Q", 4}, // either case
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Keys);
    // Typed while the menu is open: timers keep running in its modal loop.
    const std::string Command = std::string("xdotool key ") + C.Keys;
    const TimerId T = P.SetTimer(50, [&] { ASSERT_EQ(std::system(Command.c_str()), 0); });
    EXPECT_EQ(P.PopupMenu({100, 100}, Entries), C.Chosen);
    P.KillTimer(T);
  }
  // Its Japanese and Latin text came from font files read piece by piece: a mapped font would
  // bring in its pages 64 KB at a time around every glyph.
  std::ifstream Maps("/proc/self/maps");
  for (std::string Line; std::getline(Maps, Line);) {
    for (const char* Font : {".ttf", ".otf", ".ttc", ".pfb", ".pcf"}) {
      EXPECT_EQ(Line.find(Font), std::string::npos) << Line;
    }
  }
}

// A property's type and its bytes (format 8) or values (format 32).
struct TConversion {
  Atom Type = XNone;
  std::string Bytes;
  std::vector<long> Values;
};

// Reads and deletes a property, as a requestor takes a converted selection.
TConversion Take(Display* ADpy, Window AWindow, Atom AProperty) {
  TConversion Result;
  int Format = 0;
  unsigned long Count = 0, After = 0;
  unsigned char* Data = nullptr;
  if (XGetWindowProperty(ADpy, AWindow, AProperty, 0, 1024, True, AnyPropertyType, &Result.Type,
                         &Format, &Count, &After, &Data) == Success &&
      Data != nullptr) {
    if (Format == 8) {
      Result.Bytes.assign(reinterpret_cast<const char*>(Data), Count);
    } else if (Format == 32) {
      Result.Values.assign(reinterpret_cast<const long*>(Data),
                           reinterpret_cast<const long*>(Data) + Count);
    }
    XFree(Data);
  }
  return Result;
}

// What another client gets when it asks for the clipboard as ATarget at ATime; nothing when the
// owner refused.
std::optional<TConversion> ConvertClipboard(TX11Platform& AP, Display* AOther, Window AInto,
                                            Atom ATarget, Time ATime = CurrentTime) {
  const Atom Into = XInternAtom(AOther, "TEST_INTO", False);
  XConvertSelection(AOther, XInternAtom(AOther, "CLIPBOARD", False), ATarget, Into, AInto, ATime);
  XFlush(AOther);
  XEvent E;
  while (!XCheckTypedWindowEvent(AOther, AInto, SelectionNotify, &E)) {
    AP.ProcessMessages();
  }
  if (E.xselection.property == XNone) {
    return std::nullopt;
  }
  return Take(AOther, AInto, E.xselection.property);
}

TEST_F(X11Platform, TheClipboardAnswersEachTargetAsOtherClientsExpect) {
  Display* Other = XOpenDisplay(nullptr);
  ASSERT_NE(Other, nullptr);
  const Window Me = XCreateSimpleWindow(Other, DefaultRootWindow(Other), 0, 0, 1, 1, 0, 0, 0);
  const auto A = [&](const char* AName) { return XInternAtom(Other, AName, False); };
  const auto Has = [](const std::vector<long>& AList, Atom AAtom) {
    return std::find(AList.begin(), AList.end(), static_cast<long>(AAtom)) != AList.end();
  };
  const struct {
    const char* Text;
    const char* Target;
    const char* Type; // nullptr: refused
    std::string Bytes;
  } Cases[] = {
      {"café", "UTF8_STRING", "UTF8_STRING", "café"},
      {"café", "TEXT", "UTF8_STRING", "café"},
      {"café", "STRING", "STRING", "caf\xe9"},
      {"ねこ", "UTF8_STRING", "UTF8_STRING", "ねこ"},
      {"ねこ", "STRING", nullptr, ""}, // not Latin-1
      {"ねこ", "PIXMAP", nullptr, ""},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(std::string(C.Text) + " as " + C.Target);
    P.SetClipboardText(C.Text);
    const auto Got = ConvertClipboard(P, Other, Me, A(C.Target));
    ASSERT_EQ(Got.has_value(), C.Type != nullptr);
    if (Got) {
      EXPECT_EQ(Got->Type, A(C.Type));
      EXPECT_EQ(Got->Bytes, C.Bytes);
    }
    const auto Targets = ConvertClipboard(P, Other, Me, A("TARGETS"));
    ASSERT_TRUE(Targets);
    for (const char* T : {"TARGETS", "UTF8_STRING", "TEXT", "TIMESTAMP", "MULTIPLE"}) {
      EXPECT_TRUE(Has(Targets->Values, A(T))) << T;
    }
    EXPECT_EQ(Has(Targets->Values, XA_STRING), std::string(C.Text) == "café");
  }

  // The claim is made at a real server time, and a request from before it is refused.
  P.SetClipboardText("ねこ");
  const auto Stamp = ConvertClipboard(P, Other, Me, A("TIMESTAMP"));
  ASSERT_TRUE(Stamp);
  ASSERT_EQ(Stamp->Values.size(), 1u);
  const auto Claimed = static_cast<Time>(static_cast<std::uint32_t>(Stamp->Values[0]));
  EXPECT_NE(Claimed, static_cast<Time>(CurrentTime));
  EXPECT_FALSE(ConvertClipboard(P, Other, Me, A("UTF8_STRING"), Claimed - 1));
  EXPECT_TRUE(ConvertClipboard(P, Other, Me, A("UTF8_STRING"), Claimed));

  // MULTIPLE answers each pair it can and sets None for the others.
  const long Pairs[] = {static_cast<long>(A("UTF8_STRING")), static_cast<long>(A("TEST_ONE")),
                        static_cast<long>(A("PIXMAP")), static_cast<long>(A("TEST_TWO"))};
  XChangeProperty(Other, Me, A("TEST_INTO"), A("ATOM_PAIR"), 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(Pairs), 4);
  const auto Each = ConvertClipboard(P, Other, Me, A("MULTIPLE"));
  ASSERT_TRUE(Each);
  EXPECT_EQ(Each->Type, A("ATOM_PAIR"));
  EXPECT_EQ(Each->Values, (std::vector<long>{Pairs[0], Pairs[1], Pairs[2], XNone}));
  EXPECT_EQ(Take(Other, Me, A("TEST_ONE")).Bytes, "ねこ");

  // A clear that she reads only after claiming the clipboard again belonged to the older claim.
  XSetSelectionOwner(Other, A("CLIPBOARD"), Me, CurrentTime);
  XSync(Other, False);
  P.SetClipboardText("ねこ");
  EXPECT_TRUE(ConvertClipboard(P, Other, Me, A("UTF8_STRING")));

  // A requestor whose window is gone before the answer costs her nothing: she answers the next.
  const Window Gone = XCreateSimpleWindow(Other, DefaultRootWindow(Other), 0, 0, 1, 1, 0, 0, 0);
  XConvertSelection(Other, A("CLIPBOARD"), A("UTF8_STRING"), A("TEST_INTO"), Gone, CurrentTime);
  XDestroyWindow(Other, Gone);
  XSync(Other, False);
  const auto After = ConvertClipboard(P, Other, Me, A("UTF8_STRING"));
  XSync(Dpy(), False); // reads whatever error the server sent her for the vanished window
  ASSERT_TRUE(After);
  EXPECT_EQ(After->Bytes, "ねこ");
  XDestroyWindow(Other, Me);
  XCloseDisplay(Other);
}

// A clipboard manager in a thread, on an xcb connection of its own: asked to save, it reads
// CLIPBOARD as UTF8_STRING, then confirms. A client message to its window ends it.
class TClipboardManager {
public:
  TClipboardManager() : FC(xcb_connect(nullptr, nullptr)), FWindow(xcb_generate_id(FC)) {
    xcb_create_window(FC, XCB_COPY_FROM_PARENT, FWindow,
                      xcb_setup_roots_iterator(xcb_get_setup(FC)).data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_set_selection_owner(FC, FWindow, Intern("CLIPBOARD_MANAGER"), XCB_CURRENT_TIME);
    Intern("TEST_SAVED"); // a round trip: the manager runs before she can look for it
    FThread = std::thread([this] { Serve(); });
  }
  ~TClipboardManager() {
    if (FThread.joinable()) {
      FThread.join();
    }
    xcb_disconnect(FC);
  }
  Window Id() const { return FWindow; }
  std::string Saved() {
    FThread.join();
    return FText;
  }

private:
  using TEvent = std::unique_ptr<xcb_generic_event_t, decltype(&std::free)>;

  xcb_atom_t Intern(const char* AName) {
    const TEvent Reply(reinterpret_cast<xcb_generic_event_t*>(xcb_intern_atom_reply(
                           FC, xcb_intern_atom(FC, 0, std::strlen(AName), AName), nullptr)),
                       &std::free);
    return reinterpret_cast<xcb_intern_atom_reply_t*>(Reply.get())->atom;
  }

  // The next event of that type; nothing once told to stop.
  TEvent Await(std::uint8_t AType) {
    for (;;) {
      TEvent E(xcb_wait_for_event(FC), &std::free);
      const int Type = E ? E->response_type & 0x7f : XCB_CLIENT_MESSAGE;
      if (Type == XCB_CLIENT_MESSAGE) {
        return TEvent(nullptr, &std::free);
      }
      if (Type == AType) {
        return E;
      }
    }
  }

  void Serve() {
    const xcb_atom_t SaveTargets = Intern("SAVE_TARGETS"), Into = Intern("TEST_SAVED");
    while (TEvent E = Await(XCB_SELECTION_REQUEST)) {
      const auto Request = *reinterpret_cast<xcb_selection_request_event_t*>(E.get());
      if (Request.target != SaveTargets) {
        continue;
      }
      xcb_convert_selection(FC, FWindow, Intern("CLIPBOARD"), Intern("UTF8_STRING"), Into,
                            Request.time);
      xcb_flush(FC);
      if (!Await(XCB_SELECTION_NOTIFY)) {
        return;
      }
      const TEvent Got(
          reinterpret_cast<xcb_generic_event_t*>(xcb_get_property_reply(
              FC, xcb_get_property(FC, 1, FWindow, Into, XCB_ATOM_ANY, 0, 1024), nullptr)),
          &std::free);
      const auto* Value = reinterpret_cast<xcb_get_property_reply_t*>(Got.get());
      FText.assign(static_cast<const char*>(xcb_get_property_value(Value)),
                   static_cast<std::size_t>(xcb_get_property_value_length(Value)));
      std::array<char, 32> Done{}; // events go as 32 bytes
      const xcb_selection_notify_event_t Notify{XCB_SELECTION_NOTIFY,
                                                0,
                                                0,
                                                Request.time,
                                                Request.requestor,
                                                Request.selection,
                                                Request.target,
                                                Request.property};
      std::memcpy(Done.data(), &Notify, sizeof Notify);
      xcb_send_event(FC, 0, Request.requestor, XCB_EVENT_MASK_NO_EVENT, Done.data());
      xcb_flush(FC);
    }
  }

  xcb_connection_t* FC;
  xcb_window_t FWindow;
  std::string FText;
  std::thread FThread;
};

TEST_F(X11Platform, CopiedTextOutlivesHerWithAClipboardManager) {
  TClipboardManager Manager;
  {
    TX11Display Display;
    TX11Clipboard Clipboard(Display);
    Clipboard.Set("mailto:nyarumi@example.org ねこ");
  } // going, she hands the text over and waits for the manager's answer
  XClientMessageEvent Stop{};
  Stop.type = ClientMessage;
  Stop.window = Manager.Id();
  Stop.format = 32;
  XSendEvent(Dpy(), Manager.Id(), False, 0, reinterpret_cast<XEvent*>(&Stop));
  XFlush(Dpy());
  EXPECT_EQ(Manager.Saved(), "mailto:nyarumi@example.org ねこ");
}

// Her window paints one whole-window frame every tick: that, and only that, becomes the
// window's background; everything else is drawn through the surface, in the order painted.
TEST_F(X11Platform, OnlyAPaintShowingOneWholeWindowPictureBecomesTheBackground) {
  TBitmap8 Frame{4, 3, {{10, 20, 30}, {40, 50, 60}}, std::vector<std::uint8_t>(12, 1)};
  const TPictureRef Ref{.Indexed = &Frame, .Owner = nullptr};
  const TRect Whole{0, 0, 4, 3};
  using TStep = std::function<void(Canvas&)>;
  const TStep Fill = [](Canvas& C) { C.FillRect({0, 0, 4, 3}, TRgb{1, 2, 3}); };
  const TStep Picture = [&](Canvas& C) { C.CopyPicture(Whole, Ref, Whole); };
  const struct {
    const char* Name;
    std::vector<TStep> Steps;
    bool Backdrop;
  } Cases[] = {
      {"a picture over the background", {Fill, Picture}, true},
      {"a fill over the picture", {Picture, Fill}, false},
      {"a spot over the picture",
       {Picture,
        [](Canvas& C) {
          C.FillRect({1, 1, 2, 2}, TRgb{});
        }},
       false},
      {"transparent text over the picture",
       {Picture,
        [](Canvas& C) {
          C.DrawString({0, 0, 4, 3}, "A", TFontDesc{}, {false, true, {}});
        }},
       false},
      {"an empty frame over the picture",
       {Picture,
        [](Canvas& C) {
          C.DrawRectangle({0, 0, 4, 3}, std::nullopt, std::nullopt);
        }},
       true},
      {"a part of the picture",
       {[&](Canvas& C) {
         C.CopyPicture({0, 0, 2, 3}, Ref, {0, 0, 2, 3});
       }},
       false},
      {"the picture stretched",
       {[&](Canvas& C) {
         C.CopyPicture(Whole, Ref, {0, 0, 2, 3});
       }},
       false},
      {"the picture beside the window",
       {[&](Canvas& C) {
         C.CopyPicture({1, 0, 5, 3}, Ref, Whole);
       }},
       false},
  };
  TX11Pictures Pictures(P.DisplayOf());
  for (const auto& Case : Cases) {
    TX11Backdrop Paint(Pictures);
    Paint.Begin(4, 3);
    for (const TStep& Step : Case.Steps) {
      Step(Paint);
    }
    EXPECT_EQ(Paint.Picture() != XNone, Case.Backdrop) << Case.Name;

    struct TLog final : Canvas {
      std::vector<char> Ops;
      void FillRect(const TRect&, TRgb) override { Ops.push_back('f'); }
      void CopyPicture(const TRect&, const TPictureRef&, const TRect&) override {
        Ops.push_back('p');
      }
      void DrawString(const TRect&, std::string_view, const TFontDesc&,
                      const TTextOptions&) override {
        Ops.push_back('t');
      }
      void DrawRectangle(const TRect&, std::optional<TRgb>, std::optional<TRgb>) override {
        Ops.push_back('r');
      }
    } Direct, Replayed;
    for (const TStep& Step : Case.Steps) {
      Step(Direct);
    }
    Paint.Replay(Replayed);
    EXPECT_EQ(Replayed.Ops, Direct.Ops) << Case.Name;
  }

  // The same pixels again give the same pixmap; changed pixels in the same buffer another one.
  std::vector<std::uint32_t> Pixels(12, 0x102030);
  const TPictureRef Rgb{.Rgb32 = Pixels.data(), .Width = 4, .Height = 3, .Owner = nullptr};
  TX11Backdrop Paint(Pictures);
  const auto Show = [&] {
    Paint.Begin(4, 3);
    Paint.CopyPicture(Whole, Rgb, Whole);
    return Paint.Picture();
  };
  const Pixmap First = Show();
  ASSERT_NE(First, XNone);
  EXPECT_EQ(Show(), First);
  Pixels[11] = 0xFFFFFF;
  const Pixmap Changed = Show();
  EXPECT_NE(Changed, First);
  Pixels[11] = 0x102030;
  EXPECT_EQ(Show(), First);

  // Pictures that cannot change are found by their owner, and each part by itself.
  const auto Owned = [](std::uint8_t AIndex) {
    auto B = std::make_shared<const TBitmap8>(
        TBitmap8{4, 3, {{10, 20, 30}, {40, 50, 60}}, std::vector<std::uint8_t>(12, AIndex)});
    return TPictureRef{B.get(), nullptr, 0, 0, B};
  };
  const TPictureRef Dark = Owned(0), Light = Owned(1);
  const Pixmap DarkWhole = Pictures.Get(Dark, Whole);
  const std::size_t Uploads = Pictures.Uploads();
  EXPECT_EQ(Pictures.Get(Dark, Whole), DarkWhole);
  EXPECT_EQ(Pictures.Uploads(), Uploads);
  EXPECT_NE(Pictures.Get(Light, Whole), DarkWhole);
  EXPECT_NE(Pictures.Get(Dark, TRect{0, 0, 2, 3}), DarkWhole);
  EXPECT_EQ(Pictures.Get(Dark, Whole), DarkWhole);

  // An uploaded part holds the part's pixels, scaled; an index past the palette is black.
  TBitmap8 Strip{4, 3, {{10, 20, 30}, {40, 50, 60}}, {0, 1, 2, 0, 1, 0, 1, 2, 2, 2, 0, 1}};
  const TX11Display& D = P.DisplayOf();
  const int S = D.Scale();
  for (const bool Indexed : {true, false}) {
    const std::vector<std::uint32_t> Rgb = PictureRgb({.Indexed = &Strip, .Owner = nullptr}, Whole);
    const TPictureRef Source =
        Indexed ? TPictureRef{.Indexed = &Strip, .Owner = nullptr}
                : TPictureRef{.Rgb32 = Rgb.data(), .Width = 4, .Height = 3, .Owner = nullptr};
    const TRect Part{1, 1, 4, 3};
    const Pixmap Uploaded = Pictures.Get(Source, Part);
    ASSERT_NE(Uploaded, XNone);
    XImage* Image = XGetImage(D.Dpy(), Uploaded, 0, 0, static_cast<unsigned>(3 * S),
                              static_cast<unsigned>(2 * S), AllPlanes, ZPixmap);
    ASSERT_NE(Image, nullptr);
    for (int Y = 0; Y < 2 * S; ++Y) {
      for (int X = 0; X < 3 * S; ++X) {
        const std::uint8_t Index = Strip.At(1 + X / S, 1 + Y / S);
        const std::uint32_t Want = Index == 0 ? 0x0A141E : Index == 1 ? 0x28323C : 0;
        EXPECT_EQ(XGetPixel(Image, X, Y), D.PixelOf(Want))
            << (Indexed ? "indexed " : "32-bit ") << X << "," << Y;
      }
    }
    XDestroyImage(Image);
  }
}

} // namespace
} // namespace nyarumi::x11

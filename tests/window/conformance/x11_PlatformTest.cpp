// What the X11 backend shows other programs and the window manager, read back from a real
// server (run through with_x.sh): window hints before mapping, the popup menu's keyboard, and
// the clipboard's targets.
#include <gtest/gtest.h>

#include "shell/platform/x11_platform.h"

#include <X11/Xatom.h>
#include <unistd.h>

#include <algorithm>

#include <cstdlib>
#include <vector>

namespace nyarumi::x11 {
namespace {

class TQuiet final : public WindowEvents {
public:
  void Paint(Canvas&, const TRect&) override {}
  void MouseMove(TShiftState, TPoint) override {}
  void MouseLeave() override {}
  void MouseDown(TMouseButton, TShiftState, TPoint) override {}
  void MouseUp(TMouseButton, TShiftState, TPoint) override {}
  bool KeyDown(TShortCut) override { return false; }
  void CloseRequest() override {}
  void Moved(TPoint) override {}
};

std::vector<long> Property(Display* ADpy, Window AWindow, const char* AName, Atom AType) {
  Atom Type = 0;
  int Format = 0;
  unsigned long Count = 0, After = 0;
  unsigned char* Data = nullptr;
  std::vector<long> Result;
  if (XGetWindowProperty(ADpy, AWindow, XInternAtom(ADpy, AName, False), 0, 64, False, AType, &Type,
                         &Format, &Count, &After, &Data) == Success &&
      Data != nullptr) {
    const auto* Values = reinterpret_cast<const long*>(Data);
    Result.assign(Values, Values + Count);
    XFree(Data);
  }
  return Result;
}

class X11Platform : public ::testing::Test {
protected:
  TX11Platform P{"/nonexistent/settings.ini"};
  TQuiet Events;
  Display* Dpy() { return P.DisplayOf().Dpy(); }
};

TEST_F(X11Platform, WindowsCarryTheirHintsBeforeTheWindowManagerSeesThem) {
  TWindowParams Main;
  Main.ClientWidth = 88;
  Main.ClientHeight = 154;
  Main.StayOnTop = true;
  const Window Her = P.NativeWindowId(P.CreateNativeWindow(Main, Events));
  TWindowParams About = Main;
  About.Border = TWindowBorder::ToolWindow;
  About.StayOnTop = false;
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
}

TEST_F(X11Platform, TheClipboardOffersItsTargets) {
  P.SetClipboardText("ねこ");
  Display* Other = XOpenDisplay(nullptr);
  ASSERT_NE(Other, nullptr);
  const Window Me = XCreateSimpleWindow(Other, DefaultRootWindow(Other), 0, 0, 1, 1, 0, 0, 0);
  const Atom Into = XInternAtom(Other, "TEST_TARGETS", False);
  XConvertSelection(Other, XInternAtom(Other, "CLIPBOARD", False),
                    XInternAtom(Other, "TARGETS", False), Into, Me, CurrentTime);
  XFlush(Other);
  XEvent E;
  while (!XCheckTypedWindowEvent(Other, Me, SelectionNotify, &E)) {
    P.ProcessMessages();
  }
  ASSERT_NE(E.xselection.property, 0u);
  const auto Targets = Property(Other, Me, "TEST_TARGETS", XA_ATOM);
  const long Utf8 = static_cast<long>(XInternAtom(Other, "UTF8_STRING", False));
  EXPECT_NE(std::find(Targets.begin(), Targets.end(), Utf8), Targets.end());
  XDestroyWindow(Other, Me);
  XCloseDisplay(Other);
}

} // namespace
} // namespace nyarumi::x11

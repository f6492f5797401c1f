// The X11 backend against the backend contract, on a real X server (run through with_x.sh).
// GoogleTest first: Xlib defines Bool as a macro.
#include "tests/window/conformance/ConformanceTest.h"

#include "shell/platform/x11_platform.h"
#include "tests/window/conformance/x11_WindowManagerQuiet.h"

#include <X11/Xatom.h>

#include <chrono>

namespace nyarumi::conformance {
namespace {

// Asks the X server for the clipboard from a second connection, as another program would,
// while the backend keeps serving its own events.
std::optional<std::string> ReadClipboard(x11::TX11Platform& AP) {
  Display* Other = XOpenDisplay(nullptr);
  if (Other == nullptr) {
    return std::nullopt;
  }
  const Window Me = XCreateSimpleWindow(Other, DefaultRootWindow(Other), 0, 0, 1, 1, 0, 0, 0);
  const Atom Clipboard = XInternAtom(Other, "CLIPBOARD", False);
  const Atom Utf8 = XInternAtom(Other, "UTF8_STRING", False);
  const Atom Into = XInternAtom(Other, "CONFORMANCE_PASTE", False);
  XConvertSelection(Other, Clipboard, Utf8, Into, Me, CurrentTime);
  XFlush(Other);
  std::optional<std::string> Result;
  bool Answered = false;
  while (!Answered) {
    AP.ProcessMessages();
    XEvent E;
    if (XCheckTypedWindowEvent(Other, Me, SelectionNotify, &E)) {
      Answered = true;
      Atom Type = 0;
      int Format = 0;
      unsigned long Count = 0, After = 0;
      unsigned char* Data = nullptr;
      if (E.xselection.property != 0 &&
          XGetWindowProperty(Other, Me, Into, 0, 1 << 16, True, AnyPropertyType, &Type, &Format,
                             &Count, &After, &Data) == Success &&
          Data != nullptr) {
        Result = std::string(reinterpret_cast<const char*>(Data), Count);
        XFree(Data);
      }
    }
  }
  XDestroyWindow(Other, Me);
  XCloseDisplay(Other);
  return Result;
}

struct X11Traits {
  using PlatformType = x11::TX11Platform;
  static std::unique_ptr<x11::TX11Platform> Make() {
    x11::AwaitWindowManagerQuiet();
    return std::make_unique<x11::TX11Platform>("/nonexistent/settings.ini");
  }
  static void NestedLoop(x11::TX11Platform& AP, std::uint32_t AMs) {
    bool Done = false;
    const TimerId T = AP.SetTimer(AMs, [&] { Done = true; });
    AP.RunUntil([&] { return Done; });
    AP.KillTimer(T);
  }
  static void Settle(x11::TX11Platform& AP) {
    XSync(AP.DisplayOf().Dpy(), False);
    AP.ProcessMessages();
  }
  static std::size_t LiveRegions(x11::TX11Platform& AP) { return AP.LiveRegions(); }
  static std::optional<std::string> Clipboard(x11::TX11Platform& AP) { return ReadClipboard(AP); }
  static void Click(x11::TX11Platform& AP, WindowId, ButtonId AButton) {
    // A press and a release inside the button, as the server would report them.
    const unsigned long Native = AP.NativeButtonId(AButton);
    ASSERT_NE(Native, 0u);
    Display* D = AP.DisplayOf().Dpy();
    for (const int Type : {ButtonPress, ButtonRelease}) {
      XEvent E{};
      E.xbutton.type = Type;
      E.xbutton.display = D;
      E.xbutton.window = Native;
      E.xbutton.button = Button1;
      E.xbutton.x = 5;
      E.xbutton.y = 5;
      E.xbutton.same_screen = True;
      XSendEvent(D, Native, False, Type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &E);
    }
    Settle(AP);
  }
};

INSTANTIATE_TYPED_TEST_SUITE_P(X11, Conformance, X11Traits);

} // namespace
} // namespace nyarumi::conformance

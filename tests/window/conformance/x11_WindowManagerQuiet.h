#pragma once
// Every test connects to the server afresh, and the server hands the new connection the closed
// one's window ids. Until the window manager has let go of the closed connection's windows it
// may still reparent, move or configure the new windows that carry those ids (it was seen to
// reparent a new About window to the root and report it at the old one's place). A test
// therefore connects only once the window manager lists no client windows and has answered a
// request sent after that: it handles its events in order, so all it did for the old windows is
// done by then.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <vector>

namespace nyarumi::x11 {

// A property's items (up to 64), empty when the window lacks it or it has another type.
inline std::vector<long> Property(Display* ADpy, Window AWindow, const char* AName, Atom AType) {
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

class TWindowManagerWatch {
public:
  TWindowManagerWatch() : FDpy(XOpenDisplay(nullptr)) {
    if (FDpy == nullptr) {
      return; // the test itself reports the missing server
    }
    FRoot = DefaultRootWindow(FDpy);
    FExtents = XInternAtom(FDpy, "_NET_FRAME_EXTENTS", False);
    FRequest = XInternAtom(FDpy, "_NET_REQUEST_FRAME_EXTENTS", False);
    XSelectInput(FDpy, FRoot, PropertyChangeMask);
    FPing = XCreateSimpleWindow(FDpy, FRoot, 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(FDpy, FPing, PropertyChangeMask);
    XSync(FDpy, False);
  }

  // Gives up after AGiveUpMs without any news from the server, so a stuck window manager fails
  // the test that follows instead of hanging the run.
  void AwaitQuiet(int AGiveUpMs = 10000) {
    if (FDpy == nullptr || !ManagerRunning()) {
      return;
    }
    for (;;) {
      while (!Property(FDpy, FRoot, "_NET_CLIENT_LIST", XA_WINDOW).empty()) {
        if (!NextEvent(AGiveUpMs)) {
          return;
        }
      }
      // The manager answers the frame extents request of our own unmapped window.
      XDeleteProperty(FDpy, FPing, FExtents);
      XEvent Request{};
      Request.xclient.type = ClientMessage;
      Request.xclient.window = FPing;
      Request.xclient.message_type = FRequest;
      Request.xclient.format = 32;
      XSendEvent(FDpy, FRoot, False, SubstructureNotifyMask | SubstructureRedirectMask, &Request);
      XFlush(FDpy);
      while (Property(FDpy, FPing, "_NET_FRAME_EXTENTS", XA_CARDINAL).empty()) {
        if (!NextEvent(AGiveUpMs)) {
          return;
        }
      }
      if (Property(FDpy, FRoot, "_NET_CLIENT_LIST", XA_WINDOW).empty()) {
        return;
      }
    }
  }

private:
  bool ManagerRunning() {
    return !Property(FDpy, FRoot, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW).empty();
  }

  // Takes in whatever the server sent, waiting for something if nothing has come yet; false
  // when nothing came in time.
  bool NextEvent(int AGiveUpMs) {
    if (XPending(FDpy) == 0) {
      pollfd Fd{ConnectionNumber(FDpy), POLLIN, 0};
      if (poll(&Fd, 1, AGiveUpMs) <= 0) {
        return false;
      }
    }
    while (XPending(FDpy) > 0) {
      XEvent E;
      XNextEvent(FDpy, &E); // property changes only; the properties are read again
    }
    return true;
  }

  Display* FDpy;
  Window FRoot = 0;
  Window FPing = 0;
  Atom FExtents = 0;
  Atom FRequest = 0;
};

// One watching connection for the whole run: its own id slot stays out of the reuse.
inline void AwaitWindowManagerQuiet() {
  static TWindowManagerWatch Watch;
  Watch.AwaitQuiet();
}

} // namespace nyarumi::x11

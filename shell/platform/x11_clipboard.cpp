#include "shell/platform/x11_clipboard.h"

#include <X11/Xatom.h>

#include <utility>

namespace nyarumi::x11 {

TX11Clipboard::~TX11Clipboard() {
  if (FWindow != XNone) {
    XDestroyWindow(FDisplay.Dpy(), FWindow);
  }
}

Window TX11Clipboard::Ensure() {
  if (FWindow == XNone) {
    XSetWindowAttributes Attributes{};
    Attributes.event_mask = PropertyChangeMask;
    FWindow = XCreateWindow(FDisplay.Dpy(), FDisplay.Root(), -10, -10, 1, 1, 0, 0, InputOnly,
                            CopyFromParent, CWEventMask, &Attributes);
  }
  return FWindow;
}

void TX11Clipboard::Set(std::string_view AText) {
  FOwned = std::string(AText);
  XSetSelectionOwner(FDisplay.Dpy(), FDisplay.Atoms().Clipboard, Ensure(), CurrentTime);
  if (XGetSelectionOwner(FDisplay.Dpy(), FDisplay.Atoms().Clipboard) != FWindow) {
    FOwned.reset(); // another client holds on to it
  }
}

void TX11Clipboard::Answer(const XSelectionRequestEvent& ARequest) {
  const TAtoms& A = FDisplay.Atoms();
  XSelectionEvent Reply{};
  Reply.type = SelectionNotify;
  Reply.display = ARequest.display;
  Reply.requestor = ARequest.requestor;
  Reply.selection = ARequest.selection;
  Reply.target = ARequest.target;
  Reply.time = ARequest.time;
  // Old clients name no property: they mean the target's own atom.
  const Atom Property = ARequest.property != XNone ? ARequest.property : ARequest.target;
  Reply.property = XNone; // refused unless answered below
  if (FOwned && ARequest.selection == A.Clipboard) {
    if (ARequest.target == A.Targets) {
      const Atom Targets[] = {A.Targets, A.Utf8String, XA_STRING, A.Text};
      XChangeProperty(FDisplay.Dpy(), ARequest.requestor, Property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(Targets), 4);
      Reply.property = Property;
    } else if (ARequest.target == A.Utf8String || ARequest.target == XA_STRING ||
               ARequest.target == A.Text) {
      const Atom Type = ARequest.target == XA_STRING ? XA_STRING : A.Utf8String;
      XChangeProperty(FDisplay.Dpy(), ARequest.requestor, Property, Type, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(FOwned->data()),
                      static_cast<int>(FOwned->size()));
      Reply.property = Property;
    }
  }
  XSendEvent(FDisplay.Dpy(), ARequest.requestor, False, 0, reinterpret_cast<XEvent*>(&Reply));
  XFlush(FDisplay.Dpy());
}

std::optional<std::string>
TX11Clipboard::Get(const std::function<void(const std::function<bool()>&)>& AWait) {
  const TAtoms& A = FDisplay.Atoms();
  const Window Owner = XGetSelectionOwner(FDisplay.Dpy(), A.Clipboard);
  if (Owner == XNone) {
    return std::nullopt;
  }
  if (FOwned && Owner == FWindow) {
    return FOwned;
  }
  FReceived.reset();
  FWaiting = true;
  XConvertSelection(FDisplay.Dpy(), A.Clipboard, A.Utf8String, A.Transfer, Ensure(), CurrentTime);
  XFlush(FDisplay.Dpy());
  AWait([this] { return !FWaiting; });
  FWaiting = false;
  return std::exchange(FReceived, std::nullopt);
}

void TX11Clipboard::Handle(XEvent& AEvent) {
  switch (AEvent.type) {
  case SelectionRequest:
    Answer(AEvent.xselectionrequest);
    break;
  case SelectionClear:
    FOwned.reset();
    break;
  case SelectionNotify: {
    if (!FWaiting) {
      break;
    }
    FWaiting = false;
    if (AEvent.xselection.property == XNone) {
      break; // the owner could not convert
    }
    Atom Type = XNone;
    int Format = 0;
    unsigned long Count = 0, After = 0;
    unsigned char* Data = nullptr;
    // Texts beyond a megabyte (sent in increments) are not read.
    if (XGetWindowProperty(FDisplay.Dpy(), FWindow, FDisplay.Atoms().Transfer, 0, 1L << 18, True,
                           AnyPropertyType, &Type, &Format, &Count, &After, &Data) == Success &&
        Data != nullptr) {
      if (Format == 8 && Type != FDisplay.Atoms().Incr) {
        FReceived = std::string(reinterpret_cast<const char*>(Data), Count);
      }
      XFree(Data);
    }
    break;
  }
  default:
    break;
  }
}

} // namespace nyarumi::x11

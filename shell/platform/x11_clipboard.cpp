#include "shell/platform/x11_clipboard.h"

#include <X11/Xatom.h>

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

void TX11Clipboard::Handle(XEvent& AEvent) {
  switch (AEvent.type) {
  case SelectionRequest:
    Answer(AEvent.xselectionrequest);
    break;
  case SelectionClear:
    FOwned.reset();
    break;
  default:
    break;
  }
}

} // namespace nyarumi::x11

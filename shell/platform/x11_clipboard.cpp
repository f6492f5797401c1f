#include "shell/platform/x11_clipboard.h"

#include <X11/Xatom.h>
#include <X11/Xlib-xcb.h>
#include <poll.h>
#include <xcb/xcb.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace nyarumi::x11 {

namespace {

// Requests to another client's window go through xcb with their errors thrown away: that window
// may be gone by the time the server reads them, and Xlib's default answer to the error would
// end the program.
void PutOnForeign(Display* ADpy, Window AWindow, Atom AProperty, Atom AType, std::uint8_t AFormat,
                  const void* AData, std::size_t ACount) {
  xcb_connection_t* C = XGetXCBConnection(ADpy);
  const xcb_void_cookie_t Cookie = xcb_change_property_checked(
      C, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(AWindow),
      static_cast<xcb_atom_t>(AProperty), static_cast<xcb_atom_t>(AType), AFormat,
      static_cast<std::uint32_t>(ACount), AData);
  xcb_discard_reply(C, Cookie.sequence);
}

void NotifyForeign(Display* ADpy, const XSelectionRequestEvent& ARequest, Atom AProperty) {
  xcb_selection_notify_event_t Reply{};
  Reply.response_type = XCB_SELECTION_NOTIFY;
  Reply.time = static_cast<xcb_timestamp_t>(ARequest.time);
  Reply.requestor = static_cast<xcb_window_t>(ARequest.requestor);
  Reply.selection = static_cast<xcb_atom_t>(ARequest.selection);
  Reply.target = static_cast<xcb_atom_t>(ARequest.target);
  Reply.property = static_cast<xcb_atom_t>(AProperty);
  std::array<char, 32> Event{}; // every event on the wire is 32 bytes, whatever its type
  std::memcpy(Event.data(), &Reply, sizeof Reply);
  xcb_connection_t* C = XGetXCBConnection(ADpy);
  const xcb_void_cookie_t Cookie =
      xcb_send_event_checked(C, 0, Reply.requestor, XCB_EVENT_MASK_NO_EVENT, Event.data());
  xcb_discard_reply(C, Cookie.sequence);
}

// X times are 32-bit milliseconds that wrap round every 49 days.
bool NotBefore(Time AThis, Time AThat) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(AThis) -
                                   static_cast<std::uint32_t>(AThat)) >= 0;
}

} // namespace

TX11Clipboard::~TX11Clipboard() {
  if (FWindow != XNone) {
    HandOver();
    XDestroyWindow(FDisplay.Dpy(), FWindow);
  }
}

Window TX11Clipboard::Ensure() {
  if (FWindow == XNone) {
    Display* Dpy = FDisplay.Dpy();
    std::array<char*, 4> Names{const_cast<char*>("CLIPBOARD_MANAGER"),
                               const_cast<char*>("SAVE_TARGETS"), const_cast<char*>("MULTIPLE"),
                               const_cast<char*>("TIMESTAMP")};
    std::array<Atom, 4> Values{};
    XInternAtoms(Dpy, Names.data(), static_cast<int>(Names.size()), False, Values.data());
    FAtoms = {Values[0], Values[1], Values[2], Values[3]};
    XSetWindowAttributes Attributes{};
    Attributes.event_mask = PropertyChangeMask;
    FWindow = XCreateWindow(Dpy, FDisplay.Root(), -10, -10, 1, 1, 0, 0, InputOnly, CopyFromParent,
                            CWEventMask, &Attributes);
  }
  return FWindow;
}

Time TX11Clipboard::ServerTime() {
  // Appending nothing changes nothing, but its PropertyNotify carries the server's time, which
  // the selection must be taken at: CurrentTime would let a late request take an older text.
  Display* Dpy = FDisplay.Dpy();
  const long Nothing = 0;
  XChangeProperty(Dpy, FWindow, FAtoms.Timestamp, XA_INTEGER, 32, PropModeAppend,
                  reinterpret_cast<const unsigned char*>(&Nothing), 0);
  XEvent Event;
  XIfEvent(
      Dpy, &Event,
      [](Display*, XEvent* AEvent, XPointer ASelf) -> Bool {
        const auto* Self = reinterpret_cast<const TX11Clipboard*>(ASelf);
        return AEvent->type == PropertyNotify && AEvent->xproperty.window == Self->FWindow &&
               AEvent->xproperty.atom == Self->FAtoms.Timestamp;
      },
      reinterpret_cast<XPointer>(this));
  return Event.xproperty.time;
}

void TX11Clipboard::Set(std::string_view AText) {
  Display* Dpy = FDisplay.Dpy();
  const Window Owner = Ensure();
  const Time Now = ServerTime();
  XSetSelectionOwner(Dpy, FDisplay.Atoms().Clipboard, Owner, Now);
  if (XGetSelectionOwner(Dpy, FDisplay.Atoms().Clipboard) != Owner) {
    FOwned.reset(); // another client holds on to it
    return;
  }
  FOwned = std::string(AText);
  FSince = Now;
}

bool TX11Clipboard::Convert(Window ARequestor, Atom ATarget, Atom AProperty) {
  Display* Dpy = FDisplay.Dpy();
  const TAtoms& A = FDisplay.Atoms();
  const std::optional<std::string> Latin1 = PrintableLatin1(*FOwned);
  if (ATarget == A.Targets) {
    const auto Id = [](Atom AAtom) { return static_cast<std::uint32_t>(AAtom); };
    const std::array<std::uint32_t, 6> Targets{Id(A.Targets),        Id(FAtoms.Multiple),
                                               Id(FAtoms.Timestamp), Id(A.Utf8String),
                                               Id(A.Text),           Id(XA_STRING)};
    // STRING is Latin-1: other text is not offered as one.
    PutOnForeign(Dpy, ARequestor, AProperty, XA_ATOM, 32, Targets.data(),
                 Latin1 ? Targets.size() : Targets.size() - 1);
  } else if (ATarget == FAtoms.Timestamp) {
    const auto Since = static_cast<std::uint32_t>(FSince);
    PutOnForeign(Dpy, ARequestor, AProperty, XA_INTEGER, 32, &Since, 1);
  } else if (ATarget == A.Utf8String || ATarget == A.Text) {
    PutOnForeign(Dpy, ARequestor, AProperty, A.Utf8String, 8, FOwned->data(), FOwned->size());
  } else if (ATarget == XA_STRING && Latin1) {
    PutOnForeign(Dpy, ARequestor, AProperty, XA_STRING, 8, Latin1->data(), Latin1->size());
  } else {
    return false;
  }
  return true;
}

bool TX11Clipboard::ConvertEach(Window ARequestor, Atom AProperty) {
  // The requestor's property lists target and property pairs; each pair we cannot answer gets
  // None for its property, and the list goes back.
  xcb_connection_t* C = XGetXCBConnection(FDisplay.Dpy());
  const xcb_get_property_cookie_t Cookie =
      xcb_get_property(C, 0, static_cast<xcb_window_t>(ARequestor),
                       static_cast<xcb_atom_t>(AProperty), XCB_GET_PROPERTY_TYPE_ANY, 0, 1024);
  xcb_generic_error_t* Error = nullptr;
  const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> Reply(
      xcb_get_property_reply(C, Cookie, &Error), &std::free);
  std::free(Error);
  if (!Reply || Reply->format != 32 || Reply->bytes_after != 0 ||
      xcb_get_property_value_length(Reply.get()) % 8 != 0) {
    return false;
  }
  const auto* Values = static_cast<const std::uint32_t*>(xcb_get_property_value(Reply.get()));
  std::vector<std::uint32_t> Pairs(Values, Values + xcb_get_property_value_length(Reply.get()) / 4);
  for (std::size_t I = 0; I < Pairs.size(); I += 2) {
    const Atom Target = Pairs[I];
    const Atom Property = Pairs[I + 1];
    if (Target == FAtoms.Multiple || Property == XNone || !Convert(ARequestor, Target, Property)) {
      Pairs[I + 1] = XNone;
    }
  }
  PutOnForeign(FDisplay.Dpy(), ARequestor, AProperty, Reply->type, 32, Pairs.data(), Pairs.size());
  return true;
}

void TX11Clipboard::Answer(const XSelectionRequestEvent& ARequest) {
  // Old clients name no property: they mean the target's own atom.
  const Atom Property = ARequest.property != XNone ? ARequest.property : ARequest.target;
  // A request older than our claim asked for an earlier owner's text.
  const bool Ours = FOwned && ARequest.selection == FDisplay.Atoms().Clipboard &&
                    (ARequest.time == CurrentTime || NotBefore(ARequest.time, FSince));
  bool Answered = false;
  if (Ours && ARequest.target == FAtoms.Multiple) {
    Answered = ARequest.property != XNone && ConvertEach(ARequest.requestor, ARequest.property);
  } else if (Ours) {
    Answered = Convert(ARequest.requestor, ARequest.target, Property);
  }
  NotifyForeign(FDisplay.Dpy(), ARequest, Answered ? Property : XNone);
  XFlush(FDisplay.Dpy());
}

void TX11Clipboard::HandOver() {
  Display* Dpy = FDisplay.Dpy();
  if (!FOwned || XGetSelectionOwner(Dpy, FDisplay.Atoms().Clipboard) != FWindow ||
      XGetSelectionOwner(Dpy, FAtoms.Manager) == XNone) {
    return;
  }
  // The manager reads the listed targets from us, then answers; we serve it until it does.
  const TAtoms& A = FDisplay.Atoms();
  const std::array<Atom, 2> Keep{A.Utf8String, XA_STRING};
  XChangeProperty(Dpy, FWindow, FAtoms.SaveTargets, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(Keep.data()),
                  PrintableLatin1(*FOwned) ? 2 : 1);
  XConvertSelection(Dpy, FAtoms.Manager, FAtoms.SaveTargets, FAtoms.SaveTargets, FWindow, FSince);
  XFlush(Dpy);
  const auto End = std::chrono::steady_clock::now() + FHandOverWait;
  for (;;) {
    while (XPending(Dpy) > 0) {
      XEvent Event;
      XNextEvent(Dpy, &Event);
      if (Event.type == SelectionNotify && Event.xselection.requestor == FWindow &&
          Event.xselection.selection == FAtoms.Manager) {
        return; // kept, or refused: either way there is nothing more to do
      }
      Handle(Event);
    }
    const auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(
        End - std::chrono::steady_clock::now());
    if (Left.count() <= 0) {
      return; // a manager that does not answer must not keep her from going
    }
    pollfd Fd{ConnectionNumber(Dpy), POLLIN, 0};
    if (poll(&Fd, 1, static_cast<int>(Left.count())) < 0 && errno != EINTR) {
      return;
    }
  }
}

void TX11Clipboard::Handle(XEvent& AEvent) {
  switch (AEvent.type) {
  case SelectionRequest:
    Answer(AEvent.xselectionrequest);
    break;
  case SelectionClear:
    // A clear read late may belong to a claim that a newer one of ours has replaced.
    if (XGetSelectionOwner(FDisplay.Dpy(), FDisplay.Atoms().Clipboard) != FWindow) {
      FOwned.reset();
    }
    break;
  default:
    break;
  }
}

} // namespace nyarumi::x11

#include "shell/platform/qt_x11events.h"

#include <QByteArray>
#include <QCoreApplication>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace nyarumi::qt {
namespace {

struct FreeDeleter {
  void operator()(void* P) const { std::free(P); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t Intern(xcb_connection_t* C, const char* AName) {
  Reply<xcb_intern_atom_reply_t> R(xcb_intern_atom_reply(
      C, xcb_intern_atom(C, 0, static_cast<std::uint16_t>(std::strlen(AName)), AName), nullptr));
  return R ? R->atom : xcb_atom_t{XCB_ATOM_NONE};
}

} // namespace

TX11Events::TX11Events(xcb_connection_t* AConnection, THandlers AHandlers)
    : FFrameExtents(Intern(AConnection, "_NET_FRAME_EXTENTS")), FHandlers(std::move(AHandlers)) {
  QCoreApplication::instance()->installNativeEventFilter(this);
}

TX11Events::~TX11Events() {
  if (QCoreApplication* App = QCoreApplication::instance()) {
    App->removeNativeEventFilter(this);
  }
}

bool TX11Events::nativeEventFilter(const QByteArray& AType, void* AMessage, qintptr*) {
  if (AType != "xcb_generic_event_t") {
    return false;
  }
  const auto* Event = static_cast<const xcb_generic_event_t*>(AMessage);
  switch (Event->response_type & 0x7F) {
  case XCB_PROPERTY_NOTIFY: {
    const auto* E = reinterpret_cast<const xcb_property_notify_event_t*>(Event);
    if (E->atom == FFrameExtents && FHandlers.FrameExtentsChanged) {
      FHandlers.FrameExtentsChanged(E->window);
    }
    break;
  }
  case XCB_VISIBILITY_NOTIFY: {
    const auto* E = reinterpret_cast<const xcb_visibility_notify_event_t*>(Event);
    if (E->state != XCB_VISIBILITY_UNOBSCURED && FHandlers.Obscured) {
      FHandlers.Obscured(E->window);
    }
    break;
  }
  default:
    break;
  }
  return false; // Qt handles every event as well
}

void SelectVisibilityEvents(xcb_connection_t* AConnection, xcb_window_t AWindow) {
  Reply<xcb_get_window_attributes_reply_t> A(xcb_get_window_attributes_reply(
      AConnection, xcb_get_window_attributes(AConnection, AWindow), nullptr));
  if (!A || (A->your_event_mask & XCB_EVENT_MASK_VISIBILITY_CHANGE) != 0) {
    return;
  }
  const std::uint32_t Mask = A->your_event_mask | XCB_EVENT_MASK_VISIBILITY_CHANGE;
  xcb_change_window_attributes(AConnection, AWindow, XCB_CW_EVENT_MASK, &Mask);
  xcb_flush(AConnection);
}

} // namespace nyarumi::qt

#pragma once
// The X events Qt does not turn into widget events, watched on Qt's own connection:
// - a window manager's frame extents arriving after a window was shown (_NET_FRAME_EXTENTS);
// - a window becoming covered by another (VisibilityNotify), for keeping a stay-on-top window
//   above the others where no window manager does.
#include <QAbstractNativeEventFilter>

#include <xcb/xcb.h>

#include <functional>

namespace nyarumi::qt {

class TX11Events final : public QAbstractNativeEventFilter {
public:
  struct THandlers {
    std::function<void(xcb_window_t)> FrameExtentsChanged;
    std::function<void(xcb_window_t)> Obscured;
  };

  // Installs itself on the application until destroyed.
  TX11Events(xcb_connection_t* AConnection, THandlers AHandlers);
  ~TX11Events() override;
  TX11Events(const TX11Events&) = delete;
  TX11Events& operator=(const TX11Events&) = delete;

  bool nativeEventFilter(const QByteArray& AType, void* AMessage, qintptr* AResult) override;

private:
  xcb_atom_t FFrameExtents;
  THandlers FHandlers;
};

// Adds visibility-change events to what the connection already selects on the window; the
// window's other events are left as Qt chose them.
void SelectVisibilityEvents(xcb_connection_t* AConnection, xcb_window_t AWindow);

} // namespace nyarumi::qt

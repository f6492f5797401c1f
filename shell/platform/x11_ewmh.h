#pragma once
// The desktop's window-manager hints (EWMH), for any Linux backend, over an xcb connection that
// the backend opened:
// - the rectangle of the window the user works in (_NET_ACTIVE_WINDOW widened by its frame);
// - keeping a window off the taskbar and the pager (_NET_WM_STATE_SKIP_TASKBAR / _SKIP_PAGER).
// All rectangles here are in device pixels, as the X server sees them.
#include "common/Geometry.h"

#include <xcb/xcb.h>

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace nyarumi::x11 {

// The atoms it works with, for a backend that has interned them already.
struct TEwmhAtoms {
  xcb_atom_t NetActiveWindow = XCB_ATOM_NONE;
  xcb_atom_t NetFrameExtents = XCB_ATOM_NONE;
  xcb_atom_t NetWmState = XCB_ATOM_NONE;
  xcb_atom_t SkipTaskbar = XCB_ATOM_NONE;
  xcb_atom_t SkipPager = XCB_ATOM_NONE;
  xcb_atom_t Above = XCB_ATOM_NONE;
  xcb_atom_t SupportingWmCheck = XCB_ATOM_NONE;
};

class TEwmh {
public:
  // The connection stays owned by the caller.
  TEwmh(xcb_connection_t* Connection, xcb_window_t Root, const TEwmhAtoms& Atoms);
  // Interns the atoms itself.
  TEwmh(xcb_connection_t* Connection, xcb_window_t Root);

  // Uses the first screen's root window, which is the whole desktop on a single-screen display.
  explicit TEwmh(xcb_connection_t* Connection);

  xcb_connection_t* Connection() const { return Conn; }
  xcb_window_t Root() const { return RootWindow; }

  // The active window's outer rectangle in root coordinates, including the frame the window
  // manager drew around it. None when there is no active window or it is one of Ours.
  std::optional<TRect> ActiveWindowFrame(std::span<const xcb_window_t> Ours) const;

  // Adds (or removes) the skip-taskbar and skip-pager states, both on the property (read by the
  // window manager when it maps the window) and by client message (for a window it manages).
  void SetSkipStates(xcb_window_t Window, bool Skip) const;
  // Asks the window manager to add (or remove) the stay-on-top state of a window it manages.
  void RequestAbove(xcb_window_t Window, bool Above) const;

  // True when an EWMH window manager runs: the root's _NET_SUPPORTING_WM_CHECK names a window
  // that names itself. Only such a manager keeps a window above others for the above state.
  bool ManagerRunning() const;

  // The window's _NET_WM_STATE atoms as the property holds them now.
  std::vector<xcb_atom_t> States(xcb_window_t Window) const;

  xcb_atom_t SkipTaskbarAtom() const { return SkipTaskbar; }
  xcb_atom_t SkipPagerAtom() const { return SkipPager; }
  xcb_atom_t Intern(std::string_view Name) const;

private:
  std::optional<xcb_window_t> ActiveWindow() const;
  std::optional<TRect> RootGeometry(xcb_window_t Window) const;
  void WriteStatesProperty(xcb_window_t Window, bool Skip) const;
  void RequestStates(xcb_window_t Window, bool Add, xcb_atom_t First, xcb_atom_t Second) const;

  static TEwmhAtoms InternAtoms(xcb_connection_t* Connection);

  xcb_connection_t* Conn;
  xcb_window_t RootWindow;
  xcb_atom_t NetActiveWindow;
  xcb_atom_t NetFrameExtents;
  xcb_atom_t NetWmState;
  xcb_atom_t SkipTaskbar;
  xcb_atom_t SkipPager;
  xcb_atom_t Above;
  xcb_atom_t SupportingWmCheck;
};

// Device and logical pixels differ by the device pixel ratio (the window layer's coordinates are
// logical, the X server's are device pixels). Edges round outwards so a converted rectangle never
// shrinks.
TRect DeviceToLogical(const TRect& Device, double Ratio);
TRect LogicalToDevice(const TRect& Logical, double Ratio);
TPoint LogicalToDevice(const TPoint& Logical, double Ratio);
TPoint DeviceToLogical(const TPoint& Device, double Ratio);

} // namespace nyarumi::x11

#include "shell/platform/x11_ewmh.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <utility>

namespace nyarumi::x11 {
namespace {

// xcb replies are malloc'd and must be freed by the caller.
struct FreeDeleter {
  void operator()(void* P) const { std::free(P); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

constexpr std::uint32_t NET_WM_STATE_REMOVE = 0;
constexpr std::uint32_t NET_WM_STATE_ADD = 1;
constexpr std::uint32_t SOURCE_APPLICATION = 1;

xcb_window_t FirstRoot(xcb_connection_t* Connection) {
  const xcb_screen_iterator_t It = xcb_setup_roots_iterator(xcb_get_setup(Connection));
  return It.rem > 0 ? It.data->root : xcb_window_t{XCB_WINDOW_NONE};
}

Reply<xcb_get_property_reply_t> GetProperty(xcb_connection_t* Conn, xcb_window_t Window,
                                            xcb_atom_t Property, xcb_atom_t Type,
                                            std::uint32_t Longs) {
  return Reply<xcb_get_property_reply_t>(xcb_get_property_reply(
      Conn, xcb_get_property(Conn, 0, Window, Property, Type, 0, Longs), nullptr));
}

// The 32-bit items of a property, or nothing when it is absent or of another type.
std::vector<std::uint32_t> Items32(const xcb_get_property_reply_t* R, xcb_atom_t Type) {
  if (R == nullptr || R->type != Type || R->format != 32) {
    return {};
  }
  const auto* Data = static_cast<const std::uint32_t*>(xcb_get_property_value(R));
  const int Count = xcb_get_property_value_length(R) / 4;
  return std::vector<std::uint32_t>(Data, Data + std::max(Count, 0));
}

std::int32_t FloorDiv(std::int32_t V, double Ratio) {
  return static_cast<std::int32_t>(std::floor(V / Ratio));
}
std::int32_t CeilDiv(std::int32_t V, double Ratio) {
  return static_cast<std::int32_t>(std::ceil(V / Ratio));
}
std::int32_t FloorMul(std::int32_t V, double Ratio) {
  return static_cast<std::int32_t>(std::floor(V * Ratio));
}
std::int32_t CeilMul(std::int32_t V, double Ratio) {
  return static_cast<std::int32_t>(std::ceil(V * Ratio));
}

// A broken or missing ratio must not turn every coordinate into garbage.
double Sane(double Ratio) {
  return (Ratio > 0.0 && std::isfinite(Ratio)) ? Ratio : 1.0;
}

} // namespace

TEwmh::TEwmh(xcb_connection_t* Connection, xcb_window_t Root, const TEwmhAtoms& Atoms)
    : Conn(Connection), RootWindow(Root), NetActiveWindow(Atoms.NetActiveWindow),
      NetFrameExtents(Atoms.NetFrameExtents), NetWmState(Atoms.NetWmState),
      SkipTaskbar(Atoms.SkipTaskbar), SkipPager(Atoms.SkipPager), Above(Atoms.Above),
      SupportingWmCheck(Atoms.SupportingWmCheck) {}

TEwmh::TEwmh(xcb_connection_t* Connection, xcb_window_t Root)
    : TEwmh(Connection, Root, InternAtoms(Connection)) {}

TEwmhAtoms TEwmh::InternAtoms(xcb_connection_t* Connection) {
  // All requests go out before the first reply is awaited: one round trip instead of seven.
  const std::pair<const char*, xcb_atom_t TEwmhAtoms::*> Slots[] = {
      {"_NET_ACTIVE_WINDOW", &TEwmhAtoms::NetActiveWindow},
      {"_NET_FRAME_EXTENTS", &TEwmhAtoms::NetFrameExtents},
      {"_NET_WM_STATE", &TEwmhAtoms::NetWmState},
      {"_NET_WM_STATE_SKIP_TASKBAR", &TEwmhAtoms::SkipTaskbar},
      {"_NET_WM_STATE_SKIP_PAGER", &TEwmhAtoms::SkipPager},
      {"_NET_WM_STATE_ABOVE", &TEwmhAtoms::Above},
      {"_NET_SUPPORTING_WM_CHECK", &TEwmhAtoms::SupportingWmCheck},
  };
  xcb_intern_atom_cookie_t Cookies[std::size(Slots)];
  for (std::size_t I = 0; I < std::size(Slots); ++I) {
    Cookies[I] = xcb_intern_atom(
        Connection, 0, static_cast<std::uint16_t>(std::strlen(Slots[I].first)), Slots[I].first);
  }
  TEwmhAtoms Atoms;
  for (std::size_t I = 0; I < std::size(Slots); ++I) {
    Reply<xcb_intern_atom_reply_t> R(xcb_intern_atom_reply(Connection, Cookies[I], nullptr));
    Atoms.*(Slots[I].second) = R ? R->atom : xcb_atom_t{XCB_ATOM_NONE};
  }
  return Atoms;
}

TEwmh::TEwmh(xcb_connection_t* Connection) : TEwmh(Connection, FirstRoot(Connection)) {}

xcb_atom_t TEwmh::Intern(std::string_view Name) const {
  Reply<xcb_intern_atom_reply_t> R(xcb_intern_atom_reply(
      Conn, xcb_intern_atom(Conn, 0, static_cast<std::uint16_t>(Name.size()), Name.data()),
      nullptr));
  return R ? R->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::optional<xcb_window_t> TEwmh::ActiveWindow() const {
  const auto R = GetProperty(Conn, RootWindow, NetActiveWindow, XCB_ATOM_WINDOW, 1);
  const auto Items = Items32(R.get(), XCB_ATOM_WINDOW);
  if (Items.empty() || Items[0] == XCB_WINDOW_NONE) {
    return std::nullopt;
  }
  return Items[0];
}

std::optional<TRect> TEwmh::RootGeometry(xcb_window_t Window) const {
  const auto GeometryCookie = xcb_get_geometry(Conn, Window);
  const auto OriginCookie = xcb_translate_coordinates(Conn, Window, RootWindow, 0, 0);
  Reply<xcb_get_geometry_reply_t> Geometry(xcb_get_geometry_reply(Conn, GeometryCookie, nullptr));
  Reply<xcb_translate_coordinates_reply_t> Origin(
      xcb_translate_coordinates_reply(Conn, OriginCookie, nullptr));
  if (!Geometry || !Origin) {
    return std::nullopt; // the window went away between the two reads
  }
  return TRect{Origin->dst_x, Origin->dst_y, Origin->dst_x + Geometry->width,
               Origin->dst_y + Geometry->height};
}

std::optional<TRect> TEwmh::ActiveWindowFrame(std::span<const xcb_window_t> Ours) const {
  const auto Active = ActiveWindow();
  if (!Active || std::find(Ours.begin(), Ours.end(), *Active) != Ours.end()) {
    return std::nullopt;
  }
  auto Rect = RootGeometry(*Active);
  if (!Rect) {
    return std::nullopt;
  }
  // left, right, top, bottom; a window manager that draws no frame sets none.
  const auto R = GetProperty(Conn, *Active, NetFrameExtents, XCB_ATOM_CARDINAL, 4);
  const auto Extents = Items32(R.get(), XCB_ATOM_CARDINAL);
  if (Extents.size() == 4) {
    Rect->Left -= static_cast<std::int32_t>(Extents[0]);
    Rect->Right += static_cast<std::int32_t>(Extents[1]);
    Rect->Top -= static_cast<std::int32_t>(Extents[2]);
    Rect->Bottom += static_cast<std::int32_t>(Extents[3]);
  }
  return Rect;
}

bool TEwmh::ManagerRunning() const {
  const auto Named = [&](xcb_window_t AWindow) {
    const auto R = GetProperty(Conn, AWindow, SupportingWmCheck, XCB_ATOM_WINDOW, 1);
    const auto Items = Items32(R.get(), XCB_ATOM_WINDOW);
    return Items.empty() ? xcb_window_t{XCB_WINDOW_NONE} : Items[0];
  };
  const xcb_window_t Child = Named(RootWindow);
  // A manager that died leaves the root's property behind; its window is then gone.
  return Child != XCB_WINDOW_NONE && Named(Child) == Child;
}

std::vector<xcb_atom_t> TEwmh::States(xcb_window_t Window) const {
  const auto R = GetProperty(Conn, Window, NetWmState, XCB_ATOM_ATOM, 64);
  return Items32(R.get(), XCB_ATOM_ATOM);
}

void TEwmh::WriteStatesProperty(xcb_window_t Window, bool Skip) const {
  const auto Before = States(Window);
  std::vector<xcb_atom_t> After;
  for (const xcb_atom_t A : Before) {
    if (A != SkipTaskbar && A != SkipPager) {
      After.push_back(A);
    }
  }
  if (Skip) {
    After.push_back(SkipTaskbar);
    After.push_back(SkipPager);
  }
  if (After.size() != Before.size() ||
      !std::is_permutation(After.begin(), After.end(), Before.begin())) {
    xcb_change_property(Conn, XCB_PROP_MODE_REPLACE, Window, NetWmState, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(After.size()), After.data());
  }
}

void TEwmh::RequestStates(xcb_window_t Window, bool Add, xcb_atom_t First,
                          xcb_atom_t Second) const {
  xcb_client_message_event_t Event;
  std::memset(&Event, 0, sizeof Event);
  Event.response_type = XCB_CLIENT_MESSAGE;
  Event.format = 32;
  Event.window = Window;
  Event.type = NetWmState;
  Event.data.data32[0] = Add ? NET_WM_STATE_ADD : NET_WM_STATE_REMOVE;
  Event.data.data32[1] = First;
  Event.data.data32[2] = Second;
  Event.data.data32[3] = SOURCE_APPLICATION;
  xcb_send_event(Conn, 0, RootWindow,
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&Event));
}

void TEwmh::RequestAbove(xcb_window_t Window, bool AAbove) const {
  RequestStates(Window, AAbove, Above, XCB_ATOM_NONE);
  xcb_flush(Conn);
}

void TEwmh::SetSkipStates(xcb_window_t Window, bool Skip) const {
  // Both paths, always: whether the window manager has already taken the window over cannot be
  // known without a race, and each path is harmless where the other one is the one that counts.
  WriteStatesProperty(Window, Skip);
  RequestStates(Window, Skip, SkipTaskbar, SkipPager);
  xcb_flush(Conn);
}

TRect DeviceToLogical(const TRect& Device, double Ratio) {
  Ratio = Sane(Ratio);
  return {FloorDiv(Device.Left, Ratio), FloorDiv(Device.Top, Ratio), CeilDiv(Device.Right, Ratio),
          CeilDiv(Device.Bottom, Ratio)};
}

TRect LogicalToDevice(const TRect& Logical, double Ratio) {
  Ratio = Sane(Ratio);
  return {FloorMul(Logical.Left, Ratio), FloorMul(Logical.Top, Ratio),
          CeilMul(Logical.Right, Ratio), CeilMul(Logical.Bottom, Ratio)};
}

TPoint DeviceToLogical(const TPoint& Device, double Ratio) {
  Ratio = Sane(Ratio);
  return {FloorDiv(Device.X, Ratio), FloorDiv(Device.Y, Ratio)};
}

TPoint LogicalToDevice(const TPoint& Logical, double Ratio) {
  Ratio = Sane(Ratio);
  return {FloorMul(Logical.X, Ratio), FloorMul(Logical.Y, Ratio)};
}

} // namespace nyarumi::x11

// The xcb helpers against a real X server with a window manager (run through with_x.sh).
#include "shell/platform/x11_ewmh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace nyarumi::x11 {
namespace {

struct Free {
  void operator()(void* P) const { std::free(P); }
};

class XcbTest : public ::testing::Test {
protected:
  // One connection for the whole suite: a new connection may be given the id range of the last
  // one, and the window manager's late clean-up of an old window would then hit a new one.
  static void SetUpTestSuite() { Conn = xcb_connect(nullptr, nullptr); }
  static void TearDownTestSuite() {
    if (Conn != nullptr) {
      xcb_disconnect(Conn);
      Conn = nullptr;
    }
  }

  void SetUp() override {
    ASSERT_EQ(xcb_connection_has_error(Conn), 0) << "no X server: run through with_x.sh";
    Screen = xcb_setup_roots_iterator(xcb_get_setup(Conn)).data;
    X = std::make_unique<TEwmh>(Conn);
    ClientList = X->Intern("_NET_CLIENT_LIST");
  }

  // Each test starts with the window manager done with the windows of the last one.
  void TearDown() override {
    for (const xcb_window_t W : Made) {
      xcb_destroy_window(Conn, W);
    }
    xcb_aux_sync();
    for (const xcb_window_t W : Made) {
      EXPECT_TRUE(WaitFor([&] { return !Managed(W); })) << "the window manager kept " << W;
    }
    X.reset();
  }

  bool Managed(xcb_window_t W) {
    std::unique_ptr<xcb_get_property_reply_t, Free> R(xcb_get_property_reply(
        Conn, xcb_get_property(Conn, 0, Screen->root, ClientList, XCB_ATOM_WINDOW, 0, 4096),
        nullptr));
    if (!R || R->format != 32) {
      return false;
    }
    const auto* Ids = static_cast<const xcb_window_t*>(xcb_get_property_value(R.get()));
    const int Count = xcb_get_property_value_length(R.get()) / 4;
    return std::find(Ids, Ids + Count, W) != Ids + Count;
  }

  xcb_window_t MakeWindow(std::int16_t Left, std::int16_t Top, std::uint16_t Width,
                          std::uint16_t Height) {
    const xcb_window_t W = xcb_generate_id(Conn);
    xcb_create_window(Conn, XCB_COPY_FROM_PARENT, W, Screen->root, Left, Top, Width, Height, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, Screen->root_visual, 0, nullptr);
    xcb_flush(Conn);
    Made.push_back(W);
    return W;
  }

  // Maps W and returns once the window manager has framed it: reparented, with its frame
  // extents set and shown. The frame is reparented first and sized afterwards.
  void Map(xcb_window_t W) {
    xcb_map_window(Conn, W);
    xcb_flush(Conn);
    const xcb_atom_t Extents = X->Intern("_NET_FRAME_EXTENTS");
    ASSERT_TRUE(WaitFor([&] {
      return Parent(W) != Screen->root && Viewable(W) && HasProperty(W, Extents);
    })) << "the window manager never took the window over";
  }

  bool Viewable(xcb_window_t W) {
    std::unique_ptr<xcb_get_window_attributes_reply_t, Free> A(
        xcb_get_window_attributes_reply(Conn, xcb_get_window_attributes(Conn, W), nullptr));
    return A && A->map_state == XCB_MAP_STATE_VIEWABLE;
  }

  bool HasProperty(xcb_window_t W, xcb_atom_t AProperty) {
    std::unique_ptr<xcb_get_property_reply_t, Free> R(xcb_get_property_reply(
        Conn, xcb_get_property(Conn, 0, W, AProperty, XCB_ATOM_ANY, 0, 1), nullptr));
    return R && R->type != XCB_ATOM_NONE;
  }

  xcb_window_t Parent(xcb_window_t W) {
    std::unique_ptr<xcb_query_tree_reply_t, Free> R(
        xcb_query_tree_reply(Conn, xcb_query_tree(Conn, W), nullptr));
    return R ? R->parent : xcb_window_t{XCB_WINDOW_NONE};
  }

  // The frame the window manager put around W, measured independently of TEwmh.
  TRect FrameOf(xcb_window_t W) {
    const xcb_window_t Frame = Parent(W);
    std::unique_ptr<xcb_get_geometry_reply_t, Free> G(
        xcb_get_geometry_reply(Conn, xcb_get_geometry(Conn, Frame), nullptr));
    std::unique_ptr<xcb_translate_coordinates_reply_t, Free> O(xcb_translate_coordinates_reply(
        Conn, xcb_translate_coordinates(Conn, Frame, Screen->root, 0, 0), nullptr));
    const int B = G->border_width;
    return {O->dst_x - B, O->dst_y - B, O->dst_x + G->width + B, O->dst_y + G->height + B};
  }

  bool HasState(xcb_window_t W, xcb_atom_t A) {
    const auto S = X->States(W);
    return std::find(S.begin(), S.end(), A) != S.end();
  }

  void SetRootWindowProperty(const char* Name, std::optional<xcb_window_t> Value) {
    const xcb_atom_t A = X->Intern(Name);
    if (Value) {
      xcb_change_property(Conn, XCB_PROP_MODE_REPLACE, Screen->root, A, XCB_ATOM_WINDOW, 32, 1,
                          &*Value);
    } else {
      xcb_delete_property(Conn, Screen->root, A);
    }
    xcb_aux_sync();
  }

  void xcb_aux_sync() {
    std::free(xcb_get_input_focus_reply(Conn, xcb_get_input_focus(Conn), nullptr));
  }

  // Polls a state of the server; the limit only ends a test that has already failed, so it is
  // generous for a machine under load.
  static bool WaitFor(const std::function<bool()>& ACondition) {
    for (int I = 0; I < 1500; ++I) {
      if (ACondition()) {
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return ACondition();
  }

  static inline xcb_connection_t* Conn = nullptr;
  xcb_screen_t* Screen = nullptr;
  std::unique_ptr<TEwmh> X;
  xcb_atom_t ClientList = XCB_ATOM_NONE;
  std::vector<xcb_window_t> Made;
};

TEST_F(XcbTest, ActiveWindowFrameIsTheWindowWithItsDecorationsAndNoneForOursOrAbsent) {
  const xcb_window_t W = MakeWindow(200, 150, 320, 240);
  Map(W);
  // The window manager focuses a new window; that makes it the active one.
  ASSERT_TRUE(WaitFor([&] { return X->ActiveWindowFrame({}).has_value(); }));

  const auto Rect = X->ActiveWindowFrame({});
  const TRect Frame = FrameOf(W);
  EXPECT_EQ(*Rect, Frame);
  EXPECT_GT(Rect->Width(), 320) << "the frame's borders are part of the rectangle";
  EXPECT_GT(Rect->Height(), 240) << "the caption bar is part of the rectangle";

  const xcb_window_t Ours[] = {MakeWindow(0, 0, 10, 10), W};
  EXPECT_EQ(X->ActiveWindowFrame(Ours), std::nullopt);

  SetRootWindowProperty("_NET_ACTIVE_WINDOW", xcb_window_t{XCB_WINDOW_NONE});
  EXPECT_EQ(X->ActiveWindowFrame({}), std::nullopt);
  SetRootWindowProperty("_NET_ACTIVE_WINDOW", std::nullopt);
  EXPECT_EQ(X->ActiveWindowFrame({}), std::nullopt);
}

TEST_F(XcbTest, ActiveWindowThatIsGoneGivesNone) {
  const xcb_window_t W = MakeWindow(10, 10, 50, 50);
  SetRootWindowProperty("_NET_ACTIVE_WINDOW", W);
  xcb_destroy_window(Conn, W);
  xcb_aux_sync();
  EXPECT_EQ(X->ActiveWindowFrame({}), std::nullopt);
}

TEST_F(XcbTest, SkipStatesReachTheWindowManagerBeforeAndAfterMapping) {
  const xcb_atom_t Above = X->Intern("_NET_WM_STATE_ABOVE");
  auto Skipped = [&](xcb_window_t W) {
    return HasState(W, X->SkipTaskbarAtom()) && HasState(W, X->SkipPagerAtom());
  };
  for (const bool BeforeMap : {true, false}) {
    SCOPED_TRACE(BeforeMap ? "set before mapping" : "set after mapping");
    const xcb_window_t W = MakeWindow(40, 40, 100, 100);
    if (BeforeMap) {
      xcb_change_property(Conn, XCB_PROP_MODE_REPLACE, W, X->Intern("_NET_WM_STATE"), XCB_ATOM_ATOM,
                          32, 1, &Above);
      X->SetSkipStates(W, true);
      EXPECT_TRUE(Skipped(W) && HasState(W, Above)) << "added to the property, others kept";
      // As a window does: asked again once managed, since a busy window manager may drop what
      // it read from the property while taking the window over.
      Map(W);
      X->SetSkipStates(W, true);
      EXPECT_TRUE(WaitFor([&] { return Skipped(W); }));
      continue;
    }
    Map(W);
    X->RequestAbove(W, true);
    ASSERT_TRUE(WaitFor([&] { return HasState(W, Above); }));
    X->SetSkipStates(W, true);
    EXPECT_TRUE(WaitFor([&] { return Skipped(W); }));
    EXPECT_TRUE(HasState(W, Above)) << "other states are kept";

    X->SetSkipStates(W, false);
    EXPECT_TRUE(WaitFor(
        [&] { return !HasState(W, X->SkipTaskbarAtom()) && !HasState(W, X->SkipPagerAtom()); }));
    EXPECT_TRUE(HasState(W, Above));
    X->RequestAbove(W, false);
    EXPECT_TRUE(WaitFor([&] { return !HasState(W, Above); }));
  }
}

} // namespace
} // namespace nyarumi::x11

// Reads what the X server knows about a window, for the end-to-end scripts; xwininfo only
// reports shape extents, and a root screenshot is too slow to catch a window between moves.
//   shape_probe rects WINDOW           prints "bounding|input L T R B" lines
//   shape_probe compare WINDOW FILE    exit 0 when the pixels the window shows and accepts
//                                      clicks on are exactly the rectangles "L T R B" in FILE
//   shape_probe shot WINDOW FILE       writes the screen under the window's rectangle to FILE
//                                      (PPM) and prints the window's "LEFT TOP" on the screen;
//                                      both are taken with the server grabbed, so they agree
//   shape_probe count WINDOW RRGGBB    prints how many pixels of that colour the screen shows
//                                      inside and outside the window's outline, "INSIDE OUTSIDE"
//                                      (outside: within the window's rectangle), in one grab
//   shape_probe watch WINDOW MOVES     prints "move X Y" for each move of the window's top-level
//                                      frame and "shape" for each change of its outline, in the
//                                      order the server made them, until MOVES moves were seen
//   shape_probe wm-ready               returns once a window manager manages new windows: maps
//                                      a window, waits until it is reparented, destroys it and
//                                      waits until it has left _NET_CLIENT_LIST
//   shape_probe shown REGEX            returns once a viewable window's name matches REGEX;
//                                      it waits on the root's map events instead of polling,
//                                      so a program being timed does not share the CPU with it
//   shape_probe launch REGEX PROGRAM   starts PROGRAM (output to /dev/null), waits as shown
//                                      does, and prints "PID MICROSECONDS" from start to shown
// Waits give up after WAIT_SECONDS (exit 3); the test's own time limit is the real bound.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>
#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>
// GCC 12 warns falsely inside std::regex once the sanitizers are on.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <functional>
#include <regex>
#pragma GCC diagnostic pop

namespace {

constexpr int WAIT_SECONDS = 60;
constexpr int RETRY_SECONDS = 5;

struct Rect {
  int L, T, R, B;
};

struct Free {
  void operator()(void* P) const { std::free(P); }
};
template <typename T> using Reply = std::unique_ptr<T, Free>;

std::vector<Rect> ShapeRects(xcb_connection_t* C, xcb_window_t W, xcb_shape_kind_t Kind) {
  Reply<xcb_shape_get_rectangles_reply_t> Reply(
      xcb_shape_get_rectangles_reply(C, xcb_shape_get_rectangles(C, W, Kind), nullptr));
  std::vector<Rect> Out;
  if (!Reply) {
    return Out;
  }
  const xcb_rectangle_t* R = xcb_shape_get_rectangles_rectangles(Reply.get());
  for (int I = 0; I < xcb_shape_get_rectangles_rectangles_length(Reply.get()); ++I) {
    Out.push_back({R[I].x, R[I].y, R[I].x + R[I].width, R[I].y + R[I].height});
  }
  return Out;
}

// One flag per window pixel.
std::vector<bool> Mask(const std::vector<Rect>& Rects, int W, int H) {
  std::vector<bool> M(static_cast<std::size_t>(W) * H, false);
  for (const Rect& R : Rects) {
    for (int Y = std::max(R.T, 0); Y < std::min(R.B, H); ++Y) {
      for (int X = std::max(R.L, 0); X < std::min(R.R, W); ++X) {
        M[static_cast<std::size_t>(Y) * W + X] = true;
      }
    }
  }
  return M;
}

int Differences(const std::vector<bool>& A, const std::vector<bool>& B) {
  int N = 0;
  for (std::size_t I = 0; I < A.size(); ++I) {
    N += A[I] != B[I] ? 1 : 0;
  }
  return N;
}

xcb_screen_t* FirstScreen(xcb_connection_t* C) {
  return xcb_setup_roots_iterator(xcb_get_setup(C)).data;
}

// The window's size and its top-left corner on the screen; false when it does not exist.
bool RootGeometry(xcb_connection_t* C, xcb_window_t W, Rect& AOut) {
  Reply<xcb_get_geometry_reply_t> G(xcb_get_geometry_reply(C, xcb_get_geometry(C, W), nullptr));
  Reply<xcb_translate_coordinates_reply_t> O(xcb_translate_coordinates_reply(
      C, xcb_translate_coordinates(C, W, FirstScreen(C)->root, 0, 0), nullptr));
  if (!G || !O) {
    return false;
  }
  AOut = {O->dst_x, O->dst_y, O->dst_x + G->width, O->dst_y + G->height};
  return true;
}

xcb_window_t Parent(xcb_connection_t* C, xcb_window_t W) {
  Reply<xcb_query_tree_reply_t> R(xcb_query_tree_reply(C, xcb_query_tree(C, W), nullptr));
  return R ? R->parent : xcb_window_t{XCB_WINDOW_NONE};
}

// The ancestor of W that is a child of the root: the window manager's frame, or W itself.
xcb_window_t TopLevel(xcb_connection_t* C, xcb_window_t W) {
  const xcb_window_t Root = FirstScreen(C)->root;
  for (xcb_window_t P = Parent(C, W); P != XCB_WINDOW_NONE && P != Root; P = Parent(C, W)) {
    W = P;
  }
  return W;
}

// Calls AOnEvent for every event until it returns true; false after ASeconds.
bool WaitForEvent(xcb_connection_t* C, const std::function<bool(xcb_generic_event_t*)>& AOnEvent,
                  int ASeconds = WAIT_SECONDS) {
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(ASeconds);
  while (true) {
    while (xcb_generic_event_t* E = xcb_poll_for_event(C)) {
      const bool Done = AOnEvent(E);
      std::free(E);
      if (Done) {
        return true;
      }
    }
    if (xcb_connection_has_error(C)) {
      return false;
    }
    const auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(
        Deadline - std::chrono::steady_clock::now());
    if (Left.count() <= 0) {
      return false;
    }
    pollfd Fd{xcb_get_file_descriptor(C), POLLIN, 0};
    ::poll(&Fd, 1, static_cast<int>(Left.count()));
  }
}

xcb_atom_t Atom(xcb_connection_t* C, const char* AName) {
  Reply<xcb_intern_atom_reply_t> R(xcb_intern_atom_reply(
      C, xcb_intern_atom(C, 0, static_cast<std::uint16_t>(std::strlen(AName)), AName), nullptr));
  return R ? R->atom : xcb_atom_t{XCB_ATOM_NONE};
}

bool InClientList(xcb_connection_t* C, xcb_atom_t AList, xcb_window_t W) {
  Reply<xcb_get_property_reply_t> R(xcb_get_property_reply(
      C, xcb_get_property(C, 0, FirstScreen(C)->root, AList, XCB_ATOM_WINDOW, 0, 4096), nullptr));
  if (!R || R->format != 32) {
    return false;
  }
  const auto* Ids = static_cast<const xcb_window_t*>(xcb_get_property_value(R.get()));
  const int Count = xcb_get_property_value_length(R.get()) / 4;
  return std::find(Ids, Ids + Count, W) != Ids + Count;
}

int Rects(xcb_connection_t* C, xcb_window_t Window) {
  for (const Rect& R : ShapeRects(C, Window, XCB_SHAPE_SK_BOUNDING)) {
    std::printf("bounding %d %d %d %d\n", R.L, R.T, R.R, R.B);
  }
  for (const Rect& R : ShapeRects(C, Window, XCB_SHAPE_SK_INPUT)) {
    std::printf("input %d %d %d %d\n", R.L, R.T, R.R, R.B);
  }
  return 0;
}

int Compare(xcb_connection_t* C, xcb_window_t Window, const char* AFile) {
  Reply<xcb_get_geometry_reply_t> Geometry(
      xcb_get_geometry_reply(C, xcb_get_geometry(C, Window), nullptr));
  if (!Geometry) {
    std::cerr << "shape_probe: no such window\n";
    return 2;
  }
  const int W = Geometry->width, H = Geometry->height;
  std::vector<Rect> Expected;
  std::ifstream In(AFile);
  for (Rect R; In >> R.L >> R.T >> R.R >> R.B;) {
    Expected.push_back(R);
  }
  const auto Want = Mask(Expected, W, H);
  const auto Visible = Mask(ShapeRects(C, Window, XCB_SHAPE_SK_BOUNDING), W, H);
  auto Clickable = Mask(ShapeRects(C, Window, XCB_SHAPE_SK_INPUT), W, H);
  // The server only delivers input where both shapes cover the pixel.
  for (std::size_t I = 0; I < Clickable.size(); ++I) {
    Clickable[I] = Clickable[I] && Visible[I];
  }
  const int BadVisible = Differences(Want, Visible);
  const int BadClickable = Differences(Want, Clickable);
  std::printf("window %dx%d: %d visible and %d clickable pixels differ from %zu rectangles\n", W, H,
              BadVisible, BadClickable, Expected.size());
  return (BadVisible == 0 && BadClickable == 0) ? 0 : 1;
}

// The screen under the window's rectangle and where that rectangle is, taken with the server
// grabbed so that the two agree. The screen rather than the window: outside her outline a
// window's own pixels are undefined, and what shows there is what the user sees.
struct TShot {
  Rect Where{};
  std::vector<std::uint8_t> RGB; // 3 bytes a pixel, rows top to bottom
  std::vector<Rect> Outline;     // bounding shape, window coordinates
};

bool TakeShot(xcb_connection_t* C, xcb_window_t Window, TShot& AShot) {
  xcb_screen_t* Screen = FirstScreen(C);
  if (Screen->root_depth != 24) {
    std::cerr << "shape_probe: only 24-bit screens\n";
    return false;
  }
  xcb_grab_server(C);
  Reply<xcb_get_image_reply_t> Image;
  Rect& R = AShot.Where;
  if (RootGeometry(C, Window, R)) {
    AShot.Outline = ShapeRects(C, Window, XCB_SHAPE_SK_BOUNDING);
    Image.reset(xcb_get_image_reply(
        C,
        xcb_get_image(C, XCB_IMAGE_FORMAT_Z_PIXMAP, Screen->root, static_cast<std::int16_t>(R.L),
                      static_cast<std::int16_t>(R.T), static_cast<std::uint16_t>(R.R - R.L),
                      static_cast<std::uint16_t>(R.B - R.T), ~0u),
        nullptr));
  }
  xcb_ungrab_server(C);
  xcb_flush(C);
  if (!Image) {
    std::cerr << "shape_probe: no such window, or it is not on the screen\n";
    return false;
  }
  const int W = R.R - R.L, H = R.B - R.T;
  const auto* Pixels = xcb_get_image_data(Image.get());
  const int Stride = xcb_get_image_data_length(Image.get()) / H;
  AShot.RGB.clear();
  for (int Y = 0; Y < H; ++Y) {
    for (int X = 0; X < W; ++X) {
      const auto* P = Pixels + Y * Stride + X * 4; // 32 bits per pixel: B G R x
      AShot.RGB.insert(AShot.RGB.end(), {P[2], P[1], P[0]});
    }
  }
  return true;
}

int Shot(xcb_connection_t* C, xcb_window_t Window, const char* AFile) {
  TShot S;
  if (!TakeShot(C, Window, S)) {
    return 2;
  }
  std::ofstream Out(AFile, std::ios::binary | std::ios::trunc);
  Out << "P6\n" << S.Where.R - S.Where.L << " " << S.Where.B - S.Where.T << "\n255\n";
  Out.write(reinterpret_cast<const char*>(S.RGB.data()),
            static_cast<std::streamsize>(S.RGB.size()));
  if (!Out) {
    std::cerr << "shape_probe: cannot write " << AFile << "\n";
    return 2;
  }
  std::printf("%d %d\n", S.Where.L, S.Where.T);
  return 0;
}

int Count(xcb_connection_t* C, xcb_window_t Window, const char* AColour) {
  const unsigned long Colour = std::strtoul(AColour, nullptr, 16);
  TShot S;
  if (!TakeShot(C, Window, S)) {
    return 2;
  }
  const int W = S.Where.R - S.Where.L, H = S.Where.B - S.Where.T;
  const auto Inside = Mask(S.Outline.empty() ? std::vector<Rect>{{0, 0, W, H}} : S.Outline, W, H);
  int In = 0, Out = 0;
  for (std::size_t I = 0; I < Inside.size(); ++I) {
    const unsigned long P = (static_cast<unsigned long>(S.RGB[I * 3]) << 16) |
                            (static_cast<unsigned long>(S.RGB[I * 3 + 1]) << 8) | S.RGB[I * 3 + 2];
    if (P == Colour) {
      ++(Inside[I] ? In : Out);
    }
  }
  std::printf("%d %d\n", In, Out);
  return 0;
}

int Watch(xcb_connection_t* C, xcb_window_t Window, int AMoves) {
  const xcb_query_extension_reply_t* Shape = xcb_get_extension_data(C, &xcb_shape_id);
  if (Shape == nullptr || !Shape->present) {
    std::cerr << "shape_probe: no shape extension\n";
    return 2;
  }
  const xcb_window_t Frame = TopLevel(C, Window);
  const std::uint32_t Mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  xcb_change_window_attributes(C, Frame, XCB_CW_EVENT_MASK, &Mask);
  xcb_shape_select_input(C, Window, 1);
  // The frame is a child of the root: its own position is its place on the screen, and its
  // ConfigureNotify events report the same corner.
  Reply<xcb_get_geometry_reply_t> G(xcb_get_geometry_reply(C, xcb_get_geometry(C, Frame), nullptr));
  if (!G) {
    std::cerr << "shape_probe: no such window\n";
    return 2;
  }
  Rect Last{G->x, G->y, 0, 0};
  std::printf("at %d %d\n", Last.L, Last.T);
  std::fflush(stdout);
  int Moves = 0;
  const bool Done = WaitForEvent(C, [&](xcb_generic_event_t* E) {
    const int Type = E->response_type & 0x7F;
    if (Type == XCB_CONFIGURE_NOTIFY) {
      const auto* N = reinterpret_cast<xcb_configure_notify_event_t*>(E);
      if (N->window == Frame && (N->x != Last.L || N->y != Last.T)) {
        Last.L = N->x;
        Last.T = N->y;
        std::printf("move %d %d\n", N->x, N->y);
        ++Moves;
      }
    } else if (Type == Shape->first_event + XCB_SHAPE_NOTIFY) {
      const auto* N = reinterpret_cast<xcb_shape_notify_event_t*>(E);
      if (N->shape_kind == XCB_SHAPE_SK_BOUNDING) {
        std::printf("shape %d %d %d %d\n", N->extents_x, N->extents_y, N->extents_width,
                    N->extents_height);
      }
    } else if (Type == XCB_DESTROY_NOTIFY || Type == XCB_UNMAP_NOTIFY) {
      std::printf("gone\n");
      return true;
    }
    std::fflush(stdout);
    return Moves >= AMoves;
  });
  std::fflush(stdout);
  return Done ? 0 : 3;
}

int WmReady(xcb_connection_t* C) {
  xcb_screen_t* Screen = FirstScreen(C);
  const xcb_atom_t ClientList = Atom(C, "_NET_CLIENT_LIST");
  const std::uint32_t RootMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_change_window_attributes(C, Screen->root, XCB_CW_EVENT_MASK, &RootMask);
  const xcb_window_t W = xcb_generate_id(C);
  const std::uint32_t Mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  xcb_create_window(C, XCB_COPY_FROM_PARENT, W, Screen->root, 0, 0, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, Screen->root_visual, XCB_CW_EVENT_MASK, &Mask);
  // A map that reaches the server while the window manager is still starting may never be
  // redirected to it nor found by its first scan of the windows: map again until it is taken.
  bool Managed = false;
  for (int Try = 0; Try < WAIT_SECONDS / RETRY_SECONDS && !Managed; ++Try) {
    xcb_unmap_window(C, W);
    xcb_map_window(C, W);
    xcb_flush(C);
    Managed = WaitForEvent(
        C, [&](xcb_generic_event_t* E) { return (E->response_type & 0x7F) == XCB_REPARENT_NOTIFY; },
        RETRY_SECONDS);
  }
  if (!Managed) {
    std::cerr << "shape_probe: no window manager took a new window over\n";
    return 3;
  }
  // Gone from the manager's books too, so that nothing it does later can touch a window that
  // reuses this id.
  xcb_destroy_window(C, W);
  xcb_flush(C);
  const bool Released = !InClientList(C, ClientList, W) || WaitForEvent(C, [&](auto* E) {
    return (E->response_type & 0x7F) == XCB_PROPERTY_NOTIFY && !InClientList(C, ClientList, W);
  });
  if (!Released) {
    std::cerr << "shape_probe: the window manager kept a destroyed window\n";
    return 3;
  }
  return 0;
}

// Whether W or a window below it (a frame's client) is viewable and has a matching name.
bool ShowsName(xcb_connection_t* C, xcb_window_t W, const std::regex& AName, int ADepth = 0) {
  Reply<xcb_get_window_attributes_reply_t> A(
      xcb_get_window_attributes_reply(C, xcb_get_window_attributes(C, W), nullptr));
  if (!A || A->map_state != XCB_MAP_STATE_VIEWABLE) {
    return false;
  }
  static const xcb_atom_t NetName = Atom(C, "_NET_WM_NAME");
  for (const xcb_atom_t Name : {NetName, xcb_atom_t{XCB_ATOM_WM_NAME}}) {
    Reply<xcb_get_property_reply_t> R(xcb_get_property_reply(
        C, xcb_get_property(C, 0, W, Name, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr));
    if (R && R->format == 8) {
      const std::string Text(static_cast<const char*>(xcb_get_property_value(R.get())),
                             static_cast<std::size_t>(xcb_get_property_value_length(R.get())));
      if (std::regex_search(Text, AName)) {
        return true;
      }
    }
  }
  if (ADepth >= 2) {
    return false;
  }
  Reply<xcb_query_tree_reply_t> T(xcb_query_tree_reply(C, xcb_query_tree(C, W), nullptr));
  if (!T) {
    return false;
  }
  const xcb_window_t* Children = xcb_query_tree_children(T.get());
  const int Count = xcb_query_tree_children_length(T.get());
  return std::any_of(Children, Children + Count,
                     [&](xcb_window_t Child) { return ShowsName(C, Child, AName, ADepth + 1); });
}

constexpr std::uint32_t ROOT_MASK = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;

void WatchMaps(xcb_connection_t* C) {
  xcb_change_window_attributes(C, FirstScreen(C)->root, XCB_CW_EVENT_MASK, &ROOT_MASK);
}

// Waits on the root's map events (asked for with WatchMaps) until a matching window shows.
bool AwaitShown(xcb_connection_t* C, const std::regex& AName) {
  return WaitForEvent(C, [&](xcb_generic_event_t* E) {
    if ((E->response_type & 0x7F) != XCB_MAP_NOTIFY) {
      return false;
    }
    const xcb_window_t W = reinterpret_cast<xcb_map_notify_event_t*>(E)->window;
    if (ShowsName(C, W, AName)) {
      return true;
    }
    // A frame mapped before its client: the client's own map is reported to the frame only.
    xcb_change_window_attributes(C, W, XCB_CW_EVENT_MASK, &ROOT_MASK);
    xcb_flush(C);
    return ShowsName(C, W, AName);
  });
}

int Shown(xcb_connection_t* C, const char* APattern) {
  const std::regex Name(APattern);
  WatchMaps(C);
  // Already there: it may have been mapped before the events were asked for.
  if (ShowsName(C, FirstScreen(C)->root, Name)) {
    return 0;
  }
  return AwaitShown(C, Name) ? 0 : 3;
}

// Starts APROGRAM only once the map events are asked for, so neither this program's own start
// nor a scan of the windows already there is counted in the program's.
int Launch(xcb_connection_t* C, const char* APattern, const char* AProgram) {
  const std::regex Name(APattern);
  WatchMaps(C);
  Reply<xcb_get_input_focus_reply_t> Sync(
      xcb_get_input_focus_reply(C, xcb_get_input_focus(C), nullptr)); // the mask is in place
  const auto Start = std::chrono::steady_clock::now();
  const pid_t Pid = ::fork();
  if (Pid == 0) {
    const int Null = ::open("/dev/null", O_RDWR);
    ::dup2(Null, STDOUT_FILENO);
    ::dup2(Null, STDERR_FILENO);
    if (Null > STDERR_FILENO) {
      ::close(Null);
    }
    ::execl(AProgram, AProgram, static_cast<char*>(nullptr));
    ::_exit(127);
  }
  if (Pid < 0) {
    std::cerr << "shape_probe: cannot start " << AProgram << "\n";
    return 2;
  }
  if (!AwaitShown(C, Name)) {
    ::kill(Pid, SIGTERM);
    return 3;
  }
  const auto Taken = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - Start);
  std::printf("%d %lld\n", static_cast<int>(Pid), static_cast<long long>(Taken.count()));
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  const std::string Command = argc > 1 ? argv[1] : "";
  const bool Ok =
      (Command == "wm-ready" && argc == 2) ||
      ((Command == "rects" || Command == "shown") && argc == 3) ||
      (Command == "launch" && argc == 4) ||
      ((Command == "compare" || Command == "shot" || Command == "count" || Command == "watch") &&
       argc == 4);
  if (!Ok) {
    std::cerr << "usage: shape_probe rects WINDOW | compare WINDOW FILE | shot WINDOW FILE |"
                 " count WINDOW RRGGBB | watch WINDOW MOVES | wm-ready | shown REGEX |"
                 " launch REGEX PROGRAM\n";
    return 2;
  }
  xcb_connection_t* C = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(C)) {
    std::cerr << "shape_probe: cannot connect to the X server\n";
    return 2;
  }
  int Status = 0;
  if (Command == "wm-ready") {
    Status = WmReady(C);
  } else if (Command == "shown") {
    Status = Shown(C, argv[2]);
  } else if (Command == "launch") {
    Status = Launch(C, argv[2], argv[3]);
  } else {
    const auto Window = static_cast<xcb_window_t>(std::strtoul(argv[2], nullptr, 0));
    if (Command == "rects") {
      Status = Rects(C, Window);
    } else if (Command == "compare") {
      Status = Compare(C, Window, argv[3]);
    } else if (Command == "shot") {
      Status = Shot(C, Window, argv[3]);
    } else if (Command == "count") {
      Status = Count(C, Window, argv[3]);
    } else {
      Status = Watch(C, Window, std::atoi(argv[3]));
    }
  }
  xcb_disconnect(C);
  return Status;
}

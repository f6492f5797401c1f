// Reads a window's shape from the X server, which xwininfo only reports as extents.
//   shape_probe rects WINDOW           prints "bounding|input L T R B" lines
//   shape_probe compare WINDOW FILE    exit 0 when the pixels the window shows and accepts
//                                      clicks on are exactly the rectangles "L T R B" in FILE
#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Rect {
  int L, T, R, B;
};

std::vector<Rect> ShapeRects(xcb_connection_t* C, xcb_window_t W, xcb_shape_kind_t Kind) {
  auto* Reply = xcb_shape_get_rectangles_reply(C, xcb_shape_get_rectangles(C, W, Kind), nullptr);
  std::vector<Rect> Out;
  if (Reply == nullptr) {
    return Out;
  }
  const xcb_rectangle_t* R = xcb_shape_get_rectangles_rectangles(Reply);
  for (int I = 0; I < xcb_shape_get_rectangles_rectangles_length(Reply); ++I) {
    Out.push_back({R[I].x, R[I].y, R[I].x + R[I].width, R[I].y + R[I].height});
  }
  std::free(Reply);
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

} // namespace

int main(int argc, char** argv) {
  if (argc < 3 || (std::string(argv[1]) == "compare" && argc < 4)) {
    std::cerr << "usage: shape_probe rects WINDOW | compare WINDOW FILE\n";
    return 2;
  }
  const auto Window = static_cast<xcb_window_t>(std::strtoul(argv[2], nullptr, 0));
  xcb_connection_t* C = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(C)) {
    std::cerr << "shape_probe: cannot connect to the X server\n";
    return 2;
  }
  const auto Bounding = ShapeRects(C, Window, XCB_SHAPE_SK_BOUNDING);
  const auto Input = ShapeRects(C, Window, XCB_SHAPE_SK_INPUT);

  if (std::string(argv[1]) == "rects") {
    for (const Rect& R : Bounding) {
      std::printf("bounding %d %d %d %d\n", R.L, R.T, R.R, R.B);
    }
    for (const Rect& R : Input) {
      std::printf("input %d %d %d %d\n", R.L, R.T, R.R, R.B);
    }
    return 0;
  }

  auto* Geometry = xcb_get_geometry_reply(C, xcb_get_geometry(C, Window), nullptr);
  if (Geometry == nullptr) {
    std::cerr << "shape_probe: no such window\n";
    return 2;
  }
  const int W = Geometry->width, H = Geometry->height;
  std::free(Geometry);

  std::vector<Rect> Expected;
  std::ifstream In(argv[3]);
  for (Rect R; In >> R.L >> R.T >> R.R >> R.B;) {
    Expected.push_back(R);
  }
  const auto Want = Mask(Expected, W, H);
  const auto Visible = Mask(Bounding, W, H);
  auto Clickable = Mask(Input, W, H);
  // The server only delivers input where both shapes cover the pixel.
  for (std::size_t I = 0; I < Clickable.size(); ++I) {
    Clickable[I] = Clickable[I] && Visible[I];
  }
  const int BadVisible = Differences(Want, Visible);
  const int BadClickable = Differences(Want, Clickable);
  std::printf("window %dx%d: %d visible and %d clickable pixels differ from %zu rectangles\n", W, H,
              BadVisible, BadClickable, Expected.size());
  xcb_disconnect(C);
  return (BadVisible == 0 && BadClickable == 0) ? 0 : 1;
}

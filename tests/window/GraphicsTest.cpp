#include "Fixture.h"
#include "shell/window/Button.h"
#include "shell/window/Form.h"
#include "shell/window/Image.h"

namespace nyarumi::test {
namespace {

// An 88 x 154 palette picture whose pixel (x, y) has palette index (x + y) % 3.
TBitmap8 Frame() {
  TBitmap8 b;
  b.Width = 88;
  b.Height = 154;
  b.Palette = {{255, 255, 255}, {200, 0, 0}, {0, 0, 90}};
  for (int y = 0; y < b.Height; ++y) {
    for (int x = 0; x < b.Width; ++x) {
      b.Pixels.push_back(static_cast<std::uint8_t>((x + y) % 3));
    }
  }
  return b;
}

// An 88 x 154 palette picture whose pixels outside the frame rectangle are white.
TBitmap8 WhiteEdgedFrame(int AShift) {
  TBitmap8 b = Frame();
  for (int y = 0; y < b.Height; ++y) {
    for (int x = 0; x < b.Width; ++x) {
      const bool edge = x == 87 || y == 153;
      b.Pixels[static_cast<std::size_t>(y * b.Width + x)] =
          edge ? 0 : static_cast<std::uint8_t>((x + y + AShift) % 3);
    }
  }
  return b;
}

// A copy that leaves the front equal to the frame shows the frame's pixels without copying
// them; either way the front ends up as the copy defines, and drawing on it later leaves the
// frame alone.
TEST_F(WindowTest, FrameRectCopiesArePlainPixelCopiesThatLeaveTheLastRowAndColumn) {
  const struct {
    const char* Name;
    TBitmap8 First;
    TBitmap8 Second;
    bool Shared;
  } cases[] = {
      {"patterned edges", Frame(), Frame(), false},
      {"white edges", WhiteEdgedFrame(0), WhiteEdgedFrame(1), true},
  };
  for (const auto& c : cases) {
    TImage front(nullptr);
    front.SetBounds(0, 0, 88, 154);
    front.Canvas().FillRect({0, 0, 87, 153}); // the default brush is white
    const TRect frameRect{0, 0, 87, 153};
    for (const TBitmap8* bitmap : {&c.First, &c.Second, &c.First}) {
      TImage frame(nullptr);
      frame.Picture().Assign(*bitmap);
      front.Canvas().CopyRect(frameRect, frame.Canvas(), frameRect);
      for (int y = 0; y < 154; ++y) {
        for (int x = 0; x < 88; ++x) {
          const std::uint32_t expected =
              (x < 87 && y < 153) ? frame.Picture().Pixel(x, y) : 0xFFFFFFu;
          ASSERT_EQ(front.Canvas().Pixel(x, y), expected) << c.Name << " " << x << "," << y;
        }
      }
      EXPECT_EQ(front.Picture().Ref().Owner == frame.Picture().Ref().Owner, c.Shared) << c.Name;
      EXPECT_NE(frame.Picture().Indexed(), nullptr); // reading a picture does not convert it
      const std::uint32_t framePixel = frame.Picture().Pixel(0, 0);
      TImage back(nullptr);
      back.SetBounds(0, 0, 88, 154);
      back.Canvas().FillRect({0, 0, 87, 153});
      back.Canvas().CopyRect(frameRect, front.Canvas(), frameRect);
      back.Canvas().Brush.Color = clLime;
      back.Canvas().FillRect({0, 0, 1, 1});
      EXPECT_EQ(back.Canvas().Pixel(0, 0), 0x00FF00u) << c.Name;
      EXPECT_EQ(frame.Picture().Pixel(0, 0), framePixel) << c.Name;
      EXPECT_EQ(front.Canvas().Pixel(0, 0), framePixel) << c.Name;
    }
  }
}

// A front that shows one frame takes another frame's pixels only where the copy leaves it equal
// to that frame; what the first comparison learns about a frame's edge must not decide a later
// one with another rectangle or against another frame.
TEST_F(WindowTest, CopiesBetweenFramesShareOnlyWhenTheEdgesAgree) {
  const auto edged = [](int AShift, auto AEdge) {
    TBitmap8 b = WhiteEdgedFrame(AShift);
    for (int y = 0; y < b.Height; ++y) {
      for (int x = 0; x < b.Width; ++x) {
        if (x == 87 || y == 153) {
          b.Pixels[static_cast<std::size_t>(y * b.Width + x)] =
              static_cast<std::uint8_t>(AEdge(x, y));
        }
      }
    }
    return b;
  };
  const auto white = [](int, int) { return 0; };
  const auto red = [](int, int) { return 1; };
  const auto striped = [](int x, int y) { return (x + y) % 2; };
  const auto dotted = [](int x, int y) { return x == 3 && y == 153 ? 2 : 0; };
  const struct {
    const char* Name;
    TBitmap8 Shown;
    TBitmap8 Copied;
    TRect Rect;
    bool Shared;
  } cases[] = {
      {"one plain edge", edged(0, white), edged(1, white), {0, 0, 87, 153}, true},
      {"plain edges of two colours", edged(0, white), edged(1, red), {0, 0, 87, 153}, false},
      {"equal striped edges", edged(0, striped), edged(1, striped), {0, 0, 87, 153}, true},
      {"one dot apart", edged(0, white), edged(1, dotted), {0, 0, 87, 153}, false},
      {"a narrower rectangle", edged(0, white), edged(1, white), {0, 0, 86, 153}, false},
  };
  const auto color = [](const TBitmap8& b, int x, int y) {
    const TPaletteEntry& e = b.Palette[b.At(x, y)];
    return std::uint32_t{e.Red} << 16 | std::uint32_t{e.Green} << 8 | e.Blue;
  };
  for (const auto& c : cases) {
    TImage front(nullptr);
    front.SetBounds(0, 0, 88, 154);
    front.Picture().Assign(c.Shown);
    TImage frame(nullptr);
    frame.Picture().Assign(c.Copied);
    // Another image showing the same pixels is compared first with the full rectangle, as her
    // ticks do, so that the front's comparison finds notes on both frames.
    TImage twin(nullptr);
    twin.SetBounds(0, 0, 88, 154);
    twin.Canvas().CopyRect({0, 0, 88, 154}, front.Canvas(), {0, 0, 88, 154});
    ASSERT_EQ(twin.Picture().Ref().Owner, front.Picture().Ref().Owner);
    twin.Canvas().CopyRect({0, 0, 87, 153}, frame.Canvas(), {0, 0, 87, 153});
    front.Canvas().CopyRect(c.Rect, frame.Canvas(), c.Rect);
    EXPECT_EQ(front.Picture().Ref().Owner == frame.Picture().Ref().Owner, c.Shared) << c.Name;
    for (int y = 0; y < 154; ++y) {
      for (int x = 0; x < 88; ++x) {
        const bool inside =
            x >= c.Rect.Left && x < c.Rect.Right && y >= c.Rect.Top && y < c.Rect.Bottom;
        ASSERT_EQ(front.Canvas().Pixel(x, y), inside ? color(c.Copied, x, y) : color(c.Shown, x, y))
            << c.Name << " " << x << "," << y;
      }
    }
  }
}

TEST_F(WindowTest, CanvasFillsAreClippedAndCopiesWithinOnePictureUseTheOldPixels) {
  TImage image(nullptr);
  image.SetBounds(0, 0, 4, 1);
  image.Canvas().Brush.Color = clRed;
  image.Canvas().FillRect({-5, -5, 1, 9});
  EXPECT_EQ(image.Canvas().Pixel(0, 0), 0xFF0000u);
  EXPECT_EQ(image.Canvas().Pixel(1, 0), 0xFFFFFFu);
  image.Canvas().CopyRect({1, 0, 4, 1}, image.Canvas(), {0, 0, 3, 1});
  EXPECT_EQ(image.Canvas().Pixel(1, 0), 0xFF0000u);
  EXPECT_EQ(image.Canvas().Pixel(2, 0), 0xFFFFFFu); // the old (1, 0), not the new one
}

// Same-size copies go row by row; wherever source or destination leave their pictures the
// result must still be pixel for pixel what the definition says.
TEST_F(WindowTest, PlainCopiesClipAgainstBothPicturesFromPaletteAndDrawnSources) {
  TBitmap8 small;
  small.Width = 5;
  small.Height = 3;
  small.Palette = {{10, 20, 30}, {40, 50, 60}};
  small.Pixels = {0, 1, 7, 1, 0, 1, 0, 1, 0, 7, 0, 0, 1, 1, 1}; // 7: past the palette, black
  TImage indexed(nullptr);
  indexed.Picture().Assign(small);
  TImage drawn(nullptr);
  drawn.Picture().Assign(small);
  drawn.Picture().Writable();
  const TRect cases[][2] = {{{0, 0, 5, 3}, {0, 0, 5, 3}},   {{-2, -1, 3, 2}, {1, 1, 6, 4}},
                            {{2, 1, 7, 4}, {-3, -2, 2, 1}}, {{4, 3, 9, 6}, {0, 0, 5, 3}},
                            {{0, 0, 5, 3}, {5, 0, 10, 3}},  {{-9, 0, -4, 3}, {0, 0, 5, 3}}};
  for (TImage* source : {&indexed, &drawn}) {
    for (const auto& [dest, from] : cases) {
      TImage target(nullptr);
      target.SetBounds(0, 0, 6, 4);
      target.Canvas().Brush.Color = clRed;
      target.Canvas().FillRect({0, 0, 6, 4});
      target.Canvas().CopyRect(dest, source->Canvas(), from);
      for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
          const int sx = from.Left + x - dest.Left;
          const int sy = from.Top + y - dest.Top;
          const bool copied = x >= dest.Left && x < dest.Right && y >= dest.Top &&
                              y < dest.Bottom && sx >= 0 && sx < 5 && sy >= 0 && sy < 3;
          const std::uint32_t expected = copied ? source->Picture().Pixel(sx, sy) : 0xFF0000u;
          ASSERT_EQ(target.Canvas().Pixel(x, y), expected)
              << (source == &indexed ? "palette " : "drawn ") << dest.Left << "," << dest.Top
              << " from " << from.Left << "," << from.Top << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST_F(WindowTest, ButtonsLiveAndDieWithTheirFormsWindow) {
  {
    TForm form(nullptr);
    auto* button = new TButton(&form);
    button->SetParent(&form);
    button->SetCaption("Close");
    int clicks = 0;
    button->OnClick = [&](TComponent*) { ++clicks; };
    EXPECT_EQ(Null.LiveButtons(), 0u); // no window yet
    form.Show();
    ASSERT_EQ(Null.LiveButtons(), 1u);
    Null.ClickButton(button->Handle());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(Null.Button(button->Handle()).Params.Caption, "Close");
  }
  EXPECT_EQ(Null.LiveButtons(), 0u);
  EXPECT_EQ(Null.LiveWindows(), 0u);
}

TEST(NullPlatform, FailuresComeOnceAlwaysOrEveryNthCall) {
  NullPlatform null;
  null.FailEvery(NullOp::CreateRectRgn, 3);
  std::vector<bool> made;
  for (int i = 0; i < 6; ++i) {
    made.push_back(null.CreateRectRgn(0, 0, 1, 1) != RegionId::None);
  }
  EXPECT_EQ(made, (std::vector<bool>{true, true, false, true, true, false}));
  null.ClearFailures();
  null.FailOnce(NullOp::SetTimer);
  EXPECT_EQ(null.SetTimer(100, [] {}), TimerId::None);
  EXPECT_NE(null.SetTimer(100, [] {}), TimerId::None);
  null.FailAlways(NullOp::GetCursorPos);
  EXPECT_FALSE(null.GetCursorPos().has_value());
  EXPECT_FALSE(null.GetCursorPos().has_value());
  EXPECT_EQ(null.CallCount(NullOp::CreateRectRgn), 6u);
  EXPECT_EQ(null.LiveRegions(), 4u);
}

TEST(NullPlatform, RegionHandlesAreNeverReusedSoAStaleHandleIsUnknown) {
  NullPlatform null;
  const RegionId a = null.CreateRectRgn(0, 0, 2, 2);
  EXPECT_TRUE(null.DeleteObject(a));
  EXPECT_FALSE(null.DeleteObject(a));
  const RegionId b = null.CreateRectRgn(0, 0, 2, 2);
  EXPECT_NE(a, b);
  TRect box;
  EXPECT_EQ(null.GetRgnBox(a, box), TRegionKind::Error);
  EXPECT_EQ(null.CombineRgn(b, b, a, TCombineMode::Or), TRegionKind::Error);
}

} // namespace
} // namespace nyarumi::test

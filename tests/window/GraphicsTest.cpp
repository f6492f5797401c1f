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

TEST_F(WindowTest, FrameRectCopiesArePlainPixelCopiesThatLeaveTheLastRowAndColumn) {
  TImage frame(nullptr);
  frame.Picture().Assign(Frame());
  TImage front(nullptr);
  front.SetBounds(0, 0, 88, 154);
  front.Canvas().FillRect({0, 0, 87, 153}); // the default brush is white
  const TRect frameRect{0, 0, 87, 153};
  front.Canvas().CopyRect(frameRect, frame.Canvas(), frameRect);
  for (int y = 0; y < 154; ++y) {
    for (int x = 0; x < 88; ++x) {
      const std::uint32_t expected = (x < 87 && y < 153) ? frame.Picture().Pixel(x, y) : 0xFFFFFFu;
      ASSERT_EQ(front.Canvas().Pixel(x, y), expected) << x << "," << y;
    }
  }
  EXPECT_NE(frame.Picture().Indexed(), nullptr); // reading a picture does not convert it
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

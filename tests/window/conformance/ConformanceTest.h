#pragma once
// What every backend must do, whatever its native side: one typed suite, instantiated once per
// backend by a <backend>_conformance.cpp beside this file. A backend's traits type provides:
//   using PlatformType = …;                                  the backend class
//   static std::unique_ptr<PlatformType> Make();            a fresh backend for one test
//   static void NestedLoop(PlatformType&, std::uint32_t ms); runs events for a while, as a
//                                                           modal loop inside a callback would
//   static void Settle(PlatformType&);                      delivers what is pending now
//   static std::size_t LiveRegions(PlatformType&);          region handles alive
//   static std::optional<std::string> Clipboard(PlatformType&);
//   static void Click(PlatformType&, WindowId, ButtonId);  a user's click on a native button
#include "common/Errors.h"
#include "shell/platform/Platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace nyarumi::conformance {

// Records what a window tells the window layer.
class TRecorder : public WindowEvents {
public:
  void Paint(Canvas& ACanvas, const TRect& ADirty) override {
    ++Paints;
    LastDirty = ADirty;
    ACanvas.FillRect({0, 0, 88, 154}, {255, 0, 0});
  }
  void MouseMove(TShiftState, TPoint) override {}
  void MouseLeave() override {}
  void MouseDown(TMouseButton, TShiftState, TPoint) override {}
  void MouseUp(TMouseButton, TShiftState, TPoint) override {}
  bool KeyDown(TShortCut) override { return true; }
  void CloseRequest() override {}
  void Moved(TPoint) override {}

  int Paints = 0;
  TRect LastDirty;
};

// The bytes of a region record holding ARects.
inline std::vector<std::uint8_t> Record(const std::vector<TRect>& ARects) {
  const auto count = static_cast<std::int32_t>(ARects.size());
  std::vector<std::int32_t> words{32, 1, count, count * 16, 0, 0, 0, 0};
  for (const TRect& r : ARects) {
    words.insert(words.end(), {r.Left, r.Top, r.Right, r.Bottom});
  }
  std::vector<std::uint8_t> bytes(words.size() * 4);
  std::memcpy(bytes.data(), words.data(), bytes.size());
  return bytes;
}

template <class Traits> class Conformance : public ::testing::Test {
protected:
  WindowId MakeWindow(TWindowBorder ABorder = TWindowBorder::None) {
    TWindowParams params;
    params.Border = ABorder;
    params.Caption = "conformance";
    params.OuterTopLeft = {100, 50};
    params.ClientWidth = 88;
    params.ClientHeight = 154;
    params.StayOnTop = true;
    return P->CreateNativeWindow(params, Events);
  }

  std::unique_ptr<typename Traits::PlatformType> P = Traits::Make();
  TRecorder Events;
};

TYPED_TEST_SUITE_P(Conformance);

TYPED_TEST_P(Conformance, UnknownHandlesAreIgnoredAndGiveTheFailureValue) {
  auto& p = *this->P;
  const WindowId liveWindow = this->MakeWindow();
  ASSERT_NE(liveWindow, WindowId::None);
  const RegionId held = p.CreateRectRgn(0, 0, 10, 10);
  ASSERT_NE(held, RegionId::None);
  const std::size_t regions = TypeParam::LiveRegions(p);
  for (const WindowId w : {WindowId::None, WindowId{0xDEAD0}}) {
    SCOPED_TRACE(static_cast<std::uintptr_t>(w));
    p.SetWindowCaption(w, "x");
    p.SetWindowGeometry(w, {1, 2}, 3, 4);
    p.SetWindowVisible(w, true);
    p.SetStayOnTop(w, false);
    p.SetSkipTaskbar(w, false);
    p.SetWindowCursor(w, TCursorShape::HandPoint);
    p.InvalidateWindow(w, std::nullopt);
    p.UpdateWindow(w);
    EXPECT_EQ(p.FrameExtents(w), TRect{});
    EXPECT_FALSE(p.WindowRegionContains(w, {1, 1}));
    EXPECT_EQ(p.CreateButton(w, {}, [] {}), ButtonId::None);
    EXPECT_EQ(p.SetWindowRgn(w, held, true), 0) << "the caller keeps its region";
    p.DestroyNativeWindow(w);
  }
  for (const ButtonId b : {ButtonId::None, ButtonId{0xDEAD1}}) {
    p.SetButtonBounds(b, {0, 0, 1, 1});
    p.SetButtonCaption(b, "x");
    p.SetButtonVisible(b, false);
    p.SetButtonEnabled(b, false);
    p.DestroyButton(b);
  }
  TRect box{1, 2, 3, 4};
  for (const RegionId r : {RegionId::None, RegionId{0xDEAD2}}) {
    EXPECT_EQ(p.CombineRgn(r, held, held, TCombineMode::Or), TRegionKind::Error);
    EXPECT_EQ(p.CombineRgn(held, r, held, TCombineMode::Or), TRegionKind::Error);
    EXPECT_EQ(p.GetRgnBox(r, box), TRegionKind::Error);
    EXPECT_EQ(p.OffsetRgn(r, 1, 1), TRegionKind::Error);
    EXPECT_FALSE(p.DeleteObject(r));
  }
  p.KillTimer(TimerId::None);
  p.KillTimer(TimerId{0xDEAD3});
  EXPECT_EQ(TypeParam::LiveRegions(p), regions) << "nothing was freed or taken over";
  EXPECT_TRUE(p.DeleteObject(held));
  EXPECT_EQ(p.SetTimer(100, {}), TimerId::None) << "no callback, no timer";
  p.DestroyNativeWindow(liveWindow);
}

TYPED_TEST_P(Conformance, AWindowTakesOverItsRegionAndFreesTheOneItHad) {
  auto& p = *this->P;
  const WindowId w = this->MakeWindow();
  const std::size_t before = TypeParam::LiveRegions(p);
  // Banded already, as her stored outlines are.
  auto bytes = Record({{0, 0, 10, 5}, {30, 0, 40, 5}, {0, 5, 10, 20}});
  const RegionId first = p.ExtCreateRegion(bytes);
  ASSERT_NE(first, RegionId::None);
  TRect box;
  EXPECT_EQ(p.GetRgnBox(first, box), TRegionKind::Complex);
  EXPECT_EQ(box, (TRect{0, 0, 40, 20}));
  EXPECT_EQ(p.OffsetRgn(first, 5, 6), TRegionKind::Complex);
  // The same bytes read again give a region of their own, and bytes rewritten in place are read
  // for what they hold now.
  const auto readBox = [&](std::optional<TRect> AExpected, const char* AWhat, TPoint AMove = {}) {
    const RegionId again = p.ExtCreateRegion(bytes);
    ASSERT_EQ(again != RegionId::None, AExpected.has_value()) << AWhat;
    if (AExpected) {
      EXPECT_NE(p.OffsetRgn(again, AMove.X, AMove.Y), TRegionKind::Error);
      EXPECT_NE(p.GetRgnBox(again, box), TRegionKind::Error);
      EXPECT_EQ(box, *AExpected) << AWhat;
      EXPECT_TRUE(p.DeleteObject(again));
    }
  };
  readBox(TRect{0, 0, 40, 20}, "read again after the first moved");
  readBox(TRect{5, 6, 45, 26}, "moved as the first was", {5, 6});
  readBox(TRect{-1, 6, 39, 26}, "moved elsewhere", {-1, 6});
  readBox(TRect{5, 6, 45, 26}, "moved as the first was, again", {5, 6});
  const auto moved = Record({{1, 2, 11, 7}, {31, 2, 41, 7}, {1, 7, 11, 22}});
  std::copy(moved.begin(), moved.end(), bytes.begin());
  readBox(TRect{1, 2, 41, 22}, "rewritten in place");
  const auto emptied = Record({{1, 2, 11, 7}, {31, 2, 31, 7}, {1, 7, 11, 22}});
  std::copy(emptied.begin(), emptied.end(), bytes.begin());
  readBox(std::nullopt, "an empty rectangle written in place");
  ASSERT_EQ(p.GetRgnBox(first, box), TRegionKind::Complex);
  EXPECT_EQ(box, (TRect{5, 6, 45, 26})) << "the first kept its move";
  ASSERT_NE(p.SetWindowRgn(w, first, true), 0);
  EXPECT_EQ(TypeParam::LiveRegions(p), before) << "the window took the handle over";
  EXPECT_FALSE(p.DeleteObject(first)) << "no longer the caller's to free";
  EXPECT_TRUE(p.WindowRegionContains(w, {5, 6}));
  EXPECT_TRUE(p.WindowRegionContains(w, {35, 6}));
  EXPECT_FALSE(p.WindowRegionContains(w, {20, 6})) << "between the two rectangles";
  EXPECT_FALSE(p.WindowRegionContains(w, {0, 0})) << "moved away by the offset";

  const RegionId second = p.CreateRectRgn(0, 0, 88, 154);
  const RegionId part = p.CreateRectRgn(100, 0, 110, 10);
  EXPECT_EQ(p.CombineRgn(second, second, part, TCombineMode::Or), TRegionKind::Complex);
  ASSERT_TRUE(p.DeleteObject(part));
  ASSERT_NE(p.SetWindowRgn(w, second, false), 0);
  EXPECT_EQ(TypeParam::LiveRegions(p), before);
  EXPECT_TRUE(p.WindowRegionContains(w, {20, 6}));
  ASSERT_NE(p.SetWindowRgn(w, RegionId::None, true), 0);
  EXPECT_TRUE(p.WindowRegionContains(w, {60, 100})) << "no region: the whole client area";

  const RegionId third = p.CreateRectRgn(0, 0, 5, 5);
  ASSERT_NE(p.SetWindowRgn(w, third, false), 0);
  p.DestroyNativeWindow(w);
  EXPECT_EQ(TypeParam::LiveRegions(p), before);
}

// Her step's shortcuts: a backend may offer them; what it takes it does whole, else nothing.
TYPED_TEST_P(Conformance, ShortcutsForHerStepDoAllOfItOrNothing) {
  auto& p = *this->P;
  const WindowId w = this->MakeWindow();
  p.SetWindowVisible(w, true);
  TypeParam::Settle(p);
  const RegionId outline = p.ExtCreateRegion(Record({{0, 0, 10, 5}, {30, 0, 40, 5}}));
  ASSERT_NE(outline, RegionId::None);
  const std::size_t live = TypeParam::LiveRegions(p);
  if (p.CopyWindowRgn(w, outline)) {
    EXPECT_FALSE(p.WindowRegionContains(w, {20, 2}));
    EXPECT_TRUE(p.WindowRegionContains(w, {35, 2}));
    ASSERT_EQ(p.OffsetRgn(outline, 0, 50), TRegionKind::Complex);
    EXPECT_TRUE(p.WindowRegionContains(w, {35, 2})) << "a copy stays when the original moves";
    EXPECT_TRUE(p.CopyWindowRgn(w, outline));
    EXPECT_TRUE(p.WindowRegionContains(w, {35, 52}));
    EXPECT_FALSE(p.WindowRegionContains(w, {35, 2}));
  } else {
    EXPECT_TRUE(p.WindowRegionContains(w, {20, 2})) << "refused: nothing changed";
  }
  EXPECT_EQ(TypeParam::LiveRegions(p), live) << "the original stays the caller's";
  EXPECT_TRUE(p.DeleteObject(outline));
  EXPECT_FALSE(p.CopyWindowRgn(w, outline)) << "a freed region";

  auto bitmap = std::make_shared<TBitmap8>();
  bitmap->Width = 88;
  bitmap->Height = 154;
  bitmap->Palette = {{0, 0, 255}};
  bitmap->Pixels.assign(88 * 154, 0);
  TPictureRef picture;
  picture.Indexed = bitmap.get();
  picture.Width = 88;
  picture.Height = 154;
  picture.Owner = bitmap;
  const TRect all{0, 0, 88, 154};
  const int paints = this->Events.Paints;
  p.ShowPicture(w, picture, all); // the backend's choice
  EXPECT_FALSE(p.ShowPicture(w, picture, {0, 0, 80, 154})) << "not the window's size";
  EXPECT_FALSE(p.ShowPicture(w, picture, {8, 0, 96, 154})) << "beyond the picture";
  TPictureRef changing = picture;
  changing.Owner.reset();
  EXPECT_FALSE(p.ShowPicture(w, changing, all)) << "pixels that may change";
  EXPECT_EQ(this->Events.Paints, paints) << "showing a picture paints nothing";
  p.SetWindowVisible(w, false);
  EXPECT_FALSE(p.ShowPicture(w, picture, all)) << "a hidden window";
  p.DestroyNativeWindow(w);
}

TYPED_TEST_P(Conformance, UpdateRepaintsTheMarkedAreaBeforeReturning) {
  auto& p = *this->P;
  const WindowId w = this->MakeWindow();
  p.SetWindowVisible(w, true);
  TypeParam::Settle(p);
  const int before = this->Events.Paints;
  p.InvalidateWindow(w, TRect{10, 20, 30, 40});
  p.UpdateWindow(w);
  EXPECT_EQ(this->Events.Paints, before + 1);
  EXPECT_EQ(this->Events.LastDirty, (TRect{10, 20, 30, 40}));
  p.UpdateWindow(w);
  EXPECT_EQ(this->Events.Paints, before + 1) << "nothing marked, nothing painted";
  p.DestroyNativeWindow(w);
}

TYPED_TEST_P(Conformance, TimersAreNeverReenteredAndMayKillThemselves) {
  auto& p = *this->P;
  int calls = 0, depth = 0, maxDepth = 0;
  TimerId self{};
  self = p.SetTimer(20, [&] {
    ++calls;
    maxDepth = std::max(maxDepth, ++depth);
    if (calls == 1) {
      TypeParam::NestedLoop(p, 200); // ten ticks fall due in here
    }
    if (calls == 3) {
      p.KillTimer(self);
      p.Quit();
    }
    --depth;
  });
  ASSERT_NE(self, TimerId::None);
  p.Run();
  EXPECT_EQ(maxDepth, 1);
  EXPECT_EQ(calls, 3);
}

TYPED_TEST_P(Conformance, AnErrorEscapingACallbackComesOutOfRun) {
  auto& p = *this->P;
  const TimerId t = p.SetTimer(10, [] { throw Exception("TimerFailure"); });
  try {
    p.Run();
    ADD_FAILURE() << "Run returned without the error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "TimerFailure");
  }
  p.KillTimer(t);
}

TYPED_TEST_P(Conformance, QuitBeforeRunMakesRunReturn) {
  auto& p = *this->P;
  int ticks = 0;
  const TimerId t = p.SetTimer(10, [&] { ++ticks; });
  p.Quit();
  p.Run();
  EXPECT_LE(ticks, 1);
  p.KillTimer(t);
}

TYPED_TEST_P(Conformance, AButtonRunsItsHandlerWhichMayDestroyIt) {
  auto& p = *this->P;
  const WindowId w = this->MakeWindow(TWindowBorder::ToolWindow);
  p.SetWindowVisible(w, true);
  int clicks = 0;
  ButtonId b{};
  b = p.CreateButton(w, TButtonParams{{20, 20, 81, 41}, "Close", {}, 0, true, true}, [&] {
    ++clicks;
    p.DestroyButton(b);
  });
  ASSERT_NE(b, ButtonId::None);
  TypeParam::Click(p, w, b);
  EXPECT_EQ(clicks, 1);
  p.SetButtonCaption(b, "gone"); // destroyed: an unknown handle now
  p.DestroyNativeWindow(w);
}

TYPED_TEST_P(Conformance, TheClipboardTakesTheTextWhole) {
  auto& p = *this->P;
  p.SetClipboardText("first");
  p.SetClipboardText("http://nyarumi.example.org/ ねこ");
  EXPECT_EQ(TypeParam::Clipboard(p), "http://nyarumi.example.org/ ねこ");
}

TYPED_TEST_P(Conformance, DesktopQueriesAnswerSensibly) {
  auto& p = *this->P;
  EXPECT_FALSE(p.VirtualScreenRect().IsEmpty());
  const TFontDesc font{"ＭＳ Ｐゴシック", 12, {}, false, false, false, false};
  const TPoint one = p.TextExtent("W", font, {});
  const TPoint two = p.TextExtent("WW", font, {});
  EXPECT_GT(one.X, 0);
  EXPECT_GT(two.X, one.X);
  const TPoint wrapped = p.TextExtent("WW WW WW", font, two.X + 2);
  EXPECT_GE(wrapped.Y, 3 * one.Y - 2) << "three lines";
  EXPECT_NE(p.SystemColor(15), p.SystemColor(8)) << "button face differs from window text";
}

REGISTER_TYPED_TEST_SUITE_P(Conformance, UnknownHandlesAreIgnoredAndGiveTheFailureValue,
                            AWindowTakesOverItsRegionAndFreesTheOneItHad,
                            ShortcutsForHerStepDoAllOfItOrNothing,
                            UpdateRepaintsTheMarkedAreaBeforeReturning,
                            TimersAreNeverReenteredAndMayKillThemselves,
                            AnErrorEscapingACallbackComesOutOfRun, QuitBeforeRunMakesRunReturn,
                            AButtonRunsItsHandlerWhichMayDestroyIt, TheClipboardTakesTheTextWhole,
                            DesktopQueriesAnswerSensibly);

} // namespace nyarumi::conformance

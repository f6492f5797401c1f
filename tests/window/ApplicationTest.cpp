#include "Fixture.h"
#include "common/Errors.h"
#include "shell/window/Form.h"
#include "shell/window/Timer.h"

namespace nyarumi::test {
namespace {

struct DotCase {
  const char* Message;
  const char* Shown;
};

class ErrorTextTest : public ::testing::TestWithParam<DotCase> {};

TEST_P(ErrorTextTest, DotIsAddedWhenTheLastCharacterSortsAfterDot) {
  EXPECT_EQ(ErrorBoxText(GetParam().Message), GetParam().Shown);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, ErrorTextTest,
    ::testing::Values(DotCase{"abc", "abc."}, DotCase{"abc.", "abc."}, DotCase{"oops!", "oops!"},
                      DotCase{"a-", "a-"}, DotCase{"a/", "a/."}, DotCase{"v1", "v1."},
                      DotCase{"", ""},
                      DotCase{"SetWindowRGNに失敗しました", "SetWindowRGNに失敗しました."},
                      DotCase{"タイマーを取得できません", "タイマーを取得できません."},
                      DotCase{"終わり。", "終わり。."}));

TEST_F(WindowTest, DefaultHandlerShowsTheMessageCaptionedWithTheTitleAndCarriesOn) {
  int after = 0;
  App.Dispatch([] { throw Exception("リージョンの移動に失敗しました"); });
  App.Dispatch([&] { ++after; });
  ASSERT_EQ(Null.ErrorBoxes.size(), 1u);
  EXPECT_EQ(Null.ErrorBoxes[0].first, "リージョンの移動に失敗しました.");
  EXPECT_EQ(Null.ErrorBoxes[0].second, "Nyarumi");
  EXPECT_EQ(after, 1);
}

TEST_F(WindowTest, TimerTicksEveryIntervalAndKeepsTickingAfterAFailure) {
  TTimer timer(nullptr);
  int ticks = 0;
  timer.SetInterval(100);
  timer.SetOnTimer([&](TComponent*) {
    if (++ticks == 2) {
      throw Exception("ExtCreateRegionに失敗しました");
    }
  });
  Null.AdvanceTime(99);
  EXPECT_EQ(ticks, 0);
  Null.AdvanceTime(401);
  EXPECT_EQ(ticks, 5);
  EXPECT_EQ(Null.ErrorBoxes.size(), 1u);
  timer.SetEnabled(false);
  Null.AdvanceTime(1000);
  EXPECT_EQ(ticks, 5);
  EXPECT_EQ(Null.LiveTimers(), 0u);
}

TEST_F(WindowTest, ARefusedTimerRaisesItsMessage) {
  TTimer timer(nullptr);
  timer.SetOnTimer([](TComponent*) {});
  Null.FailOnce(NullOp::SetTimer);
  try {
    timer.SetInterval(100);
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "タイマーを取得できません");
  }
  EXPECT_FALSE(timer.Running());
  timer.SetEnabled(true);
  EXPECT_TRUE(timer.Running());
}

TEST_F(WindowTest, TicksNeverOverlapWhileAHandlerWaits) {
  TTimer timer(nullptr);
  int ticks = 0;
  timer.SetInterval(100);
  // The handler waits (as in a message box) while the platform goes on delivering ticks.
  timer.SetOnTimer([&](TComponent*) {
    ++ticks;
    if (ticks == 1) {
      Null.AdvanceTime(300);
    }
  });
  Null.AdvanceTime(100);
  EXPECT_EQ(ticks, 1);
  Null.AdvanceTime(100);
  EXPECT_EQ(ticks, 2);
}

TEST_F(WindowTest, ALoadingTimerStartsOnlyWhenLoaded) {
  auto timer = std::make_unique<TTimer>(nullptr);
  timer->BeginLoading();
  timer->SetInterval(100);
  timer->SetOnTimer([](TComponent*) {});
  EXPECT_EQ(Null.LiveTimers(), 0u);
  timer->Loaded();
  EXPECT_EQ(Null.LiveTimers(), 1u);
  timer.reset();
  EXPECT_EQ(Null.LiveTimers(), 0u);
}

TEST_F(WindowTest, RunShowsTheMainFormAndReturnsOnTerminate) {
  TForm main(nullptr);
  TTimer timer(nullptr);
  int ticks = 0;
  timer.SetInterval(100);
  timer.SetOnTimer([&](TComponent*) {
    if (++ticks == 3) {
      App.Terminate();
    }
  });
  App.Run();
  EXPECT_TRUE(main.Visible());
  EXPECT_EQ(ticks, 3);
}

} // namespace
} // namespace nyarumi::test

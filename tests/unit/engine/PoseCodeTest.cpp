#include "engine/PoseCode.h"
#include "common/Errors.h"

#include <gtest/gtest.h>

namespace nyarumi {
namespace {

TEST(FormatText, FillsPlaceholdersInOrderAndKeepsSurplusOnes) {
  EXPECT_EQ(FormatText("%s%s%s の読み込み中のエラー : %s", {"TImage", ".", "Width"}),
            "TImage.Width の読み込み中のエラー : %s");
  EXPECT_EQ(FormatText("クラス %s が見つかりません", {"TFoo", "extra"}),
            "クラス TFoo が見つかりません");
}

TEST(CharacterState, StartsStandingFacingRightAtFrameOne) {
  CharacterState s;
  EXPECT_EQ(s.PoseMode, POSE_STAND);
  EXPECT_EQ(s.PoseCode, 0x111);
  EXPECT_EQ(s.PoseMode, s.PoseCode & 0xF00);
}

} // namespace
} // namespace nyarumi

namespace nyarumi {
namespace {

TEST(PoseCodeTests, FacingTestsNeedTheirActivityAndLevelBits) {
  struct Case {
    std::int32_t Code;
    bool StandingLeft, RunningLeft, FacingLeft;
  };
  const Case cases[] = {
      {0x191, true, false, true},   {0x111, false, false, false},
      {0x181, false, false, true}, // no POSE_LEVEL: the standing test reads it as right
      {0x291, false, true, true},   {0x2D7, false, true, true},
      {0x180, false, false, true}, // no 0x200: the running test reads it as right
      {0x211, false, false, false}, {0x280, false, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Code);
    EXPECT_EQ(IsStandingLeft(c.Code), c.StandingLeft);
    EXPECT_EQ(IsRunningLeft(c.Code), c.RunningLeft);
    EXPECT_EQ(IsFacingLeft(c.Code), c.FacingLeft);
  }
  EXPECT_EQ(FrameNumber(0x2B7), 7);
  EXPECT_EQ(RunSelector(0x2B7), 0x37);
  EXPECT_EQ(RunSelector(0x280), 0);
}

TEST(PoseCodeTests, VerticalDeadZoneFollowsTheActivityClass) {
  EXPECT_EQ(VerticalDeadZone(POSE_STAND), 64);
  EXPECT_EQ(VerticalDeadZone(POSE_RUN), 8);
  EXPECT_EQ(VerticalDeadZone(0x1FF), 64); // only the activity bits count
  EXPECT_FALSE(IsStanding(0x1FF));
}

TEST(PoseCodeUpdates, SlopeChangesKeepFacingAndFrame) {
  CharacterState s{POSE_RUN, 0x214, 0, 0};
  SetSlope(s, TSlope::Up);
  EXPECT_EQ(s.PoseCode, 0x234);
  SetSlope(s, TSlope::Down);
  EXPECT_EQ(s.PoseCode, 0x254);
  SetSlope(s, TSlope::Level);
  EXPECT_EQ(s.PoseCode, 0x214);
  s.PoseCode = 0x2B6;
  SetSlope(s, TSlope::Down);
  EXPECT_EQ(s.PoseCode, 0x2D6);
}

TEST(PoseCodeUpdates, FacingStopAndStartKeepOrSetTheRightBits) {
  CharacterState s{POSE_RUN, 0x255, 0, 0};
  FaceLeft(s);
  EXPECT_EQ(s.PoseCode, 0x2D5);
  FaceRight(s);
  EXPECT_EQ(s.PoseCode, 0x255);

  for (std::int32_t code : {0x291, 0x2B4, 0x2D7, 0x296}) {
    CharacterState r{POSE_RUN, code, 0, 0};
    StopRunning(r);
    EXPECT_EQ(r.PoseMode, POSE_STAND);
    EXPECT_EQ(r.PoseCode, 0x191) << code;
  }
  CharacterState r{POSE_RUN, 0x257, 0, 0};
  StopRunning(r);
  EXPECT_EQ(r.PoseCode, 0x111);

  CharacterState left{POSE_STAND, 0x193, 0, 0};
  StartRunning(left);
  EXPECT_EQ(left.PoseMode, POSE_RUN);
  EXPECT_EQ(left.PoseCode, 0x291);
  CharacterState right{POSE_STAND, 0x114, 0, 0};
  StartRunning(right);
  EXPECT_EQ(right.PoseCode, 0x211);

  CharacterState arrived{POSE_RUN, 0x2B5, 0, 0};
  StandWithFacing(arrived);
  EXPECT_EQ(arrived.PoseMode, POSE_STAND);
  EXPECT_EQ(arrived.PoseCode, 0x191);

  CharacterState reset{POSE_RUN, 0x2D3, 3, -12};
  SetInitialState(reset);
  EXPECT_EQ(reset.PoseMode, POSE_STAND);
  EXPECT_EQ(reset.PoseCode, 0x111);
  EXPECT_EQ(reset.StepX, 0);
  EXPECT_EQ(reset.StepY, 0);
}

} // namespace
} // namespace nyarumi

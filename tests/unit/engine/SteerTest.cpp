#include "engine/Steer.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>

namespace nyarumi {
namespace {

constexpr std::int32_t RUN = POSE_RUN;
constexpr std::int32_t STAND = POSE_STAND;
// The window the user works in, for the edge-seeking cases.
constexpr TRect FORE{200, 100, 800, 700};

struct SteerCase {
  const char* Name;
  std::int32_t Mode, Code;
  std::int32_t Cx, Cy; // her centre
  std::optional<TPoint> Cursor;
  bool Focused;
  std::optional<TRect> Foreground;
  std::int32_t WantMode, WantCode, WantStepX, WantStepY;
};

void PrintTo(const SteerCase& c, std::ostream* os) {
  *os << c.Name;
}

CharacterState RunSteer(const SteerCase& c) {
  CharacterState s{c.Mode, c.Code, 99, 99}; // stale steps must always be overwritten
  TSteerInputs in;
  in.Cursor = c.Cursor;
  in.Focused = c.Focused;
  in.Foreground = c.Foreground;
  in.Left = c.Cx - 44;
  in.Top = c.Cy - 77;
  Steer(s, in);
  return s;
}

class SteerTable : public testing::TestWithParam<SteerCase> {};

TEST_P(SteerTable, GivesStateAndSteps) {
  const SteerCase& c = GetParam();
  const CharacterState s = RunSteer(c);
  EXPECT_EQ(s.PoseMode, c.WantMode);
  EXPECT_EQ(s.PoseCode, c.WantCode) << std::hex << s.PoseCode;
  EXPECT_EQ(s.StepX, c.WantStepX);
  EXPECT_EQ(s.StepY, c.WantStepY);
}

constexpr std::int32_t CX = 1044;
constexpr std::int32_t CY = 577;
TPoint Rel(std::int32_t dx, std::int32_t dy) {
  return {CX + dx, CY + dy};
}

const SteerCase CHASE[] = {
    {"DxOnDeadZoneStays", STAND, 0x111, CX, CY, Rel(64, 0), true, {}, STAND, 0x111, 0, 0},
    {"DxPastDeadZoneRunsRightFacingRight",
     STAND,
     0x191,
     CX,
     CY,
     Rel(65, 0),
     true,
     {},
     RUN,
     0x211,
     16,
     0},
    {"DxPastDeadZoneRunsLeft", STAND, 0x111, CX, CY, Rel(-65, 0), true, {}, RUN, 0x291, -16, 0},
    {"StandingDyOnDeadZoneStays", STAND, 0x111, CX, CY, Rel(0, -64), true, {}, STAND, 0x111, 0, 0},
    {"StandingDyPastDeadZoneRunsUp",
     STAND,
     0x111,
     CX,
     CY,
     Rel(0, -65),
     true,
     {},
     RUN,
     0x231,
     0,
     -10},
    {"StandingLeftRunsDown", STAND, 0x192, CX, CY, Rel(0, 65), true, {}, RUN, 0x2D1, 0, 10},
    {"RunningDy8StaysLevel", RUN, 0x212, CX, CY, Rel(100, 8), true, {}, RUN, 0x212, 16, 0},
    {"RunningDy9GoesDown", RUN, 0x212, CX, CY, Rel(100, 9), true, {}, RUN, 0x252, 12, 3},
    {"RunningDyMinus9GoesUp", RUN, 0x212, CX, CY, Rel(100, -9), true, {}, RUN, 0x232, 12, -3},
    {"RunningTurnsKeepingFrame", RUN, 0x214, CX, CY, Rel(-100, 0), true, {}, RUN, 0x294, -16, 0},
    {"SlopeChangeKeepsFacingAndFrame",
     RUN,
     0x2B4,
     CX,
     CY,
     Rel(-100, 50),
     true,
     {},
     RUN,
     0x2D4,
     -12,
     3},
    {"NothingToChaseOnFrame2RunsOnLevel",
     RUN,
     0x232,
     CX,
     CY,
     Rel(0, 0),
     true,
     {},
     RUN,
     0x212,
     16,
     0},
    {"NothingToChaseOnFrame5RunsOnLeft",
     RUN,
     0x295,
     CX,
     CY,
     Rel(30, -8),
     true,
     {},
     RUN,
     0x295,
     -16,
     0},
    {"NothingToChaseOnFrame7RunsOn", RUN, 0x2D7, CX, CY, Rel(0, 0), true, {}, RUN, 0x297, -16, 0},
    {"NothingToChaseOnFrame3Stops", RUN, 0x213, CX, CY, Rel(64, 8), true, {}, STAND, 0x111, 0, 0},
    {"NothingToChaseOnFrame6StopsFacingLeft",
     RUN,
     0x2B6,
     CX,
     CY,
     Rel(0, 0),
     true,
     {},
     STAND,
     0x191,
     0,
     0},
};
INSTANTIATE_TEST_SUITE_P(Chase, SteerTable, testing::ValuesIn(CHASE),
                         [](const auto& info) { return std::string(info.param.Name); });

const SteerCase EDGES[] = {
    // Right edge (cursor nearer R = 800): band R+14 < cx < R+34.
    {"RightEdgeBelowBandRunsRight", RUN, 0x292, 814, 400, TPoint{700, 400}, false, FORE, RUN, 0x212,
     16, 0},
    {"RightEdgeBandStartArrives", RUN, 0x292, 815, 400, TPoint{700, 400}, false, FORE, STAND, 0x191,
     0, 0},
    {"RightEdgeBandEndArrives", RUN, 0x212, 833, 400, TPoint{700, 400}, false, FORE, STAND, 0x191,
     0, 0},
    {"RightEdgeAboveBandRunsLeft", RUN, 0x212, 834, 400, TPoint{700, 400}, false, FORE, RUN, 0x292,
     -16, 0},
    {"RightEdgeOverridesDeadZone", STAND, 0x191, 720, 400, TPoint{700, 400}, false, FORE, RUN,
     0x211, 16, 0},
    // Left edge (cursor nearer L = 200): band L-40 < cx < L-20.
    {"LeftEdgeBelowBandRunsRight", RUN, 0x292, 160, 400, TPoint{300, 400}, false, FORE, RUN, 0x212,
     16, 0},
    {"LeftEdgeBandStartArrives", RUN, 0x292, 161, 400, TPoint{300, 400}, false, FORE, STAND, 0x111,
     0, 0},
    {"LeftEdgeBandEndArrives", RUN, 0x292, 179, 400, TPoint{300, 400}, false, FORE, STAND, 0x111, 0,
     0},
    {"LeftEdgeAboveBandOverridesChase", RUN, 0x212, 180, 400, TPoint{300, 400}, false, FORE, RUN,
     0x292, -16, 0},
    {"TieGoesToLeftEdge", RUN, 0x212, 170, 400, TPoint{500, 400}, false, FORE, STAND, 0x111, 0, 0},
    {"ArrivingWhileStandingChangesNothing", STAND, 0x113, 170, 400, TPoint{230, 400}, false, FORE,
     STAND, 0x113, 0, 0},
    {"ArrivedWithCursorBelowRunsDownTheEdge", RUN, 0x212, 170, 300, TPoint{230, 400}, false, FORE,
     RUN, 0x252, 0, 10},
    // She sits in the left band, the cursor within her dead zones: seeking makes her stand,
    // anything else makes her run on from frame 2.
    {"InsideSeeksEdge", RUN, 0x212, 170, 400, TPoint{230, 400}, false, FORE, STAND, 0x111, 0, 0},
    {"OnLeftBorderChases", RUN, 0x212, 170, 400, TPoint{200, 400}, false, FORE, RUN, 0x212, 16, 0},
    {"OnRightBorderChases", RUN, 0x212, 820, 400, TPoint{800, 400}, false, FORE, RUN, 0x212, 16, 0},
    {"OnTopBorderChases", RUN, 0x212, 170, 100, TPoint{230, 100}, false, FORE, RUN, 0x212, 16, 0},
    {"OnBottomBorderChases", RUN, 0x212, 170, 700, TPoint{230, 700}, false, FORE, RUN, 0x212, 16,
     0},
    {"FocusedNeverSeeks", RUN, 0x212, 170, 400, TPoint{230, 400}, true, FORE, RUN, 0x212, 16, 0},
    {"NoForegroundWindowNeverSeeks",
     RUN,
     0x212,
     170,
     400,
     TPoint{230, 400},
     false,
     {},
     RUN,
     0x212,
     16,
     0},
};
INSTANTIATE_TEST_SUITE_P(Edges, SteerTable, testing::ValuesIn(EDGES),
                         [](const auto& info) { return std::string(info.param.Name); });

constexpr TRect EVERYWHERE{-10000, -10000, 10000, 10000};
const SteerCase NO_CURSOR[] = {
    {"RunsOnFromFrame2", RUN, 0x212, CX, CY, {}, false, EVERYWHERE, RUN, 0x212, 16, 0},
    {"RunsOnLevelFromUpLeft", RUN, 0x2B2, CX, CY, {}, false, EVERYWHERE, RUN, 0x292, -16, 0},
    {"StopsOnFrame6", RUN, 0x216, CX, CY, {}, false, EVERYWHERE, STAND, 0x111, 0, 0},
    {"StandingStays", STAND, 0x193, CX, CY, {}, false, EVERYWHERE, STAND, 0x193, 0, 0},
};
INSTANTIATE_TEST_SUITE_P(NoCursor, SteerTable, testing::ValuesIn(NO_CURSOR),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(Steer, FarOffCoordinatesDoNotOverflow) {
  constexpr auto MAX = std::numeric_limits<std::int32_t>::max();
  constexpr auto MIN = std::numeric_limits<std::int32_t>::min();
  CharacterState s;
  Steer(s, {TPoint{MIN, MIN}, true, {}, MAX, MAX});
  EXPECT_EQ(s.PoseCode, 0x2B1);
  EXPECT_EQ(s.StepX, -12);
  EXPECT_EQ(s.StepY, -3);

  // A foreground window reaching the end of the range: she is left of its right band.
  CharacterState t;
  Steer(t, {TPoint{MAX - 1, 0}, false, TRect{0, MIN, MAX, MAX}, MAX - 200, -77});
  EXPECT_EQ(t.PoseCode, 0x211);
  EXPECT_EQ(t.StepX, 16);
}

} // namespace
} // namespace nyarumi

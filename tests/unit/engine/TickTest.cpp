#include "engine/Tick.h"
#include "common/Errors.h"
#include "engine/FrameSequence.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nyarumi {
namespace {

// A main window in miniature: real steering and frame steps, pictures and regions tracked by
// frame index, every host call logged.
struct FakeWindow : ITickHost, IFrameHost {
  CharacterState S{POSE_STAND, 0x112, 0, 0}; // as the creation handler leaves it
  bool Visible = true;
  std::optional<TPoint> Cursor;
  bool Focus = true;
  std::optional<TRect> Fore;
  std::int32_t X = 1000, Y = 500;
  int Front = 0, Back = -1, FormRgnPicture = 0, Held = 0, Applied = 0;
  bool FailApply = false, FailLoad = false;
  std::vector<std::string> Log;
  std::vector<CharacterState> Steered; // the state as the steering left it, per decision

  CharacterState& State() override { return S; }
  bool FormRgnVisible() const override { return Visible; }
  void SetFormRgnVisible(bool AVisible) override {
    Log.push_back(AVisible ? "show" : "hide");
    Visible = AVisible;
  }
  std::optional<TPoint> CursorPos() override {
    Log.push_back("cursor");
    return Cursor;
  }
  bool HasFocus() override {
    Log.push_back("focus");
    return Focus;
  }
  std::optional<TRect> ForegroundRect() override {
    Log.push_back("foreground");
    return Fore;
  }
  std::int32_t WindowLeft() const override { return X; }
  std::int32_t WindowTop() const override { return Y; }
  void SetWindowLeft(std::int32_t ALeft) override {
    Log.push_back("left");
    X = ALeft;
  }
  void SetWindowTop(std::int32_t ATop) override {
    Log.push_back("top");
    Y = ATop;
  }
  void CopyFrontToBack() override {
    Log.push_back("front>back");
    Back = Front;
  }
  void CopyFrontToFormRgn() override {
    Log.push_back("front>formrgn");
    FormRgnPicture = Front;
  }
  void UpdateWindow() override { Log.push_back("update"); }
  void ApplyRegion() override {
    Log.push_back("apply");
    if (FailApply) {
      throw Exception("apply");
    }
    Applied = Held;
  }
  void AnimProc() override {
    Log.push_back("anim");
    Steered.push_back(S);
    nyarumi::AnimProc(S, *this);
  }
  void CopyFramePicture(int APictureIndex) override { Front = APictureIndex; }
  void LoadRegionAt(int AHolderIndex, std::int32_t, std::int32_t) override {
    if (FailLoad) {
      throw Exception("load");
    }
    Held = AHolderIndex;
  }

  TPoint Centre() const { return {X + 44, Y + 77}; }
  // One decision and one move phase; returns how far the move went horizontally.
  std::int32_t Cycle() {
    AnimTick(*this);
    const std::int32_t before = X;
    AnimTick(*this);
    return X - before;
  }
};

TEST(AnimTick, PhasesAlternateAndRunTheirStepsInOrder) {
  FakeWindow w;
  w.Focus = false;
  w.Cursor = w.Centre();
  AnimTick(w);
  EXPECT_EQ(w.Log, (std::vector<std::string>{"cursor", "focus", "foreground", "hide", "front>back",
                                             "anim", "front>formrgn"}));
  EXPECT_FALSE(w.Visible);
  w.Log.clear();
  AnimTick(w);
  EXPECT_EQ(w.Log, (std::vector<std::string>{"show", "update", "apply", "top", "left"}));
  EXPECT_TRUE(w.Visible);

  w.Log.clear();
  w.Focus = true;
  AnimTick(w);
  EXPECT_EQ(w.Log, (std::vector<std::string>{"cursor", "focus", "hide", "front>back", "anim",
                                             "front>formrgn"}));
}

TEST(AnimTick, DecisionPreparesTheFrameBehindTheBackBufferAndMoveShowsIt) {
  FakeWindow w;
  w.Front = w.FormRgnPicture = 0; // TATI1b on screen
  w.Cursor = w.Centre();
  AnimTick(w);
  EXPECT_EQ(w.Back, 0);
  EXPECT_EQ(FramePictureName(w.Front), "TATI2b");
  EXPECT_EQ(w.FormRgnPicture, w.Front);
  EXPECT_EQ(w.Applied, 0); // outline unchanged until the move
  AnimTick(w);
  EXPECT_EQ(RegionHolderName(w.Applied), "rgTATI2b");
}

TEST(AnimTick, ChaseFromRestMoves32PixelsPerRunCycle) {
  FakeWindow w;
  w.Cursor = TPoint{w.Centre().X + 5000, w.Centre().Y};

  EXPECT_EQ(w.Cycle(), 0); // the first running frame cancels its step
  ASSERT_EQ(w.Steered.size(), 1u);
  EXPECT_EQ(w.Steered[0].PoseMode, POSE_RUN);
  EXPECT_EQ(w.Steered[0].PoseCode, 0x211);
  EXPECT_EQ(w.Steered[0].StepX, 16);
  EXPECT_EQ(w.S.PoseCode, 0x212);

  std::vector<std::int32_t> moves;
  for (int i = 0; i < 12; ++i) {
    moves.push_back(w.Cycle());
  }
  // Frames 2..7 twice: only frames 2 and 5 keep their step.
  EXPECT_EQ(moves, (std::vector<std::int32_t>{16, 0, 0, 16, 0, 0, 16, 0, 0, 16, 0, 0}));
  EXPECT_EQ(w.X, 1064);
  EXPECT_EQ(w.Y, 500);
}

TEST(AnimTick, ChaseStopsOnFirstDecisionAtFrame3Or6) {
  for (int runFrames = 1; runFrames <= 8; ++runFrames) {
    SCOPED_TRACE(runFrames);
    FakeWindow w;
    w.Cursor = TPoint{w.Centre().X + 5000, w.Centre().Y};
    std::int32_t lastMove = -1;
    for (int i = 0; i < runFrames; ++i) {
      lastMove = w.Cycle();
    }
    w.Cursor = w.Centre();
    for (int i = 0; i < 6 && w.S.PoseMode == POSE_RUN; ++i) {
      const std::int32_t frame = FrameNumber(w.S.PoseCode);
      const std::int32_t move = w.Cycle();
      const bool stopped = w.S.PoseMode == POSE_STAND;
      EXPECT_EQ(stopped, frame == 3 || frame == 6) << "frame " << frame;
      if (stopped) {
        EXPECT_EQ(lastMove, 16); // she stops right after a frame that moved the window
        EXPECT_EQ(move, 0);
        EXPECT_EQ(w.S.PoseCode, 0x112);
      }
      lastMove = move;
    }
    EXPECT_EQ(w.S.PoseMode, POSE_STAND);
  }
}

TEST(AnimTick, WhenTheMoveFailsThenTheDecisionRunsAgainWithoutMoving) {
  FakeWindow w;
  w.Cursor = TPoint{w.Centre().X + 5000, w.Centre().Y};
  w.Cycle();
  AnimTick(w); // decision on frame 2: the step survives
  ASSERT_EQ(w.S.StepX, 16);
  w.FailApply = true;
  EXPECT_THROW(AnimTick(w), Exception);
  EXPECT_TRUE(w.Visible);
  EXPECT_EQ(w.X, 1000);
  w.FailApply = false;
  w.Log.clear();
  AnimTick(w);
  EXPECT_EQ(w.Log.front(), "cursor");
  EXPECT_FALSE(w.Visible);
}

TEST(AnimTick, WhenTheFrameStepFailsThenTheMoveShowsWhatFormRgnHolds) {
  FakeWindow w;
  w.Cursor = TPoint{w.Centre().X + 5000, w.Centre().Y};
  w.Cycle();
  w.Cycle(); // frame 2 drawn, next code 0x213
  const int shownPicture = w.FormRgnPicture;
  const int heldRegion = w.Held;
  w.FailLoad = true;
  EXPECT_THROW(AnimTick(w), Exception);
  EXPECT_FALSE(w.Visible);
  EXPECT_EQ(w.FormRgnPicture, shownPicture);
  EXPECT_EQ(w.S.PoseCode, 0x213);
  w.FailLoad = false;
  const std::int32_t before = w.X;
  AnimTick(w);
  EXPECT_TRUE(w.Visible);
  EXPECT_EQ(w.Applied, heldRegion);
  EXPECT_EQ(w.X - before, 16); // frame 3 would have cleared the step; it never ran
}

} // namespace
} // namespace nyarumi

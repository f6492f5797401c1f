// Every failure the platform can hand the main window, injected at the platform seam into the
// real window made from the embedded "TFRMMAIN" stream: what the user is told, what the window,
// the region image and the character are left with, and what the next ticks make of it.
#include "FaultFixture.h"
#include "assets/Resources.h"
#include "engine/FrameSequence.h"
#include "shape/Region.h"
#include "shell/formMain.h"

namespace nyarumi::test {
namespace {

int Frame(std::string_view AName) {
  for (int i = 0; i < FRAME_COUNT; ++i) {
    if (FramePictureName(i) == AName) {
      return i;
    }
  }
  ADD_FAILURE() << "no frame " << AName;
  return 0;
}

// Names the cases by the failing operation, so that test names stay the same from run to run.
std::string OpName(NullOp AOp) {
  switch (AOp) {
  case NullOp::ExtCreateRegion:
    return "ExtCreateRegion";
  case NullOp::GetRgnBox:
    return "GetRgnBox";
  case NullOp::OffsetRgn:
    return "OffsetRgn";
  case NullOp::CreateRectRgn:
    return "CreateRectRgn";
  case NullOp::CombineRgn:
    return "CombineRgn";
  case NullOp::SetWindowRgn:
    return "SetWindowRgn";
  default:
    return "Op" + std::to_string(static_cast<int>(AOp));
  }
}
template <class T> std::string CaseName(const ::testing::TestParamInfo<T>& AInfo) {
  return OpName(AInfo.param.Op);
}

class MainFaultTest : public FaultTest {
protected:
  void SetUp() override {
    if (LookupResource("TFRMMAIN").empty()) {
      GTEST_SKIP() << "the program's main-window stream is not built in";
    }
    RegisterfrmMAIN(Registry);
    // She has the focus and the cursor is far to her right at her height: she runs right.
    Platform.HasFocus = true;
  }
  void TearDown() override {
    Form.reset();
    EXPECT_EQ(Platform.LiveRegions(), 0u);
    EXPECT_EQ(Platform.LiveTimers(), 0u);
    EXPECT_EQ(Platform.LiveWindows(), 0u);
  }

  void Create() {
    Form = CreatefrmMAIN(Registry);
    Form->Show();
    Platform.CursorPos = TPoint{Form->Left() + 3000, Form->Top() + 77};
  }
  void Tick() { Platform.AdvanceTime(100); }

  // The frame's record as stored, and placed with its box corner at (AX, AY).
  TRegion Raw(std::string_view AFrame) const {
    const auto& holder = *Form->RegionHolders[static_cast<std::size_t>(Frame(AFrame))];
    return TRegion::FromRecord(holder.Stream.Bytes()).value();
  }
  TRegion Placed(std::string_view AFrame, std::int32_t AX, std::int32_t AY) const {
    TRegion r = Raw(AFrame);
    r.Offset(AX - r.Bounds().Left, AY - r.Bounds().Top);
    return r;
  }
  const TRegion* Held() const { return Platform.Regions().Find(Form->FormRgn1->Region()); }
  TNullWindow& Window() { return Platform.Window(Form->Handle()); }
  TPoint Position() const { return {Form->Left(), Form->Top()}; }
  bool FrontShows(std::string_view AFrame) const {
    const TPicture& frame = Form->FramePictures[static_cast<std::size_t>(Frame(AFrame))]->Picture();
    const TPicture& front = Form->imgMainOMOTE->Picture();
    for (int y = 0; y < 153; ++y) {
      for (int x = 0; x < 87; ++x) {
        if (front.Pixel(x, y) != frame.Pixel(x, y)) {
          return false;
        }
      }
    }
    return true;
  }

  std::unique_ptr<TfrmMAIN> Form;
};

struct TDecisionFault {
  NullOp Op;
  const char* Shown;
  bool KeepsPrevious; // the build failed: FormRgn1 keeps the previous region, else the new unmoved
};
void PrintTo(const TDecisionFault& ACase, std::ostream* AOut) {
  *AOut << OpName(ACase.Op);
}

class DecisionFaultTest : public MainFaultTest,
                          public ::testing::WithParamInterface<TDecisionFault> {};

// The first decision starts her run (0x211, StepX 16) and fails inside the frame step: the
// picture is drawn, the code and the steps are left as the steering set them, and the next tick
// is a move phase that shows what FormRgn1 holds and moves by the uncleared step.
TEST_P(DecisionFaultTest, AFailedFrameStepIsReportedAndTheNextTickMovesWithWhatFormRgn1Holds) {
  const TDecisionFault& c = GetParam();
  Create();
  const RegionId before = Form->FormRgn1->Region();
  const int outlines = Window().SetRegionCount;
  const TPoint start = Position();

  Platform.FailOnce(c.Op);
  Tick();
  ASSERT_EQ(Platform.ErrorBoxes, (std::vector<TBox>{{c.Shown, "Nyarumi"}}));
  EXPECT_FALSE(Form->FormRgn1->Visible());
  EXPECT_EQ(Form->Character.PoseMode, POSE_RUN);
  EXPECT_EQ(Form->Character.PoseCode, 0x211) << "not advanced";
  EXPECT_EQ(Form->Character.StepX, 16) << "not cleared";
  EXPECT_EQ(Form->Character.StepY, 0);
  EXPECT_TRUE(FrontShows("HASIRI0b")) << "the picture was copied before the region step";
  EXPECT_TRUE(Form->FormRgn1->Picture().Empty()) << "FormRgn1's picture is not updated";
  EXPECT_EQ(Position(), start);
  EXPECT_EQ(Window().SetRegionCount, outlines);
  EXPECT_EQ(*Window().Region, Placed("TATI1b", 5, 18));
  EXPECT_EQ(Platform.LiveRegions(), 1u);
  ASSERT_NE(Held(), nullptr);
  if (c.KeepsPrevious) {
    EXPECT_EQ(Form->FormRgn1->Region(), before);
    EXPECT_EQ(*Held(), Placed("TATI1b", 5, 18));
  } else {
    EXPECT_EQ(*Held(), Raw("HASIRI0b")) << "the new region stays held, unmoved";
  }
  const TRegion held = *Held();

  Tick(); // move phase
  EXPECT_TRUE(Form->FormRgn1->Visible());
  EXPECT_EQ(Window().SetRegionCount, outlines + 1);
  EXPECT_EQ(*Window().Region, held);
  EXPECT_EQ(Position(), (TPoint{start.X + 16, start.Y}));
  EXPECT_EQ(Form->Character.PoseCode, 0x211);

  Tick(); // the frame step is tried again, and succeeds
  EXPECT_FALSE(Form->FormRgn1->Visible());
  EXPECT_EQ(Form->Character.PoseCode, 0x212);
  EXPECT_EQ(Form->Character.StepX, 0);
  EXPECT_EQ(*Held(), Placed("HASIRI0b", 5, 18));
  Tick();
  EXPECT_EQ(*Window().Region, Placed("HASIRI0b", 5, 18));
  EXPECT_EQ(Platform.ErrorBoxes.size(), 1u);
  EXPECT_EQ(Platform.LiveRegions(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, DecisionFaultTest,
    ::testing::Values(TDecisionFault{NullOp::ExtCreateRegion, "ExtCreateRegionに失敗しました.",
                                     true},
                      TDecisionFault{NullOp::GetRgnBox, "GetRgnBoxに失敗しました.", false},
                      TDecisionFault{NullOp::OffsetRgn, "リージョンの移動に失敗しました.", false}),
    CaseName<TDecisionFault>);

struct TMoveFault {
  NullOp Op;
  const char* Shown;
};
void PrintTo(const TMoveFault& ACase, std::ostream* AOut) {
  *AOut << OpName(ACase.Op);
}

class MoveFaultTest : public MainFaultTest, public ::testing::WithParamInterface<TMoveFault> {};

// A move phase after running frame 2 (which keeps its step) fails while installing the outline:
// the copy is deleted, the window keeps its outline and place, and the decision phase runs again.
TEST_P(MoveFaultTest, AFailedOutlineKeepsTheWindowAsItWasAndTheDecisionRunsAgain) {
  const TMoveFault& c = GetParam();
  Create();
  Tick(); // 0x211 shown
  Tick();
  Tick(); // 0x212 shown, its step kept
  ASSERT_EQ(Form->Character.PoseCode, 0x213);
  ASSERT_EQ(Form->Character.StepX, 16);
  const TPoint start = Position();
  const int outlines = Window().SetRegionCount;
  const RegionId held = Form->FormRgn1->Region();
  ASSERT_EQ(*Window().Region, Placed("HASIRI0b", 5, 18));

  Platform.FailOnce(c.Op);
  Tick();
  ASSERT_EQ(Platform.ErrorBoxes, (std::vector<TBox>{{c.Shown, "Nyarumi"}}));
  EXPECT_TRUE(Form->FormRgn1->Visible());
  EXPECT_EQ(Position(), start) << "not moved";
  EXPECT_EQ(Window().SetRegionCount, outlines);
  EXPECT_EQ(*Window().Region, Placed("HASIRI0b", 5, 18)) << "the previous outline stays";
  EXPECT_EQ(Form->FormRgn1->Region(), held);
  EXPECT_EQ(*Held(), Placed("HASIRI1b", 5, 17));
  EXPECT_EQ(Platform.LiveRegions(), 1u) << "the copy was deleted";
  EXPECT_EQ(Form->Character.PoseCode, 0x213);

  Tick(); // a decision phase again: frame 3 is prepared, frame 2's step is lost
  EXPECT_FALSE(Form->FormRgn1->Visible());
  EXPECT_EQ(Form->Character.PoseCode, 0x214);
  EXPECT_EQ(Form->Character.StepX, 0);
  EXPECT_EQ(Position(), start);
  Tick();
  EXPECT_EQ(*Window().Region, Placed("HASIRI2b", 5, 17));
  EXPECT_EQ(Position(), start);
  EXPECT_EQ(Platform.ErrorBoxes.size(), 1u);
  EXPECT_EQ(Platform.LiveRegions(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, MoveFaultTest,
    ::testing::Values(TMoveFault{NullOp::CreateRectRgn, "CreateRectRgnに失敗しました."},
                      TMoveFault{NullOp::CombineRgn, "CombineRgnに失敗しました."},
                      TMoveFault{NullOp::SetWindowRgn, "SetWindowRGNに失敗しました."}),
    CaseName<TMoveFault>);

struct TCreateFault {
  NullOp Op;
  const char* Shown;
  int Code;        // where FormCreate left the code
  int HeldRegions; // what FormRgn1 holds: 0 none, 1 frame 1 unmoved, 2 frame 1 placed
};
void PrintTo(const TCreateFault& ACase, std::ostream* AOut) {
  *AOut << OpName(ACase.Op);
}

class CreateFaultTest : public MainFaultTest, public ::testing::WithParamInterface<TCreateFault> {};

// FormCreate ends at the failing step; the window is still made, topmost and ticking, without
// an outline until the first move phase gives it frame 2's.
TEST_P(CreateFaultTest, AFailureInFormCreateIsReportedAndTheWindowLivesOn) {
  const TCreateFault& c = GetParam();
  Platform.CursorPos = std::nullopt; // nothing to chase: she stands
  Platform.FailOnce(c.Op);
  Form = CreatefrmMAIN(Registry);
  ASSERT_NE(Form, nullptr);
  ASSERT_EQ(Platform.ErrorBoxes, (std::vector<TBox>{{c.Shown, "Nyarumi"}}));
  EXPECT_EQ(Form->Character.PoseCode, c.Code);
  EXPECT_EQ(Form->FormStyle(), TFormStyle::fsStayOnTop);
  EXPECT_EQ(Platform.LiveTimers(), 1u);
  EXPECT_EQ(Platform.LiveRegions(), c.HeldRegions == 0 ? 0u : 1u) << "nothing else is held";
  switch (c.HeldRegions) {
  case 0:
    EXPECT_EQ(Form->FormRgn1->Region(), RegionId::None);
    break;
  case 1:
    EXPECT_EQ(*Held(), Raw("TATI1b"));
    break;
  default:
    EXPECT_EQ(*Held(), Placed("TATI1b", 5, 18));
  }
  Form->Show();
  EXPECT_TRUE(Window().Visible);
  EXPECT_TRUE(Window().Params.StayOnTop);
  EXPECT_FALSE(Window().Region.has_value()) << "no outline yet";

  Tick(); // FormRgn1 was left visible: a decision phase
  EXPECT_FALSE(Form->FormRgn1->Visible());
  EXPECT_EQ(Form->Character.PoseCode, c.Code == 0x111 ? 0x112 : 0x113);
  Tick();
  ASSERT_TRUE(Window().Region.has_value());
  EXPECT_EQ(*Window().Region, c.Code == 0x111 ? Placed("TATI1b", 5, 18) : Placed("TATI2b", 5, 18));
  EXPECT_EQ(Platform.ErrorBoxes.size(), 1u);
  EXPECT_EQ(Platform.LiveRegions(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, CreateFaultTest,
    ::testing::Values(TCreateFault{NullOp::ExtCreateRegion, "ExtCreateRegionに失敗しました.", 0x111,
                                   0},
                      TCreateFault{NullOp::GetRgnBox, "GetRgnBoxに失敗しました.", 0x111, 1},
                      TCreateFault{NullOp::OffsetRgn, "リージョンの移動に失敗しました.", 0x111, 1},
                      TCreateFault{NullOp::CreateRectRgn, "CreateRectRgnに失敗しました.", 0x112, 2},
                      TCreateFault{NullOp::CombineRgn, "CombineRgnに失敗しました.", 0x112, 2},
                      TCreateFault{NullOp::SetWindowRgn, "SetWindowRGNに失敗しました.", 0x112, 2}),
    CaseName<TCreateFault>);

// The platform refuses the timer while the stream is read: the refusal is reported, the window
// is still made and shaped, and it only stands still.
TEST_F(MainFaultTest, ARefusedTimerIsReportedAndTheWindowIsStillMade) {
  Platform.FailOnce(NullOp::SetTimer);
  Create();
  ASSERT_EQ(Platform.ErrorBoxes, (std::vector<TBox>{{"タイマーを取得できません.", "Nyarumi"}}));
  EXPECT_EQ(Platform.LiveTimers(), 0u);
  EXPECT_FALSE(Form->anmTimer->Running());
  EXPECT_EQ(Form->Character.PoseCode, 0x112) << "FormCreate ran to its end";
  EXPECT_EQ(*Window().Region, Placed("TATI1b", 5, 18));
  EXPECT_TRUE(Window().Visible);
  const TPoint start = Position();
  Platform.AdvanceTime(1000);
  EXPECT_EQ(Form->Character.PoseCode, 0x112);
  EXPECT_EQ(Position(), start);
  EXPECT_EQ(Platform.ErrorBoxes.size(), 1u);
}

} // namespace
} // namespace nyarumi::test

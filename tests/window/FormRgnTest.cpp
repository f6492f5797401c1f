#include "shell/window/FormRgn.h"
#include "Fixture.h"
#include "common/Errors.h"
#include "shape/Region.h"
#include "shell/window/Form.h"

namespace nyarumi::test {
namespace {

// A record with two rectangles whose bounding box is (8, 40)-(70, 168).
TMemoryStream StandingRecord() {
  const TRegion r = TRegion::FromRects({{8, 40, 70, 100}, {20, 100, 50, 168}});
  return TMemoryStream(r.ToRecord());
}

class FormRgnTest : public WindowTest {
protected:
  FormRgnTest() {
    Form.SetClientWidth(88);
    Form.SetClientHeight(154);
    Rgn = new TFormRgn(&Form);
    Rgn->SetParent(&Form);
  }
  TRegion Held() const { return *Null.Regions().Find(Rgn->Region()); }
  const std::optional<TRegion>& WindowRegion() { return Null.Window(Form.Handle()).Region; }
  TForm Form{nullptr};
  TFormRgn* Rgn = nullptr;
  TMemoryStream Record = StandingRecord();
};

TEST_F(FormRgnTest, LoadRegionAtPutsTheBoxCornerOnThePointAndApplyInstallsACopy) {
  Rgn->LoadRegionAt(Record, 5, 18);
  EXPECT_EQ(Held().Bounds(), (TRect{5, 18, 67, 146}));
  EXPECT_EQ(Record.Position(), 0u);
  Rgn->ApplyRegion();
  Rgn->ApplyRegion();
  ASSERT_TRUE(WindowRegion().has_value());
  EXPECT_EQ(*WindowRegion(), TRegion::FromRects({{5, 18, 67, 78}, {17, 78, 47, 146}}));
  EXPECT_EQ(Null.Window(Form.Handle()).SetRegionCount, 2);
  EXPECT_EQ(Null.Window(Form.Handle()).RedrawCount, 2);
  EXPECT_EQ(Null.LiveRegions(), 1u); // only the held one: each copy went to the window
}

TEST_F(FormRgnTest, LoadingAtItsOwnCornerAndLoadingAnEmptyRegionSucceed) {
  Rgn->LoadRegionAt(Record, 8, 40);
  EXPECT_EQ(Held().Bounds(), (TRect{8, 40, 70, 168}));
  TMemoryStream empty(TRegion().ToRecord());
  Rgn->LoadRegionAt(empty, 5, 18);
  EXPECT_TRUE(Held().IsEmpty());
  Rgn->ApplyRegion();
  EXPECT_FALSE(Null.WindowRegionContains(Form.Handle(), {40, 80}));
}

TEST_F(FormRgnTest, ApplyWithoutARegionDoesNothing) {
  Rgn->ApplyRegion();
  EXPECT_EQ(Null.CallCount(NullOp::CreateRectRgn), 0u);
  EXPECT_FALSE(Form.HandleAllocated());
}

TEST_F(FormRgnTest, ABrokenRecordKeepsThePreviousRegionAndRewindsTheStream) {
  Rgn->LoadRegionAt(Record, 5, 18);
  const RegionId before = Rgn->Region();
  for (std::vector<std::uint8_t> bytes :
       {std::vector<std::uint8_t>{}, std::vector<std::uint8_t>(31, 0)}) {
    TMemoryStream broken(bytes);
    broken.SetPosition(bytes.size());
    try {
      Rgn->LoadRegion(broken);
      FAIL() << "no error";
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), MSG_EXTCREATEREGION_FAILED);
    }
    EXPECT_EQ(broken.Position(), 0u);
    EXPECT_EQ(Rgn->Region(), before);
  }
  Rgn->ApplyRegion();
  EXPECT_EQ(WindowRegion()->Bounds(), (TRect{5, 18, 67, 146}));
  EXPECT_EQ(Null.LiveRegions(), 1u);
}

struct FailCase {
  NullOp Op;
  bool Apply; // the failing call: ApplyRegion, else LoadRegionAt
  const char* Message;
  TRect HeldBounds; // what is held afterwards
};

class FormRgnFailTest : public FormRgnTest, public ::testing::WithParamInterface<FailCase> {};

TEST_P(FormRgnFailTest, EachFailedStepRaisesItsMessageAndLeaksNothing) {
  const FailCase& c = GetParam();
  Rgn->LoadRegionAt(Record, 5, 18); // held at (5, 18)
  Rgn->ApplyRegion();
  const std::size_t live = Null.LiveRegions();
  Null.FailOnce(c.Op);
  try {
    if (c.Apply) {
      Rgn->ApplyRegion();
    } else {
      Rgn->LoadRegionAt(Record, 30, 1);
    }
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), c.Message);
  }
  EXPECT_EQ(Null.LiveRegions(), live);
  EXPECT_EQ(Record.Position(), 0u);
  EXPECT_EQ(Held().Bounds(), c.HeldBounds);
  EXPECT_EQ(WindowRegion()->Bounds(), (TRect{5, 18, 67, 146})); // the window keeps its outline
  Rgn->ApplyRegion();                                           // and the held region still applies
  EXPECT_EQ(WindowRegion()->Bounds(), c.HeldBounds);
}

// Named and printed by the failing step, so the test list is the same from one build to the next.
std::string FailCaseName(const ::testing::TestParamInfo<FailCase>& AInfo) {
  static constexpr const char* Names[] = {"ExtCreateRegion", "GetRgnBox",  "OffsetRgn",
                                          "CreateRectRgn",   "CombineRgn", "SetWindowRgn"};
  return Names[AInfo.index];
}
void PrintTo(const FailCase& ACase, std::ostream* AOut) {
  *AOut << ACase.Message;
}

INSTANTIATE_TEST_SUITE_P(
    Steps, FormRgnFailTest,
    ::testing::Values(
        FailCase{NullOp::ExtCreateRegion, false, MSG_EXTCREATEREGION_FAILED, {5, 18, 67, 146}},
        FailCase{NullOp::GetRgnBox, false, MSG_GETRGNBOX_FAILED, {8, 40, 70, 168}},
        FailCase{NullOp::OffsetRgn, false, MSG_OFFSETRGN_FAILED, {8, 40, 70, 168}},
        FailCase{NullOp::CreateRectRgn, true, MSG_CREATERECTRGN_FAILED, {5, 18, 67, 146}},
        FailCase{NullOp::CombineRgn, true, MSG_COMBINERGN_FAILED, {5, 18, 67, 146}},
        FailCase{NullOp::SetWindowRgn, true, MSG_SETWINDOWRGN_FAILED, {5, 18, 67, 146}}),
    FailCaseName);

TEST_F(FormRgnTest, AMoveBeyondThirtyTwoBitsFailsAsAMoveInsteadOfOverflowing) {
  const TRegion far = TRegion::FromRects({{-2147483000, 0, -2147482000, 10}});
  TMemoryStream stream(far.ToRecord());
  EXPECT_THROW(Rgn->LoadRegionAt(stream, 2147483000, 0), Exception);
  EXPECT_EQ(Held().Bounds().Left, -2147483000);
}

TEST_F(FormRgnTest, TheHeldRegionIsDeletedOnceAtDestructionAndCopiesStayWithTheWindow) {
  Rgn->LoadRegionAt(Record, 5, 18);
  Rgn->LoadRegionAt(Record, 6, 19); // replaces and deletes the first
  Rgn->ApplyRegion();
  EXPECT_EQ(Null.LiveRegions(), 1u);
  EXPECT_EQ(Null.CallCount(NullOp::DeleteObject), 1u);
  delete Rgn;
  EXPECT_EQ(Null.LiveRegions(), 0u);
  EXPECT_EQ(Null.CallCount(NullOp::DeleteObject), 2u);
  EXPECT_TRUE(WindowRegion().has_value());
}

TEST_F(FormRgnTest, TransparentColorChangesNeitherRegionNorDrawing) {
  Rgn->LoadRegionAt(Record, 5, 18);
  Rgn->TransparentColor = clRed;
  Rgn->ApplyRegion();
  Null.PaintNow(Form.Handle());
  EXPECT_EQ(WindowRegion()->Bounds(), (TRect{5, 18, 67, 146}));
  EXPECT_EQ(Null.Window(Form.Handle()).LastPaint.size(), 1u); // background only: no picture
}

} // namespace
} // namespace nyarumi::test

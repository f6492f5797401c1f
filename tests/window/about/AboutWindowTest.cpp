#include "AboutFixture.h"
#include "assets/Resources.h"
#include "shell/HTLabel.h"
#include "shell/window/Button.h"
#include "shell/window/Label.h"
#include "shell/window/Menu.h"
#include "shell/window/Shape.h"

namespace nyarumi::test {
namespace {

using AboutWindow = AboutFixture;

TEST_F(AboutWindow, IsCreatedHiddenFromItsLayout) {
  TfrmABUT& form = Create();
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(form.Caption(), "バージョン情報");
  EXPECT_EQ(form.BorderStyle(), TFormBorderStyle::bsToolWindow);
  EXPECT_EQ(form.BorderIcons(), 0);
  EXPECT_EQ(form.ClientWidth(), 325);
  EXPECT_EQ(form.ClientHeight(), 124);
  EXPECT_EQ(form.Label2->Caption(), "version.0.5   2001");
  EXPECT_EQ(form.Shape2->BoundsRect(), (TRect{28, 80, 81, 93}));
  EXPECT_EQ(form.Button1->BoundsRect(), (TRect{256, 100, 317, 121}));
  EXPECT_EQ(form.Button1->Caption(), "Close");
  EXPECT_EQ(form.HTLabel1->Caption(), WEB_ADDRESS);
  EXPECT_EQ(form.HTLabel2->Caption(), MAIL_ADDRESS);
  EXPECT_EQ(form.HTLabel1->Cursor(), crHandPoint);
  ASSERT_NE(form.PopupMenu1, nullptr);
  EXPECT_TRUE(form.PopupMenu1->Items().Items().empty());
  // The stored link menus, the two live ones and PopupMenu1.
  int menus = 0;
  for (TComponent* c : form.Components()) {
    menus += dynamic_cast<TPopupMenu*>(c) != nullptr;
  }
  EXPECT_EQ(menus, 16 + 2 + 1);
  EXPECT_TRUE(Null.ErrorBoxes.empty());
}

TEST_F(AboutWindow, IsAToolWindowWithoutATaskbarEntry) {
  TfrmABUT& form = Create();
  form.Show();
  EXPECT_EQ(Native().Params.Border, TWindowBorder::ToolWindow);
  EXPECT_TRUE(Native().Params.SkipTaskbar);
  EXPECT_TRUE(Native().Visible);
}

TEST_F(AboutWindow, IsCentredByItsOuterSizeAtTheFirstShowOnly) {
  TfrmABUT& form = Create();
  Null.VirtualScreen = {-1280, 0, 1920, 1024}; // two monitors: 3200 wide
  form.Show();
  // Outer size 331 x 147; the stored 201, 514 is never used.
  EXPECT_EQ(Native().Params.OuterTopLeft, (TPoint{(3200 - 331) / 2, (1024 - 147) / 2}));
  // The user drags it, Close hides it, About shows it again where it was.
  Events().Moved({40, 50});
  Null.ClickButton(form.Button1->Handle());
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(Native().Visible);
  form.Show();
  EXPECT_TRUE(Native().Visible);
  EXPECT_EQ(Native().Params.OuterTopLeft, (TPoint{40, 50}));
}

TEST_F(AboutWindow, ShowingAVisibleWindowDoesNothing) {
  TfrmABUT& form = Create();
  form.Show();
  Events().Moved({7, 8});
  const unsigned visibleCalls = Null.CallCount(NullOp::SetWindowVisible);
  const unsigned geometryCalls = Null.CallCount(NullOp::SetWindowGeometry);
  form.Show();
  EXPECT_EQ(Null.CallCount(NullOp::SetWindowVisible), visibleCalls);
  EXPECT_EQ(Null.CallCount(NullOp::SetWindowGeometry), geometryCalls);
  EXPECT_EQ((TPoint{form.Left(), form.Top()}), (TPoint{7, 8}));
}

TEST_F(AboutWindow, ACloseRequestHidesWithoutDestroyingOrEndingTheProgram) {
  TfrmABUT& form = Create();
  form.Show();
  const WindowId handle = form.Handle();
  Events().CloseRequest();
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(Null.Window(handle).Visible);
  EXPECT_FALSE(App.Terminated());
  EXPECT_EQ(form.Handle(), handle);
}

TEST_F(AboutWindow, EveryMenuGoesWithTheWindow) {
  Create();
  Form->Show();
  Form.reset();
  EXPECT_EQ(Null.LiveWindows(), 0u);
  EXPECT_EQ(Null.LiveButtons(), 0u);
}

// The layout built into the program, once it is there.
TEST_F(AboutWindow, LoadsFromTheEmbeddedLayout) {
  if (LookupResource("TFRMABUT").empty()) {
    GTEST_SKIP() << "TFRMABUT is not embedded in this build";
  }
  Form = CreateAboutWindow(Registry);
  EXPECT_TRUE(Null.ErrorBoxes.empty());
  EXPECT_FALSE(Form->Visible());
  EXPECT_EQ(Form->ClientWidth(), 325);
  EXPECT_EQ(Form->ClientHeight(), 124);
  EXPECT_EQ(Form->Label2->Caption(), "version.0.5   2001");
  EXPECT_TRUE(IsWebAddress(Form->HTLabel1->Caption()));
  EXPECT_FALSE(Form->HTLabel2->Caption().empty());
  EXPECT_EQ(Form->HTLabel1->Font().Color(), 50266112);
  EXPECT_EQ(Form->HTLabel1->Font().Style(), fsUnderline);
}

} // namespace
} // namespace nyarumi::test

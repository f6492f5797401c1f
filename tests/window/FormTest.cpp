#include "shell/window/Form.h"
#include "Fixture.h"
#include "common/Errors.h"
#include "shell/window/Image.h"
#include "shell/window/Label.h"
#include "shell/window/Menu.h"
#include "shell/window/Shape.h"

#include <gmock/gmock.h>

namespace nyarumi::test {
namespace {

using Kind = TPaintOp::Kind;

struct Recorder {
  std::vector<std::string> Events;
  void Attach(TControl& AControl, const std::string& AName) {
    AControl.OnMouseEnter = [this, AName](TComponent*) { Events.push_back(AName + " enter"); };
    AControl.OnMouseLeave = [this, AName](TComponent*) { Events.push_back(AName + " leave"); };
    AControl.OnClick = [this, AName](TComponent*) { Events.push_back(AName + " click"); };
    AControl.OnMouseDown = [this, AName](TComponent*, TMouseButton, TShiftState, std::int32_t x,
                                         std::int32_t y) {
      Events.push_back(AName + " down " + std::to_string(x) + "," + std::to_string(y));
    };
    AControl.OnMouseUp = [this, AName](TComponent*, TMouseButton, TShiftState, std::int32_t x,
                                       std::int32_t y) {
      Events.push_back(AName + " up " + std::to_string(x) + "," + std::to_string(y));
    };
  }
};

template <class T> T* Place(TForm& AForm, TRect ABounds) {
  auto* c = new T(&AForm);
  c->SetParent(&AForm);
  c->SetBounds(ABounds.Left, ABounds.Top, ABounds.Width(), ABounds.Height());
  return c;
}

class FormTest : public WindowTest {
protected:
  FormTest() {
    Form.SetClientWidth(88);
    Form.SetClientHeight(154);
    Form.SetColor(clWhite);
  }
  WindowEvents& Events() { return *Null.Window(Form.Handle()).Events; }
  TForm Form{nullptr};
};

TEST_F(FormTest, PaintsBackgroundThenVisibleWindowlessControlsInCreationOrder) {
  auto* back = Place<TImage>(Form, {0, 0, 88, 100});
  back->Canvas().FillRect({0, 0, 88, 100});
  Place<TImage>(Form, {0, 0, 88, 154}); // no picture: paints nothing
  auto* label = Place<TLabel>(Form, {4, 4, 40, 12});
  label->SetCaption("hi");
  auto* hidden = Place<TShape>(Form, {0, 0, 10, 10});
  hidden->Hide();
  auto* shape = Place<TShape>(Form, {8, 48, 25, 109});
  shape->Brush.Color = clRed;
  shape->Pen.Style = TPenStyle::psClear;

  Null.PaintNow(Form.Handle());
  const auto& ops = Null.Window(Form.Handle()).LastPaint;
  ASSERT_EQ(ops.size(), 4u);
  EXPECT_EQ(ops[0].Type, Kind::Fill);
  EXPECT_EQ(ops[0].Color, (TRgb{255, 255, 255}));
  EXPECT_EQ(ops[1].Type, Kind::Picture);
  EXPECT_EQ(ops[1].Rect, (TRect{0, 0, 88, 100}));
  EXPECT_EQ(ops[2].Type, Kind::Text);
  EXPECT_EQ(ops[2].Text, "hi");
  EXPECT_EQ(ops[3].Type, Kind::Rectangle);
  EXPECT_EQ(ops[3].Color, (TRgb{255, 0, 0}));
  EXPECT_FALSE(ops[3].Pen.has_value());

  // Shown again, a control paints in its old place; one that changes form paints last there.
  label->Hide();
  hidden->Show();
  label->Show();
  back->SetParent(nullptr);
  back->SetParent(&Form);
  Null.PaintNow(Form.Handle());
  const auto& again = Null.Window(Form.Handle()).LastPaint;
  ASSERT_EQ(again.size(), 5u);
  EXPECT_EQ(again[1].Type, Kind::Text);
  EXPECT_EQ(again[2].Type, Kind::Rectangle);
  EXPECT_TRUE(again[2].Pen.has_value());
  EXPECT_EQ(again[3].Color, (TRgb{255, 0, 0}));
  EXPECT_EQ(again[4].Type, Kind::Picture);

  // A picture that covers the whole client area hides what lies under it: neither the
  // background nor those controls are painted, only what lies above it.
  back->SetBounds(0, 0, 88, 154);
  back->Picture().SetSize(88, 154);
  const auto kinds = [&] {
    Null.PaintNow(Form.Handle());
    std::vector<Kind> result;
    for (const auto& op : Null.Window(Form.Handle()).LastPaint) {
      result.push_back(op.Type);
    }
    return result;
  };
  EXPECT_THAT(kinds(), ::testing::ElementsAre(Kind::Picture));
  label->SetParent(nullptr);
  label->SetParent(&Form);
  EXPECT_THAT(kinds(), ::testing::ElementsAre(Kind::Picture, Kind::Text));
  back->SetBounds(0, 1, 88, 154); // one row of the form shows through
  EXPECT_THAT(kinds(), ::testing::ElementsAre(Kind::Fill, Kind::Rectangle, Kind::Rectangle,
                                              Kind::Picture, Kind::Text));
}

TEST_F(FormTest, UpdateRepaintsOnlyWhenSomethingChanged) {
  auto* image = Place<TImage>(Form, {0, 0, 88, 154});
  Null.PaintNow(Form.Handle());
  Form.Update();
  EXPECT_EQ(Null.Window(Form.Handle()).LastPaint.size(), 1u); // background only, no repaint
  image->Canvas().FillRect({0, 0, 10, 10});
  Form.Update();
  // The picture now covers the form: it alone is painted.
  ASSERT_EQ(Null.Window(Form.Handle()).LastPaint.size(), 1u);
  EXPECT_EQ(Null.Window(Form.Handle()).LastPaint[0].Type, Kind::Picture);
  EXPECT_FALSE(Null.Window(Form.Handle()).Invalid);
}

// Her window: a back buffer under the image that shows her frame, both the window's size.
class ShownPictureTest : public FormTest {
protected:
  static TBitmap8 Plain(std::uint8_t AGreen) {
    TBitmap8 b;
    b.Width = 88;
    b.Height = 154;
    b.Palette = {{0, AGreen, 0}};
    b.Pixels.assign(88 * 154, 0);
    return b;
  }
  ShownPictureTest() {
    Null.ShowsPictures = true;
    for (TImage* frame : {&A, &B}) {
      frame->SetParent(&Form);
      frame->Hide();
    }
    A.Picture().Assign(Plain(1));
    B.Picture().Assign(Plain(2));
    for (TImage* image : {Back, Front}) {
      image->SetBounds(0, 0, 88, 154);
    }
    Put(*Front, A);
    Form.Show();
    Null.PaintNow(Form.Handle());
  }
  static void Put(TImage& ATo, TImage& AFrom) {
    const TRect all{0, 0, 88, 154};
    ATo.Canvas().CopyRect(all, AFrom.Canvas(), all); // shares the frame's pixels
  }
  const TNullWindow& Window() { return Null.Window(Form.Handle()); }

public: // the cases' handlers play her tick on these
  using FormTest::Form;
  TImage A{&Form};
  TImage B{&Form};
  TImage* Back = Place<TImage>(Form, {0, 0, 88, 154});
  TImage* Front = Place<TImage>(Form, {0, 0, 88, 154});
};

TEST_F(ShownPictureTest, AHandlerThatLeavesTheShownPictureOnTopMarksNothing) {
  struct Case {
    const char* What;
    std::function<void(ShownPictureTest&)> Handler;
    bool Marked;
  };
  const Case cases[] = {
      {"the same frame under the one hidden",
       [](ShownPictureTest& t) {
         Put(*t.Back, t.A);
         t.Front->Hide();
       },
       false},
      {"another frame under the one hidden",
       [](ShownPictureTest& t) {
         Put(*t.Back, t.B);
         t.Front->Hide();
       },
       true},
      {"the same frame a pixel lower",
       [](ShownPictureTest& t) {
         Put(*t.Back, t.A);
         t.Back->SetTop(1);
         t.Front->Hide();
       },
       true},
      {"the same frame drawn on",
       [](ShownPictureTest& t) {
         Put(*t.Back, t.A);
         t.Back->Canvas().FillRect({0, 0, 1, 1});
         t.Front->Hide();
       },
       true},
      {"a control shown over the frame",
       [](ShownPictureTest& t) {
         Place<TShape>(t.Form, {0, 0, 4, 4});
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    Back->Picture().Clear();
    Back->SetTop(0);
    Put(*Front, A);
    Front->Show();
    Null.PaintNow(Form.Handle());
    ASSERT_FALSE(Window().Invalid);
    App.Dispatch([&] {
      c.Handler(*this);
      EXPECT_FALSE(Window().Invalid) << "marks wait for the handler to return";
    });
    EXPECT_EQ(Window().Invalid, c.Marked);
  }
  // A handler that fails still has its marks passed on.
  App.OnException = [](const std::exception&) {};
  App.Dispatch([&] {
    Front->Hide();
    throw Exception("failed");
  });
  EXPECT_TRUE(Window().Invalid);
}

TEST_F(ShownPictureTest, UpdateShowsANewFrameWithoutAPaintWhereTheBackendCan) {
  App.Dispatch([&] {
    Put(*Back, A);
    Front->Hide();
    Put(*Front, B);
    Front->Show();
    Form.Update();
  });
  EXPECT_EQ(Window().ShowPictureCount, 1);
  EXPECT_EQ(Window().ShownPicture, B.Picture().Ref().Owner);
  EXPECT_FALSE(Window().Invalid);
  // What the backend shows counts as shown: hiding B over a copy of it marks nothing.
  App.Dispatch([&] {
    Put(*Back, B);
    Front->Hide();
  });
  EXPECT_FALSE(Window().Invalid);

  // Without the shortcut, or for a picture of another size, Update paints as before.
  const auto painted = [&] {
    std::vector<Kind> kinds;
    for (const auto& op : Window().LastPaint) {
      kinds.push_back(op.Type);
    }
    return kinds;
  };
  Null.ShowsPictures = false;
  App.Dispatch([&] {
    Put(*Front, A);
    Front->Show();
    Form.Update();
    EXPECT_THAT(painted(), ::testing::ElementsAre(Kind::Picture));
  });
  Null.ShowsPictures = true;
  App.Dispatch([&] {
    Front->SetBounds(0, 0, 88, 150);
    Back->Hide();
    Form.Update();
    EXPECT_THAT(painted(), ::testing::ElementsAre(Kind::Fill, Kind::Picture));
  });
  EXPECT_EQ(Window().ShowPictureCount, 1);
  EXPECT_FALSE(Window().Invalid);
}

TEST_F(FormTest, HitTestingDeliversEnterLeavePressReleaseAndClickToTheTopmostControl) {
  auto* lower = Place<TLabel>(Form, {0, 0, 40, 40});
  lower->SetAutoSize(false);
  lower->SetBounds(0, 0, 40, 40);
  auto* upper = Place<TShape>(Form, {20, 20, 60, 60});
  upper->SetCursor(crHandPoint);
  Recorder r;
  r.Attach(*lower, "lower");
  r.Attach(*upper, "upper");

  Events().MouseMove(0, {5, 5});
  EXPECT_EQ(Null.Window(Form.Handle()).Cursor, TCursorShape::Arrow);
  Events().MouseMove(0, {25, 25});
  EXPECT_EQ(Null.Window(Form.Handle()).Cursor, TCursorShape::HandPoint);
  Events().MouseDown(TMouseButton::mbLeft, ssLeft, {25, 26});
  Events().MouseUp(TMouseButton::mbLeft, 0, {30, 30});
  Events().MouseDown(TMouseButton::mbLeft, ssLeft, {30, 30});
  Events().MouseUp(TMouseButton::mbLeft, 0, {70, 70}); // released outside: no click
  Events().MouseDown(TMouseButton::mbRight, ssRight, {30, 30});
  Events().MouseUp(TMouseButton::mbRight, 0, {30, 30}); // right button: no click
  Events().MouseLeave();

  EXPECT_THAT(r.Events, ::testing::ElementsAre(
                            "lower enter", "lower leave", "upper enter", "upper down 5,6",
                            "upper up 10,10", "upper click", "upper down 10,10", "upper up 50,50",
                            "upper down 10,10", "upper up 10,10", "upper leave"));
}

TEST_F(FormTest, HiddenOrDisabledControlsAreNotHit) {
  auto* a = Place<TShape>(Form, {0, 0, 40, 40});
  auto* b = Place<TShape>(Form, {0, 0, 40, 40});
  b->Hide();
  EXPECT_EQ(Form.ControlAt({1, 1}), a);
  a->SetEnabled(false);
  EXPECT_EQ(Form.ControlAt({1, 1}), nullptr);
}

class MenuTest : public FormTest {
protected:
  MenuTest() {
    Menu = new TPopupMenu(&Form);
    for (const char* caption : {"-", "stay", "-", "about", "quit", "-"}) {
      auto* item = new TMenuItem(&Form);
      item->Caption = caption;
      Menu->Items().Add(item);
      Items.push_back(item);
    }
    Items[1]->ShortCut = 16470;
    Items[1]->Checked = true;
    Items[1]->RadioItem = true;
    Items[3]->ShortCut = 16449;
    Items[3]->Default = true;
    Items[4]->ShortCut = 16465;
    Items[4]->Enabled = false;
    for (TMenuItem* item : Items) {
      item->OnClick = [this, item](TComponent*) { Clicked.push_back(item->Caption); };
    }
    Form.SetPopupMenu(Menu);
    Null.CursorPos = TPoint{500, 400};
  }
  void RightClick(TPoint APos) {
    Events().MouseDown(TMouseButton::mbRight, ssRight, APos);
    Events().MouseUp(TMouseButton::mbRight, 0, APos);
  }
  TPopupMenu* Menu = nullptr;
  std::vector<TMenuItem*> Items;
  std::vector<std::string> Clicked;
};

TEST_F(MenuTest, EntriesShowEveryItemAsStoredWithShortcutsMarksAndSeparators) {
  RightClick({10, 10});
  ASSERT_EQ(Null.Menus.size(), 1u);
  const auto& e = Null.Menus[0].Entries;
  ASSERT_EQ(e.size(), 6u);
  EXPECT_TRUE(e[0].Separator && e[2].Separator && e[5].Separator);
  EXPECT_EQ(e[1].Caption, "stay");
  EXPECT_EQ(e[1].ShortCutText, "Ctrl+V");
  EXPECT_TRUE(e[1].Checked && e[1].RadioCheck);
  EXPECT_EQ(e[3].ShortCutText, "Ctrl+A");
  EXPECT_TRUE(e[3].Default);
  EXPECT_EQ(e[4].ShortCutText, "Ctrl+Q");
  EXPECT_FALSE(e[4].Enabled);
  EXPECT_EQ(Null.Menus[0].At, (TPoint{500, 400}));
  // Function keys F1 to F24 have names too; other keys show none.
  EXPECT_EQ(ShortCutToText(0x70), "F1");
  EXPECT_EQ(ShortCutToText(0x87 | scShift | scCtrl), "Shift+Ctrl+F24");
  EXPECT_EQ(ShortCutToText(0x88 | scCtrl), "");
}

TEST_F(MenuTest, RightClickOpensTheMenuOnlyOnPixelsInsideTheWindowRegion) {
  const RegionId region = Null.CreateRectRgn(10, 20, 30, 40);
  ASSERT_NE(Null.SetWindowRgn(Form.Handle(), region, true), 0);
  Null.MenuChoice = 3;
  RightClick({5, 5});
  EXPECT_TRUE(Null.Menus.empty());
  RightClick({15, 25});
  ASSERT_EQ(Null.Menus.size(), 1u);
  EXPECT_THAT(Clicked, ::testing::ElementsAre("about"));
}

TEST_F(MenuTest, ShortcutsRunEnabledItemsOfTheFormsMenu) {
  EXPECT_TRUE(Events().KeyDown(16470));
  EXPECT_TRUE(Events().KeyDown(16449));
  EXPECT_FALSE(Events().KeyDown(16465)); // disabled
  EXPECT_FALSE(Events().KeyDown('V'));   // without Ctrl
  EXPECT_THAT(Clicked, ::testing::ElementsAre("stay", "about"));
}

TEST_F(MenuTest, AFailingMenuCommandIsReportedAndTheProgramGoesOn) {
  Items[3]->OnClick = [](TComponent*) { throw Exception("CombineRgnに失敗しました"); };
  Null.MenuChoice = 3;
  RightClick({10, 10});
  Null.MenuChoice = 1;
  RightClick({10, 10});
  ASSERT_EQ(Null.ErrorBoxes.size(), 1u);
  EXPECT_EQ(Null.ErrorBoxes[0].first, "CombineRgnに失敗しました.");
  EXPECT_EQ(Null.ErrorBoxes[0].second, "Nyarumi");
  EXPECT_THAT(Clicked, ::testing::ElementsAre("stay"));
}

struct CentreCase {
  TRect Screen;
  TPoint Expected;
};

class CentreTest : public WindowTest, public ::testing::WithParamInterface<CentreCase> {};

TEST_P(CentreTest, DesktopCentreIsTakenOnTheFirstShowOnly) {
  Null.VirtualScreen = GetParam().Screen;
  TForm form(nullptr);
  form.SetBounds(796, 34, 88, 154);
  form.SetPosition(TPosition::poDesktopCenter);
  form.Show();
  EXPECT_EQ((TPoint{form.Left(), form.Top()}), GetParam().Expected);
  EXPECT_EQ(Null.Window(form.Handle()).Params.OuterTopLeft, GetParam().Expected);
  form.Hide();
  Null.Window(form.Handle()).Events->Moved({300, 200}); // dragged by the user
  form.Show();
  EXPECT_EQ((TPoint{form.Left(), form.Top()}), (TPoint{300, 200}));
}

INSTANTIATE_TEST_SUITE_P(
    Screens, CentreTest,
    ::testing::Values(CentreCase{{0, 0, 1024, 768}, {468, 307}},
                      CentreCase{{0, 0, 3840, 1080}, {1876, 463}}, // two monitors side by side
                      CentreCase{{0, 0, 1025, 769}, {468, 307}},   // div truncates
                      CentreCase{{0, 0, 60, 100}, {0, 0}}));       // negative raised to 0

TEST_F(WindowTest, ToolWindowCentresWithItsOuterSize) {
  Null.Frame = {3, 20, 3, 3};
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsToolWindow);
  form.SetClientWidth(325);
  form.SetClientHeight(124);
  form.SetPosition(TPosition::poDesktopCenter);
  form.Show();
  EXPECT_EQ(form.Width(), 331);
  EXPECT_EQ(form.Height(), 147);
  EXPECT_EQ(form.Left(), (1024 - 331) / 2);
  EXPECT_EQ(form.Top(), (768 - 147) / 2);
  EXPECT_EQ(Null.Window(form.Handle()).Params.Border, TWindowBorder::ToolWindow);
}

TEST_F(WindowTest, AFrameThatArrivesAfterTheFirstShowCentresTheWindowAgainOnce) {
  TForm form(nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsToolWindow);
  form.SetClientWidth(325);
  form.SetClientHeight(124);
  form.SetPosition(TPosition::poDesktopCenter);
  Null.Frame = {};
  form.Show();
  EXPECT_EQ(Null.Window(form.Handle()).Params.OuterTopLeft,
            (TPoint{(1024 - 325) / 2, (768 - 124) / 2}));
  // The desktop may report its own placement before the frame: that is not the user's move.
  Null.Window(form.Handle()).Events->Moved({(1024 - 325) / 2, (768 - 124) / 2});
  // The desktop frames the window where its client area is: the frame's corner moves.
  Null.Frame = {1, 20, 1, 1};
  Null.Window(form.Handle()).Events->Moved({(1024 - 325) / 2 - 1, (768 - 124) / 2 - 20});
  const TPoint centred{(1024 - 327) / 2, (768 - 145) / 2};
  EXPECT_EQ(Null.Window(form.Handle()).Params.OuterTopLeft, centred);
  EXPECT_EQ((TPoint{form.Left(), form.Top()}), centred);
  EXPECT_EQ(form.Width(), 327);
  // Later moves, even one that changes the frame, are the user's or the desktop's own.
  Null.Window(form.Handle()).Events->Moved({5, 6});
  Null.Frame = {2, 22, 2, 2};
  Null.Window(form.Handle()).Events->Moved({7, 8});
  EXPECT_EQ((TPoint{form.Left(), form.Top()}), (TPoint{7, 8}));
  EXPECT_EQ(form.Width(), 329);
}

TEST_F(WindowTest, FormStyleTogglesAtRunTimeAndKeepsTheTaskbarState) {
  TForm main(nullptr);
  App.SetShowTaskbarButton(false);
  main.SetFormStyle(TFormStyle::fsStayOnTop);
  main.Show();
  TNullWindow& w = Null.Window(main.Handle());
  EXPECT_TRUE(w.Params.StayOnTop);
  EXPECT_TRUE(w.Params.SkipTaskbar);
  main.SetFormStyle(TFormStyle::fsNormal);
  EXPECT_FALSE(w.Params.StayOnTop);
  EXPECT_TRUE(w.Params.SkipTaskbar);
  main.SetFormStyle(TFormStyle::fsStayOnTop);
  EXPECT_TRUE(w.Params.StayOnTop);
  EXPECT_EQ(Null.LiveWindows(), 1u);
}

TEST_F(WindowTest, ClosingTheMainFormEndsTheProgramWhileOthersHide) {
  TForm main(nullptr);
  TForm about(nullptr);
  main.Show();
  about.Show();
  Null.Window(about.Handle()).Events->CloseRequest();
  EXPECT_FALSE(about.Visible());
  EXPECT_FALSE(App.Terminated());
  main.OnClose = [](TComponent*, TCloseAction& AAction) { AAction = TCloseAction::caNone; };
  main.Close();
  EXPECT_FALSE(App.Terminated());
  main.OnClose = nullptr;
  Null.Window(main.Handle()).Events->CloseRequest();
  EXPECT_TRUE(App.Terminated());
  EXPECT_TRUE(Null.QuitRequested);
}

TEST_F(WindowTest, AFailingCreationHandlerIsReportedAndTheFormStillExists) {
  TForm form(nullptr);
  bool after = false;
  form.OnCreate = [&](TComponent*) {
    throw Exception("GetRgnBoxに失敗しました");
    after = true;
  };
  form.DoCreate();
  EXPECT_FALSE(after);
  ASSERT_EQ(Null.ErrorBoxes.size(), 1u);
  EXPECT_EQ(Null.ErrorBoxes[0].first, "GetRgnBoxに失敗しました.");
  EXPECT_NO_THROW(form.Show());
}

TEST_F(WindowTest, ARefusedNativeWindowLeavesTheFormHidden) {
  TForm form(nullptr);
  Null.FailOnce(NullOp::CreateNativeWindow);
  EXPECT_THROW(form.Show(), Exception);
  EXPECT_FALSE(form.Visible());
  form.Show();
  EXPECT_TRUE(form.Visible());
}

} // namespace
} // namespace nyarumi::test

#include "MainStream.h"

#include "assets/FormLoader.h"
#include "assets/Resources.h"
#include "common/Errors.h"
#include "shell/formMain.h"
#include "shell/platform/null_platform.h"
#include "shell/window/Application.h"
#include "shell/window/Registration.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

namespace nyarumi {
namespace {

using test::FrameRegion;
using test::MainStream;
using test::PaletteColor;

TClassRegistry ProgramRegistry() {
  TClassRegistry registry;
  RegisterWindowClasses(registry);
  RegisterfileIN(registry);
  RegisterfrmMAIN(registry);
  return registry;
}

#if defined(__linux__)
// Resident KiB of the mapping that holds AAddress.
long ResidentKiB(const void* AAddress) {
  std::ifstream maps("/proc/self/smaps");
  const auto at = reinterpret_cast<std::uintptr_t>(AAddress);
  bool inside = false;
  for (std::string line; std::getline(maps, line);) {
    unsigned long from = 0, to = 0;
    if (std::sscanf(line.c_str(), "%lx-%lx ", &from, &to) == 2 && line.find(' ') < 30) {
      inside = from <= at && at < to;
    } else if (inside && line.rfind("Rss:", 0) == 0) {
      return std::stol(line.substr(4));
    }
  }
  return 0;
}
#endif

std::uint32_t Ink(int AFrame) {
  return RgbToPixel(
      {PaletteColor(AFrame).Red, PaletteColor(AFrame).Green, PaletteColor(AFrame).Blue});
}
constexpr std::uint32_t WHITE = 0xFFFFFF;

TRegion Placed(const TRegion& ARegion, std::int32_t AX, std::int32_t AY) {
  TRegion r = ARegion;
  r.Offset(AX - r.Bounds().Left, AY - r.Bounds().Top);
  return r;
}

class MainFormTest : public ::testing::Test {
protected:
  NullPlatform Platform;
  PlatformScope Scope{Platform};
  TApplication App;
  TClassRegistry Registry = ProgramRegistry();
  std::unique_ptr<TfrmMAIN> Form;
  std::unique_ptr<TForm> About;

  void SetUp() override {
    App.SetTitle("Nyarumi");
    Platform.CursorPos = std::nullopt; // nothing to chase: she idles
    Form = Create(MainStream());
    // Created second, as the program does, so that the main window stays the main form.
    About = std::make_unique<TForm>(nullptr);
    Form->SetAboutForm(About.get());
  }
  void TearDown() override {
    About.reset();
    Form.reset();
  }

  std::unique_ptr<TfrmMAIN> Create(const TComponentRecord& AStream) {
    auto form = std::make_unique<TfrmMAIN>(nullptr);
    LoadForm(*form, AStream, Registry);
    form->DoCreate();
    return form;
  }
  TNullWindow& Window() { return Platform.Window(Form->Handle()); }
  void Tick() { Platform.AdvanceTime(100); }
  int Code() const { return Form->Character.PoseCode; }
};

TEST_F(MainFormTest, FormCreateLeavesHerStandingSizedDrawnTopmostAndShaped) {
  EXPECT_EQ(Form->Character.PoseMode, POSE_STAND);
  EXPECT_EQ(Code(), 0x112);
  EXPECT_EQ(Form->Character.StepX, 0);
  EXPECT_EQ(Form->Character.StepY, 0);
  EXPECT_EQ(Form->Width(), 88);
  EXPECT_EQ(Form->Height(), 154);
  for (TControl* image :
       {static_cast<TControl*>(Form->imgMainOMOTE), static_cast<TControl*>(Form->imgMainURA),
        static_cast<TControl*>(Form->FormRgn1)}) {
    EXPECT_EQ(image->BoundsRect(), (TRect{0, 0, 88, 154})) << image->Name();
    EXPECT_TRUE(image->Visible()) << image->Name();
  }
  // Frame 1 is copied over FRAME_RECT only: its last column and row stay the fill's white.
  const TPicture& front = Form->imgMainOMOTE->Picture();
  ASSERT_EQ(front.Width(), 88);
  ASSERT_EQ(front.Height(), 154);
  EXPECT_EQ(front.Pixel(30, 50), Ink(0));
  EXPECT_EQ(front.Pixel(0, 0), WHITE);
  EXPECT_EQ(front.Pixel(86, 152), Ink(0));
  EXPECT_EQ(front.Pixel(87, 10), WHITE);
  EXPECT_EQ(front.Pixel(10, 153), WHITE);
  // Back buffer and region image stay empty until the first tick.
  EXPECT_TRUE(Form->imgMainURA->Picture().Empty());
  EXPECT_TRUE(Form->FormRgn1->Picture().Empty());

  EXPECT_EQ(Form->FormStyle(), TFormStyle::fsStayOnTop);
  EXPECT_TRUE(Window().Params.StayOnTop);
  EXPECT_TRUE(Window().Params.SkipTaskbar);
  EXPECT_FALSE(Window().Visible);
  ASSERT_TRUE(Window().Region.has_value());
  EXPECT_EQ(*Window().Region, Placed(FrameRegion(0), 5, 18));
  EXPECT_TRUE(Form->menuItemONTop->Checked);
}

TEST_F(MainFormTest, FirstShowCentresHerOnTheVirtualDesktop) {
  struct Case {
    TRect Desktop;
    TPoint Expected;
  };
  for (const Case& c : {Case{{0, 0, 1024, 768}, {468, 307}}, Case{{0, 0, 3200, 1080}, {1556, 463}},
                        Case{{0, 0, 50, 100}, {0, 0}}}) {
    Platform.VirtualScreen = c.Desktop;
    auto form = Create(MainStream());
    form->Show();
    EXPECT_EQ((TPoint{form->Left(), form->Top()}), c.Expected);
    EXPECT_EQ(Platform.Window(form->Handle()).Params.OuterTopLeft, c.Expected);
    form->Hide();
    form->SetLeft(3);
    form->Show();
    EXPECT_EQ(form->Left(), 3) << "only the first show centres";
  }
}

TEST_F(MainFormTest, TicksAlternateBetweenPreparingAndShowingAFrame) {
  const int regionsBefore = Window().SetRegionCount;
  Tick(); // decision: frame 2 drawn behind the back buffer
  EXPECT_FALSE(Form->FormRgn1->Visible());
  EXPECT_EQ(Code(), 0x113);
  EXPECT_EQ(Form->imgMainURA->Picture().Pixel(30, 50), Ink(0));
  EXPECT_EQ(Form->imgMainOMOTE->Picture().Pixel(30, 50), Ink(1));
  EXPECT_EQ(Form->FormRgn1->Picture().Pixel(30, 50), Ink(1));
  EXPECT_EQ(Window().SetRegionCount, regionsBefore);

  Tick(); // move: frame 2 shown with its outline
  EXPECT_TRUE(Form->FormRgn1->Visible());
  EXPECT_EQ(Code(), 0x113);
  EXPECT_EQ(Window().SetRegionCount, regionsBefore + 1);
  EXPECT_EQ(*Window().Region, Placed(FrameRegion(1), 5, 18));
  EXPECT_TRUE(Platform.ErrorBoxes.empty());
}

// Where the backend shows pictures and copies outlines in one step, her ticks soon leave her
// images alone. Seen from outside, nothing may differ from the long way: the same frames, outlines
// and moves, and the same images once anything looks at them, even in the middle of a tick pair.
TEST_F(MainFormTest, TheShortWayOfHerTickShowsAndLeavesWhatTheLongWayDoes) {
  struct TSeen {
    int Code;
    TPoint At;
    std::optional<TRegion> Outline;
    int Frame; // on screen
    bool operator==(const TSeen&) const = default;
  };
  struct TImages {
    bool RgnVisible;
    std::uint32_t Front, Back, Rgn;
    std::optional<TRegion> Held;
    int Painted;
    bool operator==(const TImages&) const = default;
  };
  const auto frameOf = [&](const void* APixels) {
    for (int k = 0; k < FRAME_COUNT; ++k) {
      const TPictureRef ref = Form->FramePictures[static_cast<std::size_t>(k)]->Picture().Ref();
      if (APixels != nullptr && (ref.Owner.get() == APixels || ref.Indexed == APixels)) {
        return k;
      }
    }
    return -1;
  };
  const auto painted = [&] {
    const void* top = nullptr;
    for (const TPaintOp& op : Window().LastPaint) {
      top = op.Type == TPaintOp::Kind::Picture ? op.Picture : top;
    }
    return frameOf(top);
  };
  const auto images = [&] {
    Platform.PaintNow(Form->Handle()); // the form looks at them
    const TRegion* held = Platform.Regions().Find(Form->FormRgn1->Region());
    return TImages{Form->FormRgn1->Visible(),
                   Form->imgMainOMOTE->Picture().Pixel(30, 50),
                   Form->imgMainURA->Picture().Pixel(30, 50),
                   Form->FormRgn1->Picture().Pixel(30, 50),
                   held != nullptr ? std::optional<TRegion>(*held) : std::nullopt,
                   painted()};
  };
  const auto run = [&](bool AShortcuts, std::vector<TSeen>& ASeen, std::vector<TImages>& AImages) {
    Form.reset();
    Platform.ShowsPictures = Platform.CopiesRegions = AShortcuts;
    Form = Create(MainStream(false)); // white edges: a copied frame stays the frame's picture
    Form->Show();
    Platform.HasFocus = true;
    unsigned loads = 0;
    for (int tick = 1; tick <= 120; ++tick) {
      // Standing, then running to the right, then standing again.
      Platform.CursorPos =
          tick > 40 && tick <= 80
              ? std::optional<TPoint>(TPoint{Form->Left() + 3000, Form->Top() + 77})
              : std::nullopt;
      Tick();
      ASeen.push_back({Code(), Window().Params.OuterTopLeft, Window().Region,
                       Window().ShownPicture ? frameOf(Window().ShownPicture.get()) : painted()});
      if (tick == 119) {
        // Every standing frame was seen before the chase: the short way read no record since.
        EXPECT_EQ(Platform.CallCount(NullOp::ExtCreateRegion) == loads, AShortcuts);
      }
      if (tick == 61 || tick == 100 || tick == 120) {
        AImages.push_back(images()); // after a decision, a move and another move
        loads = Platform.CallCount(NullOp::ExtCreateRegion);
      }
    }
  };
  std::vector<TSeen> longSeen, shortSeen;
  std::vector<TImages> longImages, shortImages;
  run(false, longSeen, longImages);
  run(true, shortSeen, shortImages);
  ASSERT_EQ(shortSeen.size(), longSeen.size());
  for (std::size_t i = 0; i < longSeen.size(); ++i) {
    ASSERT_EQ(shortSeen[i], longSeen[i]) << "tick " << i + 1;
    ASSERT_TRUE(i == 0 || longSeen[i].Frame != -1) << "tick " << i + 1; // shown from the first move
  }
  EXPECT_EQ(shortImages, longImages);
  EXPECT_GT(Window().ShowPictureCount, 0);
  EXPECT_TRUE(Platform.ErrorBoxes.empty());

  // A frame met for the first time goes the long way, errors included: reported in its own tick,
  // with the phase rule going on from what the images hold.
  ASSERT_TRUE(Form->FormRgnVisible());
  Platform.CursorPos = TPoint{Form->Left() - 3000, Form->Top() + 77}; // running left: not seen yet
  Platform.FailOnce(NullOp::ExtCreateRegion);
  Tick();
  ASSERT_EQ(Platform.ErrorBoxes.size(), 1u);
  EXPECT_EQ(Platform.ErrorBoxes[0].first, "ExtCreateRegionに失敗しました.");
  EXPECT_FALSE(Form->FormRgn1->Visible());
  Tick();
  EXPECT_TRUE(Form->FormRgn1->Visible());
  EXPECT_EQ(Platform.ErrorBoxes.size(), 1u);
}

TEST_F(MainFormTest, ChasingMovesTheWindowOnlyAfterTheSecondAndFifthRunningFrames) {
  Form->Show();
  const std::int32_t left = Form->Left();
  Platform.HasFocus = true;
  Platform.CursorPos = TPoint{left + 3000, Form->Top() + 77};
  std::vector<int> movedAt;
  for (int tick = 1; tick <= 16; ++tick) {
    const std::int32_t before = Form->Left();
    Tick();
    if (Form->Left() != before) {
      EXPECT_EQ(Form->Left() - before, 16);
      movedAt.push_back(tick);
    }
  }
  EXPECT_EQ(movedAt, (std::vector<int>{4, 10, 16}));
  EXPECT_EQ(Window().Params.OuterTopLeft.X, left + 48);
}

// A failing region step is reported through the default handler, the timer goes on, and the
// phase rule alone decides what the next tick does.
TEST_F(MainFormTest, RegionFailureInATickIsReportedAndThePhaseRuleGoesOn) {
  struct Case {
    NullOp Op;
    bool InMovePhase;
    const char* Shown;
  };
  for (const Case& c : {Case{NullOp::ExtCreateRegion, false, "ExtCreateRegionに失敗しました."},
                        Case{NullOp::OffsetRgn, false, "リージョンの移動に失敗しました."},
                        Case{NullOp::SetWindowRgn, true, "SetWindowRGNに失敗しました."},
                        Case{NullOp::CombineRgn, true, "CombineRgnに失敗しました."}}) {
    SCOPED_TRACE(c.Shown);
    Platform.ErrorBoxes.clear();
    if (c.InMovePhase) {
      Tick();
    }
    ASSERT_EQ(Form->FormRgn1->Visible(), !c.InMovePhase);
    const int code = Code();
    const int regions = Window().SetRegionCount;
    Platform.FailOnce(c.Op);
    Tick();
    ASSERT_EQ(Platform.ErrorBoxes.size(), 1u);
    EXPECT_EQ(Platform.ErrorBoxes[0], (std::pair<std::string, std::string>{c.Shown, "Nyarumi"}));
    if (c.InMovePhase) {
      // The move did not happen: the next tick decides again.
      EXPECT_TRUE(Form->FormRgn1->Visible());
      EXPECT_EQ(Window().SetRegionCount, regions);
      Tick();
      EXPECT_FALSE(Form->FormRgn1->Visible());
      EXPECT_EQ(Code(), code + 1);
    } else {
      // The frame step stopped before advancing: the next tick shows what FormRgn1 holds.
      EXPECT_FALSE(Form->FormRgn1->Visible());
      EXPECT_EQ(Code(), code);
      Tick();
      EXPECT_TRUE(Form->FormRgn1->Visible());
      EXPECT_EQ(Window().SetRegionCount, regions + 1);
    }
    EXPECT_EQ(Platform.ErrorBoxes.size(), 1u);
    if (!Form->FormRgn1->Visible()) {
      Tick(); // back to a decision phase for the next case
    }
  }
}

TEST_F(MainFormTest, FailingFormCreateIsReportedAndTheWindowStillExists) {
  Platform.FailOnce(NullOp::ExtCreateRegion);
  auto form = Create(MainStream());
  ASSERT_EQ(Platform.ErrorBoxes.size(), 1u);
  EXPECT_EQ(Platform.ErrorBoxes[0].first, "ExtCreateRegionに失敗しました.");
  EXPECT_EQ(form->Character.PoseCode, 0x111);
  EXPECT_EQ(form->FormStyle(), TFormStyle::fsStayOnTop);
  form->Show();
  EXPECT_TRUE(Platform.Window(form->Handle()).Visible);
}

TEST_F(MainFormTest, StreamWithoutAMemberIsRefused) {
  for (const std::string missing : {"FormRgn1", "rgHASIRI5dD", "menuItemEND"}) {
    TComponentRecord stream = MainStream();
    std::erase_if(stream.Children, [&](const TComponentRecord& r) { return r.Name == missing; });
    for (TComponentRecord& r : stream.Children) {
      std::erase_if(r.Children, [&](const TComponentRecord& i) { return i.Name == missing; });
    }
    TfrmMAIN form(nullptr);
    try {
      LoadForm(form, stream, Registry);
      ADD_FAILURE() << missing;
    } catch (const EReadError& e) {
      EXPECT_EQ(std::string(e.what()), "コンポーネント " + missing + " が見つかりません");
    }
  }
}

TEST_F(MainFormTest, TheMenuShowsTheStoredItemsWithTheRadioCheckOnStayOnTop) {
  Form->Show();
  Window().Events->MouseDown(TMouseButton::mbRight, 0, {30, 80});
  Window().Events->MouseUp(TMouseButton::mbRight, 0, {30, 80});
  ASSERT_EQ(Platform.Menus.size(), 1u);
  const std::vector<TMenuEntry>& e = Platform.Menus[0].Entries;
  ASSERT_EQ(e.size(), 6u);
  for (int i : {0, 2, 5}) {
    EXPECT_TRUE(e[static_cast<std::size_t>(i)].Separator) << i;
  }
  EXPECT_EQ(e[1].Caption, "がんば・・・る");
  EXPECT_EQ(e[1].ShortCutText, "Ctrl+V");
  EXPECT_TRUE(e[1].Checked);
  EXPECT_TRUE(e[1].RadioCheck);
  EXPECT_EQ(e[3].Caption, "あばうと・・・");
  EXPECT_EQ(e[3].ShortCutText, "Ctrl+A");
  EXPECT_FALSE(e[3].Checked);
  EXPECT_EQ(e[4].Caption, "おわります・・・");
  EXPECT_EQ(e[4].ShortCutText, "Ctrl+Q");
}

TEST_F(MainFormTest, OnlyARightClickOnHerOutlineOpensTheMenu) {
  Form->Show();
  struct Case {
    TMouseButton Button;
    TPoint At;
    bool Opens;
  };
  // The outline covers (5, 18)-(57, 146) and (17, 38)-(67, 78) of the window.
  for (const Case& c :
       {Case{TMouseButton::mbRight, {30, 80}, true}, Case{TMouseButton::mbRight, {60, 60}, true},
        Case{TMouseButton::mbRight, {2, 2}, false}, Case{TMouseButton::mbRight, {80, 140}, false},
        Case{TMouseButton::mbLeft, {30, 80}, false}}) {
    Platform.Menus.clear();
    Window().Events->MouseDown(c.Button, 0, c.At);
    Window().Events->MouseUp(c.Button, 0, c.At);
    EXPECT_EQ(Platform.Menus.size(), c.Opens ? 1u : 0u) << c.At.X << "," << c.At.Y;
  }
  EXPECT_FALSE(App.Terminated());
  EXPECT_TRUE(Platform.ErrorBoxes.empty());
}

TEST_F(MainFormTest, StayOnTopTogglesWithItsCheckMarkFromMenuAndShortcut) {
  Form->Show();
  Platform.MenuChoice = 1;
  Window().Events->MouseUp(TMouseButton::mbRight, 0, {30, 80});
  EXPECT_FALSE(Form->menuItemONTop->Checked);
  EXPECT_EQ(Form->FormStyle(), TFormStyle::fsNormal);
  EXPECT_FALSE(Window().Params.StayOnTop);
  EXPECT_TRUE(Window().Params.SkipTaskbar);
  EXPECT_TRUE(Window().Events->KeyDown(scCtrl | 'V'));
  EXPECT_TRUE(Form->menuItemONTop->Checked);
  EXPECT_TRUE(Window().Params.StayOnTop);
  EXPECT_TRUE(Window().Params.SkipTaskbar);
  EXPECT_FALSE(Window().Events->KeyDown('V')) << "without Ctrl it is no shortcut";
  EXPECT_TRUE(Form->menuItemONTop->Checked);
}

TEST_F(MainFormTest, AboutIsShownOnceAndWithoutBlockingHer) {
  Form->Show();
  EXPECT_TRUE(Window().Events->KeyDown(scCtrl | 'A'));
  ASSERT_TRUE(About->Visible());
  const unsigned shows = Platform.CallCount(NullOp::SetWindowVisible);
  Platform.MenuChoice = 3;
  Window().Events->MouseUp(TMouseButton::mbRight, 0, {30, 80});
  EXPECT_EQ(Platform.CallCount(NullOp::SetWindowVisible), shows);
  const int code = Code();
  Tick();
  EXPECT_NE(Code(), code) << "she goes on running while About is open";
}

TEST_F(MainFormTest, QuitEndsTheProgramFromMenuShortcutOrClose) {
  for (int how = 0; how < 3; ++how) {
    TApplication app;
    app.SetTitle("Nyarumi");
    auto form = Create(MainStream());
    form->Show();
    TNullWindow& w = Platform.Window(form->Handle());
    Platform.QuitRequested = false;
    if (how == 0) {
      Platform.MenuChoice = 4;
      w.Events->MouseUp(TMouseButton::mbRight, 0, {30, 80});
    } else if (how == 1) {
      EXPECT_TRUE(w.Events->KeyDown(scCtrl | 'Q'));
    } else {
      w.Events->CloseRequest();
    }
    EXPECT_TRUE(app.Terminated()) << how;
    EXPECT_TRUE(Platform.QuitRequested) << how;
  }
}

// The shipped stream, once the artwork is built in, loads into the same class.
TEST_F(MainFormTest, TheEmbeddedStreamMakesAShapedStandingCharacter) {
  if (LookupResource("TFRMMAIN").empty()) {
    GTEST_SKIP() << "the program's main-window stream is not built in yet";
  }
  Form.reset();
  Form = CreatefrmMAIN(Registry);
  EXPECT_TRUE(Platform.ErrorBoxes.empty());
  EXPECT_EQ(Code(), 0x112);
  ASSERT_TRUE(Window().Region.has_value());
  EXPECT_EQ(Window().Region->Bounds().Left, 5);
  EXPECT_EQ(Window().Region->Bounds().Bottom, 146);
  for (int i = 0; i < FRAME_COUNT; ++i) {
    EXPECT_FALSE(Form->FramePictures[static_cast<std::size_t>(i)]->Visible());
  }

  // Released pages leave memory, and the stream still reads back whole.
  const auto bytes = LookupResource("TFRMMAIN");
#if defined(__linux__)
  const long before = ResidentKiB(bytes.data());
  ReleaseResourcePages();
  EXPECT_LT(ResidentKiB(bytes.data()), before - static_cast<long>(bytes.size() / 2048));
#else
  ReleaseResourcePages();
#endif
  Form.reset();
  Form = CreatefrmMAIN(Registry);
  EXPECT_EQ(Code(), 0x112);
  ASSERT_TRUE(Window().Region.has_value());
  EXPECT_EQ(Window().Region->Bounds().Bottom, 146);
}

} // namespace
} // namespace nyarumi

// The Qt backend under the offscreen platform: pictures and drawing, windows and their outline,
// timers, menus, errors escaping callbacks, and the desktop services.
#include "shell/platform/qt_platform.h"
#include "common/Errors.h"
#include "shell/platform/qt_window.h"

#include <QAbstractEventDispatcher>
#include <QActionGroup>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFontInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace nyarumi::qt {
namespace {

namespace fs = std::filesystem;

TBitmap8 Picture(std::int32_t W, std::int32_t H) {
  TBitmap8 B;
  B.Width = W;
  B.Height = H;
  B.Palette = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}};
  B.Pixels.assign(static_cast<std::size_t>(W * H), 1);
  return B;
}

TEST(PictureCache, ConvertsAPictureOnceUntilItsPixelsOrPaletteChange) {
  TPictureCache Cache;
  TBitmap8 B = Picture(4, 3);
  B.Pixels[5] = 2;
  B.Pixels[6] = 200; // past the palette
  const TPictureRef Ref{&B, nullptr, 4, 3};

  QImage I = Cache.Get(Ref);
  ASSERT_FALSE(I.isNull());
  EXPECT_EQ(I.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(I.pixel(1, 1), qRgb(0, 255, 0));
  EXPECT_EQ(I.pixel(2, 1), qRgb(0, 0, 0)) << "an index past the palette draws black";
  Cache.Get(Ref);
  EXPECT_EQ(Cache.Conversions(), 1u);

  B.Pixels[0] = 2;
  EXPECT_EQ(Cache.Get(Ref).pixel(0, 0), qRgb(0, 255, 0));
  B.Palette[2] = {0, 0, 255};
  EXPECT_EQ(Cache.Get(Ref).pixel(0, 0), qRgb(0, 0, 255));
  EXPECT_EQ(Cache.Conversions(), 3u);

  B.Pixels.resize(5); // fewer pixels than the size claims
  EXPECT_TRUE(Cache.Get(Ref).isNull());
}

TEST(Canvas, CopiesPicturesAndDrawsRectanglesWithExclusiveEdges) {
  QImage Target(12, 12, QImage::Format_RGB32);
  Target.fill(Qt::white);
  TPictureCache Cache;
  TBitmap8 B = Picture(4, 4);
  B.Pixels[0] = 2;
  {
    QPainter P(&Target);
    TQtCanvas C(P, Cache);
    C.CopyPicture({0, 0, 4, 4}, TPictureRef{&B, nullptr, 4, 4}, {0, 0, 4, 4});
    C.DrawRectangle({5, 5, 10, 9}, TRgb{0, 0, 255}, TRgb{0, 255, 0});
    C.FillRect({0, 10, 3, 12}, {9, 9, 9});
  }
  EXPECT_EQ(Target.pixel(0, 0), qRgb(0, 255, 0));
  EXPECT_EQ(Target.pixel(3, 3), qRgb(255, 0, 0));
  EXPECT_EQ(Target.pixel(4, 4), qRgb(255, 255, 255)) << "nothing past the copied rectangle";
  EXPECT_EQ(Target.pixel(5, 5), qRgb(0, 0, 255));
  EXPECT_EQ(Target.pixel(9, 8), qRgb(0, 0, 255)) << "the outline lies on the last inner pixels";
  EXPECT_EQ(Target.pixel(6, 6), qRgb(0, 255, 0));
  EXPECT_EQ(Target.pixel(10, 8), qRgb(255, 255, 255)) << "right edge is exclusive";
  EXPECT_EQ(Target.pixel(9, 9), qRgb(255, 255, 255)) << "bottom edge is exclusive";
  EXPECT_EQ(Target.pixel(2, 11), qRgb(9, 9, 9));
  EXPECT_EQ(Target.pixel(3, 11), qRgb(255, 255, 255));
}

TEST(Fonts, TheStoredJapaneseFacesResolveToAnInstalledGothic) {
  for (const char* Face : {"ＭＳ Ｐゴシック", "ＭＳ ゴシック"}) {
    const QString Family = QFontInfo(FontOf({Face, 12, {}, false, false, false, false})).family();
    EXPECT_TRUE(Family.contains(QStringLiteral("IPA")) || Family.contains(QStringLiteral("CJK")))
        << Face << " became " << Family.toStdString();
  }
}

// Records what the window layer would be told.
class Recorder final : public WindowEvents {
public:
  void Paint(Canvas& C, const TRect& ADirty) override {
    ++Paints;
    LastDirty = ADirty;
    C.FillRect({0, 0, 88, 154}, {255, 0, 0});
  }
  void MouseMove(TShiftState, TPoint) override {}
  void MouseLeave() override {}
  void MouseDown(TMouseButton, TShiftState, TPoint) override {}
  void MouseUp(TMouseButton, TShiftState, TPoint) override {}
  bool KeyDown(TShortCut S) override {
    Keys.push_back(S);
    return true;
  }
  void CloseRequest() override { ++Closes; }
  void Moved(TPoint) override {}

  int Paints = 0;
  TRect LastDirty;
  std::vector<TShortCut> Keys;
  int Closes = 0;
};

std::vector<std::uint8_t> Record(const std::vector<TRect>& ARects) {
  std::vector<std::int32_t> W{32,
                              1,
                              static_cast<std::int32_t>(ARects.size()),
                              static_cast<std::int32_t>(ARects.size() * 16),
                              0,
                              0,
                              0,
                              0};
  for (const TRect& R : ARects) {
    W.insert(W.end(), {R.Left, R.Top, R.Right, R.Bottom});
  }
  std::vector<std::uint8_t> Bytes(W.size() * 4);
  std::memcpy(Bytes.data(), W.data(), Bytes.size());
  return Bytes;
}

class QtPlatformTest : public ::testing::Test {
protected:
  WindowId MakeWindow(bool AStayOnTop = true) {
    TWindowParams Params;
    Params.ClientWidth = 88;
    Params.ClientHeight = 154;
    Params.OuterTopLeft = {100, 50};
    Params.StayOnTop = AStayOnTop;
    return P.CreateNativeWindow(Params, Events);
  }

  QtPlatform P{"/nonexistent/settings.ini"};
  Recorder Events;
};

TEST_F(QtPlatformTest, AWindowTakesOverTheRegionItIsGivenAndFreesTheOneItHad) {
  const WindowId W = MakeWindow();
  QtWindow* Widget = P.Widget(W);
  ASSERT_NE(Widget, nullptr);
  EXPECT_TRUE(P.WindowRegionContains(W, {0, 0})) << "no region: the whole window";

  const RegionId First = P.ExtCreateRegion(Record({{10, 10, 20, 30}, {40, 10, 50, 30}}));
  ASSERT_EQ(P.SetWindowRgn(W, First, true), 1);
  EXPECT_FALSE(P.DeleteObject(First)) << "the window owns the region now";
  EXPECT_TRUE(P.WindowRegionContains(W, {15, 20}));
  EXPECT_FALSE(P.WindowRegionContains(W, {30, 20}));
  EXPECT_TRUE(Widget->mask().xored(QRegion(10, 10, 10, 20) + QRegion(40, 10, 10, 20)).isEmpty());

  EXPECT_EQ(P.SetWindowRgn(W, RegionId{9999}, true), 0) << "an unknown region";
  EXPECT_EQ(P.SetWindowRgn(WindowId{9999}, P.CreateRectRgn(0, 0, 1, 1), true), 0);
  EXPECT_TRUE(P.WindowRegionContains(W, {15, 20})) << "a failed call keeps the outline";

  ASSERT_EQ(P.SetWindowRgn(W, P.CreateRectRgn(0, 0, 0, 0), true), 1);
  EXPECT_FALSE(Widget->mask().isEmpty()) << "an empty region must not mean 'no mask'";
  EXPECT_TRUE(Widget->mask().intersected(Widget->rect()).isEmpty()) << "nothing stays visible";
  EXPECT_FALSE(P.WindowRegionContains(W, {15, 20}));

  ASSERT_EQ(P.SetWindowRgn(W, RegionId::None, true), 1);
  EXPECT_TRUE(Widget->mask().isEmpty());
  EXPECT_TRUE(P.WindowRegionContains(W, {30, 20}));
}

TEST_F(QtPlatformTest, StayOnTopSwitchesOnTheSameNativeWindowAndKeepsTheOutline) {
  const WindowId W = MakeWindow(true);
  P.SetWindowVisible(W, true);
  QtWindow* Widget = P.Widget(W);
  ASSERT_EQ(P.SetWindowRgn(W, P.CreateRectRgn(5, 5, 50, 60), true), 1);
  const QWindow* Native = Widget->windowHandle();
  const WId Id = Native->winId();

  for (const bool OnTop : {false, true, false}) {
    P.SetStayOnTop(W, OnTop);
    EXPECT_EQ(Widget->windowHandle(), Native);
    EXPECT_EQ(Widget->windowHandle()->winId(), Id);
    EXPECT_EQ(Native->flags().testFlag(Qt::WindowStaysOnTopHint), OnTop);
    EXPECT_EQ(Widget->windowFlags().testFlag(Qt::WindowStaysOnTopHint), OnTop);
    EXPECT_TRUE(Native->flags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(Widget->mask().xored(QRegion(5, 5, 45, 55)).isEmpty());
    EXPECT_TRUE(Widget->isVisible());
  }
}

TEST_F(QtPlatformTest, UpdateRepaintsTheMarkedAreaBeforeReturning) {
  const WindowId W = MakeWindow();
  P.SetWindowVisible(W, true);
  QCoreApplication::processEvents();
  const int Before = Events.Paints;
  P.InvalidateWindow(W, TRect{10, 20, 30, 40});
  P.UpdateWindow(W);
  EXPECT_EQ(Events.Paints, Before + 1);
  EXPECT_EQ(Events.LastDirty, (TRect{10, 20, 30, 40}));
  P.UpdateWindow(W);
  EXPECT_EQ(Events.Paints, Before + 1) << "nothing marked, nothing painted";
}

TEST_F(QtPlatformTest, KeysBecomeShortCutsAndACloseRequestOnlyTellsTheWindowLayer) {
  const WindowId W = MakeWindow();
  P.SetWindowVisible(W, true);
  QKeyEvent Press(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
  QApplication::sendEvent(P.Widget(W), &Press);
  EXPECT_EQ(Events.Keys, std::vector<TShortCut>{16470});

  P.Widget(W)->close();
  EXPECT_EQ(Events.Closes, 1);
  EXPECT_TRUE(P.Widget(W)->isVisible());
}

TEST_F(QtPlatformTest, TimerKeepsItsCadenceAndIsNeverReentered) {
  int Calls = 0, Depth = 0, MaxDepth = 0;
  QElapsedTimer Clock;
  Clock.start();
  const TimerId T = P.SetTimer(100, [&] {
    ++Calls;
    MaxDepth = std::max(MaxDepth, ++Depth);
    if (Calls == 1) {
      // A modal loop inside the callback, as an error box in a tick would run.
      QEventLoop Loop;
      QTimer::singleShot(350, &Loop, &QEventLoop::quit);
      Loop.exec();
    }
    if (Calls == 4) {
      P.KillTimer(TimerId{0}); // unknown handles are ignored
      P.Quit();
    }
    --Depth;
  });
  ASSERT_NE(T, TimerId::None);
  P.Run();
  EXPECT_EQ(MaxDepth, 1);
  EXPECT_EQ(Calls, 4);
  EXPECT_GE(Clock.elapsed(), 550);
  EXPECT_LT(Clock.elapsed(), 1500);
  P.KillTimer(T);
}

TEST_F(QtPlatformTest, ATimerKilledInsideItsOwnCallbackStopsCleanly) {
  int Calls = 0;
  TimerId T{};
  T = P.SetTimer(10, [&] {
    ++Calls;
    P.KillTimer(T);
    QTimer::singleShot(100, [&] { P.Quit(); });
  });
  P.Run();
  EXPECT_EQ(Calls, 1);
}

TEST_F(QtPlatformTest, AnErrorEscapingACallbackEndsRunAndIsRaisedAgain) {
  const TimerId T = P.SetTimer(10, [] { throw Exception("TimerFailure"); });
  try {
    P.Run();
    FAIL() << "Run returned without the error";
  } catch (const Exception& E) {
    EXPECT_STREQ(E.what(), "TimerFailure");
  }
  P.KillTimer(T);
}

TEST_F(QtPlatformTest, QuitBeforeRunMakesRunReturnAtOnce) {
  P.Quit();
  QElapsedTimer Clock;
  Clock.start();
  P.Run();
  EXPECT_LT(Clock.elapsed(), 1000);
}

TEST_F(QtPlatformTest, PopupMenuShowsSeparatorsRadioCheckDefaultAndShortCutsAndReturnsTheChoice) {
  const std::vector<TMenuEntry> Entries{
      {"-", "", true},
      {"がんば・・・る", "Ctrl+V", false, true, true, true, false},
      {"-", "", true},
      {"あばうと・・・", "Ctrl+A", false, true, false, false, true},
      {"おわります・・・", "Ctrl+Q"},
      {"-", "", true},
  };
  QStringList Seen;
  bool RadioChecked = false, DefaultBold = false, SeparatorsDrawn = false;
  QTimer::singleShot(50, [&] {
    auto* Menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (Menu == nullptr) {
      ADD_FAILURE() << "no menu is shown";
      return;
    }
    for (QAction* A : Menu->actions()) {
      Seen << (A->isSeparator() ? QStringLiteral("-") : A->text());
    }
    const QAction* OnTop = Menu->actions().at(1);
    // A radio check is drawn as a bullet icon, never as the style's tick.
    RadioChecked = !OnTop->icon().isNull() && !OnTop->isCheckable();
    // Leading and trailing separators take room of their own, not a line hidden in the frame.
    SeparatorsDrawn = Menu->actionGeometry(Menu->actions().first()).height() >= 5 &&
                      Menu->actionGeometry(Menu->actions().last()).height() >= 5;
    DefaultBold = Menu->defaultAction() == Menu->actions().at(3);
    // Choosing by keyboard, as a user would: highlight the item and press Return.
    Menu->setActiveAction(Menu->actions().at(4));
    QKeyEvent Return(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(Menu, &Return);
  });
  EXPECT_EQ(P.PopupMenu({200, 200}, Entries), 4);
  EXPECT_EQ(Seen, (QStringList{"-", "がんば・・・る\tCtrl+V", "-", "あばうと・・・\tCtrl+A",
                               "おわります・・・\tCtrl+Q", "-"}));
  EXPECT_TRUE(RadioChecked);
  EXPECT_TRUE(DefaultBold);
  EXPECT_TRUE(SeparatorsDrawn);

  QTimer::singleShot(50, [] {
    if (QWidget* Menu = QApplication::activePopupWidget()) {
      Menu->close();
    }
  });
  EXPECT_EQ(P.PopupMenu({200, 200}, Entries), -1);
}

TEST_F(QtPlatformTest, ButtonsRunTheirHandlerAndMayBeDestroyedFromIt) {
  const WindowId W = MakeWindow();
  int Clicks = 0;
  ButtonId B{};
  B = P.CreateButton(W, TButtonParams{{256, 100, 317, 121}, "Close", {}, 0, true, true}, [&] {
    ++Clicks;
    P.DestroyButton(B);
  });
  ASSERT_NE(B, ButtonId::None);
  auto* Native = P.Widget(W)->findChild<QPushButton*>();
  ASSERT_NE(Native, nullptr);
  EXPECT_EQ(Native->geometry(), QRect(256, 100, 61, 21));
  EXPECT_EQ(Native->text(), QStringLiteral("Close"));
  Native->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(Clicks, 1);
  EXPECT_EQ(P.Widget(W)->findChild<QPushButton*>(), nullptr);
  EXPECT_EQ(P.CreateButton(WindowId{9999}, {}, [] {}), ButtonId::None);
}

TEST_F(QtPlatformTest, DesktopQueriesWithoutAnXServer) {
  EXPECT_EQ(P.ForegroundWindowRect(), std::nullopt);
  EXPECT_FALSE(P.VirtualScreenRect().IsEmpty());
  const TPoint One = P.TextExtent("W", {"ＭＳ Ｐゴシック", 12, {}, false, false, false, false}, {});
  const TPoint Two =
      P.TextExtent("WW", {"ＭＳ Ｐゴシック", 12, {}, false, false, false, false}, {});
  EXPECT_GT(Two.X, One.X);
  const TPoint Wrapped =
      P.TextExtent("WW WW WW", {"ＭＳ Ｐゴシック", 12, {}, false, false, false, false}, Two.X + 2);
  EXPECT_GE(Wrapped.Y, 3 * One.Y - 2) << "three lines";
  EXPECT_EQ(P.SystemColor(999), (TRgb{0, 0, 0}));
  EXPECT_NE(P.SystemColor(15), P.SystemColor(8)) << "button face differs from window text";
}

// A scratch folder with the environment variables pointed into it, restored afterwards.
class DesktopTest : public QtPlatformTest {
protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() /
          ("nyarumi-qt-" +
           std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(Dir);
    fs::create_directories(Dir);
  }
  void TearDown() override {
    for (const auto& [Name, Value] : Saved) {
      if (Value) {
        setenv(Name.c_str(), Value->c_str(), 1);
      } else {
        unsetenv(Name.c_str());
      }
    }
    fs::remove_all(Dir);
  }
  void SetEnv(const std::string& AName, const std::string& AValue) {
    const char* Old = std::getenv(AName.c_str());
    Saved.emplace_back(AName, Old ? std::optional<std::string>(Old) : std::nullopt);
    setenv(AName.c_str(), AValue.c_str(), 1);
  }
  void Write(const fs::path& APath, const std::string& AText, bool AExecutable = false) {
    fs::create_directories(APath.parent_path());
    std::ofstream(APath) << AText;
    if (AExecutable) {
      fs::permissions(APath, fs::perms::owner_all, fs::perm_options::add);
    }
  }
  fs::path Dir;
  std::vector<std::pair<std::string, std::optional<std::string>>> Saved;
};

TEST_F(DesktopTest, SettingsAreReadFromTheFileEachTime) {
  const fs::path File = Dir / "settings.ini";
  QtPlatform Q(File.string());
  const std::string Key = "Software\\Microsoft\\Internet Explorer\\Settings";
  EXPECT_EQ(Q.ReadSetting(Key, "Anchor Color"), std::nullopt);
  Write(File, "[" + Key + "]\nAnchor Color=0,128,0\n");
  EXPECT_EQ(Q.ReadSetting(Key, "Anchor Color"), "0,128,0");
}

} // namespace
} // namespace nyarumi::qt

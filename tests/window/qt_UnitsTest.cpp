// The backend's translations that need no window: keys, region lists and copy rectangles.
#include "shell/platform/qt_canvas.h"
#include "shell/platform/qt_input.h"
#include "shell/platform/qt_region.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace nyarumi::qt {
namespace {

namespace fs = std::filesystem;

TEST(Keys, KeyPressesBecomeShortCutValues) {
  struct Case {
    int Key;
    Qt::KeyboardModifiers Mods;
    std::optional<TShortCut> Expected;
  };
  const Case Cases[] = {
      {Qt::Key_V, Qt::ControlModifier, 16470}, // the stay-on-top item
      {Qt::Key_A, Qt::ControlModifier, 16449},
      {Qt::Key_Q, Qt::ControlModifier, 16465},
      {Qt::Key_Q, Qt::NoModifier, 'Q'},
      {Qt::Key_5, Qt::ShiftModifier, scShift | '5'},
      {Qt::Key_F1, Qt::AltModifier, scAlt | 0x70},
      {Qt::Key_F12, Qt::NoModifier, 0x7B},
      {Qt::Key_Escape, Qt::NoModifier, 0x1B},
      {Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier, scCtrl | scShift | 0x2E},
      {Qt::Key_Control, Qt::ControlModifier, std::nullopt}, // a bare modifier is no shortcut
      {Qt::Key_Eacute, Qt::NoModifier, std::nullopt},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Key);
    EXPECT_EQ(ShortCutOf(C.Key, C.Mods), C.Expected);
  }
}

TEST(Keys, MouseStateCarriesModifiersAndHeldButtons) {
  EXPECT_EQ(ShiftStateOf(Qt::ControlModifier | Qt::ShiftModifier, Qt::LeftButton | Qt::RightButton),
            ssCtrl | ssShift | ssLeft | ssRight);
  EXPECT_EQ(ShiftStateOf(Qt::AltModifier, Qt::MiddleButton), ssAlt | ssMiddle);
  EXPECT_EQ(MouseButtonOf(Qt::RightButton), TMouseButton::mbRight);
  EXPECT_EQ(MouseButtonOf(Qt::BackButton), std::nullopt);
}

QRegion Union(const std::vector<TRect>& ARects) {
  QRegion R;
  for (const TRect& T : ARects) {
    R += RectOf(T);
  }
  return R;
}

TEST(Regions, RectangleListsBecomeTheSamePixelsWhateverTheirOrder) {
  struct Case {
    const char* Name;
    std::vector<TRect> Rects;
    bool Banded;
  };
  const std::vector<Case> Cases{
      {"empty", {}, true},
      {"one", {{1, 2, 3, 4}}, true},
      {"banded", {{0, 0, 4, 2}, {6, 0, 9, 2}, {1, 2, 8, 5}}, true},
      {"touching in a band", {{0, 0, 4, 2}, {4, 0, 9, 2}}, false},
      {"overlapping", {{0, 0, 5, 5}, {3, 3, 8, 8}}, false},
      {"unsorted bands", {{0, 5, 4, 6}, {0, 0, 4, 2}}, false},
      {"bands overlapping vertically", {{0, 0, 4, 3}, {6, 2, 8, 4}}, false},
      {"ragged band", {{0, 0, 4, 2}, {6, 0, 9, 3}}, false},
      {"empty rectangle", {{0, 0, 4, 2}, {5, 5, 5, 9}}, false},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    EXPECT_EQ(IsBanded(C.Rects), C.Banded);
    EXPECT_TRUE(RegionOf(C.Rects).xored(Union(C.Rects)).isEmpty());
  }
}

TEST(CopyRects, SourcesAreClippedToThePictureAndScaledToTheDestination) {
  struct Case {
    const char* Name;
    TRect Dest, Source;
    std::optional<QRect> WantDest, WantSource;
  };
  const Case Cases[] = {
      {"same size", {0, 0, 87, 153}, {0, 0, 87, 153}, QRect(0, 0, 87, 153), QRect(0, 0, 87, 153)},
      {"clipped right and bottom",
       {10, 10, 110, 210},
       {0, 0, 100, 200},
       QRect(10, 10, 88, 154),
       QRect(0, 0, 88, 154)},
      {"clipped left", {0, 0, 20, 10}, {-10, 0, 10, 10}, QRect(10, 0, 10, 10), QRect(0, 0, 10, 10)},
      {"stretched twice",
       {0, 0, 176, 308},
       {0, 0, 88, 154},
       QRect(0, 0, 176, 308),
       QRect(0, 0, 88, 154)},
      {"outside", {0, 0, 10, 10}, {100, 0, 110, 10}, std::nullopt, std::nullopt},
      {"empty destination", {5, 5, 5, 9}, {0, 0, 4, 4}, std::nullopt, std::nullopt},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    const auto R = ClipCopy(C.Dest, C.Source, 88, 154);
    ASSERT_EQ(R.has_value(), C.WantDest.has_value());
    if (R) {
      EXPECT_EQ(R->Dest, *C.WantDest);
      EXPECT_EQ(R->Source, *C.WantSource);
    }
  }
}

} // namespace
} // namespace nyarumi::qt

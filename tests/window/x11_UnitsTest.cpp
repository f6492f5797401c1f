// The X11 backend's pieces that need no display: scale, keys, timers, line breaking, menu keys
// and picture copies.
// GoogleTest first: Xlib defines Bool as a macro.
#include <gtest/gtest.h>

#include "shell/platform/x11_button.h"
#include "shell/platform/x11_display.h"
#include "shell/platform/x11_fonts.h"
#include "shell/platform/x11_input.h"
#include "shell/platform/x11_menu.h"
#include "shell/platform/x11_pictures.h"
#include "shell/platform/x11_timers.h"

#include <X11/keysym.h>

#include <string>
#include <vector>

namespace nyarumi::x11 {
namespace {

using namespace std::chrono_literals;

TEST(X11Scale, ComesFromXftDpiUnlessOverridden) {
  struct Case {
    std::optional<std::string_view> Resources;
    std::optional<std::string_view> Override;
    int Expected;
  };
  const Case Cases[] = {
      {std::nullopt, std::nullopt, 1},
      {"Xft.dpi:\t96\n", std::nullopt, 1},
      {"Xft.antialias:\t1\nXft.dpi:\t192\nXft.hinting:\t1\n", std::nullopt, 2},
      {"Xft.dpi: 144\n", std::nullopt, 2}, // 1.5 rounds up
      {"Xft.dpi:\t120\n", std::nullopt, 1},
      {"Xft.dpi:\t9600\n", std::nullopt, 8}, // capped
      {"Xft.dpi:\tbroken\n", std::nullopt, 1},
      {"NotXft.dpi:\t192\n", std::nullopt, 1}, // only a whole resource name counts
      {"Xft.dpi:\t192\n", "1", 1},
      {std::nullopt, "3", 3},
      {"Xft.dpi:\t192\n", "0", 2}, // an unusable override is ignored
      {"Xft.dpi:\t192\n", "x", 2},
      {std::nullopt, "9", 1},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(std::string(C.Resources.value_or("-")) + " / " +
                 std::string(C.Override.value_or("-")));
    EXPECT_EQ(ScaleFromDpi(C.Resources, C.Override), C.Expected);
  }
  // The text settings are read the same way: a whole name's value, blanks around it dropped.
  EXPECT_EQ(ResourceValue("Xft.hintstyle:\thintslight \nXft.dpi:\t96\n", "Xft.hintstyle"),
            "hintslight");
  EXPECT_EQ(ResourceValue("Xft.dpi:\t96\nXft.antialias:0", "Xft.antialias"), "0");
  EXPECT_EQ(ResourceValue("MyXft.hinting:\t1\n", "Xft.hinting"), std::nullopt);
  EXPECT_EQ(ResourceValue("Xft.hinting:\n", "Xft.hinting"), "");
}

TEST(X11Keys, KeySymbolsAndModifiersBecomeShortCutValues) {
  struct Case {
    KeySym Key;
    unsigned State;
    std::optional<TShortCut> Expected;
  };
  const Case Cases[] = {
      {XK_v, ControlMask, 16470}, // the stay-on-top item
      {XK_a, ControlMask, 16449},
      {XK_q, ControlMask, 16465},
      {XK_Q, ShiftMask | ControlMask, 'Q' | scShift | scCtrl},
      {XK_5, Mod1Mask, '5' | scAlt},
      {XK_F1, 0, 0x70},
      {XK_F12, ControlMask, 0x7B | scCtrl},
      {XK_Return, 0, 0x0D},
      {XK_KP_Enter, 0, 0x0D},
      {XK_Escape, 0, 0x1B},
      {XK_ISO_Left_Tab, ShiftMask, 0x09 | scShift},
      {XK_Down, 0, 0x28},
      {XK_a, Mod4Mask, 'A'}, // the logo key is no modifier of shortcuts
      {XK_Control_L, ControlMask, std::nullopt},
      {XK_dead_acute, 0, std::nullopt},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Key);
    EXPECT_EQ(ShortCutOf(C.Key, C.State), C.Expected);
  }
}

TEST(X11Keys, MouseStatesCountTheButtonThatChangesWithTheEvent) {
  EXPECT_EQ(ShiftStateOf(ShiftMask | Button1Mask), ssShift | ssLeft);
  EXPECT_EQ(ShiftStateOf(ControlMask | Mod1Mask), ssCtrl | ssAlt);
  // A press reports the state before it; the window layer wants the button held.
  EXPECT_EQ(ShiftStateOf(0, TMouseButton::mbRight), ssRight);
  EXPECT_EQ(ShiftStateOf(Button1Mask | Button2Mask, std::nullopt, TMouseButton::mbLeft), ssMiddle);
  EXPECT_EQ(MouseButtonOf(Button2), TMouseButton::mbMiddle);
  EXPECT_EQ(MouseButtonOf(Button4), std::nullopt); // wheel steps are no clicks
}

TEST(X11Timers, KeepTheirCadenceSkipMissedTicksAndNeverReenter) {
  TX11Timers Timers;
  const auto T0 = TX11Timers::Clock::now();
  std::vector<int> Fired;
  const auto Run = [](const std::function<void()>& Call) { Call(); };
  const TimerId A = Timers.Add(
      100, [&] { Fired.push_back(1); }, T0);
  EXPECT_EQ(Timers.MillisecondsToNext(T0), 100);
  Timers.RunDue(T0 + 99ms, Run);
  EXPECT_TRUE(Fired.empty());
  // Late by 30 ms: the next deadline still follows the first one, not the late run.
  Timers.RunDue(T0 + 130ms, Run);
  EXPECT_EQ(Fired, std::vector<int>{1});
  EXPECT_EQ(Timers.MillisecondsToNext(T0 + 130ms), 70);
  // Three periods missed: one run, not a burst, and the cadence starts again from now.
  Timers.RunDue(T0 + 500ms, Run);
  EXPECT_EQ(Fired.size(), 2u);
  EXPECT_EQ(Timers.MillisecondsToNext(T0 + 500ms), 100);

  // A callback that runs the loop again (a modal menu) is not started a second time, and one
  // that kills itself finishes its run safely.
  int Nested = 0;
  TimerId B{};
  B = Timers.Add(
      10,
      [&] {
        ++Nested;
        Timers.RunDue(T0 + 2s, Run);
        Timers.Remove(B);
      },
      T0);
  Timers.Remove(A);
  Timers.RunDue(T0 + 1s, Run);
  EXPECT_EQ(Nested, 1);
  EXPECT_TRUE(Timers.Empty());
  EXPECT_EQ(Timers.MillisecondsToNext(T0), std::nullopt);
}

TEST(X11Text, LinesBreakAtBlanksAndBetweenJapaneseCharacters) {
  struct Case {
    std::u32string Text;
    std::optional<int> Wrap; // every character is 10 pixels wide
    std::vector<std::u32string> Lines;
  };
  const Case Cases[] = {
      {U"", std::nullopt, {U""}},
      {U"one two", std::nullopt, {U"one two"}},
      {U"one two three", 80, {U"one two", U"three"}},
      {U"one  two", 40, {U"one", U"two"}},            // blanks at the break belong to neither line
      {U"abcdefghij xy", 50, {U"abcdefghij", U"xy"}}, // a long word overflows, as before
      {U"a\nb", std::nullopt, {U"a", U"b"}},
      {U"a\n\nb", 100, {U"a", U"", U"b"}},
      {U"ねこみみこうぼう", 30, {U"ねこみ", U"みこう", U"ぼう"}},
      {U"ありがとう。です", 50, {U"ありがと", U"う。です"}},   // no line starts with 。
      {U"「ねこ」です", 10, {U"「ね", U"こ」", U"で", U"す"}}, // 「 stays with the next one
      {U"Ver 1.0　版", 40, {U"Ver", U"1.0", U"版"}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(std::string(C.Text.begin(), C.Text.end()));
    const std::vector<int> Advances(C.Text.size(), 10);
    std::vector<std::u32string> Got;
    for (const TTextLine& L : BreakLines(C.Text, Advances, C.Wrap)) {
      Got.push_back(C.Text.substr(L.Begin, L.End - L.Begin));
      EXPECT_EQ(L.Width, static_cast<int>(L.End - L.Begin) * 10);
    }
    EXPECT_EQ(Got, C.Lines);
  }
}

TEST(X11Text, DecodingNeverStopsAtBadBytesAndUnifiesLineEnds) {
  EXPECT_EQ(DecodeUtf8("a\r\nb\rc\n"), U"a\nb\nc\n");
  EXPECT_EQ(DecodeUtf8("猫"), U"猫");
  EXPECT_EQ(DecodeUtf8("a\xFF"
                       "b"),
            U"a\uFFFD"
            U"b");
  EXPECT_EQ(DecodeUtf8("\xE7\x8C"), U"\uFFFD\uFFFD"); // cut short
  EXPECT_EQ(FontFamilies("ＭＳ Ｐゴシック").front(), "IPAPGothic");
  EXPECT_EQ(FontFamilies("ＭＳ ゴシック").front(), "IPAGothic");
  EXPECT_EQ(FontFamilies("Tahoma"), (std::vector<std::string>{"Tahoma", "sans-serif"}));
}

TEST(X11Menu, AccessKeysAndTheHighlightsPath) {
  EXPECT_EQ(AccessKeyOf("コピー(&C)"), U'c');
  EXPECT_EQ(AccessKeyOf("&Open"), U'o');
  EXPECT_EQ(AccessKeyOf("Fish && &Chips"), U'c');
  EXPECT_EQ(AccessKeyOf("Fish && Chips"), std::nullopt);
  EXPECT_EQ(AccessKeyOf("end&"), std::nullopt);
  EXPECT_EQ(StripAccessMarks("Fish && &Chips"), "Fish & Chips");

  std::vector<TMenuEntry> Entries(5);
  Entries[0].Separator = true;
  Entries[2].Enabled = false;
  Entries[4].Separator = true;
  EXPECT_EQ(NextSelectable(Entries, std::nullopt, true), 1u);
  EXPECT_EQ(NextSelectable(Entries, std::nullopt, false), 3u);
  EXPECT_EQ(NextSelectable(Entries, 1u, true), 3u); // over the disabled entry
  EXPECT_EQ(NextSelectable(Entries, 3u, true), 1u); // wraps past the separators
  EXPECT_EQ(NextSelectable(Entries, 1u, false), 3u);
  Entries[1].Enabled = Entries[3].Enabled = false;
  EXPECT_EQ(NextSelectable(Entries, std::nullopt, true), std::nullopt);
}

TEST(X11Pictures, CopiesClipToThePictureAndChangesChangeTheHash) {
  struct Case {
    TRect Dest, Source;
    std::optional<TRect> Dest2, Source2;
  };
  const Case Cases[] = {
      {{0, 0, 88, 154}, {0, 0, 88, 154}, TRect{0, 0, 88, 154}, TRect{0, 0, 88, 154}},
      {{10, 10, 30, 30}, {-10, -10, 10, 10}, TRect{20, 20, 30, 30}, TRect{0, 0, 10, 10}},
      {{0, 0, 40, 40}, {80, 150, 100, 170}, TRect{0, 0, 16, 8}, TRect{80, 150, 88, 154}},
      {{0, 0, 10, 10}, {100, 0, 110, 10}, std::nullopt, std::nullopt},
      {{0, 0, 0, 10}, {0, 0, 10, 10}, std::nullopt, std::nullopt},
  };
  for (const Case& C : Cases) {
    const auto R = ClipCopy(C.Dest, C.Source, 88, 154);
    ASSERT_EQ(R.has_value(), C.Dest2.has_value());
    if (R) {
      EXPECT_EQ(R->Dest, *C.Dest2);
      EXPECT_EQ(R->Source, *C.Source2);
    }
  }

  TBitmap8 B;
  B.Width = 2;
  B.Height = 1;
  B.Palette = {{10, 20, 30}, {255, 255, 255}};
  B.Pixels = {1, 7}; // 7 lies past the palette
  const TPictureRef Ref{&B, nullptr, 0, 0, nullptr};
  EXPECT_EQ(PictureRgb(Ref), (std::vector<std::uint32_t>{0xFFFFFF, 0}));
  const auto Before = PictureHash(Ref);
  B.Pixels[1] = 0;
  EXPECT_NE(PictureHash(Ref), Before);
  const auto Pixels = PictureHash(Ref);
  B.Palette[0].Red = 11;
  EXPECT_NE(PictureHash(Ref), Pixels);
  // A part is read alone, and equal parts of different pictures are one upload.
  EXPECT_EQ(PictureRgb(Ref, TRect{1, 0, 2, 1}),
            (std::vector<std::uint32_t>{0x0B141E})); // the palette as changed above
  TBitmap8 Strip = B;
  Strip.Width = 3;
  Strip.Pixels = {1, 1, 0};
  EXPECT_EQ(PictureHash({&Strip, nullptr, 0, 0, nullptr}, TRect{1, 0, 3, 1}), PictureHash(Ref));
  EXPECT_NE(PictureHash({&Strip, nullptr, 0, 0, nullptr}, TRect{0, 0, 2, 1}), PictureHash(Ref));
  EXPECT_TRUE(PictureRgb(Ref, TRect{1, 0, 3, 1}).empty()) << "a part beyond the picture";
  B.Pixels.resize(1); // fewer pixels than the size says
  EXPECT_TRUE(PictureRgb(Ref).empty());
}

} // namespace
} // namespace nyarumi::x11

// The hyperlink label's plain rules: colour texts, the look table, what counts as a web
// address, and how the placeholder leaves a registered command.
#include "shell/HTLabel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace nyarumi {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct ColorCase {
  const char* Text;
  std::optional<TColor> Expected;
};

TEST(ParseColor, GivesThePaletteRelativeValueOrNothing) {
  const ColorCase cases[] = {ColorCase{"0,0,255", 0x02FF0000}, ColorCase{"255,0,0", 0x020000FF},
                             ColorCase{"255,0,255", 0x02FF00FF}, ColorCase{"1,2,3", 0x02030201},
                             ColorCase{"0,0,0", 0x02000000}, ColorCase{" 12, 34 ,56 ", 0x0238220C},
                             ColorCase{"255,255,255", 0x02FFFFFF},
                             // Malformed: nothing rather than a guess.
                             ColorCase{"", std::nullopt}, ColorCase{"0,0", std::nullopt},
                             ColorCase{"0", std::nullopt}, ColorCase{"a,b,c", std::nullopt},
                             ColorCase{"0,,0", std::nullopt}, ColorCase{"1,2,3,4", std::nullopt},
                             ColorCase{"0x10,0,0", std::nullopt},
                             ColorCase{"1.5,0,0", std::nullopt}, ColorCase{"1 2,0,0", std::nullopt},
                             // Out of range would spill into the neighbour's bits.
                             ColorCase{"256,0,0", std::nullopt}, ColorCase{"0,0,-1", std::nullopt},
                             ColorCase{"0,99999999999,0", std::nullopt}};
  for (const ColorCase& c : cases) {
    EXPECT_EQ(ParseColor(c.Text), c.Expected) << c.Text;
  }
}

TEST(ParseColorOr, FallsBackToTheDefaultForAnUnusableSetting) {
  EXPECT_EQ(ParseColorOr("0,128,0", "0,0,255"), 0x02008000);
  EXPECT_EQ(ParseColorOr("green", "0,0,255"), 0x02FF0000);
  EXPECT_EQ(ParseColorOr("300,0,0", "255,0,0"), 0x020000FF);
}

struct LookCase {
  bool Hover;
  const char* UseHover;
  TLinkLook Expected;
};

constexpr TColor kBlue = 0x02FF0000;
constexpr TColor kRed = 0x020000FF;

TEST(LinkLook, FollowsTheTableWithYesComparedExactly) {
  const LookCase cases[] = {LookCase{false, "yes", {kBlue, TFontStyles{0}}},
                            LookCase{false, "no", {kBlue, TFontStyles{fsUnderline}}},
                            LookCase{true, "yes", {kRed, TFontStyles{fsUnderline}}},
                            LookCase{true, "no", {kRed, std::nullopt}},
                            // Only "yes" exactly counts.
                            LookCase{false, "Yes", {kBlue, TFontStyles{fsUnderline}}},
                            LookCase{false, "YES", {kBlue, TFontStyles{fsUnderline}}},
                            LookCase{false, "yes ", {kBlue, TFontStyles{fsUnderline}}},
                            LookCase{true, "Yes", {kRed, std::nullopt}},
                            LookCase{false, "", {kBlue, TFontStyles{fsUnderline}}}};
  for (const LookCase& c : cases) {
    TAnchorSettings settings;
    settings.UseAnchorHoverColor = c.UseHover;
    EXPECT_EQ(LinkLook(settings, c.Hover), c.Expected)
        << "hover " << c.Hover << ", setting \"" << c.UseHover << "\"";
  }
}

TEST(LinkLook, UsesTheSettingsColoursAndTheDefaultsForBrokenOnes) {
  TAnchorSettings settings;
  settings.AnchorColor = "0,128,0";
  settings.AnchorColorHover = "1,2";
  EXPECT_EQ(LinkLook(settings, false).Color, 0x02008000);
  EXPECT_EQ(LinkLook(settings, true).Color, kRed);
}

TEST(IsWebAddress, OnlyTheExactSevenCharactersCount) {
  EXPECT_TRUE(IsWebAddress("http://nyarumi.example.org/"));
  EXPECT_TRUE(IsWebAddress("http://"));
  for (const char* caption :
       {"https://nyarumi.example.org/", "HTTP://nyarumi.example.org/", "Http://x", "http:/", "http",
        "", " http://x", "nyarumi@example.org", "mailto:nyarumi@example.org"}) {
    EXPECT_FALSE(IsWebAddress(caption)) << caption;
  }
}

struct PlaceholderCase {
  const char* Command;
  const char* Expected;
};

TEST(RemovePlaceholder, TakesThePlaceholderAndTheCharacterBefore) {
  const PlaceholderCase cases[] = {
      PlaceholderCase{"browser \"%1\"", "browser"}, PlaceholderCase{"browser %1", "browser"},
      PlaceholderCase{"browser \"%1\" -new", "browser -new"},
      PlaceholderCase{"mail -compose %1 -x", "mail -compose -x"},
      PlaceholderCase{"mail /m:%1", "mail /m"}, // after a colon, the colon goes
      PlaceholderCase{"%1 browser", "%1 browser"}, PlaceholderCase{"\"%1\" x", "\"%1\" x"},
      PlaceholderCase{"browser", "browser"}, PlaceholderCase{"", ""},
      PlaceholderCase{"firefox %u", "firefox"}, PlaceholderCase{"app %U", "app"},
      PlaceholderCase{"app --file %f", "app --file"}, PlaceholderCase{"app \"%F\"", "app"},
      // Only the first; a quoted one is preferred to an earlier bare one.
      PlaceholderCase{"a %1 b %1", "a b %1"}, PlaceholderCase{"a %u \"%1\"", "a %u"},
      // Other field codes are not the address.
      PlaceholderCase{"app %i %c", "app %i %c"}};
  for (const PlaceholderCase& c : cases) {
    EXPECT_EQ(RemovePlaceholder(c.Command), c.Expected) << c.Command;
  }
}

} // namespace
} // namespace nyarumi

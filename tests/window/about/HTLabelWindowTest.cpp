#include "AboutFixture.h"
#include "shell/HTLabel.h"
#include "shell/window/Menu.h"

#include <gmock/gmock.h>

namespace nyarumi::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr TRgb kBlue{0, 0, 255};
constexpr TRgb kRed{255, 0, 0};

class HyperlinkLabel : public AboutFixture {
protected:
  void Setting(const char* AName, const char* AValue) {
    Null.Settings[{std::string(ANCHOR_SETTINGS_KEY), AName}] = AValue;
  }
  // Creates and shows the window; a point inside a link in client pixels.
  void Open() {
    Create();
    Form->Show();
  }
  static TPoint Inside(const THTLabel& ALabel) { return {ALabel.Left() + 2, ALabel.Top() + 2}; }
  // How the last paint drew the label's text.
  const TPaintOp& Drawn(const THTLabel& ALabel) {
    const auto& ops = Native().LastPaint;
    for (const TPaintOp& op : ops) {
      if (op.Type == TPaintOp::Kind::Text && op.Text == ALabel.Caption()) {
        return op;
      }
    }
    ADD_FAILURE() << "not painted: " << ALabel.Caption();
    static const TPaintOp none;
    return none;
  }
  void LeftClick(const THTLabel& ALabel) {
    Events().MouseDown(TMouseButton::mbLeft, ssLeft, Inside(ALabel));
    Events().MouseUp(TMouseButton::mbLeft, 0, Inside(ALabel));
  }
  void Press(const THTLabel& ALabel, TMouseButton AButton) {
    Events().MouseDown(AButton, 0, Inside(ALabel));
    Events().MouseUp(AButton, 0, Inside(ALabel));
  }
};

TEST_F(HyperlinkLabel, ReadsTheSettingsAtEachCreationAndNeverWritesThem) {
  Setting("Anchor Color", "0,128,0");
  Open();
  EXPECT_EQ(Null.CallCount(NullOp::ReadSetting), 8u);
  EXPECT_EQ(Form->HTLabel1->Settings().AnchorColor, "0,128,0");
  EXPECT_EQ(Form->HTLabel2->Settings().AnchorColorHover, "255,0,0");
  EXPECT_EQ(&Form->HTLabel1->Settings(), &Form->HTLabel2->Settings());
}

TEST_F(HyperlinkLabel, WithoutSettingsIsBlueAndUnderlinedAndRedWhileHovered) {
  Open();
  Null.PaintNow(Form->Handle());
  EXPECT_EQ(Drawn(*Form->HTLabel1).Font.Color, kBlue);
  EXPECT_TRUE(Drawn(*Form->HTLabel1).Font.Underline);

  const unsigned updates = Native().UpdateCount;
  Events().MouseMove(0, Inside(*Form->HTLabel1));
  EXPECT_TRUE(Form->HTLabel1->Hover());
  EXPECT_GT(Native().UpdateCount, updates); // repainted before the notification returned
  EXPECT_EQ(Drawn(*Form->HTLabel1).Font.Color, kRed);
  EXPECT_TRUE(Drawn(*Form->HTLabel1).Font.Underline);
  EXPECT_EQ(Drawn(*Form->HTLabel2).Font.Color, kBlue);

  Events().MouseLeave();
  EXPECT_FALSE(Form->HTLabel1->Hover());
  EXPECT_EQ(Drawn(*Form->HTLabel1).Font.Color, kBlue);
}

TEST_F(HyperlinkLabel, WithHoverColourYesIsUnderlinedOnlyWhileHovered) {
  Setting("Use Anchor Hover Color", "yes");
  Setting("Anchor Color Hover", "0,128,0");
  Open();
  Null.PaintNow(Form->Handle());
  EXPECT_FALSE(Drawn(*Form->HTLabel2).Font.Underline);
  Events().MouseMove(0, Inside(*Form->HTLabel2));
  EXPECT_TRUE(Drawn(*Form->HTLabel2).Font.Underline);
  EXPECT_EQ(Drawn(*Form->HTLabel2).Font.Color, (TRgb{0, 128, 0}));
  Events().MouseMove(0, {1, 1});
  EXPECT_FALSE(Drawn(*Form->HTLabel2).Font.Underline);
}

TEST_F(HyperlinkLabel, APlainFontHoveredFirstKeepsItsStyleUntilTheMouseLeaves) {
  Setting("Use Anchor Hover Color", "Yes"); // not "yes"
  Open();
  Form->HTLabel1->Font().SetStyle(fsBold);
  Events().MouseMove(0, Inside(*Form->HTLabel1));
  EXPECT_TRUE(Drawn(*Form->HTLabel1).Font.Bold);
  EXPECT_FALSE(Drawn(*Form->HTLabel1).Font.Underline);
  Events().MouseLeave();
  EXPECT_FALSE(Drawn(*Form->HTLabel1).Font.Bold);
  EXPECT_TRUE(Drawn(*Form->HTLabel1).Font.Underline);
}

TEST_F(HyperlinkLabel, BrokenColourSettingsFallBackToTheirDefaults) {
  Setting("Anchor Color", "blue");
  Setting("Anchor Color Hover", "999,0,0");
  Setting("Anchor Color Visited", "");
  Open();
  Null.PaintNow(Form->Handle());
  EXPECT_EQ(Drawn(*Form->HTLabel1).Font.Color, kBlue);
  Events().MouseMove(0, Inside(*Form->HTLabel1));
  EXPECT_EQ(Drawn(*Form->HTLabel1).Font.Color, kRed);
  LeftClick(*Form->HTLabel1);
  EXPECT_EQ(Form->HTLabel1->Font().Color(), 0x02FF00FF);
  EXPECT_THAT(Null.ErrorBoxes, IsEmpty());
}

using Started = NullPlatform::TStartedHandler;

TEST_F(HyperlinkLabel, AClickShowsTheVisitedColourUntilTheNextPaint) {
  Open();
  Null.FailAlways(NullOp::UpdateWindow); // keep the click's own repaint from happening
  LeftClick(*Form->HTLabel1);
  EXPECT_EQ(Form->HTLabel1->Font().Color(), 0x02FF00FF);
  Null.PaintNow(Form->Handle());
  EXPECT_EQ(Drawn(*Form->HTLabel1).Font.Color, kBlue);
}

TEST_F(HyperlinkLabel, AWebAddressGoesToTheOpenerAndNothingElse) {
  Null.Handlers[THandlerKind::WebPage] = "browser %u";
  Open();
  LeftClick(*Form->HTLabel1);
  EXPECT_THAT(Null.OpenedUrls, ElementsAre(WEB_ADDRESS));
  EXPECT_EQ(Null.CallCount(NullOp::DefaultHandlerCommand), 0u);
  EXPECT_THAT(Null.StartedHandlers, IsEmpty());
}

TEST_F(HyperlinkLabel, WhenTheOpenerFailsTheBrowsersCommandStarts) {
  Null.OpenUrlResult = false;
  Null.Handlers[THandlerKind::WebPage] = "/usr/bin/browser --new-window \"%u\"";
  Open();
  LeftClick(*Form->HTLabel1);
  EXPECT_THAT(
      Null.StartedHandlers,
      ElementsAre(Started{THandlerKind::WebPage, "/usr/bin/browser --new-window", WEB_ADDRESS}));
}

TEST_F(HyperlinkLabel, WithNoOpenerAndNoBrowserNothingHappens) {
  Null.OpenUrlResult = false;
  Open();
  LeftClick(*Form->HTLabel1);
  EXPECT_THAT(Null.StartedHandlers, IsEmpty());
  EXPECT_THAT(Null.ErrorBoxes, IsEmpty());
}

TEST_F(HyperlinkLabel, AnythingElseStartsTheMailProgramWithTheCaption) {
  Null.Handlers[THandlerKind::Mail] = "mailer -compose %u";
  Open();
  LeftClick(*Form->HTLabel2);
  EXPECT_THAT(Null.OpenedUrls, IsEmpty());
  EXPECT_THAT(Null.StartedHandlers,
              ElementsAre(Started{THandlerKind::Mail, "mailer -compose", MAIL_ADDRESS}));
  // Not a web address by its first seven characters: mail too.
  Null.StartedHandlers.clear();
  Form->HTLabel2->SetCaption("HTTP://nyarumi.example.org/");
  LeftClick(*Form->HTLabel2);
  EXPECT_THAT(Null.OpenedUrls, IsEmpty());
  EXPECT_THAT(Null.StartedHandlers, ElementsAre(Started{THandlerKind::Mail, "mailer -compose",
                                                        "HTTP://nyarumi.example.org/"}));
}

TEST_F(HyperlinkLabel, ARightPressPopsTheMenuAtTheCursor) {
  Open();
  Null.CursorPos = TPoint{700, 400};
  Press(*Form->HTLabel1, TMouseButton::mbRight);
  ASSERT_EQ(Null.Menus.size(), 1u);
  EXPECT_EQ(Null.Menus[0].At, (TPoint{700, 400}));
  ASSERT_EQ(Null.Menus[0].Entries.size(), 2u);
  EXPECT_EQ(Null.Menus[0].Entries[0].Caption, "開く(&O)");
  EXPECT_TRUE(Null.Menus[0].Entries[0].Default);
  EXPECT_EQ(Null.Menus[0].Entries[1].Caption, "コピー(&C)");
  EXPECT_FALSE(Null.Menus[0].Entries[1].Default);
  // Dismissed: nothing opened.
  EXPECT_THAT(Null.OpenedUrls, IsEmpty());
}

TEST_F(HyperlinkLabel, LeftAndMiddlePressesPopNothing) {
  Open();
  Press(*Form->HTLabel1, TMouseButton::mbMiddle);
  LeftClick(*Form->HTLabel1);
  EXPECT_THAT(Null.Menus, IsEmpty());
}

TEST_F(HyperlinkLabel, CopyPutsThatLabelsCaptionOnTheClipboard) {
  Open();
  Null.MenuChoice = 1;
  Press(*Form->HTLabel1, TMouseButton::mbRight);
  EXPECT_EQ(Null.Clipboard, WEB_ADDRESS);
  Press(*Form->HTLabel2, TMouseButton::mbRight);
  EXPECT_EQ(Null.Clipboard, MAIL_ADDRESS);
  EXPECT_THAT(Null.OpenedUrls, IsEmpty());
}

TEST_F(HyperlinkLabel, OpenOpensThatLabelsOwnAddress) {
  Null.Handlers[THandlerKind::Mail] = "mailer";
  Open();
  Null.MenuChoice = 0;
  Press(*Form->HTLabel2, TMouseButton::mbRight);
  EXPECT_THAT(Null.StartedHandlers,
              ElementsAre(Started{THandlerKind::Mail, "mailer", MAIL_ADDRESS}));
  Press(*Form->HTLabel1, TMouseButton::mbRight);
  EXPECT_THAT(Null.OpenedUrls, ElementsAre(WEB_ADDRESS));
}

TEST(HyperlinkLabelAlone, TakesItsMenuAlongWhenItGoesBeforeItsOwner) {
  NullPlatform null;
  PlatformScope scope(null);
  TForm owner(nullptr);
  const std::size_t before = owner.Components().size();
  auto* label = new THTLabel(&owner);
  EXPECT_EQ(owner.Components().size(), before + 4); // label, menu, two items
  EXPECT_EQ(label->LinkMenu()->Owner(), &owner);
  delete label;
  EXPECT_EQ(owner.Components().size(), before);
}

} // namespace
} // namespace nyarumi::test

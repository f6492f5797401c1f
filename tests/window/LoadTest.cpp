#include "Fixture.h"
#include "assets/FormLoader.h"
#include "assets/FormStream.h"
#include "assets/Values.h"
#include "common/Errors.h"
#include "fuzz/SeedForms.h"
#include "shell/window/Button.h"
#include "shell/window/FormRgn.h"
#include "shell/window/Image.h"
#include "shell/window/Label.h"
#include "shell/window/Menu.h"
#include "shell/window/Registration.h"
#include "shell/window/Shape.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace nyarumi::test {
namespace {

class TfrmTEST : public TForm {
public:
  using TForm::TForm;
  TTimer* anmTimer = nullptr;
  TPopupMenu* popMainMenu = nullptr;
  TLabel* Label3 = nullptr;
  int Ticks = 0;
  int Created = 0;
  void BindField(std::string_view AName, TComponent* AComponent) override {
    if (AName == "anmTimer") {
      anmTimer = dynamic_cast<TTimer*>(AComponent);
    } else if (AName == "popMainMenu") {
      popMainMenu = dynamic_cast<TPopupMenu*>(AComponent);
    } else if (AName == "Label3") {
      Label3 = dynamic_cast<TLabel*>(AComponent);
    }
  }
  TNotifyEvent MethodAddress(std::string_view AName) override {
    if (AName == "anmTimerTimer") {
      return [this](TComponent*) { ++Ticks; };
    }
    if (AName == "FormCreate") {
      return [this](TComponent*) { ++Created; };
    }
    if (AName == "Button1Click") {
      return [](TComponent*) {};
    }
    return {};
  }
};

TComponentRecord Record(std::string AClass, std::string AName,
                        std::vector<std::pair<std::string, TValue>> AProperties,
                        std::vector<TComponentRecord> AChildren = {}) {
  return {std::move(AClass), std::move(AName), std::move(AProperties), std::move(AChildren)};
}

TBitmap8 SmallPicture() {
  TBitmap8 b;
  b.Width = 4;
  b.Height = 2;
  b.Palette = {{255, 255, 255}, {10, 20, 30}};
  b.Pixels = {0, 1, 1, 0, 1, 0, 0, 1};
  return b;
}

class LoadTest : public WindowTest {
protected:
  LoadTest() {
    RegisterWindowClasses(Registry);
    for (const char* name : {"TfrmTEST", "TfrmABUT"}) {
      TClassInfo root;
      root.Name = name;
      AddFormProperties(root);
      Registry.Register(std::move(root));
    }
  }
  // Writes and reads back the stream, so the test covers the bytes a form is built from.
  void Load(const TComponentRecord& ARoot) {
    LoadForm(Form, ReadFormStream(WriteFormStream(ARoot)), Registry);
  }
  TClassRegistry Registry;
  TfrmTEST Form{nullptr};
};

TEST_F(LoadTest, ASmallFormStreamBuildsItsComponentsThroughTheRegistry) {
  const TComponentRecord root = Record(
      "TfrmTEST", "frmTEST",
      {{"Left", IntegerValue(796)},
       {"BorderStyle", IdentValue("bsNone")},
       {"Caption", StringValue("Nyarumi")},
       {"ClientHeight", IntegerValue(154)},
       {"ClientWidth", IntegerValue(88)},
       {"Color", IdentValue("clWhite")},
       {"Font.Charset", IdentValue("SHIFTJIS_CHARSET")},
       {"Font.Height", IntegerValue(-12)},
       {"Font.Name", StringValue("ＭＳ Ｐゴシック")},
       {"Font.Style", SetValue({})},
       {"PopupMenu", IdentValue("popMainMenu")}, // resolved although it comes later
       {"Position", IdentValue("poDesktopCenter")},
       {"OnCreate", IdentValue("FormCreate")},
       {"PixelsPerInch", IntegerValue(96)}},
      {Record("TImage", "TATI1b",
              {{"Left", IntegerValue(200)},
               {"AutoSize", BoolValue(true)},
               {"Picture.Data", BinaryValue(EncodePictureValue(SmallPicture()))},
               {"Visible", BoolValue(false)}}),
       Record("TFormRgn", "FormRgn1", {{"Left", IntegerValue(16)}, {"Width", IntegerValue(33)}}),
       Record("TTimer", "anmTimer",
              {{"Interval", IntegerValue(100)},
               {"OnTimer", IdentValue("anmTimerTimer")},
               {"Left", IntegerValue(8)}}),
       Record("TLabel", "Label3",
              {{"Width", IntegerValue(30)},
               {"Caption", StringValue("なまえなまえ")},
               {"Font.Height", IntegerValue(-15)},
               {"Font.Style", SetValue({"fsUnderline"})},
               {"Font.Color", IntegerValue(50266112)},
               {"ParentFont", BoolValue(false)},
               {"WordWrap", BoolValue(true)}}),
       Record("TShape", "Shape1",
              {{"Brush.Color", IdentValue("clRed")},
               {"Pen.Color", IdentValue("clNone")},
               {"Pen.Style", IdentValue("psClear")}}),
       Record("TButton", "Button1",
              {{"Caption", StringValue("Close")}, {"TabOrder", IntegerValue(0)}}),
       Record(
           "TPopupMenu", "popMainMenu",
           {{"AutoHotkeys", IdentValue("maManual")}, {"AutoLineReduction", IdentValue("maManual")}},
           {Record("TMenuItem", "N2", {{"Caption", StringValue("-")}}),
            Record("TMenuItem", "menuItemONTop",
                   {{"Caption", StringValue("がんば・・・る")},
                    {"Checked", BoolValue(true)},
                    {"RadioItem", BoolValue(true)},
                    {"ShortCut", IntegerValue(16470)}})})});
  Load(root);

  EXPECT_EQ(Form.Caption(), "Nyarumi");
  EXPECT_EQ(Form.ClientWidth(), 88);
  EXPECT_EQ(Form.Position(), TPosition::poDesktopCenter);
  EXPECT_EQ(Form.Font().Charset(), FONT_CHARSET_SHIFTJIS);
  EXPECT_EQ(Form.Color(), clWhite);
  ASSERT_NE(Form.popMainMenu, nullptr);
  EXPECT_EQ(Form.PopupMenu(), Form.popMainMenu);
  EXPECT_EQ(Form.popMainMenu->AutoHotkeys, TMenuAutoFlag::maManual);
  ASSERT_EQ(Form.popMainMenu->Items().Items().size(), 2u);
  const TMenuItem& onTop = *Form.popMainMenu->Items().Items()[1];
  EXPECT_EQ(onTop.ShortCut, 16470);
  EXPECT_TRUE(onTop.Checked && onTop.RadioItem);

  auto* image = dynamic_cast<TImage*>(Form.FindComponent("TATI1b"));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Parent(), &Form);
  EXPECT_FALSE(image->Visible());
  EXPECT_EQ(image->Width(), 4); // AutoSize took the picture's size
  EXPECT_EQ(image->Picture().Pixel(1, 0), 0x0A141Eu);

  EXPECT_NE(dynamic_cast<TFormRgn*>(Form.FindComponent("FormRgn1")), nullptr);
  auto* button = dynamic_cast<TButton*>(Form.FindComponent("Button1"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->Caption(), "Close");

  // The word-wrapped label sizes itself when its form first shows, not while it is hidden
  // (measuring opens fonts): its width kept, its height grown.
  ASSERT_NE(Form.Label3, nullptr);
  EXPECT_EQ(Null.CallCount(NullOp::TextExtent), 0u);
  Form.Show();
  EXPECT_EQ(Form.Label3->Width(), 30);
  EXPECT_EQ(Form.Label3->Height(), 15 * 3);
  EXPECT_FALSE(Form.Label3->ParentFont());
  EXPECT_EQ(Form.Label3->Font().Style(), fsUnderline);

  ASSERT_NE(Form.anmTimer, nullptr);
  EXPECT_EQ(Form.anmTimer->DesignInfo.Left, 8);
  Null.AdvanceTime(300);
  EXPECT_EQ(Form.Ticks, 3);

  EXPECT_EQ(Form.Created, 0); // creation runs when the creator says so, after loading
  Form.DoCreate();
  EXPECT_EQ(Form.Created, 1);

  Form.Show();
  EXPECT_EQ(Null.LiveButtons(), 1u);
  EXPECT_EQ(Form.Left(), (1024 - 88) / 2);
}

// One byte of a stream changed (or the stream cut there), counted from the tag of a property's
// value; the property is the Nth of that name in stream order.
struct TBrokenValue {
  const char* Label;
  std::string Property;
  int Occurrence;
  std::size_t Offset;
  std::optional<std::uint8_t> Byte; // nullopt: the stream ends at that byte
  std::string Message;
};

std::vector<std::uint8_t> Broken(std::vector<std::uint8_t> ABytes, const TBrokenValue& ACase) {
  std::vector<std::uint8_t> name{static_cast<std::uint8_t>(ACase.Property.size())};
  name.insert(name.end(), ACase.Property.begin(), ACase.Property.end());
  auto at = ABytes.begin();
  for (int i = 0; i <= ACase.Occurrence; ++i) {
    at = std::search(i == 0 ? at : at + 1, ABytes.end(), name.begin(), name.end());
    if (at == ABytes.end()) {
      ADD_FAILURE() << ACase.Label << ": the seed has no such property";
      return ABytes;
    }
  }
  const auto pos = static_cast<std::size_t>(at - ABytes.begin()) + name.size() + ACase.Offset;
  if (ACase.Byte) {
    ABytes.at(pos) = *ACase.Byte;
  } else {
    ABytes.resize(pos);
  }
  return ABytes;
}

TEST_F(LoadTest, AValueThatCannotBeDecodedIsReportedAtItsProperty) {
  const std::vector<std::uint8_t> seed = WriteFormStream(fuzz::AboutLikeForm());
  {
    TfrmTEST intact(nullptr);
    LoadFormStream(intact, seed, Registry);
  }
  const std::string readError = " の読み込み中のエラー : ストリームからの読み込みエラー";
  const std::string badValue = " の読み込み中のエラー : 不正なプロパティの値です";
  const TBrokenValue cases[] = {
      {"truncated caption", "Caption", 0, 3, std::nullopt, "frmABUT.Caption" + readError},
      {"unknown tag", "Left", 0, 0, 0x42, "HTLabel1.Left" + badValue},
      {"empty identifier", "OnClick", 0, 1, 0, "Button1.OnClick" + badValue},
      {"invalid UTF-8", "Caption", 2, 5, 0xFF, "HTLabel1.Caption" + readError},
      {"lone UTF-16 surrogate", "Caption", 1, 6, 0xDC, "Label1.Caption" + readError},
      {"sub-object", "Font.Style", 0, 0, 0x42, "TFont.Style" + badValue},
      {"unnamed component", "Caption", 3, 0, 0x42, "TMenuItem.Caption" + badValue},
  };
  for (const TBrokenValue& c : cases) {
    TfrmTEST form(nullptr);
    try {
      LoadFormStream(form, Broken(seed, c), Registry);
      ADD_FAILURE() << c.Label << ": no error";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.what(), c.Message) << c.Label;
    }
  }
}

struct BadValue {
  const char* Class;
  const char* Property;
  TValue Value;
};

class BadValueTest : public LoadTest, public ::testing::WithParamInterface<BadValue> {};

TEST_P(BadValueTest, AValueThatDoesNotSuitThePropertyIsRejected) {
  const BadValue& b = GetParam();
  const TComponentRecord root =
      Record("TfrmTEST", "frmTEST", {}, {Record(b.Class, "X", {{b.Property, b.Value}})});
  EXPECT_THROW(Load(root), Exception);
}

INSTANTIATE_TEST_SUITE_P(Values, BadValueTest,
                         ::testing::Values(BadValue{"TShape", "Pen.Style", IdentValue("psWavy")},
                                           BadValue{"TShape", "Brush.Color", IdentValue("clPlaid")},
                                           BadValue{"TLabel", "Font.Style", SetValue({"fsShiny"})},
                                           BadValue{"TLabel", "Caption", IntegerValue(3)},
                                           BadValue{"TTimer", "Interval", IntegerValue(-1)},
                                           BadValue{"TTimer", "OnTimer",
                                                    IdentValue("NoSuchMethod")},
                                           BadValue{"TMenuItem", "ShortCut", IntegerValue(70000)},
                                           BadValue{"TImage", "Cursor", IdentValue("crBusyCat")}));

} // namespace
} // namespace nyarumi::test

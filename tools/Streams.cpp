#include "tools/Streams.h"

#include "assets/Values.h"
#include "tools/Frames.h"

#include <array>

namespace nyarumi::art {
namespace {

using TProps = std::vector<std::pair<std::string, TValue>>;

TComponentRecord Record(std::string AClass, std::string AName, TProps AProps,
                        std::vector<TComponentRecord> AChildren = {}) {
  return {std::move(AClass), std::move(AName), std::move(AProps), std::move(AChildren)};
}

TProps Bounds(std::int32_t ALeft, std::int32_t ATop, std::int32_t AWidth, std::int32_t AHeight) {
  return {{"Left", IntegerValue(ALeft)},
          {"Top", IntegerValue(ATop)},
          {"Width", IntegerValue(AWidth)},
          {"Height", IntegerValue(AHeight)}};
}

void Append(TProps& ATo, TProps AMore) {
  for (auto& p : AMore) {
    ATo.push_back(std::move(p));
  }
}

// Facing letter and slope suffix of a frame name: "HASIRI3bU" → 'b', "U".
struct TNameParts {
  bool Standing;
  int Number;
  bool Left;
  char Slope; // 0, 'U' or 'D'
};

TNameParts Split(const std::string& AName) {
  TNameParts p{};
  p.Standing = AName.rfind("TATI", 0) == 0;
  const std::size_t at = p.Standing ? 4 : 6;
  p.Number = AName.at(at) - '0';
  p.Left = AName.at(at + 1) == 'd';
  p.Slope = AName.size() > at + 2 ? AName[at + 2] : 0;
  return p;
}

std::string RunName(int ANumber, char AFacing, const char* ASlope) {
  return "HASIRI" + std::to_string(ANumber) + AFacing + ASlope;
}

// ---------------------------------------------------------------- main window

constexpr std::int32_t DESIGN_WIDTH = 1028;

TComponentRecord FramePicture(const TFrameArt& AFrame, std::size_t AIndex) {
  // Design-time layout only: a grid to the right of the 88 × 154 character area.
  const auto column = static_cast<std::int32_t>(AIndex % 11);
  const auto row = static_cast<std::int32_t>(AIndex / 11);
  TProps props = Bounds(96 + column * 84, 8 + row * 160, FRAME_WIDTH, FRAME_HEIGHT);
  props.emplace_back("AutoSize", BoolValue(true));
  props.emplace_back("Picture.Data", BinaryValue(EncodePictureValue(AFrame.Picture)));
  props.emplace_back("Visible", BoolValue(false));
  return Record("TImage", AFrame.Name, std::move(props));
}

TComponentRecord RegionHolder(const TFrameArt& AFrame, std::size_t AIndex) {
  std::vector<std::uint8_t> payload;
  const auto n = static_cast<std::uint32_t>(AFrame.Record.size());
  for (int i = 0; i < 4; ++i) {
    payload.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
  }
  payload.insert(payload.end(), AFrame.Record.begin(), AFrame.Record.end());
  const auto column = static_cast<std::int32_t>(AIndex % 22);
  const auto row = static_cast<std::int32_t>(AIndex / 22);
  return Record("TfileIN", "rg" + AFrame.Name,
                {{"FileName", StringValue(HolderFileName(AFrame.Name), 20)},
                 {"Left", IntegerValue(120 + column * 40)},
                 {"Top", IntegerValue(600 + row * 32)},
                 {"DATA", BinaryValue(std::move(payload))}});
}

TComponentRecord MenuItem(const std::string& AName, const std::string& ACaption,
                          std::int32_t AShortCut = 0, const std::string& AOnClick = {},
                          bool ARadioChecked = false) {
  TProps props{{"Caption", StringValue(ACaption)}};
  if (ARadioChecked) {
    props.emplace_back("Checked", BoolValue(true));
    props.emplace_back("RadioItem", BoolValue(true));
  }
  if (AShortCut != 0) {
    props.emplace_back("ShortCut", IntegerValue(AShortCut));
  }
  if (!AOnClick.empty()) {
    props.emplace_back("OnClick", IdentValue(AOnClick));
  }
  return Record("TMenuItem", AName, std::move(props));
}

TProps FontProps(std::int32_t AHeight, const char* AName, TValue AColor,
                 std::vector<std::string> AStyle = {}) {
  return {{"Font.Charset", IdentValue("SHIFTJIS_CHARSET")},
          {"Font.Color", std::move(AColor)},
          {"Font.Height", IntegerValue(AHeight)},
          {"Font.Name", StringValue(AName)},
          {"Font.Style", SetValue(std::move(AStyle))}};
}

constexpr const char* P_GOTHIC = "ＭＳ Ｐゴシック";
constexpr const char* GOTHIC = "ＭＳ ゴシック";

} // namespace

std::vector<std::string> PictureOrder() {
  std::vector<std::string> names;
  for (char facing : {'b', 'd'}) {
    for (int n = 1; n <= 4; ++n) {
      names.push_back("TATI" + std::to_string(n) + facing);
    }
  }
  const std::array<std::pair<char, const char*>, 6> groups{
      {{'b', ""}, {'d', ""}, {'b', "U"}, {'b', "D"}, {'d', "U"}, {'d', "D"}}};
  for (const auto& [facing, slope] : groups) {
    for (int n : {1, 2, 3, 4, 0, 5}) {
      names.push_back(RunName(n, facing, slope));
    }
  }
  return names;
}

std::vector<std::string> HolderOrder() {
  std::vector<std::string> names;
  for (char facing : {'b', 'd'}) {
    for (int n = 1; n <= 4; ++n) {
      names.push_back("TATI" + std::to_string(n) + facing);
    }
  }
  const std::array<std::pair<char, const char*>, 6> groups{
      {{'b', ""}, {'b', "U"}, {'b', "D"}, {'d', ""}, {'d', "U"}, {'d', "D"}}};
  for (const auto& [facing, slope] : groups) {
    for (int n = 0; n <= 5; ++n) {
      names.push_back(RunName(n, facing, slope));
    }
  }
  return names;
}

std::string HolderFileName(const std::string& AFrameName) {
  const TNameParts p = Split(AFrameName);
  const std::string arrow = p.Left ? "←" : "→";
  const std::string number = std::to_string(p.Number);
  std::string file;
  if (p.Standing) {
    file = "立ち" + number + "影" + arrow + ".RG";
  } else {
    const std::string slope = p.Slope == 'U' ? "up" : p.Slope == 'D' ? "dw" : "";
    file = "走り" + number + slope + arrow + ".RG";
  }
  return std::string("D:\\nyarumi\\art\\") + (p.Standing ? "立ち" : "走り") + "\\" + arrow +
         "\\影\\" + file;
}

TComponentRecord MainForm(const TArtwork& AArt) {
  TProps root{{"Left", IntegerValue(796)},           {"Top", IntegerValue(34)},
              {"BorderStyle", IdentValue("bsNone")}, {"Caption", StringValue("Nyarumi")},
              {"ClientHeight", IntegerValue(663)},   {"ClientWidth", IntegerValue(DESIGN_WIDTH)},
              {"Color", IdentValue("clWhite")}};
  Append(root, FontProps(-12, P_GOTHIC, IdentValue("clWindowText")));
  Append(root, {{"PopupMenu", IdentValue("popMainMenu")},
                {"Position", IdentValue("poDesktopCenter")},
                {"OnCreate", IdentValue("FormCreate")}});

  std::vector<TComponentRecord> children;
  children.push_back(Record("TImage", "imgMainOMOTE", Bounds(0, 0, FRAME_WIDTH, FRAME_HEIGHT)));
  children.push_back(Record("TImage", "imgMainURA", Bounds(0, 0, FRAME_WIDTH, FRAME_HEIGHT)));
  const std::vector<std::string> pictures = PictureOrder();
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    children.push_back(FramePicture(AArt.Find(pictures[i]), i));
  }
  children.push_back(Record("TFormRgn", "FormRgn1", Bounds(16, 248, 33, 101)));
  children.push_back(Record("TTimer", "anmTimer",
                            {{"Interval", IntegerValue(100)},
                             {"OnTimer", IdentValue("anmTimerTimer")},
                             {"Left", IntegerValue(16)},
                             {"Top", IntegerValue(360)}}));
  children.push_back(
      Record("TPopupMenu", "popMainMenu",
             {{"AutoHotkeys", IdentValue("maManual")},
              {"AutoLineReduction", IdentValue("maManual")},
              {"Left", IntegerValue(48)},
              {"Top", IntegerValue(360)}},
             {MenuItem("N2", "-"),
              MenuItem("menuItemONTop", "がんば・・・る", 16470, "menuItemONTopClick", true),
              MenuItem("N6", "-"),
              MenuItem("menuItemAbout", "あばうと・・・", 16449, "menuItemAboutClick"),
              MenuItem("menuItemEND", "おわります・・・", 16465, "menuItemENDClick"),
              MenuItem("N1", "-")}));
  const std::vector<std::string> holders = HolderOrder();
  for (std::size_t i = 0; i < holders.size(); ++i) {
    children.push_back(RegionHolder(AArt.Find(holders[i]), i));
  }
  return Record("TfrmMAIN", "frmMAIN", std::move(root), std::move(children));
}

// ---------------------------------------------------------------- About window

namespace {

constexpr const char* MAKER = "猫耳工房";
constexpr const char* REMARK = "作・画";
constexpr const char* SINCE = "since 2026";
constexpr const char* SHORT_NAME = "猫耳";
constexpr const char* WEB = "http://nyarumi.example.org/";
constexpr const char* MAIL = "nyarumi@example.org";
constexpr std::int32_t LINK_BLUE = 0x02FF0000;

TComponentRecord Label(const std::string& AName, std::array<std::int32_t, 4> ABox,
                       const std::string& ACaption, std::int32_t AFontHeight, bool ATransparent,
                       bool AWordWrap) {
  TProps props = Bounds(ABox[0], ABox[1], ABox[2], ABox[3]);
  props.emplace_back("Caption", StringValue(ACaption));
  Append(props, FontProps(-AFontHeight, GOTHIC, IdentValue("clWindowText")));
  props.emplace_back("ParentFont", BoolValue(false));
  if (ATransparent) {
    props.emplace_back("Transparent", BoolValue(true));
  }
  if (AWordWrap) {
    props.emplace_back("WordWrap", BoolValue(true));
  }
  return Record("TLabel", AName, std::move(props));
}

TComponentRecord Shape(const std::string& AName, std::array<std::int32_t, 4> ABox) {
  TProps props = Bounds(ABox[0], ABox[1], ABox[2], ABox[3]);
  Append(props, {{"Brush.Color", IdentValue("clRed")},
                 {"Pen.Color", IdentValue("clNone")},
                 {"Pen.Style", IdentValue("psClear")}});
  return Record("TShape", AName, std::move(props));
}

TComponentRecord LinkLabel(const std::string& AName, std::array<std::int32_t, 4> ABox,
                           const std::string& ACaption) {
  TProps props = Bounds(ABox[0], ABox[1], ABox[2], ABox[3]);
  props.emplace_back("Cursor", IdentValue("crHandPoint"));
  props.emplace_back("Caption", StringValue(ACaption, 6));
  Append(props, FontProps(-12, P_GOTHIC, IntegerValue(LINK_BLUE), {"fsUnderline"}));
  props.emplace_back("ParentFont", BoolValue(false));
  return Record("THTLabel", AName, std::move(props));
}

// A hyperlink label's own menu, written out unnamed with the window it belongs to.
TComponentRecord LinkMenu() {
  return Record("TPopupMenu", "", {},
                {Record("TMenuItem", "",
                        {{"Caption", StringValue("開く(&O)", 20)}, {"Default", BoolValue(true)}}),
                 Record("TMenuItem", "", {{"Caption", StringValue("コピー(&C)", 20)}})});
}

} // namespace

TComponentRecord AboutForm() {
  TProps root{{"Left", IntegerValue(201)},
              {"Top", IntegerValue(514)},
              {"BorderIcons", SetValue({})},
              {"BorderStyle", IdentValue("bsToolWindow")},
              {"Caption", StringValue("バージョン情報")},
              {"ClientHeight", IntegerValue(124)},
              {"ClientWidth", IntegerValue(325)},
              {"Color", IdentValue("clBtnFace")}};
  Append(root, FontProps(-12, P_GOTHIC, IdentValue("clWindowText")));
  Append(root, {{"OldCreateOrder", BoolValue(false)},
                {"Position", IdentValue("poDesktopCenter")},
                {"OnCreate", IdentValue("FormCreate")},
                {"PixelsPerInch", IntegerValue(96)},
                {"TextHeight", IntegerValue(12)}});
  std::vector<TComponentRecord> children{
      Label("Label2", {140, 32, 160, 15}, "version.1.0.3   2001", 15, false, false),
      Label("Label3", {28, 48, 30, 30}, MAKER, 15, false, true),
      Label("Label4", {56, 68, 33, 11}, REMARK, 11, true, true),
      Shape("Shape1", {8, 48, 17, 61}),
      Shape("Shape2", {28, 80, 53, 13}),
      Shape("Shape3", {28, 96, 53, 13}),
      Label("Label5", {28, 108, 60, 11}, SINCE, 11, true, true),
      Label("Label6", {100, 52, 32, 16}, SHORT_NAME, 16, false, false),
      Label("Label9", {8, 12, 133, 19}, "Nyarumi", 19, true, false),
      LinkLabel("HTLabel1", {108, 72, 187, 12}, WEB),
      LinkLabel("HTLabel2", {108, 88, 82, 12}, MAIL),
      Record("TButton", "Button1",
             [] {
               TProps p = Bounds(256, 100, 61, 21);
               Append(p, {{"Caption", StringValue("Close", 6)},
                          {"TabOrder", IntegerValue(0)},
                          {"OnClick", IdentValue("Button1Click")}});
               return p;
             }()),
  };
  for (int i = 0; i < 16; ++i) {
    children.push_back(LinkMenu());
  }
  children.push_back(Record("TPopupMenu", "PopupMenu1", {{"Left", IntegerValue(296, 3)}}));
  return Record("TfrmABUT", "frmABUT", std::move(root), std::move(children));
}

std::vector<std::uint8_t> MainStream(const TArtwork& AArt) {
  return WriteFormStream(MainForm(AArt));
}

std::vector<std::uint8_t> AboutStream() {
  return WriteFormStream(AboutForm());
}

} // namespace nyarumi::art

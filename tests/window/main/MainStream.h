#pragma once
// A main-window stream laid out like the shipped one (same classes, names, properties and
// order of kinds) but with small generated frames, so that each frame's pixels and outline are
// known: frame i paints its body and (unless asked otherwise) its last two columns and rows with
// palette index i, and its record's box is (8, 40)-(60 + i % 10, 168).
#include "assets/Bitmap.h"
#include "assets/FormStream.h"
#include "assets/Values.h"
#include "engine/FrameSequence.h"
#include "shape/Region.h"

#include <string>
#include <vector>

namespace nyarumi::test {

inline constexpr std::uint8_t WHITE_INDEX = 114;

inline TPaletteEntry PaletteColor(int AIndex) {
  if (AIndex == WHITE_INDEX) {
    return {255, 255, 255};
  }
  return {static_cast<std::uint8_t>(AIndex), static_cast<std::uint8_t>(AIndex * 2), 200};
}

// AInkedEdges false leaves the last two columns and rows white, as the shipped frames have them.
inline TBitmap8 FrameBitmap(int AFrame, bool AInkedEdges = true) {
  TBitmap8 b;
  b.Width = 88;
  b.Height = 154;
  for (int i = 0; i < 121; ++i) {
    b.Palette.push_back(PaletteColor(i));
  }
  b.Pixels.assign(88 * 154, WHITE_INDEX);
  const auto ink = static_cast<std::uint8_t>(AFrame);
  for (int y = 0; y < 154; ++y) {
    for (int x = 0; x < 88; ++x) {
      const bool body = x >= 20 && x < 60 && y >= 40 && y < 146;
      if (body || (AInkedEdges && (x >= 86 || y >= 152))) {
        b.Pixels[static_cast<std::size_t>(y * 88 + x)] = ink;
      }
    }
  }
  return b;
}

inline TRegion FrameRegion(int AFrame) {
  return TRegion::FromRects({{8, 40, 60 + AFrame % 10, 168}, {20, 60, 70, 100}});
}

inline TValue RegionData(int AFrame) {
  const std::vector<std::uint8_t> record = FrameRegion(AFrame).ToRecord();
  const auto n = static_cast<std::uint32_t>(record.size());
  std::vector<std::uint8_t> payload{static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                                    static_cast<std::uint8_t>(n >> 16),
                                    static_cast<std::uint8_t>(n >> 24)};
  payload.insert(payload.end(), record.begin(), record.end());
  return BinaryValue(std::move(payload));
}

inline TComponentRecord Placed(std::string AClass, std::string AName, int ALeft, int ATop,
                               int AWidth, int AHeight) {
  return {std::move(AClass),
          std::move(AName),
          {{"Left", IntegerValue(ALeft)},
           {"Top", IntegerValue(ATop)},
           {"Width", IntegerValue(AWidth)},
           {"Height", IntegerValue(AHeight)}},
          {}};
}

inline TComponentRecord MenuItem(std::string AName, std::string ACaption, int AShortCut = 0,
                                 std::string AOnClick = {}) {
  TComponentRecord item{"TMenuItem", std::move(AName), {{"Caption", StringValue(ACaption)}}, {}};
  if (AShortCut != 0) {
    item.Properties.emplace_back("ShortCut", IntegerValue(AShortCut));
  }
  if (!AOnClick.empty()) {
    item.Properties.emplace_back("OnClick", IdentValue(std::move(AOnClick)));
  }
  return item;
}

inline TComponentRecord MainStream(bool AInkedEdges = true) {
  TComponentRecord root{"TfrmMAIN", "frmMAIN", {}, {}};
  root.Properties = {{"Left", IntegerValue(796)},
                     {"Top", IntegerValue(34)},
                     {"BorderStyle", IdentValue("bsNone")},
                     {"Caption", StringValue("Nyarumi")},
                     {"ClientHeight", IntegerValue(663)},
                     {"ClientWidth", IntegerValue(1028)},
                     {"Color", IdentValue("clWhite")},
                     {"Font.Charset", IdentValue("SHIFTJIS_CHARSET")},
                     {"Font.Color", IdentValue("clWindowText")},
                     {"Font.Height", IntegerValue(-12)},
                     {"Font.Name", StringValue("ＭＳ Ｐゴシック")},
                     {"Font.Style", SetValue({})},
                     {"OldCreateOrder", BoolValue(false)},
                     {"PopupMenu", IdentValue("popMainMenu")},
                     {"Position", IdentValue("poDesktopCenter")},
                     {"OnCreate", IdentValue("FormCreate")},
                     {"PixelsPerInch", IntegerValue(96)},
                     {"TextHeight", IntegerValue(12)}};
  auto& c = root.Children;
  c.push_back(Placed("TImage", "imgMainOMOTE", 8, 8, 105, 105));
  c.push_back(Placed("TImage", "imgMainURA", 120, 8, 105, 105));
  for (int i = 0; i < FRAME_COUNT; ++i) {
    TComponentRecord frame =
        Placed("TImage", std::string(FramePictureName(i)), 200 + i, 300, 88, 154);
    frame.Properties.emplace_back("AutoSize", BoolValue(true));
    frame.Properties.emplace_back("Picture.Data",
                                  BinaryValue(EncodePictureValue(FrameBitmap(i, AInkedEdges))));
    frame.Properties.emplace_back("Visible", BoolValue(false));
    c.push_back(std::move(frame));
  }
  c.push_back(Placed("TFormRgn", "FormRgn1", 16, 248, 33, 101));
  c.push_back({"TTimer",
               "anmTimer",
               {{"Interval", IntegerValue(100)},
                {"OnTimer", IdentValue("anmTimerTimer")},
                {"Left", IntegerValue(8)},
                {"Top", IntegerValue(8)}},
               {}});
  TComponentRecord menu{"TPopupMenu",
                        "popMainMenu",
                        {{"AutoHotkeys", IdentValue("maManual")},
                         {"AutoLineReduction", IdentValue("maManual")},
                         {"Left", IntegerValue(40)},
                         {"Top", IntegerValue(8)}},
                        {}};
  TComponentRecord onTop = MenuItem("menuItemONTop", "がんば・・・る", 16470, "menuItemONTopClick");
  onTop.Properties.emplace_back("Checked", BoolValue(true));
  onTop.Properties.emplace_back("RadioItem", BoolValue(true));
  menu.Children = {MenuItem("N2", "-"),
                   std::move(onTop),
                   MenuItem("N6", "-"),
                   MenuItem("menuItemAbout", "あばうと・・・", 16449, "menuItemAboutClick"),
                   MenuItem("menuItemEND", "おわります・・・", 16465, "menuItemENDClick"),
                   MenuItem("N1", "-")};
  c.push_back(std::move(menu));
  for (int i = 0; i < FRAME_COUNT; ++i) {
    c.push_back({"TfileIN",
                 RegionHolderName(i),
                 {{"FileName", StringValue("C:\\art\\rg\\" + std::to_string(i) + ".RG", 20)},
                  {"Left", IntegerValue(i * 8)},
                  {"Top", IntegerValue(400)},
                  {"DATA", RegionData(i)}},
                 {}});
  }
  return root;
}

} // namespace nyarumi::test

#pragma once
// The About window's layout as records, the way the stored stream gives them, so the window
// tests do not depend on the embedded data.
#include "assets/FormStream.h"

#include <string>

namespace nyarumi::test {

inline constexpr const char* WEB_ADDRESS = "http://nyarumi.example.org/";
inline constexpr const char* MAIL_ADDRESS = "nyarumi@example.org";

inline TValue Int(std::int32_t AValue) {
  TValue v;
  v.Type = TValue::Kind::Integer;
  v.Tag = AValue >= -128 && AValue <= 127 ? 2 : (AValue >= -32768 && AValue <= 32767 ? 3 : 4);
  v.Integer = AValue;
  return v;
}
inline TValue Str(std::string AText, std::uint8_t ATag = 6) {
  TValue v;
  v.Type = TValue::Kind::String;
  v.Tag = ATag;
  v.Text = std::move(AText);
  return v;
}
inline TValue Ident(std::string AText) {
  TValue v;
  v.Type = TValue::Kind::Ident;
  v.Tag = 7;
  v.Text = std::move(AText);
  return v;
}
inline TValue Bool(bool AValue) {
  TValue v;
  v.Type = AValue ? TValue::Kind::True : TValue::Kind::False;
  v.Tag = AValue ? 9 : 8;
  return v;
}
inline TValue Set(std::vector<std::string> AMembers) {
  TValue v;
  v.Type = TValue::Kind::Set;
  v.Tag = 11;
  v.Members = std::move(AMembers);
  return v;
}

inline TComponentRecord LabelRecord(std::string AName, int ALeft, int ATop, int AWidth, int AHeight,
                                    std::string ACaption, int AFontHeight,
                                    bool ATransparent = false, bool AWordWrap = false) {
  TComponentRecord r{"TLabel", std::move(AName), {}, {}};
  r.Properties = {{"Left", Int(ALeft)},
                  {"Top", Int(ATop)},
                  {"Width", Int(AWidth)},
                  {"Height", Int(AHeight)},
                  {"Caption", Str(std::move(ACaption), 18)},
                  {"Font.Charset", Ident("SHIFTJIS_CHARSET")},
                  {"Font.Color", Ident("clWindowText")},
                  {"Font.Height", Int(-AFontHeight)},
                  {"Font.Name", Str("ＭＳ ゴシック", 18)},
                  {"Font.Style", Set({})},
                  {"ParentFont", Bool(false)}};
  if (ATransparent) {
    r.Properties.emplace_back("Transparent", Bool(true));
  }
  if (AWordWrap) {
    r.Properties.emplace_back("WordWrap", Bool(true));
  }
  return r;
}

inline TComponentRecord ShapeRecord(std::string AName, int ALeft, int ATop, int AWidth,
                                    int AHeight) {
  return {"TShape",
          std::move(AName),
          {{"Left", Int(ALeft)},
           {"Top", Int(ATop)},
           {"Width", Int(AWidth)},
           {"Height", Int(AHeight)},
           {"Brush.Color", Ident("clRed")},
           {"Pen.Color", Ident("clNone")},
           {"Pen.Style", Ident("psClear")}},
          {}};
}

inline TComponentRecord LinkRecord(std::string AName, int ALeft, int ATop, int AWidth,
                                   std::string ACaption) {
  return {"THTLabel",
          std::move(AName),
          {{"Left", Int(ALeft)},
           {"Top", Int(ATop)},
           {"Width", Int(AWidth)},
           {"Height", Int(12)},
           {"Cursor", Ident("crHandPoint")},
           {"Caption", Str(std::move(ACaption))},
           {"Font.Charset", Ident("SHIFTJIS_CHARSET")},
           {"Font.Color", Int(50266112)},
           {"Font.Height", Int(-12)},
           {"Font.Name", Str("ＭＳ Ｐゴシック", 18)},
           {"Font.Style", Set({"fsUnderline"})},
           {"ParentFont", Bool(false)}},
          {}};
}

inline TComponentRecord LinkMenuRecord() {
  TComponentRecord menu{"TPopupMenu", "", {}, {}};
  menu.Children.push_back(
      {"TMenuItem", "", {{"Caption", Str("開く(&O)", 20)}, {"Default", Bool(true)}}, {}});
  menu.Children.push_back({"TMenuItem", "", {{"Caption", Str("コピー(&C)", 20)}}, {}});
  return menu;
}

inline TComponentRecord AboutLayout() {
  TComponentRecord root{"TfrmABUT", "frmABUT", {}, {}};
  root.Properties = {{"Left", Int(201)},
                     {"Top", Int(514)},
                     {"BorderIcons", Set({})},
                     {"BorderStyle", Ident("bsToolWindow")},
                     {"Caption", Str("バージョン情報", 18)},
                     {"ClientHeight", Int(124)},
                     {"ClientWidth", Int(325)},
                     {"Color", Ident("clBtnFace")},
                     {"Font.Charset", Ident("SHIFTJIS_CHARSET")},
                     {"Font.Color", Ident("clWindowText")},
                     {"Font.Height", Int(-12)},
                     {"Font.Name", Str("ＭＳ Ｐゴシック", 18)},
                     {"Font.Style", Set({})},
                     {"OldCreateOrder", Bool(false)},
                     {"Position", Ident("poDesktopCenter")},
                     {"OnCreate", Ident("FormCreate")},
                     {"PixelsPerInch", Int(96)},
                     {"TextHeight", Int(12)}};
  auto& c = root.Children;
  c.push_back(LabelRecord("Label2", 140, 32, 160, 15, "version.1.0.3   2001", 15));
  c.push_back(LabelRecord("Label3", 28, 48, 30, 30, "作者", 15, false, true));
  c.push_back(LabelRecord("Label4", 56, 68, 33, 11, "ひとこと", 11, true, true));
  c.push_back(ShapeRecord("Shape1", 8, 48, 17, 61));
  c.push_back(ShapeRecord("Shape2", 28, 80, 53, 13));
  c.push_back(ShapeRecord("Shape3", 28, 96, 53, 13));
  c.push_back(LabelRecord("Label5", 28, 108, 60, 11, "since 2001", 11, true, true));
  c.push_back(LabelRecord("Label6", 100, 52, 32, 16, "作者", 16));
  c.push_back(LabelRecord("Label9", 8, 12, 133, 19, "Nyarumi", 19, true));
  c.push_back(LinkRecord("HTLabel1", 108, 72, 187, WEB_ADDRESS));
  c.push_back(LinkRecord("HTLabel2", 108, 88, 82, MAIL_ADDRESS));
  c.push_back({"TButton",
               "Button1",
               {{"Left", Int(256)},
                {"Top", Int(100)},
                {"Width", Int(61)},
                {"Height", Int(21)},
                {"Caption", Str("Close")},
                {"TabOrder", Int(0)},
                {"OnClick", Ident("Button1Click")}},
               {}});
  for (int i = 0; i < 16; ++i) {
    c.push_back(LinkMenuRecord());
  }
  c.push_back({"TPopupMenu", "PopupMenu1", {{"Left", Int(296)}}, {}});
  return root;
}

} // namespace nyarumi::test

#include "fuzz/SeedForms.h"

#include "assets/Values.h"

namespace nyarumi::fuzz {

TComponentRecord AboutLikeForm() {
  TComponentRecord item{
      "TMenuItem", "", {{"Caption", StringValue("開く(&O)")}, {"Default", BoolValue(true)}}, {}};
  TComponentRecord copy{"TMenuItem", "", {{"Caption", StringValue("コピー(&C)")}}, {}};
  TComponentRecord menu{"TPopupMenu", "", {}, {item, copy}};
  TComponentRecord link{"TLabel",
                        "HTLabel1",
                        {{"Left", IntegerValue(24)},
                         {"Caption", StringValue("http://example.invalid/", 20)},
                         {"Font.Style", SetValue({"fsBold", "fsUnderline"})}},
                        {menu}};
  TComponentRecord button{"TButton",
                          "Button1",
                          {{"Caption", StringValue("OK")},

                           {"OnClick", IdentValue("Button1Click")}},
                          {}};
  TComponentRecord label{"TLabel", "Label1", {{"Caption", StringValue("バージョン 1.0", 18)}}, {}};
  return TComponentRecord{"TfrmABUT",
                          "frmABUT",
                          {{"BorderIcons", SetValue({"biSystemMenu"})},
                           {"Caption", StringValue("バージョン情報")},
                           {"OnCreate", IdentValue("FormCreate")}},
                          {label, link, button}};
}

} // namespace nyarumi::fuzz

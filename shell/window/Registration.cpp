#include "shell/window/Registration.h"

#include "assets/Bitmap.h"
#include "assets/Messages.h"
#include "assets/Values.h"
#include "common/Errors.h"
#include "shell/window/Button.h"
#include "shell/window/FormRgn.h"
#include "shell/window/Image.h"
#include "shell/window/Label.h"
#include "shell/window/Menu.h"
#include "shell/window/Shape.h"

#include <utility>

namespace nyarumi {

namespace {

[[noreturn]] void InvalidValue() {
  throw EReadError(MSG_INVALID_PROPERTY_VALUE);
}

template <class T, class F> TPropertySetter On(F AApply) {
  return [AApply](TComponent& ATarget, const TValue& AValue, TLoadContext& AContext) {
    T* target = dynamic_cast<T*>(&ATarget);
    if (target == nullptr) {
      InvalidValue();
    }
    if constexpr (std::is_invocable_v<F, T&, const TValue&, TLoadContext&>) {
      AApply(*target, AValue, AContext);
    } else {
      AApply(*target, AValue);
    }
  };
}

TColor ColorOf(const TValue& AValue) {
  if (AValue.Type == TValue::Kind::Ident) {
    const std::optional<TColor> c = ColorFromIdent(AValue.Text);
    if (!c) {
      InvalidValue();
    }
    return *c;
  }
  return AsInteger(AValue);
}

// An enumeration member by name, from a table of (name, value).
template <class E, std::size_t N>
E EnumOf(const TValue& AValue, const std::pair<const char*, E> (&ATable)[N]) {
  const std::string& ident = AsIdent(AValue);
  for (const auto& [name, value] : ATable) {
    if (ident == name) {
      return value;
    }
  }
  InvalidValue();
}

template <class Bits, std::size_t N>
Bits SetOf(const TValue& AValue, const std::pair<const char*, Bits> (&ATable)[N]) {
  Bits bits = 0;
  for (const std::string& member : AsSet(AValue)) {
    bool known = false;
    for (const auto& [name, bit] : ATable) {
      if (member == name) {
        bits = static_cast<Bits>(bits | bit);
        known = true;
      }
    }
    if (!known) {
      InvalidValue();
    }
  }
  return bits;
}

constexpr std::pair<const char*, std::uint8_t> kFontStyles[] = {{"fsBold", fsBold},
                                                                {"fsItalic", fsItalic},
                                                                {"fsUnderline", fsUnderline},
                                                                {"fsStrikeOut", fsStrikeOut}};

// Font.* for a component whose font AFont gives.
template <class T, class G> void AddFont(TClassInfo& AInfo, G AFont) {
  AInfo.SubObjects["Font"] = "TFont";
  AInfo.Properties["Font.Charset"] = On<T>([AFont](T& c, const TValue& v) {
    std::uint8_t charset = 0;
    if (v.Type == TValue::Kind::Ident) {
      const std::optional<std::uint8_t> known = CharsetFromIdent(v.Text);
      if (!known) {
        InvalidValue();
      }
      charset = *known;
    } else {
      charset = static_cast<std::uint8_t>(AsInteger(v));
    }
    AFont(c).SetCharset(charset);
  });
  AInfo.Properties["Font.Color"] =
      On<T>([AFont](T& c, const TValue& v) { AFont(c).SetColor(ColorOf(v)); });
  AInfo.Properties["Font.Height"] =
      On<T>([AFont](T& c, const TValue& v) { AFont(c).SetHeight(AsInteger(v)); });
  AInfo.Properties["Font.Name"] =
      On<T>([AFont](T& c, const TValue& v) { AFont(c).SetName(AsString(v)); });
  AInfo.Properties["Font.Style"] =
      On<T>([AFont](T& c, const TValue& v) { AFont(c).SetStyle(SetOf(v, kFontStyles)); });
}

void AddEvent(TClassInfo& AInfo, const char* AName, void (*AStore)(TComponent&, TNotifyEvent)) {
  AInfo.Properties[AName] = [AStore](TComponent& ATarget, const TValue& AValue,
                                     TLoadContext& AContext) {
    AStore(ATarget, AContext.Method(AsIdent(AValue)));
  };
}

void AddDesignInfo(TClassInfo& AInfo) {
  AInfo.Properties["Left"] = [](TComponent& ATarget, const TValue& AValue, TLoadContext&) {
    ATarget.DesignInfo.Left = AsInteger(AValue);
  };
  AInfo.Properties["Top"] = [](TComponent& ATarget, const TValue& AValue, TLoadContext&) {
    ATarget.DesignInfo.Top = AsInteger(AValue);
  };
}

void AddImageProperties(TClassInfo& AInfo) {
  AddControlProperties(AInfo);
  AInfo.Properties["AutoSize"] =
      On<TImage>([](TImage& c, const TValue& v) { c.SetAutoSize(AsBool(v)); });
  AInfo.SubObjects["Picture"] = "TPicture";
  AInfo.Properties["Picture.Data"] = On<TImage>([](TImage& c, const TValue& v) {
    // A picture class other than a bitmap leaves the image without a picture.
    std::optional<TBitmap8> bitmap = ReadPictureValue(AsBinary(v));
    if (bitmap) {
      c.Picture().Assign(std::move(*bitmap));
    } else {
      c.Picture().Clear();
    }
  });
}

TClassInfo ImageClass() {
  TClassInfo info;
  info.Name = "TImage";
  info.Create = CreateLoadedControl<TImage>;
  AddImageProperties(info);
  return info;
}

TClassInfo FormRgnClass() {
  TClassInfo info;
  info.Name = "TFormRgn";
  info.Create = CreateLoadedControl<TFormRgn>;
  AddImageProperties(info);
  info.Properties["TransparentColor"] =
      On<TFormRgn>([](TFormRgn& c, const TValue& v) { c.TransparentColor = ColorOf(v); });
  return info;
}

TClassInfo LabelClass() {
  TClassInfo info;
  info.Name = "TLabel";
  info.Create = CreateLoadedControl<TLabel>;
  AddLabelProperties(info);
  return info;
}

TClassInfo ShapeClass() {
  TClassInfo info;
  info.Name = "TShape";
  info.Create = CreateLoadedControl<TShape>;
  AddControlProperties(info);
  static constexpr std::pair<const char*, TBrushStyle> brushStyles[] = {
      {"bsSolid", TBrushStyle::bsSolid}, {"bsClear", TBrushStyle::bsClear}};
  static constexpr std::pair<const char*, TPenStyle> penStyles[] = {
      {"psSolid", TPenStyle::psSolid},
      {"psDash", TPenStyle::psDash},
      {"psDot", TPenStyle::psDot},
      {"psDashDot", TPenStyle::psDashDot},
      {"psDashDotDot", TPenStyle::psDashDotDot},
      {"psClear", TPenStyle::psClear},
      {"psInsideFrame", TPenStyle::psInsideFrame}};
  info.SubObjects["Brush"] = "TBrush";
  info.SubObjects["Pen"] = "TPen";
  info.Properties["Brush.Color"] =
      On<TShape>([](TShape& c, const TValue& v) { c.Brush.Color = ColorOf(v); });
  info.Properties["Brush.Style"] =
      On<TShape>([](TShape& c, const TValue& v) { c.Brush.Style = EnumOf(v, brushStyles); });
  info.Properties["Pen.Color"] =
      On<TShape>([](TShape& c, const TValue& v) { c.Pen.Color = ColorOf(v); });
  info.Properties["Pen.Style"] =
      On<TShape>([](TShape& c, const TValue& v) { c.Pen.Style = EnumOf(v, penStyles); });
  info.Properties["Pen.Width"] =
      On<TShape>([](TShape& c, const TValue& v) { c.Pen.Width = AsInteger(v); });
  return info;
}

TClassInfo ButtonClass() {
  TClassInfo info;
  info.Name = "TButton";
  info.Create = CreateLoadedControl<TButton>;
  AddControlProperties(info);
  info.Properties["Caption"] =
      On<TButton>([](TButton& c, const TValue& v) { c.SetCaption(AsString(v)); });
  info.Properties["TabOrder"] =
      On<TButton>([](TButton& c, const TValue& v) { c.SetTabOrder(AsInteger(v)); });
  return info;
}

TClassInfo TimerClass() {
  TClassInfo info;
  info.Name = "TTimer";
  info.Create = [](TComponent* AOwner, TComponent*) -> TComponent* {
    auto* timer = new TTimer(AOwner);
    timer->BeginLoading();
    return timer;
  };
  AddDesignInfo(info);
  info.Properties["Interval"] = On<TTimer>([](TTimer& t, const TValue& v) {
    const std::int32_t ms = AsInteger(v);
    if (ms < 0) {
      InvalidValue();
    }
    t.SetInterval(static_cast<std::uint32_t>(ms));
  });
  info.Properties["Enabled"] =
      On<TTimer>([](TTimer& t, const TValue& v) { t.SetEnabled(AsBool(v)); });
  AddEvent(info, "OnTimer", [](TComponent& c, TNotifyEvent e) {
    dynamic_cast<TTimer&>(c).SetOnTimer(std::move(e));
  });
  return info;
}

constexpr std::pair<const char*, TMenuAutoFlag> kAutoFlags[] = {
    {"maAutomatic", TMenuAutoFlag::maAutomatic},
    {"maManual", TMenuAutoFlag::maManual},
    {"maParent", TMenuAutoFlag::maParent}};

TClassInfo PopupMenuClass() {
  TClassInfo info;
  info.Name = "TPopupMenu";
  info.Create = [](TComponent* AOwner, TComponent*) -> TComponent* {
    return new TPopupMenu(AOwner);
  };
  AddDesignInfo(info);
  info.Properties["AutoHotkeys"] =
      On<TPopupMenu>([](TPopupMenu& m, const TValue& v) { m.AutoHotkeys = EnumOf(v, kAutoFlags); });
  info.Properties["AutoLineReduction"] = On<TPopupMenu>(
      [](TPopupMenu& m, const TValue& v) { m.AutoLineReduction = EnumOf(v, kAutoFlags); });
  info.Properties["AutoPopup"] =
      On<TPopupMenu>([](TPopupMenu& m, const TValue& v) { m.AutoPopup = AsBool(v); });
  AddEvent(info, "OnPopup", [](TComponent& c, TNotifyEvent e) {
    dynamic_cast<TPopupMenu&>(c).OnPopup = std::move(e);
  });
  return info;
}

TClassInfo MenuItemClass() {
  TClassInfo info;
  info.Name = "TMenuItem";
  info.Create = [](TComponent* AOwner, TComponent* AParent) -> TComponent* {
    auto* item = new TMenuItem(AOwner);
    if (auto* menu = dynamic_cast<TPopupMenu*>(AParent)) {
      menu->Items().Add(item);
    } else if (auto* parentItem = dynamic_cast<TMenuItem*>(AParent)) {
      parentItem->Add(item);
    }
    return item;
  };
  info.Properties["Caption"] =
      On<TMenuItem>([](TMenuItem& m, const TValue& v) { m.Caption = AsString(v); });
  info.Properties["ShortCut"] = On<TMenuItem>([](TMenuItem& m, const TValue& v) {
    const std::int32_t value = AsInteger(v);
    if (value < 0 || value > 0xFFFF) {
      InvalidValue();
    }
    m.ShortCut = static_cast<TShortCut>(value);
  });
  info.Properties["Checked"] =
      On<TMenuItem>([](TMenuItem& m, const TValue& v) { m.Checked = AsBool(v); });
  info.Properties["RadioItem"] =
      On<TMenuItem>([](TMenuItem& m, const TValue& v) { m.RadioItem = AsBool(v); });
  info.Properties["Default"] =
      On<TMenuItem>([](TMenuItem& m, const TValue& v) { m.Default = AsBool(v); });
  info.Properties["Enabled"] =
      On<TMenuItem>([](TMenuItem& m, const TValue& v) { m.Enabled = AsBool(v); });
  info.Properties["Visible"] =
      On<TMenuItem>([](TMenuItem& m, const TValue& v) { m.Visible = AsBool(v); });
  AddEvent(info, "OnClick", [](TComponent& c, TNotifyEvent e) {
    dynamic_cast<TMenuItem&>(c).OnClick = std::move(e);
  });
  return info;
}

} // namespace

void AddControlProperties(TClassInfo& AInfo) {
  AInfo.Properties["Left"] =
      On<TControl>([](TControl& c, const TValue& v) { c.SetLeft(AsInteger(v)); });
  AInfo.Properties["Top"] =
      On<TControl>([](TControl& c, const TValue& v) { c.SetTop(AsInteger(v)); });
  AInfo.Properties["Width"] =
      On<TControl>([](TControl& c, const TValue& v) { c.SetWidth(AsInteger(v)); });
  AInfo.Properties["Height"] =
      On<TControl>([](TControl& c, const TValue& v) { c.SetHeight(AsInteger(v)); });
  AInfo.Properties["Visible"] =
      On<TControl>([](TControl& c, const TValue& v) { c.SetVisible(AsBool(v)); });
  AInfo.Properties["Enabled"] =
      On<TControl>([](TControl& c, const TValue& v) { c.SetEnabled(AsBool(v)); });
  AInfo.Properties["Cursor"] = On<TControl>([](TControl& c, const TValue& v) {
    const std::optional<TCursor> cursor = CursorFromIdent(AsIdent(v));
    if (!cursor) {
      InvalidValue();
    }
    c.SetCursor(*cursor);
  });
  AInfo.Properties["Color"] =
      On<TControl>([](TControl& c, const TValue& v) { c.SetColor(ColorOf(v)); });
  AInfo.Properties["ParentColor"] =
      On<TControl>([](TControl& c, const TValue& v) { c.SetParentColor(AsBool(v)); });
  AInfo.Properties["ParentFont"] =
      On<TControl>([](TControl& c, const TValue& v) { c.SetParentFont(AsBool(v)); });
  AddEvent(AInfo, "OnClick", [](TComponent& c, TNotifyEvent e) {
    dynamic_cast<TControl&>(c).OnClick = std::move(e);
  });
  AddFont<TControl>(AInfo, [](TControl& c) -> TFont& { return c.Font(); });
}

void AddLabelProperties(TClassInfo& AInfo) {
  AddControlProperties(AInfo);
  AInfo.Properties["Caption"] =
      On<TLabel>([](TLabel& c, const TValue& v) { c.SetCaption(AsString(v)); });
  AInfo.Properties["Transparent"] =
      On<TLabel>([](TLabel& c, const TValue& v) { c.SetTransparent(AsBool(v)); });
  AInfo.Properties["WordWrap"] =
      On<TLabel>([](TLabel& c, const TValue& v) { c.SetWordWrap(AsBool(v)); });
  AInfo.Properties["AutoSize"] =
      On<TLabel>([](TLabel& c, const TValue& v) { c.SetAutoSize(AsBool(v)); });
}

void AddFormProperties(TClassInfo& AInfo) {
  AddControlProperties(AInfo);
  static constexpr std::pair<const char*, TFormBorderStyle> borderStyles[] = {
      {"bsNone", TFormBorderStyle::bsNone}, {"bsToolWindow", TFormBorderStyle::bsToolWindow}};
  static constexpr std::pair<const char*, std::uint8_t> borderIcons[] = {
      {"biSystemMenu", biSystemMenu},
      {"biMinimize", biMinimize},
      {"biMaximize", biMaximize},
      {"biHelp", biHelp}};
  static constexpr std::pair<const char*, TFormStyle> formStyles[] = {
      {"fsNormal", TFormStyle::fsNormal}, {"fsStayOnTop", TFormStyle::fsStayOnTop}};
  static constexpr std::pair<const char*, TPosition> positions[] = {
      {"poDesigned", TPosition::poDesigned}, {"poDesktopCenter", TPosition::poDesktopCenter}};
  AInfo.Properties["ClientWidth"] =
      On<TForm>([](TForm& f, const TValue& v) { f.SetClientWidth(AsInteger(v)); });
  AInfo.Properties["ClientHeight"] =
      On<TForm>([](TForm& f, const TValue& v) { f.SetClientHeight(AsInteger(v)); });
  AInfo.Properties["Caption"] =
      On<TForm>([](TForm& f, const TValue& v) { f.SetCaption(AsString(v)); });
  AInfo.Properties["BorderStyle"] =
      On<TForm>([](TForm& f, const TValue& v) { f.SetBorderStyle(EnumOf(v, borderStyles)); });
  AInfo.Properties["BorderIcons"] =
      On<TForm>([](TForm& f, const TValue& v) { f.SetBorderIcons(SetOf(v, borderIcons)); });
  AInfo.Properties["FormStyle"] =
      On<TForm>([](TForm& f, const TValue& v) { f.SetFormStyle(EnumOf(v, formStyles)); });
  AInfo.Properties["Position"] =
      On<TForm>([](TForm& f, const TValue& v) { f.SetPosition(EnumOf(v, positions)); });
  AInfo.Properties["PopupMenu"] = [](TComponent& ATarget, const TValue& AValue,
                                     TLoadContext& AContext) {
    auto* form = dynamic_cast<TForm*>(&ATarget);
    if (form == nullptr) {
      InvalidValue();
    }
    AContext.ResolveLater(AsIdent(AValue), [form](TComponent* AMenu) {
      auto* menu = dynamic_cast<TPopupMenu*>(AMenu);
      if (menu == nullptr) {
        InvalidValue();
      }
      form->SetPopupMenu(menu);
    });
  };
  AddEvent(AInfo, "OnCreate",
           [](TComponent& c, TNotifyEvent e) { dynamic_cast<TForm&>(c).OnCreate = std::move(e); });
  AddEvent(AInfo, "OnDestroy",
           [](TComponent& c, TNotifyEvent e) { dynamic_cast<TForm&>(c).OnDestroy = std::move(e); });
  // Layout records of the design tool: OnCreate always runs after loading, and the layout is
  // used at the pixel sizes it was made for.
  for (const char* name : {"OldCreateOrder", "Scaled"}) {
    AInfo.Properties[name] = [](TComponent&, const TValue& v, TLoadContext&) { AsBool(v); };
  }
  for (const char* name : {"PixelsPerInch", "TextHeight"}) {
    AInfo.Properties[name] = [](TComponent&, const TValue& v, TLoadContext&) { AsInteger(v); };
  }
}

void RegisterWindowClasses(TClassRegistry& ARegistry) {
  ARegistry.Register(ImageClass());
  ARegistry.Register(FormRgnClass());
  ARegistry.Register(LabelClass());
  ARegistry.Register(ShapeClass());
  ARegistry.Register(ButtonClass());
  ARegistry.Register(TimerClass());
  ARegistry.Register(PopupMenuClass());
  ARegistry.Register(MenuItemClass());
}

} // namespace nyarumi

#include "shell/HTLabel.h"

#include "shell/window/Form.h"
#include "shell/window/Menu.h"
#include "shell/window/Registration.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

namespace nyarumi {

namespace {

const TAnchorSettings kDefaults;

bool IsBlank(char C) {
  return C == ' ' || C == '\t';
}

// A decimal integer of 0..255, blanks around it allowed.
std::optional<std::uint32_t> ParseComponent(std::string_view AText) {
  while (!AText.empty() && IsBlank(AText.front())) {
    AText.remove_prefix(1);
  }
  while (!AText.empty() && IsBlank(AText.back())) {
    AText.remove_suffix(1);
  }
  std::uint32_t value = 0;
  const char* end = AText.data() + AText.size();
  const auto [ptr, ec] = std::from_chars(AText.data(), end, value);
  if (AText.empty() || ec != std::errc() || ptr != end || value > 255) {
    return std::nullopt;
  }
  return value;
}

// The characters that follow "%" in a placeholder for the address.
bool IsAddressCode(char C) {
  return C == '1' || C == 'u' || C == 'U' || C == 'f' || C == 'F';
}

// Deletes a component this label made, unless its owner has already done so.
template <class T> void DeleteIfAlive(const TComponent* AOwner, T*& AComponent) {
  if (AComponent != nullptr &&
      (AOwner == nullptr ||
       std::ranges::find(AOwner->Components(), AComponent) != AOwner->Components().end())) {
    delete AComponent;
  }
  AComponent = nullptr;
}

} // namespace

TAnchorSettings ReadAnchorSettings(Platform& APlatform) {
  TAnchorSettings settings;
  const std::pair<std::string_view, std::string*> values[] = {
      {"Anchor Color", &settings.AnchorColor},
      {"Anchor Color Hover", &settings.AnchorColorHover},
      {"Anchor Color Visited", &settings.AnchorColorVisited},
      {"Use Anchor Hover Color", &settings.UseAnchorHoverColor}};
  for (const auto& [name, target] : values) {
    if (std::optional<std::string> value = APlatform.ReadSetting(ANCHOR_SETTINGS_KEY, name)) {
      *target = std::move(*value);
    }
  }
  return settings;
}

std::optional<TColor> ParseColor(std::string_view AText) {
  const std::size_t first = AText.find(',');
  if (first == std::string_view::npos) {
    return std::nullopt;
  }
  const std::string_view rest = AText.substr(first + 1);
  const std::size_t second = rest.find(',');
  if (second == std::string_view::npos) {
    return std::nullopt;
  }
  const auto red = ParseComponent(AText.substr(0, first));
  const auto green = ParseComponent(rest.substr(0, second));
  const auto blue = ParseComponent(rest.substr(second + 1));
  if (!red || !green || !blue) {
    return std::nullopt;
  }
  return static_cast<TColor>(0x02000000u | *red | (*green << 8) | (*blue << 16));
}

TColor ParseColorOr(std::string_view AText, std::string_view ADefault) {
  return ParseColor(AText).value_or(ParseColor(ADefault).value_or(clBlack));
}

TLinkLook LinkLook(const TAnchorSettings& ASettings, bool AHover) {
  const bool underlineOnHoverOnly = ASettings.UseAnchorHoverColor == "yes";
  if (!AHover) {
    return {ParseColorOr(ASettings.AnchorColor, kDefaults.AnchorColor),
            underlineOnHoverOnly ? TFontStyles{0} : TFontStyles{fsUnderline}};
  }
  TLinkLook look{ParseColorOr(ASettings.AnchorColorHover, kDefaults.AnchorColorHover), {}};
  if (underlineOnHoverOnly) {
    look.Style = fsUnderline;
  }
  return look;
}

bool IsWebAddress(std::string_view ACaption) {
  return ACaption.substr(0, 7) == "http://";
}

std::string RemovePlaceholder(std::string ACommand) {
  const std::string& s = ACommand;
  // A quoted placeholder first, anywhere in the command; then a bare one.
  for (std::size_t p = 0; p + 3 < s.size(); ++p) {
    if (s[p] == '"' && s[p + 1] == '%' && IsAddressCode(s[p + 2]) && s[p + 3] == '"') {
      if (p > 0) {
        ACommand.erase(p - 1, 5);
      }
      return ACommand;
    }
  }
  for (std::size_t p = 0; p + 1 < s.size(); ++p) {
    if (s[p] == '%' && IsAddressCode(s[p + 1])) {
      if (p > 0) {
        ACommand.erase(p - 1, 3);
      }
      return ACommand;
    }
  }
  return ACommand;
}

std::optional<std::string> ReadDefaultValue(Platform& APlatform, THandlerKind AKind) {
  return APlatform.DefaultHandlerCommand(AKind);
}

void OpenAddress(Platform& APlatform, std::string_view AAddress, TAddressKind AKind) {
  if (AKind == TAddressKind::Web && APlatform.OpenUrl(AAddress)) {
    return;
  }
  const THandlerKind handler =
      AKind == TAddressKind::Web ? THandlerKind::WebPage : THandlerKind::Mail;
  const std::optional<std::string> command = ReadDefaultValue(APlatform, handler);
  if (!command) {
    return;
  }
  APlatform.StartHandler(handler, RemovePlaceholder(*command), AAddress); // failures are silent
}

// --- THTLabel

// The settings of the other links of this owner, so that all of them share one copy.
std::shared_ptr<TAnchorSettings> THTLabel::SharedSettings(const TComponent* AOwner,
                                                          const THTLabel* ASelf) {
  if (AOwner != nullptr) {
    for (const TComponent* c : AOwner->Components()) {
      if (c == ASelf) {
        continue;
      }
      if (const auto* link = dynamic_cast<const THTLabel*>(c)) {
        return link->FSettings;
      }
    }
  }
  return std::make_shared<TAnchorSettings>();
}

THTLabel::THTLabel(TComponent* AOwner) : TLabel(AOwner), FSettings(SharedSettings(AOwner, this)) {
  *FSettings = ReadAnchorSettings(CurrentPlatform());
  SetCursor(crHandPoint);
  FLinkMenu = new TPopupMenu(AOwner);
  FOpenItem = new TMenuItem(AOwner);
  FOpenItem->Caption = "開く(&O)";
  FOpenItem->Default = true;
  FOpenItem->OnClick = [this](TComponent* Sender) { OpenClick(Sender); };
  FLinkMenu->Items().Add(FOpenItem);
  FCopyItem = new TMenuItem(AOwner);
  FCopyItem->Caption = "コピー(&C)";
  FCopyItem->OnClick = [this](TComponent* Sender) { CopyClick(Sender); };
  FLinkMenu->Items().Add(FCopyItem);
}

THTLabel::~THTLabel() {
  // The menu's handlers point at this label: a label that goes before its owner takes its
  // menu along. When the owner goes, it has already destroyed them (latest first).
  DeleteIfAlive(Owner(), FCopyItem);
  DeleteIfAlive(Owner(), FOpenItem);
  DeleteIfAlive(Owner(), FLinkMenu);
}

void THTLabel::Paint(nyarumi::Canvas& ACanvas) {
  const TLinkLook look = LinkLook(*FSettings, FHover);
  // Set quietly: a change notice would mark the label again from inside its own paint.
  TFont& font = Font();
  auto notify = std::exchange(font.OnChange, nullptr);
  font.SetColor(look.Color);
  if (look.Style) {
    font.SetStyle(*look.Style);
  }
  font.OnChange = std::move(notify);
  TLabel::Paint(ACanvas);
}

void THTLabel::MouseEnter() {
  FHover = true;
  Repaint();
  TLabel::MouseEnter();
}

void THTLabel::MouseLeave() {
  FHover = false;
  Repaint();
  TLabel::MouseLeave();
}

void THTLabel::Click() {
  Font().SetColor(ParseColorOr(FSettings->AnchorColorVisited, kDefaults.AnchorColorVisited));
  TLabel::Click();
  const std::string address = Caption();
  OpenAddress(CurrentPlatform(), address,
              IsWebAddress(address) ? TAddressKind::Web : TAddressKind::Mail);
}

void THTLabel::MouseDown(TMouseButton AButton, TShiftState AShift, std::int32_t AX,
                         std::int32_t AY) {
  TLabel::MouseDown(AButton, AShift, AX, AY);
  if (AButton != TMouseButton::mbRight || FLinkMenu == nullptr) {
    return;
  }
  // Where the cursor is now, not where the press was reported; without a cursor position,
  // near the press.
  TPoint at{AX, AY};
  if (const std::optional<TPoint> cursor = CurrentPlatform().GetCursorPos()) {
    at = *cursor;
  } else if (Parent() != nullptr) {
    at = {Parent()->Left() + Left() + AX, Parent()->Top() + Top() + AY};
  }
  FLinkMenu->Popup(at.X, at.Y);
}

void THTLabel::OpenClick(TComponent* /*Sender*/) {
  Click();
}

void THTLabel::CopyClick(TComponent* /*Sender*/) {
  CurrentPlatform().SetClipboardText(Caption());
}

void RegisterHTLabelClass(TClassRegistry& ARegistry) {
  TClassInfo info;
  info.Name = "THTLabel";
  info.Create = CreateLoadedControl<THTLabel>;
  AddLabelProperties(info);
  ARegistry.Register(std::move(info));
}

} // namespace nyarumi

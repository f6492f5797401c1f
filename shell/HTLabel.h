#pragma once
// A text label that shows its caption as a link in the user's link colours, opens it when
// clicked (a web page in the browser, anything else in the mail program) and offers "open" and
// "copy" on a right click.
#include "assets/ClassRegistry.h"
#include "shell/platform/Platform.h"
#include "shell/window/Graphics.h"
#include "shell/window/Label.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nyarumi {

class TPopupMenu;
class TMenuItem;

// The four link settings as texts; colours are parsed at each use.
struct TAnchorSettings {
  std::string AnchorColor = "0,0,255";
  std::string AnchorColorHover = "255,0,0";
  std::string AnchorColorVisited = "255,0,255";
  std::string UseAnchorHoverColor = "no";
};

// Where the settings live in the platform's read-only settings source.
inline constexpr std::string_view ANCHOR_SETTINGS_KEY =
    "Software\\Microsoft\\Internet Explorer\\Settings";

// Reads the four settings; an absent value keeps its default. Nothing is ever written.
TAnchorSettings ReadAnchorSettings(Platform& APlatform);

// "r,g,b" (decimal, red first) as a palette-relative colour value; nullopt unless it is three
// integers of 0..255.
std::optional<TColor> ParseColor(std::string_view AText);
// The setting's colour, or its default's when the setting cannot be parsed.
TColor ParseColorOr(std::string_view AText, std::string_view ADefault);

// The font colour and style a link is drawn with; no style means the font keeps its own.
struct TLinkLook {
  TColor Color = 0;
  std::optional<TFontStyles> Style;
  friend bool operator==(const TLinkLook&, const TLinkLook&) = default;
};
TLinkLook LinkLook(const TAnchorSettings& ASettings, bool AHover);

enum class TAddressKind { Web, Mail };

// True when the first seven characters are exactly "http://".
bool IsWebAddress(std::string_view ACaption);

// Takes the handler's placeholder ("%1", "%u", "%U", "%f", "%F", quoted or bare) out of a
// registered command together with the character before it.
std::string RemovePlaceholder(std::string ACommand);

// The registered command of the default handler, with its placeholder; nullopt when none is.
std::optional<std::string> ReadDefaultValue(Platform& APlatform, THandlerKind AKind);
// Opens a web address (the desktop's opener first, then the browser's command) or starts the
// mail program with a mail address: the handler's command, its placeholder removed, goes to the
// platform, which starts it with the address as one argument of its own. Failures are silent.
void OpenAddress(Platform& APlatform, std::string_view AAddress, TAddressKind AKind);

class THTLabel : public TLabel {
public:
  explicit THTLabel(TComponent* AOwner);
  ~THTLabel() override;

  bool Hover() const { return FHover; }
  TPopupMenu* LinkMenu() const { return FLinkMenu; }
  const TAnchorSettings& Settings() const { return *FSettings; }

  void Paint(nyarumi::Canvas& ACanvas) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void Click() override;
  void MouseDown(TMouseButton AButton, TShiftState AShift, std::int32_t AX,
                 std::int32_t AY) override;

  void OpenClick(TComponent* Sender);
  void CopyClick(TComponent* Sender);

private:
  static std::shared_ptr<TAnchorSettings> SharedSettings(const TComponent* AOwner,
                                                         const THTLabel* ASelf);
  // One copy for all links of the same owner, refreshed whenever one of them is created.
  std::shared_ptr<TAnchorSettings> FSettings;
  bool FHover = false;
  TPopupMenu* FLinkMenu = nullptr;
  TMenuItem* FOpenItem = nullptr;
  TMenuItem* FCopyItem = nullptr;
};

// THTLabel as a form stream names it.
void RegisterHTLabelClass(TClassRegistry& ARegistry);

} // namespace nyarumi

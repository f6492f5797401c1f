#pragma once
// Popup menus and their items. A menu is shown at a screen point by the platform; the chosen
// item's handler runs afterwards through the application's dispatch.
#include "assets/Component.h"
#include "shell/platform/Platform.h"

#include <memory>
#include <string>
#include <vector>

namespace nyarumi {

class TMenuItem : public TComponent {
public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  std::string Caption; // "-" makes a separator
  TShortCut ShortCut = 0;
  bool Checked = false;
  bool RadioItem = false; // the check mark is drawn as a bullet
  bool Default = false;   // drawn bold
  bool Enabled = true;
  bool Visible = true;
  TNotifyEvent OnClick;

  bool IsLine() const { return Caption == "-"; }
  // Items are referenced, not owned: their owner (the form) destroys them.
  void Add(TMenuItem* AItem);
  void Remove(TMenuItem* AItem);
  const std::vector<TMenuItem*>& Items() const { return FItems; }
  TMenuItem* Parent() const { return FParent; }
  // Runs OnClick; the menu calls it for the chosen item, a shortcut for its item.
  virtual void Click();

private:
  TMenuItem* FParent = nullptr;
  std::vector<TMenuItem*> FItems;
};

enum class TMenuAutoFlag { maAutomatic, maManual, maParent };

class TPopupMenu : public TComponent {
public:
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;

  TMenuItem& Items() { return *FItems; }
  const TMenuItem& Items() const { return *FItems; }
  // Kept as the stream gives them: captions show exactly as stored and separators all show.
  TMenuAutoFlag AutoHotkeys = TMenuAutoFlag::maAutomatic;
  TMenuAutoFlag AutoLineReduction = TMenuAutoFlag::maAutomatic;
  bool AutoPopup = true; // a right click on the form opens it
  TNotifyEvent OnPopup;

  // Shows the visible items with their top-left corner at a screen point and runs the chosen
  // item's Click afterwards.
  void Popup(std::int32_t AX, std::int32_t AY);
  // The enabled item anywhere in the menu that carries this shortcut.
  TMenuItem* FindShortCut(TShortCut AShortCut) const;

private:
  std::unique_ptr<TMenuItem> FItems;
};

// "Ctrl+V", "Shift+Alt+F1"…; empty for no shortcut.
std::string ShortCutToText(TShortCut AShortCut);

} // namespace nyarumi

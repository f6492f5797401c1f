#include "shell/window/Menu.h"

#include "shell/window/Application.h"

#include <algorithm>
#include <cstdio>

namespace nyarumi {

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
  for (TMenuItem* item : FItems) {
    item->FParent = nullptr;
  }
  if (FParent != nullptr) {
    FParent->Remove(this);
  }
}

void TMenuItem::Add(TMenuItem* AItem) {
  if (AItem->FParent != nullptr) {
    AItem->FParent->Remove(AItem);
  }
  AItem->FParent = this;
  FItems.push_back(AItem);
}

void TMenuItem::Remove(TMenuItem* AItem) {
  if (std::erase(FItems, AItem) > 0) {
    AItem->FParent = nullptr;
  }
}

void TMenuItem::Click() {
  if (OnClick) {
    OnClick(this);
  }
}

TPopupMenu::TPopupMenu(TComponent* AOwner)
    : TComponent(AOwner), FItems(std::make_unique<TMenuItem>(nullptr)) {}

TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::Popup(std::int32_t AX, std::int32_t AY) {
  if (OnPopup) {
    OnPopup(this);
  }
  std::vector<TMenuEntry> entries;
  std::vector<TMenuItem*> shown;
  for (TMenuItem* item : FItems->Items()) {
    if (!item->Visible) {
      continue;
    }
    TMenuEntry e;
    e.Separator = item->IsLine();
    if (!e.Separator) {
      e.Caption = item->Caption;
      e.ShortCutText = ShortCutToText(item->ShortCut);
    }
    e.Enabled = item->Enabled;
    e.Checked = item->Checked;
    e.RadioCheck = item->RadioItem;
    e.Default = item->Default;
    entries.push_back(std::move(e));
    shown.push_back(item);
  }
  // The menu waits in an event loop of its own: what the handler changed shows meanwhile.
  if (TApplication* app = CurrentApplication()) {
    app->ReleaseMarks();
  }
  const int chosen = CurrentPlatform().PopupMenu({AX, AY}, entries);
  if (chosen >= 0 && static_cast<std::size_t>(chosen) < shown.size()) {
    TMenuItem* item = shown[static_cast<std::size_t>(chosen)];
    DispatchEvent([item] { item->Click(); });
  }
}

namespace {
TMenuItem* FindIn(const TMenuItem& AItem, TShortCut AShortCut) {
  for (TMenuItem* item : AItem.Items()) {
    if (!item->Enabled) {
      continue;
    }
    if (item->ShortCut == AShortCut) {
      return item;
    }
    if (TMenuItem* found = FindIn(*item, AShortCut)) {
      return found;
    }
  }
  return nullptr;
}
} // namespace

TMenuItem* TPopupMenu::FindShortCut(TShortCut AShortCut) const {
  if (AShortCut == 0) {
    return nullptr;
  }
  return FindIn(*FItems, AShortCut);
}

std::string ShortCutToText(TShortCut AShortCut) {
  const unsigned key = AShortCut & 0xFFu;
  if (key == 0) {
    return {};
  }
  std::string name;
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
    name = std::string(1, static_cast<char>(key));
  } else if (key >= 0x70 && key <= 0x87) {
    // Formatted, not concatenated: GCC 12 warns falsely about "F" + std::to_string(…).
    char function[8];
    std::snprintf(function, sizeof function, "F%u", key - 0x6Fu);
    name = function;
  } else {
    return {}; // keys without a printable name are still dispatched, just not shown
  }
  std::string text;
  if ((AShortCut & scShift) != 0) {
    text += "Shift+";
  }
  if ((AShortCut & scCtrl) != 0) {
    text += "Ctrl+";
  }
  if ((AShortCut & scAlt) != 0) {
    text += "Alt+";
  }
  return text + name;
}

} // namespace nyarumi

#include "assets/Component.h"

#include <algorithm>

namespace nyarumi {

TComponent::TComponent(TComponent* AOwner) : FOwner(AOwner) {
  if (FOwner != nullptr) {
    FOwner->FComponents.push_back(this);
  }
}

TComponent::~TComponent() {
  // Latest first, so a component never outlives one created before it by the same owner.
  while (!FComponents.empty()) {
    TComponent* last = FComponents.back();
    delete last; // its destructor removes it from FComponents
  }
  if (FOwner != nullptr) {
    auto& list = FOwner->FComponents;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

TComponent* TComponent::FindComponent(std::string_view AName) const {
  if (AName.empty()) {
    return nullptr;
  }
  for (TComponent* c : FComponents) {
    if (c->Name() == AName) {
      return c;
    }
  }
  return nullptr;
}

} // namespace nyarumi

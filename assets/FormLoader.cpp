#include "assets/FormLoader.h"

#include "assets/Messages.h"
#include "assets/Resources.h"
#include "assets/Values.h"
#include "common/Errors.h"

#include <cstdint>
#include <vector>

namespace nyarumi {
namespace {

// The owner of a property for error texts: a sub-object's class for dotted names, else the
// component's name, or its class when it has none.
struct TPropertySite {
  std::string Object;
  std::string Property;
};

TPropertySite SiteOf(const std::string& AOwner, const TClassInfo* AInfo,
                     std::string_view APropertyPath) {
  const auto dot = APropertyPath.rfind('.');
  if (AInfo != nullptr && dot != std::string_view::npos) {
    const auto sub = AInfo->SubObjects.find(APropertyPath.substr(0, dot));
    if (sub != AInfo->SubObjects.end()) {
      return {sub->second, std::string(APropertyPath.substr(dot + 1))};
    }
  }
  return {AOwner, std::string(APropertyPath)};
}

TPropertySite SiteOf(const TComponent& AComponent, const TClassInfo& AInfo,
                     std::string_view APropertyPath) {
  return SiteOf(AComponent.Name().empty() ? AInfo.Name : AComponent.Name(), &AInfo, APropertyPath);
}

// Rethrows AError with the property's site in front, keeping its type.
[[noreturn]] void RethrowAt(const TPropertySite& ASite, const Exception& AError) {
  const std::string text =
      FormatText(MSG_PROPERTY_ERROR, {ASite.Object, ".", ASite.Property, AError.what()});
  if (dynamic_cast<const EReadError*>(&AError) != nullptr) {
    throw EReadError(text);
  }
  throw Exception(text);
}

class TFormLoader final : public TLoadContext {
public:
  TFormLoader(TComponent& ARoot, const TClassRegistry& ARegistry)
      : FRoot(ARoot), FRegistry(ARegistry) {}

  void Load(const TComponentRecord& ARecord) {
    const TClassInfo& rootInfo = ClassOf(ARecord.ClassName);
    if (!ARecord.Name.empty()) {
      FRoot.SetName(ARecord.Name);
    }
    FCreated.push_back(&FRoot);
    ApplyProperties(FRoot, rootInfo, ARecord);
    for (const TComponentRecord& child : ARecord.Children) {
      LoadChild(child, FRoot);
    }
    ResolveReferences();
    for (TComponent* component : FCreated) {
      component->Loaded();
    }
  }

  TComponent& Root() override { return FRoot; }

  TNotifyEvent Method(std::string_view AName) override {
    TNotifyEvent handler = FRoot.MethodAddress(AName);
    if (!handler) {
      throw EReadError(MSG_INVALID_PROPERTY_VALUE);
    }
    return handler;
  }

  void ResolveLater(std::string AName, std::function<void(TComponent*)> AApply) override {
    FFixups.push_back(TFixup{std::move(AName), std::move(AApply), FCurrentSite});
  }

private:
  struct TFixup {
    std::string Name;
    std::function<void(TComponent*)> Apply;
    TPropertySite Site;
  };

  TComponent& FRoot;
  const TClassRegistry& FRegistry;
  std::vector<TComponent*> FCreated; // creation order, the root first
  std::vector<TFixup> FFixups;
  TPropertySite FCurrentSite;

  const TClassInfo& ClassOf(const std::string& AClassName) const {
    const TClassInfo* info = FRegistry.Find(AClassName);
    if (info == nullptr) {
      throw Exception(FormatText(MSG_CLASS_NOT_FOUND, {AClassName}));
    }
    return *info;
  }

  void LoadChild(const TComponentRecord& ARecord, TComponent& AParent) {
    const TClassInfo& info = ClassOf(ARecord.ClassName);
    TComponent* component = info.Create ? info.Create(&FRoot, &AParent) : nullptr;
    if (component == nullptr) { // a class that can only be a root
      throw Exception(FormatText(MSG_CLASS_NOT_FOUND, {ARecord.ClassName}));
    }
    FCreated.push_back(component);
    component->SetName(ARecord.Name);
    if (!ARecord.Name.empty()) {
      FRoot.BindField(ARecord.Name, component);
    }
    ApplyProperties(*component, info, ARecord);
    for (const TComponentRecord& child : ARecord.Children) {
      LoadChild(child, *component);
    }
  }

  void ApplyProperties(TComponent& ATarget, const TClassInfo& AInfo,
                       const TComponentRecord& ARecord) {
    for (const auto& [path, value] : ARecord.Properties) {
      FCurrentSite = SiteOf(ATarget, AInfo, path);
      try {
        const auto setter = AInfo.Properties.find(path);
        if (setter == AInfo.Properties.end() || !setter->second) {
          throw EReadError(MSG_UNKNOWN_PROPERTY);
        }
        setter->second(ATarget, value, *this);
      } catch (const Exception& e) {
        RethrowAt(FCurrentSite, e);
      }
    }
  }

  // A reference names a component of the same form, or the form itself.
  void ResolveReferences() {
    for (TFixup& fixup : FFixups) {
      TComponent* target = FRoot.FindComponent(fixup.Name);
      if (target == nullptr && !fixup.Name.empty() && fixup.Name == FRoot.Name()) {
        target = &FRoot;
      }
      try {
        if (target == nullptr) {
          throw EReadError(MSG_INVALID_PROPERTY_VALUE);
        }
        fixup.Apply(target);
      } catch (const Exception& e) {
        RethrowAt(fixup.Site, e);
      }
    }
  }
};

} // namespace

void LoadForm(TComponent& ARoot, const TComponentRecord& ARecord, const TClassRegistry& ARegistry) {
  TFormLoader(ARoot, ARegistry).Load(ARecord);
}

void ReadComponentResource(TComponent& ARoot, std::string_view AClassName,
                           const TClassRegistry& ARegistry) {
  const auto bytes = LookupResource(AClassName);
  if (bytes.empty()) {
    throw Exception(FormatText(MSG_RESOURCE_NOT_FOUND, {std::string(AClassName)}));
  }
  LoadFormStream(ARoot, bytes, ARegistry);
}

void LoadFormStream(TComponent& ARoot, std::span<const std::uint8_t> ABytes,
                    const TClassRegistry& ARegistry) {
  TComponentRecord tree;
  try {
    tree = ReadFormStreamInPlace(ABytes);
  } catch (const EPropertyValueError& e) {
    // The whole tree is read before any property is applied; a value that could not even be
    // decoded is still reported at its property.
    const std::string& owner = e.Name().empty() ? e.ClassName() : e.Name();
    RethrowAt(SiteOf(owner, ARegistry.Find(e.ClassName()), e.Property()), e);
  }
  TFormLoader(ARoot, ARegistry).Load(tree);
}

void AddDesignPosition(TClassInfo& AInfo) {
  AInfo.Properties["Left"] = [](TComponent& ATarget, const TValue& AValue, TLoadContext&) {
    ATarget.DesignInfo.Left = AsInteger(AValue);
  };
  AInfo.Properties["Top"] = [](TComponent& ATarget, const TValue& AValue, TLoadContext&) {
    ATarget.DesignInfo.Top = AsInteger(AValue);
  };
}

} // namespace nyarumi

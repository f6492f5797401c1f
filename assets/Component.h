#pragma once
// The non-visual component: an owner, a name and a design-time position. An owner destroys the
// components it owns, latest first; a component destroyed on its own leaves its owner's list.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace nyarumi {

class TComponent;

// An event handler: it takes the sending component, which handlers here do not use.
using TNotifyEvent = std::function<void(TComponent* Sender)>;

// Design-time position of a component that is not a control; it has no effect at run time.
struct TDesignInfo {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
};

class TComponent {
public:
  explicit TComponent(TComponent* AOwner);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return FOwner; }
  const std::string& Name() const { return FName; }
  void SetName(std::string AName) { FName = std::move(AName); }
  TDesignInfo DesignInfo;

  // Owned components in creation order.
  const std::vector<TComponent*>& Components() const { return FComponents; }
  TComponent* FindComponent(std::string_view AName) const;

  // Called by the form loader once the whole stream has been read, in creation order.
  virtual void Loaded() {}

  // A root binds a loaded component to its member of the same name; others ignore it.
  virtual void BindField(std::string_view /*AName*/, TComponent* /*AComponent*/) {}
  // A root gives the loader its handler methods by name; an empty result means "no such method".
  virtual TNotifyEvent MethodAddress(std::string_view /*AName*/) { return {}; }

private:
  TComponent* FOwner = nullptr;
  std::string FName;
  std::vector<TComponent*> FComponents;
};

} // namespace nyarumi

#pragma once
// What the form loader knows about each component class: how to create one and how to apply
// each property that a stream may set on it. The window layer and the program's own units
// register their classes here; the loader looks them up by the class name in the stream.
#include "assets/Component.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nyarumi {

// One property value as read from a stream. Strings are UTF-8 whatever tag stored them.
struct TValue {
  enum class Kind { Integer, String, Ident, False, True, Binary, Set };
  Kind Type = Kind::Integer;
  std::uint8_t Tag = 0; // the tag byte it was stored with
  std::int32_t Integer = 0;
  std::string Text;                // String: the text; Ident: the identifier
  std::vector<std::uint8_t> Bytes; // Binary: the payload, unless it is borrowed
  // Binary read for loading: the payload where it lies in the stream, which outlives the value.
  // Her frames would otherwise be copied once only to be decoded and dropped.
  std::span<const std::uint8_t> Borrowed;
  std::vector<std::string> Members; // Set: member identifiers in stream order
};

class TLoadContext;

// Applies one value to one component. It throws the invalid-value error when the value's kind
// does not suit the property.
using TPropertySetter = std::function<void(TComponent& Target, const TValue& Value,
                                           TLoadContext& Context)>;

struct TClassInfo {
  std::string Name; // "TImage"
  // Creates an instance owned by AOwner (the root). AParent is the component whose record
  // encloses this one (the root for top-level records): a control takes it as its parent, a
  // menu item joins it when it is a menu or a menu item. Empty for classes that are only
  // ever roots (forms), whose properties apply to an existing object.
  std::function<TComponent*(TComponent* AOwner, TComponent* AParent)> Create;
  // Property names as they appear in a stream, dotted for sub-objects ("Font.Name").
  std::map<std::string, TPropertySetter, std::less<>> Properties;
  // Class names of sub-objects, for error texts: {"Font", "TFont"}.
  std::map<std::string, std::string, std::less<>> SubObjects;
};

class TClassRegistry {
public:
  void Register(TClassInfo AInfo);
  const TClassInfo* Find(std::string_view AClassName) const;

private:
  std::map<std::string, TClassInfo, std::less<>> FClasses;
};

// What a setter may ask of the loader while a stream is read.
class TLoadContext {
public:
  virtual ~TLoadContext() = default;
  virtual TComponent& Root() = 0;
  // The root's handler of this name; throws the invalid-value error when it has none.
  virtual TNotifyEvent Method(std::string_view AName) = 0;
  // Runs AApply with the component of that name once the whole stream has been read.
  virtual void ResolveLater(std::string AName, std::function<void(TComponent*)> AApply) = 0;
};

} // namespace nyarumi

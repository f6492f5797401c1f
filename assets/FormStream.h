#pragma once
// A form stream as a tree of component records, read from bytes and written back. The loader
// turns a tree into live components through the class registry.
#include "assets/ClassRegistry.h"
#include "common/Errors.h"

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace nyarumi {

struct TComponentRecord {
  std::string ClassName;                                  // "TImage"
  std::string Name;                                       // may be empty
  std::vector<std::pair<std::string, TValue>> Properties; // stream order, dotted names kept
  std::vector<TComponentRecord> Children;
};

// Same classes, names, properties (in order, with equal values) and children, all the way down.
bool operator==(const TComponentRecord& A, const TComponentRecord& B);

// A property value that could not be decoded, with the record and property it belongs to.
// what() is the bare reason; the loader puts the property's site in front of it.
class EPropertyValueError final : public EReadError {
public:
  EPropertyValueError(const char* AReason, std::string AClassName, std::string AName,
                      std::string AProperty)
      : EReadError(AReason), FClassName(std::move(AClassName)), FName(std::move(AName)),
        FProperty(std::move(AProperty)) {}
  const std::string& ClassName() const { return FClassName; }
  const std::string& Name() const { return FName; }
  const std::string& Property() const { return FProperty; }

private:
  std::string FClassName;
  std::string FName;
  std::string FProperty;
};

// Checks the "TPF0" signature and reads the root record with all its children.
TComponentRecord ReadFormStream(std::span<const std::uint8_t> ABytes);
// The same, but binary values borrow their payloads from ABytes, which must outlive the tree.
TComponentRecord ReadFormStreamInPlace(std::span<const std::uint8_t> ABytes);

// Integers take the smallest tag that holds them; strings take tag 6 when plain ASCII, 18 when
// UTF-16 is shorter than UTF-8, 20 otherwise. Used by the tools only.
std::vector<std::uint8_t> WriteFormStream(const TComponentRecord& ARoot);

} // namespace nyarumi

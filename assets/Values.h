#pragma once
// Building property values (for writers) and taking them apart by kind (for property setters).
// The As* helpers raise the invalid-value error when the value's kind does not suit.
#include "assets/ClassRegistry.h"
#include "assets/Stream.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace nyarumi {

// Tag 0 lets the writer choose; a valid tag for the kind is kept as it is.
TValue IntegerValue(std::int32_t AValue, std::uint8_t ATag = 0);
TValue StringValue(std::string AText, std::uint8_t ATag = 0);
TValue IdentValue(std::string AIdent);
TValue BoolValue(bool AValue);
TValue BinaryValue(std::vector<std::uint8_t> ABytes);
TValue SetValue(std::vector<std::string> AMembers);

std::int32_t AsInteger(const TValue& AValue);
const std::string& AsString(const TValue& AValue);
bool AsBool(const TValue& AValue);
const std::string& AsIdent(const TValue& AValue);
const std::vector<std::string>& AsSet(const TValue& AValue);
std::span<const std::uint8_t> AsBinary(const TValue& AValue);
// The binary payload as a fresh stream positioned at 0, as custom property readers take it.
TMemoryStream AsBinaryStream(const TValue& AValue);

// Whether ATag is one that stores a value of AKind.
bool IsTagOfKind(TValue::Kind AKind, std::uint8_t ATag);

bool operator==(const TValue& A, const TValue& B);

} // namespace nyarumi

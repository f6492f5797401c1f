#include "assets/Values.h"

#include "assets/Messages.h"
#include "common/Errors.h"

#include <algorithm>

namespace nyarumi {
namespace {

void RequireKind(const TValue& AValue, TValue::Kind AKind) {
  if (AValue.Type != AKind) {
    throw EReadError(MSG_INVALID_PROPERTY_VALUE);
  }
}

// A borrowed payload and an owned one with the same bytes are the same value.
std::span<const std::uint8_t> Payload(const TValue& AValue) {
  return AValue.Borrowed.empty() ? std::span<const std::uint8_t>(AValue.Bytes) : AValue.Borrowed;
}

} // namespace

TValue IntegerValue(std::int32_t AValue, std::uint8_t ATag) {
  TValue v;
  v.Type = TValue::Kind::Integer;
  v.Integer = AValue;
  v.Tag = ATag;
  return v;
}

TValue StringValue(std::string AText, std::uint8_t ATag) {
  TValue v;
  v.Type = TValue::Kind::String;
  v.Text = std::move(AText);
  v.Tag = ATag;
  return v;
}

TValue IdentValue(std::string AIdent) {
  TValue v;
  v.Type = TValue::Kind::Ident;
  v.Text = std::move(AIdent);
  v.Tag = 7;
  return v;
}

TValue BoolValue(bool AValue) {
  TValue v;
  v.Type = AValue ? TValue::Kind::True : TValue::Kind::False;
  v.Tag = AValue ? 9 : 8;
  return v;
}

TValue BinaryValue(std::vector<std::uint8_t> ABytes) {
  TValue v;
  v.Type = TValue::Kind::Binary;
  v.Bytes = std::move(ABytes);
  v.Tag = 10;
  return v;
}

TValue SetValue(std::vector<std::string> AMembers) {
  TValue v;
  v.Type = TValue::Kind::Set;
  v.Members = std::move(AMembers);
  v.Tag = 11;
  return v;
}

std::int32_t AsInteger(const TValue& AValue) {
  RequireKind(AValue, TValue::Kind::Integer);
  return AValue.Integer;
}

const std::string& AsString(const TValue& AValue) {
  RequireKind(AValue, TValue::Kind::String);
  return AValue.Text;
}

bool AsBool(const TValue& AValue) {
  if (AValue.Type == TValue::Kind::True) {
    return true;
  }
  RequireKind(AValue, TValue::Kind::False);
  return false;
}

const std::string& AsIdent(const TValue& AValue) {
  RequireKind(AValue, TValue::Kind::Ident);
  return AValue.Text;
}

const std::vector<std::string>& AsSet(const TValue& AValue) {
  RequireKind(AValue, TValue::Kind::Set);
  return AValue.Members;
}

std::span<const std::uint8_t> AsBinary(const TValue& AValue) {
  RequireKind(AValue, TValue::Kind::Binary);
  return Payload(AValue);
}

TMemoryStream AsBinaryStream(const TValue& AValue) {
  return TMemoryStream(AsBinary(AValue));
}

bool IsTagOfKind(TValue::Kind AKind, std::uint8_t ATag) {
  switch (AKind) {
  case TValue::Kind::Integer:
    return ATag == 2 || ATag == 3 || ATag == 4;
  case TValue::Kind::String:
    return ATag == 6 || ATag == 12 || ATag == 18 || ATag == 20;
  case TValue::Kind::Ident:
    return ATag == 7;
  case TValue::Kind::False:
    return ATag == 8;
  case TValue::Kind::True:
    return ATag == 9;
  case TValue::Kind::Binary:
    return ATag == 10;
  case TValue::Kind::Set:
    return ATag == 11;
  }
  return false;
}

bool operator==(const TValue& A, const TValue& B) {
  return A.Type == B.Type && A.Tag == B.Tag && A.Integer == B.Integer && A.Text == B.Text &&
         std::ranges::equal(Payload(A), Payload(B)) && A.Members == B.Members;
}

} // namespace nyarumi

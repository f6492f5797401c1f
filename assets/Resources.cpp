#include "assets/Resources.h"

namespace nyarumi {
namespace {

// The list only grows, and only while static objects are constructed before main runs.
const TResourceRegistration*& Head() {
  static const TResourceRegistration* head = nullptr;
  return head;
}

bool SameName(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) {
    return false;
  }
  auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  for (std::size_t i = 0; i < A.size(); ++i) {
    if (upper(A[i]) != upper(B[i])) {
      return false;
    }
  }
  return true;
}

} // namespace

TResourceRegistration::TResourceRegistration(std::string_view AName,
                                             std::span<const std::uint8_t> ABytes)
    : FName(AName), FBytes(ABytes), FNext(Head()) {
  Head() = this;
}

std::span<const std::uint8_t> LookupResource(std::string_view AName) {
  for (const TResourceRegistration* r = Head(); r != nullptr; r = r->FNext) {
    if (SameName(r->FName, AName)) {
      return r->FBytes;
    }
  }
  return {};
}

} // namespace nyarumi

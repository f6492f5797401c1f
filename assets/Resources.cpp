#include "assets/Resources.h"

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <cstdint>

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

void ReleaseResourcePages() {
#if defined(__linux__)
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  for (const TResourceRegistration* r = Head(); r != nullptr; r = r->FNext) {
    const auto begin = reinterpret_cast<std::uintptr_t>(r->FBytes.data());
    const std::uintptr_t first = (begin + page - 1) / page * page;
    const std::uintptr_t last = (begin + r->FBytes.size()) / page * page;
    if (last > first) {
      // Whole pages of constant bytes only: never written, so dropping them loses nothing. A
      // failure just leaves them where they are.
      madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
    }
  }
#endif
}

} // namespace nyarumi

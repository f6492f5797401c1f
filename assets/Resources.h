#pragma once
// Byte blobs built into the program, looked up by name. Each embedded file registers itself
// while the program starts (see cmake/EmbedResource.cmake), so a lookup sees every resource
// that was linked in.
#include <cstdint>
#include <span>
#include <string_view>

namespace nyarumi {

// The bytes of the resource of that name, compared without regard to ASCII case; empty when no
// such resource was linked in. Embedded files are never empty.
std::span<const std::uint8_t> LookupResource(std::string_view AName);

// Gives back the memory pages that hold nothing but embedded bytes: once the windows are built
// nobody reads them, and a later read still works, the system reading them back from the
// program file. Does nothing where the system has no such way.
void ReleaseResourcePages();

// Created by the generated sources as static objects, one per embedded file; it links itself
// into the list that LookupResource searches. Never create one elsewhere.
class TResourceRegistration {
public:
  TResourceRegistration(std::string_view AName, std::span<const std::uint8_t> ABytes);
  TResourceRegistration(const TResourceRegistration&) = delete;
  TResourceRegistration& operator=(const TResourceRegistration&) = delete;

private:
  friend std::span<const std::uint8_t> LookupResource(std::string_view);
  friend void ReleaseResourcePages();
  std::string_view FName;
  std::span<const std::uint8_t> FBytes;
  const TResourceRegistration* FNext = nullptr;
};

} // namespace nyarumi

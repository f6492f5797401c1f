#pragma once
// A growable in-memory byte stream with a read/write position, as region holders keep their
// embedded bytes and as binary property payloads are handed to their readers.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace nyarumi {

enum class TSeekOrigin { Beginning, Current, End };

class TMemoryStream {
public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::span<const std::uint8_t> ABytes)
      : FData(ABytes.begin(), ABytes.end()) {}

  std::span<const std::uint8_t> Bytes() const { return FData; }
  std::size_t Size() const { return FData.size(); }
  std::size_t Position() const { return FPosition; }
  // Positions past the end are allowed; a later write fills the gap with zeros.
  void SetPosition(std::size_t APosition) { FPosition = APosition; }

  // Copies up to ABuffer.size() bytes from the position; returns how many were copied.
  std::size_t Read(std::span<std::uint8_t> ABuffer);
  // Copies exactly ABuffer.size() bytes or raises the read error without moving.
  void ReadBuffer(std::span<std::uint8_t> ABuffer);
  std::int32_t ReadInt32();
  void Write(std::span<const std::uint8_t> ABytes);
  void WriteInt32(std::int32_t AValue);
  // Returns the new position; a target before the start raises the read error.
  std::size_t Seek(std::int64_t AOffset, TSeekOrigin AOrigin);
  void Clear();

private:
  std::vector<std::uint8_t> FData;
  std::size_t FPosition = 0;
};

} // namespace nyarumi

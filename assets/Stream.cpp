#include "assets/Stream.h"

#include "assets/Messages.h"
#include "common/Errors.h"

#include <algorithm>
#include <array>
#include <limits>

namespace nyarumi {

std::size_t TMemoryStream::Read(std::span<std::uint8_t> ABuffer) {
  if (FPosition >= FData.size()) {
    return 0;
  }
  const std::size_t count = std::min(ABuffer.size(), FData.size() - FPosition);
  std::copy_n(FData.begin() + static_cast<std::ptrdiff_t>(FPosition), count, ABuffer.begin());
  FPosition += count;
  return count;
}

void TMemoryStream::ReadBuffer(std::span<std::uint8_t> ABuffer) {
  if (FPosition > FData.size() || FData.size() - FPosition < ABuffer.size()) {
    throw EReadError(MSG_READ_ERROR);
  }
  Read(ABuffer);
}

std::int32_t TMemoryStream::ReadInt32() {
  std::array<std::uint8_t, 4> b{};
  ReadBuffer(b);
  const std::uint32_t u = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                          static_cast<std::uint32_t>(b[2]) << 16 |
                          static_cast<std::uint32_t>(b[3]) << 24;
  return static_cast<std::int32_t>(u);
}

void TMemoryStream::Write(std::span<const std::uint8_t> ABytes) {
  if (ABytes.empty()) {
    return;
  }
  const std::size_t end = FPosition + ABytes.size();
  if (end > FData.size()) {
    FData.resize(end);
  }
  std::copy(ABytes.begin(), ABytes.end(), FData.begin() + static_cast<std::ptrdiff_t>(FPosition));
  FPosition = end;
}

void TMemoryStream::WriteInt32(std::int32_t AValue) {
  const auto u = static_cast<std::uint32_t>(AValue);
  const std::array<std::uint8_t, 4> b{
      static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
      static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
  Write(b);
}

std::size_t TMemoryStream::Seek(std::int64_t AOffset, TSeekOrigin AOrigin) {
  std::int64_t base = 0;
  switch (AOrigin) {
  case TSeekOrigin::Beginning:
    base = 0;
    break;
  case TSeekOrigin::Current:
    base = static_cast<std::int64_t>(FPosition);
    break;
  case TSeekOrigin::End:
    base = static_cast<std::int64_t>(FData.size());
    break;
  }
  // Both operands are far below the limits of int64 for any stream that fits in memory, except
  // an offset near the extremes; reject those rather than overflow.
  if ((AOffset > 0 && base > std::numeric_limits<std::int64_t>::max() - AOffset) ||
      base + AOffset < 0) {
    throw EReadError(MSG_READ_ERROR);
  }
  FPosition = static_cast<std::size_t>(base + AOffset);
  return FPosition;
}

void TMemoryStream::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  FPosition = 0;
}

} // namespace nyarumi

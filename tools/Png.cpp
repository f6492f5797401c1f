#include "tools/Png.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string_view>

namespace nyarumi::art {
namespace {

void PutBE32(std::vector<std::uint8_t>& AOut, std::uint32_t AValue) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    AOut.push_back(static_cast<std::uint8_t>(AValue >> shift));
  }
}

void PutChunk(std::vector<std::uint8_t>& AOut, std::string_view AType,
              std::span<const std::uint8_t> AData) {
  PutBE32(AOut, static_cast<std::uint32_t>(AData.size()));
  const std::size_t start = AOut.size();
  AOut.insert(AOut.end(), AType.begin(), AType.end());
  AOut.insert(AOut.end(), AData.begin(), AData.end());
  PutBE32(AOut, Crc32(std::span(AOut).subspan(start)));
}

} // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> ABytes) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) {
        c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      }
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::uint8_t b : ABytes) {
    c = table[(c ^ b) & 0xFF] ^ (c >> 8);
  }
  return c ^ 0xFFFFFFFFu;
}

std::uint32_t Adler32(std::span<const std::uint8_t> ABytes) {
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (std::uint8_t v : ABytes) {
    a = (a + v) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

namespace {

// AColorType is 2 (RGB) or 6 (RGBA); AChannels the bytes per pixel that goes with it.
std::vector<std::uint8_t> Encode(std::int32_t AWidth, std::int32_t AHeight,
                                 std::span<const std::uint8_t> ARgb, std::uint8_t AColorType,
                                 std::size_t AChannels) {
  if (AWidth <= 0 || AHeight <= 0 ||
      ARgb.size() !=
          static_cast<std::size_t>(AWidth) * static_cast<std::size_t>(AHeight) * AChannels) {
    throw std::invalid_argument("EncodePng: pixel count does not match the size");
  }
  // Each row starts with filter type 0.
  const std::size_t stride = static_cast<std::size_t>(AWidth) * AChannels;
  std::vector<std::uint8_t> raw;
  raw.reserve((stride + 1) * static_cast<std::size_t>(AHeight));
  for (std::int32_t y = 0; y < AHeight; ++y) {
    raw.push_back(0);
    const auto row = ARgb.subspan(static_cast<std::size_t>(y) * stride, stride);
    raw.insert(raw.end(), row.begin(), row.end());
  }
  std::vector<std::uint8_t> z{0x78, 0x01};
  for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
    const std::size_t len = std::min<std::size_t>(65535, raw.size() - at);
    const bool last = at + len >= raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(static_cast<std::uint8_t>(len));
    z.push_back(static_cast<std::uint8_t>(len >> 8));
    z.push_back(static_cast<std::uint8_t>(~len));
    z.push_back(static_cast<std::uint8_t>(~len >> 8));
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
             raw.begin() + static_cast<std::ptrdiff_t>(at + len));
    if (last) {
      break;
    }
  }
  PutBE32(z, Adler32(raw));

  std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> ihdr;
  PutBE32(ihdr, static_cast<std::uint32_t>(AWidth));
  PutBE32(ihdr, static_cast<std::uint32_t>(AHeight));
  // 8 bits, the colour type, deflate, no filter choice, no interlace
  ihdr.insert(ihdr.end(), {8, AColorType, 0, 0, 0});
  PutChunk(out, "IHDR", ihdr);
  PutChunk(out, "IDAT", z);
  PutChunk(out, "IEND", {});
  return out;
}

} // namespace

std::vector<std::uint8_t> EncodePng(std::int32_t AWidth, std::int32_t AHeight,
                                    std::span<const std::uint8_t> ARgb) {
  return Encode(AWidth, AHeight, ARgb, 2, 3);
}

std::vector<std::uint8_t> EncodePngRgba(std::int32_t AWidth, std::int32_t AHeight,
                                        std::span<const std::uint8_t> ARgba) {
  return Encode(AWidth, AHeight, ARgba, 6, 4);
}

} // namespace nyarumi::art

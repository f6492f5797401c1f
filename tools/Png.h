#pragma once
// A minimal PNG writer for contact sheets and icons: 8-bit RGB or RGBA, stored (uncompressed)
// deflate blocks.
#include <cstdint>
#include <span>
#include <vector>

namespace nyarumi::art {

// ARgb holds AWidth × AHeight pixels of three bytes each, top row first.
std::vector<std::uint8_t> EncodePng(std::int32_t AWidth, std::int32_t AHeight,
                                    std::span<const std::uint8_t> ARgb);
// ARgba holds four bytes per pixel, alpha last and not premultiplied.
std::vector<std::uint8_t> EncodePngRgba(std::int32_t AWidth, std::int32_t AHeight,
                                        std::span<const std::uint8_t> ARgba);

std::uint32_t Crc32(std::span<const std::uint8_t> ABytes);
std::uint32_t Adler32(std::span<const std::uint8_t> ABytes);

} // namespace nyarumi::art

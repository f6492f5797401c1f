#include "assets/Bitmap.h"

#include "assets/Messages.h"
#include "common/Errors.h"

#include <limits>
#include <string_view>

namespace nyarumi {
namespace {

constexpr std::size_t FILE_HEADER_SIZE = 14;
constexpr std::size_t INFO_HEADER_SIZE = 40;
constexpr std::int32_t PIXELS_PER_METRE = 11808;
constexpr std::string_view PICTURE_CLASS = "TBitmap";

std::uint32_t U32(std::span<const std::uint8_t> ABytes, std::size_t AOffset) {
  return static_cast<std::uint32_t>(ABytes[AOffset]) |
         static_cast<std::uint32_t>(ABytes[AOffset + 1]) << 8 |
         static_cast<std::uint32_t>(ABytes[AOffset + 2]) << 16 |
         static_cast<std::uint32_t>(ABytes[AOffset + 3]) << 24;
}

std::uint16_t U16(std::span<const std::uint8_t> ABytes, std::size_t AOffset) {
  return static_cast<std::uint16_t>(ABytes[AOffset] | ABytes[AOffset + 1] << 8);
}

void Put32(std::vector<std::uint8_t>& AOut, std::uint32_t AValue) {
  for (int i = 0; i < 4; ++i) {
    AOut.push_back(static_cast<std::uint8_t>(AValue >> (8 * i)));
  }
}

void Put16(std::vector<std::uint8_t>& AOut, std::uint16_t AValue) {
  AOut.push_back(static_cast<std::uint8_t>(AValue));
  AOut.push_back(static_cast<std::uint8_t>(AValue >> 8));
}

// Without an early exit, so the compiler can test many pixels at a time: testing each pixel in
// turn took almost half of her start-up.
std::uint8_t HighestIndex(std::span<const std::uint8_t> APixels) {
  std::uint8_t highest = 0;
  for (const std::uint8_t index : APixels) {
    highest = index > highest ? index : highest;
  }
  return highest;
}

[[noreturn]] void Invalid() {
  throw Exception(MSG_INVALID_BITMAP);
}

void Check(bool ACondition) {
  if (!ACondition) {
    Invalid();
  }
}

std::uint64_t RowStride(std::uint64_t AWidth) {
  return (AWidth + 3) / 4 * 4;
}

} // namespace

TBitmap8 DecodeBitmapFile(std::span<const std::uint8_t> AFile) {
  Check(AFile.size() >= FILE_HEADER_SIZE + INFO_HEADER_SIZE);
  Check(AFile[0] == 'B' && AFile[1] == 'M');
  const std::uint64_t pixelOffset = U32(AFile, 10);
  const std::uint64_t infoSize = U32(AFile, 14);
  // Later header versions extend the 40-byte one; their extra fields do not matter at 8 bits.
  Check(infoSize >= INFO_HEADER_SIZE && FILE_HEADER_SIZE + infoSize <= AFile.size());
  const auto width = static_cast<std::int32_t>(U32(AFile, 18));
  const auto height = static_cast<std::int32_t>(U32(AFile, 22));
  const std::uint16_t planes = U16(AFile, 26);
  const std::uint16_t bits = U16(AFile, 28);
  const std::uint32_t compression = U32(AFile, 30);
  const std::uint64_t coloursUsed = U32(AFile, 46);
  Check(planes == 1 && bits == 8 && compression == 0);
  Check(width > 0 && height != 0 && height != std::numeric_limits<std::int32_t>::min());
  const bool bottomUp = height > 0;
  const std::uint64_t rows = bottomUp ? height : -static_cast<std::int64_t>(height);
  const std::uint64_t paletteSize = coloursUsed == 0 ? 256 : coloursUsed;
  Check(paletteSize <= 256);
  const std::uint64_t paletteOffset = FILE_HEADER_SIZE + infoSize;
  Check(paletteOffset + 4 * paletteSize <= pixelOffset);
  // Width and rows are below 2^31, so the product stays far inside 64 bits.
  const std::uint64_t stride = RowStride(static_cast<std::uint64_t>(width));
  const std::uint64_t imageSize = stride * rows;
  Check(pixelOffset <= AFile.size() && imageSize <= AFile.size() - pixelOffset);

  TBitmap8 picture;
  picture.Width = width;
  picture.Height = static_cast<std::int32_t>(rows);
  picture.Palette.reserve(static_cast<std::size_t>(paletteSize));
  for (std::uint64_t i = 0; i < paletteSize; ++i) {
    const std::size_t at = static_cast<std::size_t>(paletteOffset + 4 * i);
    picture.Palette.push_back(TPaletteEntry{AFile[at + 2], AFile[at + 1], AFile[at]});
  }
  // Appended row by row rather than sized first, which would zero every pixel only to
  // overwrite it.
  picture.Pixels.reserve(static_cast<std::size_t>(static_cast<std::uint64_t>(width) * rows));
  for (std::uint64_t y = 0; y < rows; ++y) {
    const std::uint64_t stored = bottomUp ? rows - 1 - y : y;
    const auto source = AFile.subspan(static_cast<std::size_t>(pixelOffset + stored * stride),
                                      static_cast<std::size_t>(width));
    picture.Pixels.insert(picture.Pixels.end(), source.begin(), source.end());
  }
  if (paletteSize < 256) { // with a full palette every index names a colour
    Check(HighestIndex(picture.Pixels) < paletteSize);
  }
  return picture;
}

std::vector<std::uint8_t> EncodeBitmapFile(const TBitmap8& APicture) {
  Check(APicture.Width > 0 && APicture.Height > 0);
  Check(!APicture.Palette.empty() && APicture.Palette.size() <= 256);
  const std::uint64_t width = static_cast<std::uint64_t>(APicture.Width);
  const std::uint64_t rows = static_cast<std::uint64_t>(APicture.Height);
  Check(APicture.Pixels.size() == width * rows);
  const std::uint64_t stride = RowStride(width);
  const std::uint64_t pixelOffset =
      FILE_HEADER_SIZE + INFO_HEADER_SIZE + 4 * APicture.Palette.size();
  const std::uint64_t imageSize = stride * rows;
  const std::uint64_t fileSize = pixelOffset + imageSize;
  Check(fileSize <= std::numeric_limits<std::int32_t>::max());

  std::vector<std::uint8_t> out;
  out.reserve(static_cast<std::size_t>(fileSize));
  out.push_back('B');
  out.push_back('M');
  Put32(out, static_cast<std::uint32_t>(fileSize));
  Put32(out, 0); // two reserved words
  Put32(out, static_cast<std::uint32_t>(pixelOffset));
  Put32(out, INFO_HEADER_SIZE);
  Put32(out, static_cast<std::uint32_t>(APicture.Width));
  Put32(out, static_cast<std::uint32_t>(APicture.Height));
  Put16(out, 1); // planes
  Put16(out, 8); // bits per pixel
  Put32(out, 0); // uncompressed
  Put32(out, static_cast<std::uint32_t>(imageSize));
  Put32(out, PIXELS_PER_METRE);
  Put32(out, PIXELS_PER_METRE);
  Put32(out, static_cast<std::uint32_t>(APicture.Palette.size())); // colours used
  Put32(out, static_cast<std::uint32_t>(APicture.Palette.size())); // important colours
  for (const TPaletteEntry& e : APicture.Palette) {
    out.insert(out.end(), {e.Blue, e.Green, e.Red, 0});
  }
  for (std::uint64_t y = rows; y-- > 0;) {
    const auto row = APicture.Pixels.begin() + static_cast<std::ptrdiff_t>(y * width);
    out.insert(out.end(), row, row + static_cast<std::ptrdiff_t>(width));
    out.insert(out.end(), static_cast<std::size_t>(stride - width), 0);
  }
  return out;
}

std::optional<TBitmap8> ReadPictureValue(std::span<const std::uint8_t> AValue) {
  auto need = [&](std::uint64_t AOffset, std::uint64_t ACount) {
    if (AOffset > AValue.size() || ACount > AValue.size() - AOffset) {
      throw EReadError(MSG_READ_ERROR);
    }
  };
  need(0, 1);
  const std::size_t nameLength = AValue[0];
  need(1, nameLength);
  const std::string_view className(reinterpret_cast<const char*>(AValue.data() + 1), nameLength);
  if (className != PICTURE_CLASS) {
    return std::nullopt;
  }
  need(1 + nameLength, 4);
  const std::uint32_t count = U32(AValue, 1 + nameLength);
  if (count == 0) {
    return TBitmap8{};
  }
  const std::size_t fileOffset = 1 + nameLength + 4;
  need(fileOffset, count);
  const auto file = AValue.subspan(fileOffset, count);
  // The signature is checked before anything else, as the loader reads it first.
  Check(file.size() >= 2 && file[0] == 'B' && file[1] == 'M');
  return DecodeBitmapFile(file);
}

std::vector<std::uint8_t> EncodePictureValue(const TBitmap8& APicture) {
  const std::vector<std::uint8_t> file = EncodeBitmapFile(APicture);
  std::vector<std::uint8_t> out;
  out.reserve(1 + PICTURE_CLASS.size() + 4 + file.size());
  out.push_back(static_cast<std::uint8_t>(PICTURE_CLASS.size()));
  out.insert(out.end(), PICTURE_CLASS.begin(), PICTURE_CLASS.end());
  Put32(out, static_cast<std::uint32_t>(file.size()));
  out.insert(out.end(), file.begin(), file.end());
  return out;
}

} // namespace nyarumi

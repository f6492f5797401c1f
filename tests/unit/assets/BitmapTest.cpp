#include "assets/Bitmap.h"

#include "TestBytes.h"
#include "assets/Messages.h"
#include "common/Errors.h"

#include <gtest/gtest.h>

#include <functional>

namespace nyarumi {
namespace {

std::uint32_t U32At(const std::vector<std::uint8_t>& ABytes, std::size_t AOffset) {
  return ABytes[AOffset] | ABytes[AOffset + 1] << 8 | ABytes[AOffset + 2] << 16 |
         static_cast<std::uint32_t>(ABytes[AOffset + 3]) << 24;
}

void SetU32(std::vector<std::uint8_t>& ABytes, std::size_t AOffset, std::uint32_t AValue) {
  for (int i = 0; i < 4; ++i) {
    ABytes[AOffset + i] = static_cast<std::uint8_t>(AValue >> (8 * i));
  }
}

TBitmap8 Frame(std::int32_t AWidth, std::int32_t AHeight, std::size_t APalette) {
  TBitmap8 b;
  b.Width = AWidth;
  b.Height = AHeight;
  for (std::size_t i = 0; i < APalette; ++i) {
    b.Palette.push_back(TPaletteEntry{static_cast<std::uint8_t>(i),
                                      static_cast<std::uint8_t>(2 * i),
                                      static_cast<std::uint8_t>(255 - i)});
  }
  for (std::int32_t y = 0; y < AHeight; ++y) {
    for (std::int32_t x = 0; x < AWidth; ++x) {
      b.Pixels.push_back(static_cast<std::uint8_t>((x * 7 + y * 3) % APalette));
    }
  }
  return b;
}

bool Same(const TBitmap8& A, const TBitmap8& B) {
  return A.Width == B.Width && A.Height == B.Height && A.Palette == B.Palette &&
         A.Pixels == B.Pixels;
}

TEST(BitmapFile, AFrameIsWrittenWithTheCatalogueHeaderValues) {
  const auto file = EncodeBitmapFile(Frame(88, 154, 121));
  ASSERT_EQ(file.size(), 14090u);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  const std::vector<std::pair<std::size_t, std::uint32_t>> fields = {
      {2, 14090}, {6, 0},      {10, 538},   {14, 40},    {18, 88},  {22, 154},
      {30, 0},    {34, 13552}, {38, 11808}, {42, 11808}, {46, 121}, {50, 121}};
  for (const auto& [offset, value] : fields) {
    EXPECT_EQ(U32At(file, offset), value) << offset;
  }
  EXPECT_EQ(file[26] | file[27] << 8, 1);
  EXPECT_EQ(file[28] | file[29] << 8, 8);
  // Palette entries are blue, green, red, 0; the first stored row is the bottom one.
  EXPECT_EQ(file[54 + 4 * 3 + 0], 255 - 3);
  EXPECT_EQ(file[54 + 4 * 3 + 2], 3);
  EXPECT_EQ(file[54 + 4 * 3 + 3], 0);
  EXPECT_EQ(file[538 + 5], Frame(88, 154, 121).At(5, 153));
}

TEST(BitmapFile, RoundTripsWithRowPaddingAndReadsTopDownRows) {
  const TBitmap8 odd = Frame(5, 3, 7);
  auto file = EncodeBitmapFile(odd);
  EXPECT_EQ(file.size(), 14u + 40 + 28 + 8 * 3);
  EXPECT_TRUE(Same(DecodeBitmapFile(file), odd));

  // Flip the stored rows and negate the height: the same picture stored top row first.
  auto topDown = file;
  const std::size_t pixels = U32At(file, 10);
  for (std::size_t row = 0; row < 3; ++row) {
    std::copy_n(file.begin() + pixels + (2 - row) * 8, 8, topDown.begin() + pixels + row * 8);
  }
  SetU32(topDown, 22, static_cast<std::uint32_t>(-3));
  EXPECT_TRUE(Same(DecodeBitmapFile(topDown), odd));
}

TEST(BitmapFile, AZeroColoursUsedFieldMeansAFullPalette) {
  auto file = EncodeBitmapFile(Frame(4, 1, 256));
  SetU32(file, 46, 0);
  EXPECT_EQ(DecodeBitmapFile(file).Palette.size(), 256u);
}

TEST(BitmapFile, RejectsEveryBrokenHeaderField) {
  const auto good = EncodeBitmapFile(Frame(6, 4, 10));
  const std::vector<std::pair<const char*, std::function<void(std::vector<std::uint8_t>&)>>>
      breaks = {
          {"signature", [](auto& f) { f[1] = 'A'; }},
          {"info size", [](auto& f) { SetU32(f, 14, 12); }},
          {"info size beyond the file", [](auto& f) { SetU32(f, 14, 0x7FFFFFF0); }},
          {"zero width", [](auto& f) { SetU32(f, 18, 0); }},
          {"negative width", [](auto& f) { SetU32(f, 18, static_cast<std::uint32_t>(-6)); }},
          {"huge width", [](auto& f) { SetU32(f, 18, 0x7FFFFFFF); }},
          {"zero height", [](auto& f) { SetU32(f, 22, 0); }},
          {"most negative height", [](auto& f) { SetU32(f, 22, 0x80000000u); }},
          {"huge height", [](auto& f) { SetU32(f, 22, 0x7FFFFFFF); }},
          {"planes", [](auto& f) { f[26] = 2; }},
          {"4 bits", [](auto& f) { f[28] = 4; }},
          {"24 bits", [](auto& f) { f[28] = 24; }},
          {"run-length compression", [](auto& f) { SetU32(f, 30, 1); }},
          {"palette over 256", [](auto& f) { SetU32(f, 46, 257); }},
          {"palette past the pixels", [](auto& f) { SetU32(f, 46, 200); }},
          {"pixel offset inside the palette", [](auto& f) { SetU32(f, 10, 60); }},
          {"pixel offset past the end", [](auto& f) { SetU32(f, 10, 0xFFFFFFFF); }},
          {"truncated pixels", [](auto& f) { f.pop_back(); }},
          {"index outside the palette", [](auto& f) { f[U32At(f, 10)] = 10; }},
          // The last pixel stored: rows of 6 are padded to 8.
          {"last index outside the palette", [](auto& f) { f[U32At(f, 10) + 3 * 8 + 5] = 255; }},
          {"header only", [](auto& f) { f.resize(30); }},
      };
  for (const auto& [label, breakIt] : breaks) {
    auto file = good;
    breakIt(file);
    try {
      DecodeBitmapFile(file);
      ADD_FAILURE() << label << ": accepted";
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), MSG_INVALID_BITMAP) << label;
    }
  }
}

TEST(PictureValue, ReadsWhatTheEncoderWrites) {
  const TBitmap8 frame = Frame(88, 154, 121);
  const auto value = EncodePictureValue(frame);
  ASSERT_EQ(value.size(), 14102u);
  EXPECT_EQ(U32At(value, 8), 14090u);
  const auto back = ReadPictureValue(value);
  ASSERT_TRUE(back.has_value());
  EXPECT_TRUE(Same(*back, frame));
}

TEST(PictureValue, UnknownClassGivesNoPictureAndZeroCountAnEmptyBitmap) {
  EXPECT_FALSE(
      ReadPictureValue(test::TBytes().Short("TMetafile").U32(3).Raw({1, 2, 3}).Get()).has_value());
  const auto empty = ReadPictureValue(test::TBytes().Short("TBitmap").U32(0).Get());
  ASSERT_TRUE(empty.has_value());
  EXPECT_EQ(empty->Width, 0);
  EXPECT_TRUE(empty->Pixels.empty());
}

TEST(PictureValue, AFileWithoutBMIsAnInvalidBitmapAndAShortValueAReadError) {
  try {
    ReadPictureValue(test::TBytes().Short("TBitmap").U32(4).Text("PNG!").Get());
    ADD_FAILURE();
  } catch (const EReadError&) {
    ADD_FAILURE() << "not a read error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), MSG_INVALID_BITMAP);
  }
  const auto value = EncodePictureValue(Frame(3, 3, 4));
  for (std::size_t n = 0; n < value.size(); ++n) {
    const std::vector<std::uint8_t> cut(value.begin(),
                                        value.begin() + static_cast<std::ptrdiff_t>(n));
    try {
      ReadPictureValue(cut);
      ADD_FAILURE() << "cut at " << n;
    } catch (const EReadError& e) {
      EXPECT_STREQ(e.what(), MSG_READ_ERROR) << n;
    }
  }
}

} // namespace
} // namespace nyarumi

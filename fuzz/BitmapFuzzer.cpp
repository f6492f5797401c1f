// Feeds arbitrary bytes to the bitmap decoder: as a bitmap file when they start with "BM",
// otherwise as an image's picture value. A rejected input must carry a fixed message; a decoded
// picture must be self-consistent and come back unchanged through the encoder.
#include "assets/Bitmap.h"
#include "assets/Messages.h"
#include "common/Errors.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace nyarumi::fuzz {
namespace {

bool SamePicture(const TBitmap8& A, const TBitmap8& B) {
  return A.Width == B.Width && A.Height == B.Height && A.Palette == B.Palette &&
         A.Pixels == B.Pixels;
}

void CheckDecoded(const TBitmap8& APicture) {
  FUZZ_CHECK(APicture.Width > 0 && APicture.Height > 0);
  FUZZ_CHECK(APicture.Pixels.size() ==
             static_cast<std::size_t>(APicture.Width) * static_cast<std::size_t>(APicture.Height));
  FUZZ_CHECK(!APicture.Palette.empty() && APicture.Palette.size() <= 256);
  // Every index names a palette entry, so drawing the picture never reads past its palette.
  const std::uint8_t highest = *std::max_element(APicture.Pixels.begin(), APicture.Pixels.end());
  FUZZ_CHECK(highest < APicture.Palette.size());
  const TBitmap8 again = DecodeBitmapFile(EncodeBitmapFile(APicture));
  FUZZ_CHECK(SamePicture(APicture, again));
}

void CheckFile(std::span<const std::uint8_t> ABytes) {
  TBitmap8 picture;
  try {
    picture = DecodeBitmapFile(ABytes);
  } catch (const Exception& e) {
    CheckMessage(e, {MSG_INVALID_BITMAP});
    return;
  }
  CheckDecoded(picture);
}

void CheckPictureValue(std::span<const std::uint8_t> ABytes) {
  std::optional<TBitmap8> picture;
  try {
    picture = ReadPictureValue(ABytes);
  } catch (const EReadError& e) {
    CheckMessage(e, {MSG_READ_ERROR});
    return;
  } catch (const Exception& e) {
    CheckMessage(e, {MSG_INVALID_BITMAP});
    return;
  }
  const std::string_view className(reinterpret_cast<const char*>(ABytes.data() + 1), ABytes[0]);
  FUZZ_CHECK(picture.has_value() == (className == "TBitmap"));
  if (!picture || picture->Pixels.empty()) { // no picture class, or a count of 0
    FUZZ_CHECK(!picture || (picture->Width == 0 && picture->Height == 0));
    return;
  }
  CheckDecoded(*picture);
  const std::optional<TBitmap8> again = ReadPictureValue(EncodePictureValue(*picture));
  FUZZ_CHECK(again && SamePicture(*picture, *again));
}

} // namespace
} // namespace nyarumi::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
  const std::span<const std::uint8_t> bytes(AData, ASize);
  if (ASize >= 2 && AData[0] == 'B' && AData[1] == 'M') {
    nyarumi::fuzz::CheckFile(bytes);
  } else {
    nyarumi::fuzz::CheckPictureValue(bytes);
  }
  return 0;
}

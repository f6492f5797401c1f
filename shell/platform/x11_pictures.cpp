#include "shell/platform/x11_pictures.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <cstring>

namespace nyarumi::x11 {
namespace {

constexpr std::size_t MaxCachedPictures = 64;

bool Consistent(const TPictureRef& P) {
  if (P.Indexed != nullptr) {
    const TBitmap8& B = *P.Indexed;
    return B.Width > 0 && B.Height > 0 &&
           B.Pixels.size() >=
               static_cast<std::size_t>(B.Width) * static_cast<std::size_t>(B.Height);
  }
  return P.Rgb32 != nullptr && P.Width > 0 && P.Height > 0;
}

std::uint64_t Step(std::uint64_t AHash, std::uint64_t AWord) {
  AHash = (AHash ^ AWord) * 0x100000001B3ULL;
  return AHash ^ (AHash >> 29);
}

std::uint64_t Mix(std::uint64_t AHash, const void* AData, std::size_t ASize) {
  const auto* Bytes = static_cast<const unsigned char*>(AData);
  std::size_t I = 0;
  // Four independent lanes of eight bytes: every paint fingerprints a frame, so this must stay
  // far cheaper than the copy it saves, and one lane would wait on each multiplication.
  std::uint64_t Lanes[4] = {AHash, AHash ^ 0x9E3779B97F4A7C15ULL, AHash ^ 0xC2B2AE3D27D4EB4FULL,
                            AHash ^ 0x165667B19E3779F9ULL};
  for (; I + 32 <= ASize; I += 32) {
    for (int K = 0; K < 4; ++K) {
      std::uint64_t Word = 0;
      std::memcpy(&Word, Bytes + I + 8 * static_cast<std::size_t>(K), 8);
      Lanes[K] = Step(Lanes[K], Word);
    }
  }
  for (const std::uint64_t Lane : Lanes) {
    AHash = Step(AHash, Lane);
  }
  for (; I + 8 <= ASize; I += 8) {
    std::uint64_t Word = 0;
    std::memcpy(&Word, Bytes + I, 8);
    AHash = Step(AHash, Word);
  }
  for (; I < ASize; ++I) {
    AHash = Step(AHash, Bytes[I]);
  }
  return AHash;
}

std::uint32_t RgbOf(const TPaletteEntry& AEntry) {
  return (std::uint32_t{AEntry.Red} << 16) | (std::uint32_t{AEntry.Green} << 8) | AEntry.Blue;
}

bool InsidePicture(const TPictureRef& P, const TRect& APart) {
  return !APart.IsEmpty() && APart.Left >= 0 && APart.Top >= 0 && APart.Right <= WidthOf(P) &&
         APart.Bottom <= HeightOf(P);
}

} // namespace

std::int32_t WidthOf(const TPictureRef& P) {
  return P.Indexed != nullptr ? P.Indexed->Width : P.Width;
}
std::int32_t HeightOf(const TPictureRef& P) {
  return P.Indexed != nullptr ? P.Indexed->Height : P.Height;
}

std::uint64_t PictureHash(const TPictureRef& APicture, std::optional<TRect> APart) {
  std::uint64_t H = 0xCBF29CE484222325ULL;
  const TRect Part = APart.value_or(TRect{0, 0, WidthOf(APicture), HeightOf(APicture)});
  const std::int32_t Size[2] = {Part.Width(), Part.Height()};
  H = Mix(H, Size, sizeof Size);
  if (!Consistent(APicture) || !InsidePicture(APicture, Part)) {
    return H;
  }
  const auto W = static_cast<std::size_t>(WidthOf(APicture));
  const auto Row = static_cast<std::size_t>(Part.Width());
  for (std::int32_t Y = Part.Top; Y < Part.Bottom; ++Y) {
    const std::size_t First = static_cast<std::size_t>(Y) * W + static_cast<std::size_t>(Part.Left);
    if (APicture.Indexed != nullptr) {
      H = Mix(H, APicture.Indexed->Pixels.data() + First, Row);
    } else {
      H = Mix(H, APicture.Rgb32 + First, Row * 4);
    }
  }
  if (APicture.Indexed != nullptr) {
    H = Mix(H, APicture.Indexed->Palette.data(),
            APicture.Indexed->Palette.size() * sizeof(TPaletteEntry));
  }
  return H;
}

std::vector<std::uint32_t> PictureRgb(const TPictureRef& APicture, std::optional<TRect> APart) {
  const TRect Part = APart.value_or(TRect{0, 0, WidthOf(APicture), HeightOf(APicture)});
  if (!Consistent(APicture) || !InsidePicture(APicture, Part)) {
    return {};
  }
  std::uint32_t Table[256] = {};
  if (APicture.Indexed != nullptr) {
    const auto& Palette = APicture.Indexed->Palette;
    for (std::size_t I = 0; I < std::min<std::size_t>(Palette.size(), 256); ++I) {
      Table[I] = RgbOf(Palette[I]);
    }
  }
  const auto W = static_cast<std::size_t>(WidthOf(APicture));
  std::vector<std::uint32_t> Result;
  Result.reserve(static_cast<std::size_t>(Part.Width()) * static_cast<std::size_t>(Part.Height()));
  for (std::int32_t Y = Part.Top; Y < Part.Bottom; ++Y) {
    for (std::int32_t X = Part.Left; X < Part.Right; ++X) {
      const std::size_t I = static_cast<std::size_t>(Y) * W + static_cast<std::size_t>(X);
      Result.push_back(APicture.Indexed != nullptr ? Table[APicture.Indexed->Pixels[I]]
                                                   : APicture.Rgb32[I]);
    }
  }
  return Result;
}

TX11Pictures::~TX11Pictures() {
  for (auto& [Key, E] : FEntries) {
    XFreePixmap(FDisplay.Dpy(), E.Image);
  }
  if (FGc != nullptr) {
    XFreeGC(FDisplay.Dpy(), FGc);
  }
}

void TX11Pictures::DevicePixels(const TPictureRef& APicture, const TRect& APart, int AScale) {
  // The first showing of each of her frames converts it: straight from the palette, one lookup
  // a pixel, into the buffer the upload sends.
  std::uint32_t Table[256];
  std::fill(std::begin(Table), std::end(Table), static_cast<std::uint32_t>(FDisplay.PixelOf(0)));
  if (APicture.Indexed != nullptr) {
    const auto& Palette = APicture.Indexed->Palette;
    for (std::size_t I = 0; I < std::min<std::size_t>(Palette.size(), 256); ++I) {
      Table[I] = static_cast<std::uint32_t>(FDisplay.PixelOf(RgbOf(Palette[I])));
    }
  }
  const auto SourceWidth = static_cast<std::size_t>(WidthOf(APicture));
  const auto Scale = static_cast<std::size_t>(AScale);
  const auto Width = static_cast<std::size_t>(APart.Width()) * Scale;
  const auto Height = static_cast<std::size_t>(APart.Height()) * Scale;
  FScratch.resize(Width * Height);
  std::uint32_t* Out = FScratch.data();
  for (std::size_t Y = 0; Y < Height; ++Y) {
    const std::size_t Row = (static_cast<std::size_t>(APart.Top) + Y / Scale) * SourceWidth +
                            static_cast<std::size_t>(APart.Left);
    // Nearest neighbour, so her picture stays aligned with her equally scaled outline.
    if (APicture.Indexed != nullptr) {
      const std::uint8_t* In = APicture.Indexed->Pixels.data() + Row;
      if (Scale == 1) {
        Out = std::transform(In, In + Width, Out, [&Table](std::uint8_t I) { return Table[I]; });
        continue;
      }
      for (std::size_t X = 0; X < Width; ++X) {
        *Out++ = Table[In[X / Scale]];
      }
    } else {
      for (std::size_t X = 0; X < Width; ++X) {
        *Out++ = static_cast<std::uint32_t>(FDisplay.PixelOf(APicture.Rgb32[Row + X / Scale]));
      }
    }
  }
}

void TX11Pictures::Put(Drawable ATarget, GC AGc, const std::vector<std::uint32_t>& ARgb, int AWidth,
                       int AHeight, int AX, int AY) {
  FScratch.resize(ARgb.size());
  for (std::size_t I = 0; I < ARgb.size(); ++I) {
    FScratch[I] = static_cast<std::uint32_t>(FDisplay.PixelOf(ARgb[I]));
  }
  PutScratch(ATarget, AGc, AWidth, AHeight, AX, AY);
}

void TX11Pictures::PutScratch(Drawable ATarget, GC AGc, int AWidth, int AHeight, int AX, int AY) {
  XImage Image{};
  Image.width = AWidth;
  Image.height = AHeight;
  Image.format = ZPixmap;
  Image.data = reinterpret_cast<char*>(FScratch.data());
  Image.byte_order = LSBFirst;
  Image.bitmap_unit = 32;
  Image.bitmap_bit_order = LSBFirst;
  Image.bitmap_pad = 32;
  Image.depth = FDisplay.Depth();
  Image.bytes_per_line = AWidth * 4;
  Image.bits_per_pixel = 32;
  Image.red_mask = FDisplay.VisualOf()->red_mask;
  Image.green_mask = FDisplay.VisualOf()->green_mask;
  Image.blue_mask = FDisplay.VisualOf()->blue_mask;
  XInitImage(&Image);
  XPutImage(FDisplay.Dpy(), ATarget, AGc, &Image, 0, 0, AX, AY, static_cast<unsigned>(AWidth),
            static_cast<unsigned>(AHeight));
}

Pixmap TX11Pictures::Get(const TPictureRef& APicture, const TRect& APart) {
  if (!Consistent(APicture) || !InsidePicture(APicture, APart)) {
    return XNone;
  }
  const std::uint64_t Hash = HashOf(APicture, APart);
  Entry& E = FEntries[Hash];
  E.LastUse = ++FClock;
  if (E.Image == XNone) {
    const int S = FDisplay.Scale();
    DevicePixels(APicture, APart, S);
    E.Image = XCreatePixmap(
        FDisplay.Dpy(), FDisplay.Root(), static_cast<unsigned>(APart.Width() * S),
        static_cast<unsigned>(APart.Height() * S), static_cast<unsigned>(FDisplay.Depth()));
    if (FGc == nullptr) {
      FGc = XCreateGC(FDisplay.Dpy(), E.Image, 0, nullptr);
    }
    PutScratch(E.Image, FGc, APart.Width() * S, APart.Height() * S, 0, 0);
    ++FUploads;
  }
  const Pixmap Result = E.Image;
  if (FEntries.size() > MaxCachedPictures) {
    EvictOldest();
  }
  return Result;
}

std::uint64_t TX11Pictures::HashOf(const TPictureRef& APicture, const TRect& APart) {
  if (!APicture.Owner) {
    return PictureHash(APicture, APart);
  }
  const auto Found = FOwned.find(APicture.Owner.get());
  if (Found != FOwned.end() && Found->second.Part == APart) {
    return Found->second.Hash;
  }
  const std::uint64_t Hash = PictureHash(APicture, APart);
  if (Found == FOwned.end() && FOwned.size() >= 2 * MaxCachedPictures) {
    FOwned.clear(); // a program that keeps making new pictures would otherwise keep them all
  }
  FOwned[APicture.Owner.get()] = TOwned{APicture.Owner, APart, Hash};
  return Hash;
}

void TX11Pictures::EvictOldest() {
  const auto Oldest = std::min_element(FEntries.begin(), FEntries.end(), [](auto& A, auto& B) {
    return A.second.LastUse < B.second.LastUse;
  });
  XFreePixmap(FDisplay.Dpy(), Oldest->second.Image);
  FEntries.erase(Oldest);
  ++FEvictions;
}

} // namespace nyarumi::x11

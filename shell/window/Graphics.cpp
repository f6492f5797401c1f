#include "shell/window/Graphics.h"

#include "common/Errors.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace nyarumi {

namespace {

struct TNamedColor {
  std::string_view Name;
  TColor Value;
};

constexpr std::array<TNamedColor, 21> kColors{{
    {"clBlack", clBlack},     {"clMaroon", clMaroon},   {"clGreen", clGreen},
    {"clOlive", clOlive},     {"clNavy", clNavy},       {"clPurple", clPurple},
    {"clTeal", clTeal},       {"clGray", clGray},       {"clSilver", clSilver},
    {"clRed", clRed},         {"clLime", clLime},       {"clYellow", clYellow},
    {"clBlue", clBlue},       {"clFuchsia", clFuchsia}, {"clAqua", clAqua},
    {"clWhite", clWhite},     {"clWindow", clWindow},   {"clWindowText", clWindowText},
    {"clBtnFace", clBtnFace}, {"clNone", clNone},       {"clDefault", clDefault},
}};

TRect Intersect(const TRect& A, const TRect& B) {
  return {std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
          std::min(A.Bottom, B.Bottom)};
}

// A same-size copy, which every tick makes three times: whole rows, the palette resolved once.
// Source pixel (x + ADx, y + ADy) goes to (x, y) for every (x, y) of AClip that has one.
void CopyPlain(TBitmap32& AOut, const TRect& AClip, std::int64_t ADx, std::int64_t ADy,
               const TPicture& ASource) {
  const auto clamp = [](std::int64_t v, std::int64_t lo, std::int64_t hi) {
    return static_cast<std::int32_t>(std::clamp(v, lo, hi));
  };
  const std::int32_t left = clamp(-ADx, AClip.Left, AClip.Right);
  const std::int32_t right = clamp(ASource.Width() - ADx, left, AClip.Right);
  const std::int32_t top = clamp(-ADy, AClip.Top, AClip.Bottom);
  const std::int32_t bottom = clamp(ASource.Height() - ADy, top, AClip.Bottom);
  std::array<std::uint32_t, 256> colors{}; // an index past the palette shows black
  const TBitmap8* indexed = ASource.Indexed();
  if (indexed != nullptr) {
    const std::size_t n = std::min(indexed->Palette.size(), colors.size());
    for (std::size_t i = 0; i < n; ++i) {
      const TPaletteEntry& e = indexed->Palette[i];
      colors[i] = RgbToPixel({e.Red, e.Green, e.Blue});
    }
  }
  const TBitmap32* rgb = ASource.Rgb32();
  const auto width = static_cast<std::size_t>(ASource.Width());
  for (std::int32_t y = top; y < bottom; ++y) {
    std::uint32_t* out = AOut.Pixels.data() + static_cast<std::size_t>(y) * AOut.Width;
    const auto from =
        static_cast<std::size_t>(y + ADy) * width + static_cast<std::size_t>(left + ADx);
    const auto count = static_cast<std::size_t>(right - left);
    if (rgb != nullptr) {
      std::copy_n(rgb->Pixels.data() + from, count, out + left);
    } else {
      for (std::size_t i = 0; i < count; ++i) {
        out[static_cast<std::size_t>(left) + i] = colors[indexed->Pixels[from + i]];
      }
    }
  }
}

// The one index every pixel of AShared outside ARect (a rectangle within it) shows, or -1.
// Her frames all have one plain edge: once known, comparing two of them reads no pixels.
int EdgeIndex(const TPicture::TShared8& AShared, const TRect& ARect) {
  if (AShared.EdgeRect == ARect) {
    return AShared.EdgeIndex;
  }
  const TBitmap8& b = AShared.Bitmap;
  int index = -1;
  bool one = true;
  for (std::int32_t y = 0; y < b.Height && one; ++y) {
    for (std::int32_t x = 0; x < b.Width; ++x) {
      if (y >= ARect.Top && y < ARect.Bottom && x == ARect.Left) {
        x = ARect.Right - 1; // skips the inside of the row
        continue;
      }
      const int here = b.At(x, y);
      if (index != -1 && here != index) {
        one = false;
        break;
      }
      index = here;
    }
  }
  AShared.EdgeRect = ARect;
  AShared.EdgeIndex = one ? index : -1;
  return AShared.EdgeIndex;
}

// Whether APicture shows the palette picture's pixels everywhere outside ARect, a rectangle
// within both (they have the same size).
bool AgreeOutside(const TPicture& APicture, const TPicture::TShared8* AMine,
                  const TPicture::TShared8& AOther, const TRect& ARect) {
  const TBitmap8& other = AOther.Bitmap;
  const auto w = static_cast<std::size_t>(other.Width);
  if (other.Pixels.size() < w * static_cast<std::size_t>(other.Height)) {
    return false;
  }
  const TBitmap8* indexed = APicture.Indexed();
  // Pictures drawn from one palette compare by index, row piece by row piece.
  static_assert(sizeof(TPaletteEntry) == 3, "palette entries compare as bytes");
  const bool sameColors =
      indexed != nullptr && indexed->Palette.size() == other.Palette.size() &&
      std::memcmp(indexed->Palette.data(), other.Palette.data(), 3 * other.Palette.size()) == 0 &&
      indexed->Pixels.size() >= other.Pixels.size();
  if (sameColors && AMine != nullptr) {
    const int mine = EdgeIndex(*AMine, ARect);
    const int theirs = EdgeIndex(AOther, ARect);
    if (mine != -1 && theirs != -1) {
      return mine == theirs;
    }
  }
  const auto agree = [&](std::int32_t y, std::int32_t from, std::int32_t to) {
    if (from >= to) {
      return true;
    }
    const std::size_t first = static_cast<std::size_t>(y) * w + static_cast<std::size_t>(from);
    const auto count = static_cast<std::size_t>(to - from);
    if (sameColors) {
      return std::equal(other.Pixels.begin() + static_cast<std::ptrdiff_t>(first),
                        other.Pixels.begin() + static_cast<std::ptrdiff_t>(first + count),
                        indexed->Pixels.begin() + static_cast<std::ptrdiff_t>(first));
    }
    for (std::int32_t x = from; x < to; ++x) {
      const std::uint8_t index =
          other.Pixels[static_cast<std::size_t>(y) * w + static_cast<std::size_t>(x)];
      const std::uint32_t color =
          index < other.Palette.size()
              ? RgbToPixel({other.Palette[index].Red, other.Palette[index].Green,
                            other.Palette[index].Blue})
              : 0; // an index past the palette shows black
      if (APicture.Pixel(x, y) != color) {
        return false;
      }
    }
    return true;
  };
  for (std::int32_t y = 0; y < other.Height; ++y) {
    const bool inside = y >= ARect.Top && y < ARect.Bottom;
    const bool same = inside ? agree(y, 0, ARect.Left) && agree(y, ARect.Right, other.Width)
                             : agree(y, 0, other.Width);
    if (!same) {
      return false;
    }
  }
  return true;
}

} // namespace

std::optional<TColor> ColorFromIdent(std::string_view AIdent) {
  for (const TNamedColor& c : kColors) {
    if (c.Name == AIdent) {
      return c.Value;
    }
  }
  return std::nullopt;
}

std::optional<TRgb> ColorToRgb(TColor AColor) {
  if (AColor == clNone || AColor == clDefault) {
    return std::nullopt;
  }
  const auto v = static_cast<std::uint32_t>(AColor);
  if ((v & 0x80000000u) != 0) {
    return CurrentPlatform().SystemColor(static_cast<int>(v & 0xFFu));
  }
  return TRgb{static_cast<std::uint8_t>(v & 0xFF), static_cast<std::uint8_t>((v >> 8) & 0xFF),
              static_cast<std::uint8_t>((v >> 16) & 0xFF)};
}

std::uint32_t RgbToPixel(TRgb AColor) {
  return (std::uint32_t{AColor.Red} << 16) | (std::uint32_t{AColor.Green} << 8) | AColor.Blue;
}

std::optional<std::uint8_t> CharsetFromIdent(std::string_view AIdent) {
  if (AIdent == "ANSI_CHARSET") {
    return FONT_CHARSET_ANSI;
  }
  if (AIdent == "DEFAULT_CHARSET") {
    return FONT_CHARSET_DEFAULT;
  }
  if (AIdent == "SHIFTJIS_CHARSET") {
    return FONT_CHARSET_SHIFTJIS;
  }
  return std::nullopt;
}

// --- TFont

void TFont::Changed() {
  if (OnChange) {
    OnChange();
  }
}

void TFont::SetName(std::string AName) {
  FName = std::move(AName);
  Changed();
}

void TFont::SetHeight(std::int32_t AHeight) {
  FHeight = AHeight;
  Changed();
}

void TFont::SetColor(TColor AColor) {
  FColor = AColor;
  Changed();
}

void TFont::SetStyle(TFontStyles AStyle) {
  FStyle = AStyle;
  Changed();
}

void TFont::SetCharset(std::uint8_t ACharset) {
  FCharset = ACharset;
  Changed();
}

void TFont::Assign(const TFont& AOther) {
  FName = AOther.FName;
  FHeight = AOther.FHeight;
  FColor = AOther.FColor;
  FStyle = AOther.FStyle;
  FCharset = AOther.FCharset;
  Changed();
}

TFontDesc TFont::Description() const {
  TFontDesc desc;
  desc.Name = FName;
  desc.PixelHeight = FHeight < 0 ? -FHeight : FHeight;
  desc.Color = ColorToRgb(FColor).value_or(TRgb{});
  desc.Bold = (FStyle & fsBold) != 0;
  desc.Italic = (FStyle & fsItalic) != 0;
  desc.Underline = (FStyle & fsUnderline) != 0;
  desc.StrikeOut = (FStyle & fsStrikeOut) != 0;
  return desc;
}

// --- TPicture

bool TPicture::Empty() const {
  return Width() == 0 || Height() == 0;
}

std::int32_t TPicture::Width() const {
  if (const TBitmap8* b = Indexed()) {
    return b->Width;
  }
  if (const TBitmap32* b = Rgb32()) {
    return b->Width;
  }
  return 0;
}

std::int32_t TPicture::Height() const {
  if (const TBitmap8* b = Indexed()) {
    return b->Height;
  }
  if (const TBitmap32* b = Rgb32()) {
    return b->Height;
  }
  return 0;
}

void TPicture::Changed() {
  if (OnChange) {
    OnChange();
  }
}

void TPicture::Clear() {
  FData = std::monostate{};
  Changed();
}

void TPicture::Assign(TBitmap8 ABitmap) {
  FData = std::make_shared<const TShared8>(TShared8{std::move(ABitmap), std::nullopt, -1});
  Changed();
}

const TBitmap8* TPicture::Indexed() const {
  const auto* shared = std::get_if<std::shared_ptr<const TShared8>>(&FData);
  return shared != nullptr ? &(*shared)->Bitmap : nullptr;
}

bool TPicture::ShareIfCopyEquals(const TPicture& ASource, const TRect& ARect) {
  const auto* source = std::get_if<std::shared_ptr<const TShared8>>(&ASource.FData);
  if (source == nullptr) {
    return false;
  }
  const std::int32_t w = ASource.Width();
  const std::int32_t h = ASource.Height();
  if (Width() != w || Height() != h || ARect.IsEmpty() || ARect.Left < 0 || ARect.Top < 0 ||
      ARect.Right > w || ARect.Bottom > h) {
    return false;
  }
  const std::int64_t inside = std::int64_t{ARect.Width()} * ARect.Height();
  if (std::int64_t{w} * h - inside > inside) {
    return false;
  }
  const auto* mine = std::get_if<std::shared_ptr<const TShared8>>(&FData);
  // The copy leaves everything outside ARect as it is: equal only if that part is already.
  if ((mine == nullptr || *mine != *source) &&
      !AgreeOutside(*this, mine != nullptr ? mine->get() : nullptr, **source, ARect)) {
    return false;
  }
  FData = *source;
  return true;
}

void TPicture::SetSize(std::int32_t AWidth, std::int32_t AHeight) {
  TBitmap32 b;
  b.Width = std::max(AWidth, 0);
  b.Height = std::max(AHeight, 0);
  b.Pixels.assign(static_cast<std::size_t>(b.Width) * static_cast<std::size_t>(b.Height),
                  0x00FFFFFFu);
  FData = std::move(b);
  Changed();
}

std::uint32_t TPicture::Pixel(std::int32_t AX, std::int32_t AY) const {
  if (AX < 0 || AY < 0 || AX >= Width() || AY >= Height()) {
    return 0;
  }
  if (const TBitmap32* b = Rgb32()) {
    return b->Pixels[static_cast<std::size_t>(AY) * static_cast<std::size_t>(b->Width) +
                     static_cast<std::size_t>(AX)];
  }
  const TBitmap8& b = *Indexed();
  const std::uint8_t index = b.At(AX, AY);
  if (index >= b.Palette.size()) {
    return 0; // an index past the palette shows black
  }
  const TPaletteEntry& e = b.Palette[index];
  return RgbToPixel({e.Red, e.Green, e.Blue});
}

TBitmap32& TPicture::Writable() {
  if (TBitmap32* b = std::get_if<TBitmap32>(&FData)) {
    return *b;
  }
  TBitmap32 b;
  b.Width = Width();
  b.Height = Height();
  b.Pixels.reserve(static_cast<std::size_t>(b.Width) * static_cast<std::size_t>(b.Height));
  for (std::int32_t y = 0; y < b.Height; ++y) {
    for (std::int32_t x = 0; x < b.Width; ++x) {
      b.Pixels.push_back(Pixel(x, y));
    }
  }
  FData = std::move(b);
  return std::get<TBitmap32>(FData);
}

TPictureRef TPicture::Ref() const {
  TPictureRef ref;
  if (const auto* shared = std::get_if<std::shared_ptr<const TShared8>>(&FData)) {
    ref.Indexed = &(*shared)->Bitmap;
    ref.Owner = *shared;
  }
  if (const TBitmap32* b = Rgb32()) {
    ref.Rgb32 = b->Pixels.data();
  }
  ref.Width = Width();
  ref.Height = Height();
  return ref;
}

// --- TCanvas

void TCanvas::FillRect(const TRect& ARect) {
  if (Brush.Style == TBrushStyle::bsClear) {
    return;
  }
  const std::optional<TRgb> rgb = ColorToRgb(Brush.Color);
  if (!rgb) {
    return;
  }
  TPicture& picture = FEnsure();
  const TRect r = Intersect(ARect, {0, 0, picture.Width(), picture.Height()});
  if (r.IsEmpty()) {
    return;
  }
  TBitmap32& b = picture.Writable();
  const std::uint32_t pixel = RgbToPixel(*rgb);
  for (std::int32_t y = r.Top; y < r.Bottom; ++y) {
    auto row = b.Pixels.begin() + static_cast<std::ptrdiff_t>(y) * b.Width;
    std::fill(row + r.Left, row + r.Right, pixel);
  }
  picture.Changed();
}

void TCanvas::CopyRect(const TRect& ADest, const TCanvas& ASource, const TRect& ASourceRect) {
  if (ADest.IsEmpty() || ASourceRect.IsEmpty()) {
    return;
  }
  const TPicture& src = ASource.FEnsure();
  TPicture& dst = FEnsure();
  if (&src == &dst) {
    // Copying within one picture: work from a snapshot so overlapping areas stay intact.
    TPicture snapshot;
    snapshot.SetSize(0, 0);
    snapshot.Writable() = dst.Writable();
    TCanvas from([&]() -> TPicture& { return snapshot; });
    CopyRect(ADest, from, ASourceRect);
    return;
  }
  const std::int32_t dw = ADest.Width();
  const std::int32_t dh = ADest.Height();
  const std::int32_t sw = ASourceRect.Width();
  const std::int32_t sh = ASourceRect.Height();
  if (ADest == ASourceRect && dst.ShareIfCopyEquals(src, ADest)) {
    dst.Changed();
    return;
  }
  TBitmap32& out = dst.Writable();
  const TRect clip = Intersect(ADest, {0, 0, out.Width, out.Height});
  if (dw == sw && dh == sh) {
    CopyPlain(out, clip, std::int64_t{ASourceRect.Left} - ADest.Left,
              std::int64_t{ASourceRect.Top} - ADest.Top, src);
    dst.Changed();
    return;
  }
  for (std::int32_t y = clip.Top; y < clip.Bottom; ++y) {
    const std::int32_t sy =
        ASourceRect.Top + static_cast<std::int32_t>(std::int64_t{y - ADest.Top} * sh / dh);
    for (std::int32_t x = clip.Left; x < clip.Right; ++x) {
      const std::int32_t sx =
          ASourceRect.Left + static_cast<std::int32_t>(std::int64_t{x - ADest.Left} * sw / dw);
      if (sx < 0 || sy < 0 || sx >= src.Width() || sy >= src.Height()) {
        continue; // outside the source picture: leave the destination as it is
      }
      out.Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(out.Width) +
                 static_cast<std::size_t>(x)] = src.Pixel(sx, sy);
    }
  }
  dst.Changed();
}

std::uint32_t TCanvas::Pixel(std::int32_t AX, std::int32_t AY) const {
  return FEnsure().Pixel(AX, AY);
}

} // namespace nyarumi

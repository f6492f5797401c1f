#include "shell/platform/win32_canvas.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace nyarumi::win32 {
namespace {

RECT RectOf(const TRect& R) {
  return RECT{R.Left, R.Top, R.Right, R.Bottom};
}

void Fill(HDC ADc, const TRect& ARect, COLORREF AColor) {
  const RECT r = RectOf(ARect);
  // ExtTextOut with an opaque background fills without making a brush.
  SetBkColor(ADc, AColor);
  ExtTextOutW(ADc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

// BITMAPINFO with room for a full 256-entry colour table.
struct TPaletteInfo {
  BITMAPINFOHEADER Header;
  std::array<RGBQUAD, 256> Colors;
};

} // namespace

COLORREF ColorOf(TRgb AColor) {
  return RGB(AColor.Red, AColor.Green, AColor.Blue);
}

void TWin32Canvas::FillRect(const TRect& ARect, TRgb AColor) {
  if (!ARect.IsEmpty()) {
    Fill(FDc, ARect, ColorOf(AColor));
  }
}

void TWin32Canvas::CopyPicture(const TRect& ADest, const TPictureRef& APicture,
                               const TRect& ASource) {
  if (APicture.Indexed != nullptr) {
    const TBitmap8& b = *APicture.Indexed;
    const bool consistent =
        b.Width > 0 && b.Height > 0 &&
        b.Pixels.size() >= static_cast<std::size_t>(b.Width) * static_cast<std::size_t>(b.Height);
    if (!consistent) {
      return;
    }
    if (const auto rects = ClipCopy(ADest, ASource, b.Width, b.Height)) {
      CopyIndexed(*rects, b);
    }
  } else if (APicture.Rgb32 != nullptr && APicture.Width > 0 && APicture.Height > 0) {
    if (const auto rects = ClipCopy(ADest, ASource, APicture.Width, APicture.Height)) {
      CopyRgb32(*rects, APicture);
    }
  }
}

void TWin32Canvas::CopyIndexed(const TCopyRects& ARects, const TBitmap8& APicture) {
  TPaletteInfo info{};
  info.Header.biSize = sizeof(BITMAPINFOHEADER);
  info.Header.biPlanes = 1;
  info.Header.biBitCount = 8;
  info.Header.biCompression = BI_RGB;
  info.Header.biClrUsed = 256;
  // Indices past the palette draw black rather than whatever lies beyond the table.
  const std::size_t colors = std::min<std::size_t>(APicture.Palette.size(), 256);
  for (std::size_t i = 0; i < colors; ++i) {
    const TPaletteEntry& p = APicture.Palette[i];
    info.Colors[i] = RGBQUAD{p.Blue, p.Green, p.Red, 0};
  }
  const TRect& s = ARects.Source;
  // Only the source's rows are handed over, as a top-down picture of their own: the device
  // rows start at its top, whatever the system's convention for the source origin.
  const auto width = static_cast<std::size_t>(APicture.Width);
  const std::size_t stride = (width + 3) & ~std::size_t{3}; // rows are DWORD-aligned
  const std::uint8_t* rows = APicture.Pixels.data() + static_cast<std::size_t>(s.Top) * width;
  std::vector<std::uint8_t> padded;
  if (stride != width) {
    padded.resize(stride * static_cast<std::size_t>(s.Height()));
    for (std::int32_t y = 0; y < s.Height(); ++y) {
      std::memcpy(padded.data() + static_cast<std::size_t>(y) * stride,
                  rows + static_cast<std::size_t>(y) * width, width);
    }
    rows = padded.data();
  }
  info.Header.biWidth = APicture.Width;
  info.Header.biHeight = -s.Height();
  const TRect& d = ARects.Dest;
  SetStretchBltMode(FDc, COLORONCOLOR); // her pixels stay pixels when stretched
  StretchDIBits(FDc, d.Left, d.Top, d.Width(), d.Height(), s.Left, 0, s.Width(), s.Height(), rows,
                reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
}

void TWin32Canvas::CopyRgb32(const TCopyRects& ARects, const TPictureRef& APicture) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const TRect& s = ARects.Source;
  info.bmiHeader.biWidth = APicture.Width;
  info.bmiHeader.biHeight = -s.Height();
  const std::uint32_t* rows =
      APicture.Rgb32 + static_cast<std::size_t>(s.Top) * static_cast<std::size_t>(APicture.Width);
  const TRect& d = ARects.Dest;
  SetStretchBltMode(FDc, COLORONCOLOR);
  StretchDIBits(FDc, d.Left, d.Top, d.Width(), d.Height(), s.Left, 0, s.Width(), s.Height(), rows,
                &info, DIB_RGB_COLORS, SRCCOPY);
}

void TWin32Canvas::DrawString(const TRect& ARect, std::string_view AText, const TFontDesc& AFont,
                              const TTextOptions& AOptions) {
  if (ARect.IsEmpty()) {
    return;
  }
  if (!AOptions.Transparent) {
    Fill(FDc, ARect, ColorOf(AOptions.Background));
  }
  const std::wstring text = Widen(AText);
  if (text.empty()) {
    return;
  }
  const int saved = SaveDC(FDc);
  SelectObject(FDc, FFonts.Get(AFont));
  SetTextColor(FDc, ColorOf(AFont.Color));
  SetBkMode(FDc, TRANSPARENT);
  RECT r = RectOf(ARect);
  DrawTextW(FDc, text.c_str(), static_cast<int>(text.size()), &r, TextFormat(AOptions.WordWrap));
  RestoreDC(FDc, saved);
}

void TWin32Canvas::DrawRectangle(const TRect& ARect, std::optional<TRgb> APen,
                                 std::optional<TRgb> ABrush) {
  if (ARect.IsEmpty()) {
    return;
  }
  // Like the pictures' own painter: the outline lies on the rectangle's inner edge pixels and
  // right and bottom stay exclusive.
  const TRect& r = ARect;
  if (ABrush) {
    const TRect inside = APen ? TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1} : r;
    if (!inside.IsEmpty()) {
      Fill(FDc, inside, ColorOf(*ABrush));
    }
  }
  if (APen) {
    const COLORREF c = ColorOf(*APen);
    Fill(FDc, {r.Left, r.Top, r.Right, r.Top + 1}, c);
    Fill(FDc, {r.Left, r.Bottom - 1, r.Right, r.Bottom}, c);
    Fill(FDc, {r.Left, r.Top, r.Left + 1, r.Bottom}, c);
    Fill(FDc, {r.Right - 1, r.Top, r.Right, r.Bottom}, c);
  }
}

} // namespace nyarumi::win32

#include "shell/platform/x11_canvas.h"

namespace nyarumi::x11 {

TRect TX11Canvas::Device(const TRect& ALogical) const {
  const int S = FDisplay.Scale();
  return {ALogical.Left * S, ALogical.Top * S, ALogical.Right * S, ALogical.Bottom * S};
}

void TX11Canvas::Fill(const TRect& ADevice, TRgb AColor) {
  if (ADevice.IsEmpty()) {
    return;
  }
  FSurface.SetForeground(FDisplay.Pixel(AColor));
  XFillRectangle(FDisplay.Dpy(), FSurface.Target(), FSurface.Gc(), ADevice.Left, ADevice.Top,
                 static_cast<unsigned>(ADevice.Width()), static_cast<unsigned>(ADevice.Height()));
}

void TX11Canvas::FillRect(const TRect& ARect, TRgb AColor) {
  Fill(Device(ARect), AColor);
}

void TX11Canvas::CopyPicture(const TRect& ADest, const TPictureRef& APicture,
                             const TRect& ASource) {
  const auto Rects = ClipCopy(ADest, ASource, WidthOf(APicture), HeightOf(APicture));
  if (!Rects) {
    return;
  }
  const TRect D = Device(Rects->Dest);
  const TRect& C = Rects->Source;
  if (Rects->Dest.Width() == C.Width() && Rects->Dest.Height() == C.Height()) {
    // The common case, every tick: one copy from the picture's pixmap.
    const Pixmap Source = FPictures.Get(APicture, C);
    if (Source == XNone) {
      return;
    }
    XCopyArea(FDisplay.Dpy(), Source, FSurface.Target(), FSurface.Gc(), 0, 0,
              static_cast<unsigned>(D.Width()), static_cast<unsigned>(D.Height()), D.Left, D.Top);
    return;
  }
  // A stretched copy: pick the nearest source pixel of every device pixel of the destination.
  const std::vector<std::uint32_t> Rgb = PictureRgb(APicture, C);
  if (Rgb.empty()) {
    return;
  }
  std::vector<std::uint32_t> Out(static_cast<std::size_t>(D.Width()) *
                                 static_cast<std::size_t>(D.Height()));
  for (int Y = 0; Y < D.Height(); ++Y) {
    // Rows and columns of the part, which Rgb holds alone.
    const std::int64_t Sy = static_cast<std::int64_t>(Y) * C.Height() / D.Height();
    for (int X = 0; X < D.Width(); ++X) {
      const std::int64_t Sx = static_cast<std::int64_t>(X) * C.Width() / D.Width();
      Out[static_cast<std::size_t>(Y) * static_cast<std::size_t>(D.Width()) +
          static_cast<std::size_t>(X)] = Rgb[static_cast<std::size_t>(Sy * C.Width() + Sx)];
    }
  }
  FPictures.Put(FSurface.Target(), FSurface.Gc(), Out, D.Width(), D.Height(), D.Left, D.Top);
}

void TX11Canvas::DrawString(const TRect& ARect, std::string_view AText, const TFontDesc& AFont,
                            const TTextOptions& AOptions) {
  if (ARect.IsEmpty()) {
    return;
  }
  const TRect D = Device(ARect);
  if (!AOptions.Transparent) {
    Fill(D, AOptions.Background);
  }
  if (AText.empty()) {
    return;
  }
  if (const Picture Draw = FSurface.TextPicture(); Draw != XNone) {
    FFonts.Draw(Draw, D, AText, AFont, AOptions.WordWrap);
  }
}

void TX11Canvas::DrawRectangle(const TRect& ARect, std::optional<TRgb> APen,
                               std::optional<TRgb> ABrush) {
  if (ARect.IsEmpty()) {
    return;
  }
  // As the pictures' own painter draws it: the outline lies on the rectangle's inner edge
  // pixels, right and bottom stay exclusive; the pen is one logical pixel wide.
  const TRect D = Device(ARect);
  const int P = FDisplay.Scale();
  if (ABrush) {
    Fill(APen ? TRect{D.Left + P, D.Top + P, D.Right - P, D.Bottom - P} : D, *ABrush);
  }
  if (APen) {
    Fill({D.Left, D.Top, D.Right, D.Top + P}, *APen);
    Fill({D.Left, D.Bottom - P, D.Right, D.Bottom}, *APen);
    Fill({D.Left, D.Top, D.Left + P, D.Bottom}, *APen);
    Fill({D.Right - P, D.Top, D.Right, D.Bottom}, *APen);
  }
}

} // namespace nyarumi::x11

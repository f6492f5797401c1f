#include "shell/platform/x11_backdrop.h"

#include "shell/platform/CopyRects.h"

#include <algorithm>

namespace nyarumi::x11 {
namespace {

bool Meets(const TRect& A, const TRect& B) {
  return !A.IsEmpty() && !B.IsEmpty() && A.Left < B.Right && B.Left < A.Right && A.Top < B.Bottom &&
         B.Top < A.Bottom;
}

template <typename... F> struct TOverload : F... { using F::operator()...; };

} // namespace

void TX11Backdrop::Begin(int AWidth, int AHeight) {
  FWindow = TRect{0, 0, AWidth, AHeight};
  FOps.clear();
  FPicture.reset();
  FMixed = false;
}

void TX11Backdrop::Other(const TRect& ARect, bool AOpaque) {
  if (AOpaque && ARect.Covers(FWindow)) {
    // Whatever was drawn before is hidden, and what shows is no picture.
    FPicture.reset();
    FMixed = true;
  } else if (Meets(ARect, FWindow)) {
    FMixed = true;
  }
}

void TX11Backdrop::FillRect(const TRect& ARect, TRgb AColor) {
  FOps.emplace_back(TFill{ARect, AColor});
  Other(ARect, true);
}

void TX11Backdrop::CopyPicture(const TRect& ADest, const TPictureRef& APicture,
                               const TRect& ASource) {
  FOps.emplace_back(TCopy{ADest, APicture, ASource});
  const auto Rects = ClipCopy(ADest, ASource, WidthOf(APicture), HeightOf(APicture));
  if (!Rects) {
    return; // draws nothing
  }
  const bool Unscaled = Rects->Dest.Width() == Rects->Source.Width() &&
                        Rects->Dest.Height() == Rects->Source.Height();
  // Exactly the window: the background starts at the pixmap's origin and would tile a smaller
  // one.
  if (!Unscaled || Rects->Dest != FWindow) {
    Other(Rects->Dest, true);
    return;
  }
  FPicture = TCopy{Rects->Dest, APicture, Rects->Source};
  FMixed = false;
}

Pixmap TX11Backdrop::Picture() {
  if (FMixed || !FPicture) {
    return XNone;
  }
  const TPictureRef& P = FPicture->Picture;
  const TRect& S = FPicture->Source;
  // Only a whole 32-bit picture is compared: its pixels are all there is to it.
  const bool Whole = P.Rgb32 != nullptr && P.Indexed == nullptr && S.Left == 0 && S.Top == 0 &&
                     S.Right == P.Width && S.Bottom == P.Height;
  const std::size_t Count =
      Whole ? static_cast<std::size_t>(P.Width) * static_cast<std::size_t>(P.Height) : 0;
  if (Whole && FLastPixmap != XNone && FLastEvictions == FPictures.Evictions() &&
      FLastWidth == P.Width && FLastHeight == P.Height &&
      std::equal(FLastPixels.begin(), FLastPixels.end(), P.Rgb32)) {
    return FLastPixmap;
  }
  // XNone also for an inconsistent picture, which the surface then draws as nothing.
  const Pixmap Result = FPictures.Get(P, S);
  FLastPixmap = Whole ? Result : XNone;
  FLastEvictions = FPictures.Evictions();
  if (FLastPixmap != XNone) {
    FLastPixels.assign(P.Rgb32, P.Rgb32 + Count);
    FLastWidth = P.Width;
    FLastHeight = P.Height;
  }
  return Result;
}

void TX11Backdrop::DrawString(const TRect& ARect, std::string_view AText, const TFontDesc& AFont,
                              const TTextOptions& AOptions) {
  FOps.emplace_back(TText{ARect, std::string(AText), AFont, AOptions});
  Other(ARect, !AOptions.Transparent);
}

void TX11Backdrop::DrawRectangle(const TRect& ARect, std::optional<TRgb> APen,
                                 std::optional<TRgb> ABrush) {
  FOps.emplace_back(TFrame{ARect, APen, ABrush});
  if (APen || ABrush) {
    Other(ARect, ABrush.has_value());
  }
}

void TX11Backdrop::Replay(Canvas& ATarget) const {
  for (const auto& Op : FOps) {
    std::visit(TOverload{
                   [&](const TFill& F) { ATarget.FillRect(F.Rect, F.Color); },
                   [&](const TCopy& C) { ATarget.CopyPicture(C.Dest, C.Picture, C.Source); },
                   [&](const TText& T) { ATarget.DrawString(T.Rect, T.Text, T.Font, T.Options); },
                   [&](const TFrame& R) { ATarget.DrawRectangle(R.Rect, R.Pen, R.Brush); },
               },
               Op);
  }
}

} // namespace nyarumi::x11

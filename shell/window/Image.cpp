#include "shell/window/Image.h"

#include <algorithm>

namespace nyarumi {

TImage::TImage(TComponent* AOwner)
    : TControl(AOwner), FCanvas([this]() -> TPicture& {
        if (FPicture.Empty()) {
          FPicture.SetSize(Width(), Height());
        }
        return FPicture;
      }) {
  FWidth = 105;
  FHeight = 105;
  FPicture.OnChange = [this] { PictureChanged(); };
}

void TImage::SetAutoSize(bool AValue) {
  FAutoSize = AValue;
  PictureChanged();
}

void TImage::PictureChanged() {
  if (FAutoSize && !FPicture.Empty()) {
    SetBounds(Left(), Top(), FPicture.Width(), FPicture.Height());
  }
  Invalidate();
}

TRect TImage::PaintedRect() const {
  if (FPicture.Empty()) {
    return {}; // nothing to show: what lies below shows through
  }
  const std::int32_t w = std::min(Width(), FPicture.Width());
  const std::int32_t h = std::min(Height(), FPicture.Height());
  if (w <= 0 || h <= 0) {
    return {};
  }
  return {Left(), Top(), Left() + w, Top() + h};
}

void TImage::Paint(nyarumi::Canvas& ACanvas) {
  const TRect r = PaintedRect();
  if (!r.IsEmpty()) {
    ACanvas.CopyPicture(r, FPicture.Ref(), {0, 0, r.Width(), r.Height()});
  }
}

std::optional<TControl::TShownPicture> TImage::ShownPicture() const {
  const TRect r = PaintedRect();
  if (r.IsEmpty()) {
    return std::nullopt;
  }
  TPictureRef picture = FPicture.Ref();
  if (!picture.Owner) {
    return std::nullopt; // pixels that a canvas may still change
  }
  return TShownPicture{std::move(picture), r, {0, 0, r.Width(), r.Height()}};
}

bool TImage::Hides(const TRect& AArea) const {
  // Pictures have no transparent pixels.
  const TRect r = PaintedRect();
  return !r.IsEmpty() && r.Covers(AArea);
}

} // namespace nyarumi

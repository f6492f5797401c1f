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

void TImage::Paint(nyarumi::Canvas& ACanvas) {
  if (FPicture.Empty()) {
    return; // nothing to show: what lies below shows through
  }
  const std::int32_t w = std::min(Width(), FPicture.Width());
  const std::int32_t h = std::min(Height(), FPicture.Height());
  if (w <= 0 || h <= 0) {
    return;
  }
  ACanvas.CopyPicture({Left(), Top(), Left() + w, Top() + h}, FPicture.Ref(), {0, 0, w, h});
}

} // namespace nyarumi

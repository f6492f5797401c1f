#pragma once
// An image: a windowless control that shows a picture at its top-left corner and offers a
// canvas to draw on that picture.
#include "shell/window/Control.h"

namespace nyarumi {

class TImage : public TControl {
public:
  explicit TImage(TComponent* AOwner);

  TPicture& Picture() { return FPicture; }
  const TPicture& Picture() const { return FPicture; }
  // Drawing on an image without a picture first gives it a white one of the image's size.
  TCanvas& Canvas() { return FCanvas; }
  // Takes the picture's size whenever the picture is set.
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool AValue);

  void Paint(nyarumi::Canvas& ACanvas) override;
  bool Hides(const TRect& AArea) const override;
  std::optional<TShownPicture> ShownPicture() const override;

private:
  void PictureChanged();
  TRect PaintedRect() const; // empty when nothing is painted
  TPicture FPicture;
  TCanvas FCanvas;
  bool FAutoSize = false;
};

} // namespace nyarumi

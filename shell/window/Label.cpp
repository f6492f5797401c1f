#include "shell/window/Label.h"

#include "shell/window/Form.h"

namespace nyarumi {

TLabel::TLabel(TComponent* AOwner) : TControl(AOwner) {
  FWidth = 65;
  FHeight = 17;
}

void TLabel::SetCaption(std::string ACaption) {
  FCaption = std::move(ACaption);
  AdjustBounds();
  Invalidate();
}

void TLabel::SetTransparent(bool AValue) {
  FTransparent = AValue;
  Invalidate();
}

void TLabel::SetWordWrap(bool AValue) {
  FWordWrap = AValue;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetAutoSize(bool AValue) {
  FAutoSize = AValue;
  AdjustBounds();
}

void TLabel::FontChanged() {
  AdjustBounds();
  Invalidate();
}

void TLabel::Loaded() {
  TControl::Loaded();
  AdjustBounds();
}

void TLabel::ParentShowing() {
  if (FSizePending) {
    Measure();
  }
}

void TLabel::AdjustBounds() {
  if (!FAutoSize || Loading()) {
    return; // a stream sets the font and wrapping after the caption: size once it is read
  }
  if (Parent() != nullptr && !Parent()->Visible()) {
    FSizePending = true;
    return;
  }
  Measure();
}

void TLabel::Measure() {
  FSizePending = false;
  // An empty caption still takes one line.
  const std::string text = FCaption.empty() ? std::string(" ") : FCaption;
  const std::optional<std::int32_t> wrap =
      FWordWrap ? std::optional<std::int32_t>(Width()) : std::nullopt;
  const TPoint size = CurrentPlatform().TextExtent(text, Font().Description(), wrap);
  SetBounds(Left(), Top(), FWordWrap ? Width() : size.X, size.Y);
}

void TLabel::Paint(nyarumi::Canvas& ACanvas) {
  if (FSizePending) {
    Measure();
  }
  TTextOptions options;
  options.WordWrap = FWordWrap;
  const std::optional<TRgb> background = ColorToRgb(EffectiveColor());
  options.Transparent = FTransparent || !background;
  options.Background = background.value_or(TRgb{});
  ACanvas.DrawString(BoundsRect(), FCaption, Font().Description(), options);
}

} // namespace nyarumi

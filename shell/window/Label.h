#pragma once
// A text label: a windowless control that draws its caption in its font and, by default, sizes
// itself to the text.
#include "shell/window/Control.h"

#include <string>

namespace nyarumi {

class TLabel : public TControl {
public:
  explicit TLabel(TComponent* AOwner);

  const std::string& Caption() const { return FCaption; }
  void SetCaption(std::string ACaption);
  // Leaves the background alone instead of filling it with the label's colour.
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool AValue);
  // Breaks lines to fit the width; an auto-sized label then keeps its width and grows down.
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool AValue);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool AValue);

  void Paint(nyarumi::Canvas& ACanvas) override;
  void Loaded() override;
  void ParentShowing() override;

protected:
  void FontChanged() override;

private:
  void AdjustBounds();
  void Measure();
  std::string FCaption;
  // Sizing measures text, which opens fonts: a label on a hidden form waits until the form
  // shows or the label is painted, so a window that is never opened costs no fonts.
  bool FSizePending = false;
  bool FTransparent = false;
  bool FWordWrap = false;
  bool FAutoSize = true;
};

} // namespace nyarumi

#include "shell/window/Control.h"

#include "shell/window/Form.h"

namespace nyarumi {

std::optional<TCursor> CursorFromIdent(std::string_view AIdent) {
  if (AIdent == "crDefault") {
    return crDefault;
  }
  if (AIdent == "crArrow") {
    return crArrow;
  }
  if (AIdent == "crHandPoint") {
    return crHandPoint;
  }
  return std::nullopt;
}

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
  FFont.OnChange = [this] {
    if (!FAdoptingFont) {
      FParentFont = false;
    }
    FontChanged();
  };
}

TControl::~TControl() {
  if (FParent != nullptr) {
    FParent->RemoveControl(this);
  }
}

void TControl::SetBounds(std::int32_t ALeft, std::int32_t ATop, std::int32_t AWidth,
                         std::int32_t AHeight) {
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) {
    return;
  }
  Invalidate();
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  Invalidate();
  BoundsChanged();
}

void TControl::SetVisible(bool AVisible) {
  if (AVisible == FVisible) {
    return;
  }
  // Both states mark the area: what lies below shows again when the control hides.
  if (FParent != nullptr) {
    FParent->InvalidateArea(BoundsRect());
  }
  FVisible = AVisible;
  if (FParent != nullptr) {
    FParent->ControlVisibilityChanged(this);
  }
  VisibleChanged();
}

void TControl::SetEnabled(bool AEnabled) {
  if (AEnabled != FEnabled) {
    FEnabled = AEnabled;
    Invalidate();
    EnabledChanged();
  }
}

void TControl::SetParent(TForm* AParent) {
  if (AParent == FParent) {
    return;
  }
  if (FParent != nullptr) {
    DestroyHandle();
    FParent->RemoveControl(this);
  }
  FParent = AParent;
  if (FParent != nullptr) {
    FParent->InsertControl(this);
    if (FParentFont) {
      AdoptParentFont();
    }
    if (FParent->HandleAllocated()) {
      CreateHandle(FParent->Handle());
    }
    Invalidate();
  }
}

void TControl::SetCursor(TCursor ACursor) {
  FCursor = ACursor;
  if (FParent != nullptr) {
    FParent->UpdateCursor();
  }
}

void TControl::SetParentFont(bool AValue) {
  FParentFont = AValue;
  if (FParentFont && FParent != nullptr) {
    AdoptParentFont();
  }
}

void TControl::AdoptParentFont() {
  FAdoptingFont = true;
  FFont.Assign(FParent->Font());
  FAdoptingFont = false;
}

void TControl::SetColor(TColor AColor) {
  FColor = AColor;
  FParentColor = false;
  Invalidate();
}

void TControl::SetParentColor(bool AValue) {
  FParentColor = AValue;
  Invalidate();
}

TColor TControl::EffectiveColor() const {
  return FParentColor && FParent != nullptr ? FParent->EffectiveColor() : FColor;
}

void TControl::Invalidate() {
  if (FParent != nullptr && FVisible) {
    FParent->InvalidateArea(BoundsRect());
  }
}

void TControl::Repaint() {
  Invalidate();
  if (FParent != nullptr) {
    FParent->Update();
  }
}

void TControl::MouseEnter() {
  if (OnMouseEnter) {
    OnMouseEnter(this);
  }
}

void TControl::MouseLeave() {
  if (OnMouseLeave) {
    OnMouseLeave(this);
  }
}

void TControl::MouseDown(TMouseButton AButton, TShiftState AShift, std::int32_t AX,
                         std::int32_t AY) {
  if (OnMouseDown) {
    OnMouseDown(this, AButton, AShift, AX, AY);
  }
}

void TControl::MouseUp(TMouseButton AButton, TShiftState AShift, std::int32_t AX, std::int32_t AY) {
  if (OnMouseUp) {
    OnMouseUp(this, AButton, AShift, AX, AY);
  }
}

void TControl::Click() {
  if (OnClick) {
    OnClick(this);
  }
}

void TControl::Paint(Canvas& /*ACanvas*/) {}

void TControl::Loaded() {
  FLoading = false;
}

} // namespace nyarumi

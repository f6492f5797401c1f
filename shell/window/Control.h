#pragma once
// A control: a component with a place on its form. Windowless controls are painted by their form
// in creation order and receive the mouse notifications the form hit-tests for them.
#include "assets/Component.h"
#include "shell/platform/Platform.h"
#include "shell/window/Graphics.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace nyarumi {

class TForm;
class TPopupMenu;

using TCursor = std::int16_t;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crHandPoint = -21;
std::optional<TCursor> CursorFromIdent(std::string_view AIdent);

using TMouseEvent = std::function<void(TComponent* Sender, TMouseButton Button, TShiftState Shift,
                                       std::int32_t X, std::int32_t Y)>;

class TControl : public TComponent {
public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  std::int32_t Left() const { return FLeft; }
  std::int32_t Top() const { return FTop; }
  std::int32_t Width() const { return FWidth; }
  std::int32_t Height() const { return FHeight; }
  void SetLeft(std::int32_t AValue) { SetBounds(AValue, FTop, FWidth, FHeight); }
  void SetTop(std::int32_t AValue) { SetBounds(FLeft, AValue, FWidth, FHeight); }
  void SetWidth(std::int32_t AValue) { SetBounds(FLeft, FTop, AValue, FHeight); }
  void SetHeight(std::int32_t AValue) { SetBounds(FLeft, FTop, FWidth, AValue); }
  virtual void SetBounds(std::int32_t ALeft, std::int32_t ATop, std::int32_t AWidth,
                         std::int32_t AHeight);
  TRect BoundsRect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }

  bool Visible() const { return FVisible; }
  void SetVisible(bool AVisible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool AEnabled);

  TForm* Parent() const { return FParent; }
  void SetParent(TForm* AParent);

  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor ACursor);

  TFont& Font() { return FFont; }
  const TFont& Font() const { return FFont; }
  // While true the control takes its parent's font; setting its own font clears it.
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool AValue);
  TColor Color() const { return FColor; }
  void SetColor(TColor AColor); // clears ParentColor
  // While true the control's background is its parent's colour.
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool AValue);
  TColor EffectiveColor() const;

  TNotifyEvent OnClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

  // Marks the control's area for repainting; Repaint also paints it before returning.
  virtual void Invalidate();
  void Repaint();

  // The notifications the form delivers, in client pixels of the control. Derived controls
  // replace them and call these to keep the handlers running.
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual void MouseDown(TMouseButton AButton, TShiftState AShift, std::int32_t AX,
                         std::int32_t AY);
  virtual void MouseUp(TMouseButton AButton, TShiftState AShift, std::int32_t AX, std::int32_t AY);
  virtual void Click();

  // Windowless controls draw themselves in form client pixels; native ones are not painted.
  virtual bool IsWindowless() const { return true; }
  virtual void Paint(Canvas& ACanvas);
  // True when the control's paint covers all of AArea (parent client pixels) with opaque pixels,
  // so nothing painted before it shows there.
  virtual bool Hides(const TRect& /*AArea*/) const { return false; }
  // What the control paints when that is a part of an unchanging picture and nothing else:
  // the form can then tell what shows without painting.
  struct TShownPicture {
    TPictureRef Picture;
    TRect Dest;   // parent client pixels
    TRect Source; // the picture's pixels, the same size
  };
  virtual std::optional<TShownPicture> ShownPicture() const { return std::nullopt; }
  // The form got or is losing its native window; native controls follow it.
  virtual void CreateHandle(WindowId /*AWindow*/) {}
  virtual void DestroyHandle() {}
  // The form is about to show: work put off while it was hidden is done now.
  virtual void ParentShowing() {}

  // While a stream is read, size adjustments and timers wait until Loaded().
  void BeginLoading() { FLoading = true; }
  bool Loading() const { return FLoading; }
  void Loaded() override;

protected:
  virtual void BoundsChanged() {}
  virtual void VisibleChanged() {}
  virtual void EnabledChanged() {}
  virtual void FontChanged() { Invalidate(); }
  std::int32_t FLeft = 0;
  std::int32_t FTop = 0;
  std::int32_t FWidth = 0;
  std::int32_t FHeight = 0;

private:
  TForm* FParent = nullptr;
  std::uint64_t FPlace = 0; // when it joined its form: later ones paint above earlier ones
  bool FVisible = true;
  bool FEnabled = true;
  bool FLoading = false;
  bool FParentFont = true;
  bool FParentColor = true;
  bool FAdoptingFont = false;
  TCursor FCursor = crDefault;
  TColor FColor = clBtnFace;
  TFont FFont;

  friend class TForm;
  void AdoptParentFont();
};

} // namespace nyarumi

#include "shell/window/Form.h"

#include "common/Errors.h"
#include "shell/window/Application.h"
#include "shell/window/Menu.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace nyarumi {

// What the native window tells the form, kept apart from the control's own notifications.
class TForm::TEvents final : public WindowEvents {
public:
  explicit TEvents(TForm& AForm) : FForm(AForm) {}
  void Paint(Canvas& ACanvas, const TRect& ADirty) override { FForm.PaintWindow(ACanvas, ADirty); }
  void MouseMove(TShiftState AShift, TPoint APos) override { FForm.WindowMouseMove(AShift, APos); }
  void MouseLeave() override { FForm.WindowMouseLeave(); }
  void MouseDown(TMouseButton AButton, TShiftState AShift, TPoint APos) override {
    FForm.WindowMouseDown(AButton, AShift, APos);
  }
  void MouseUp(TMouseButton AButton, TShiftState AShift, TPoint APos) override {
    FForm.WindowMouseUp(AButton, AShift, APos);
  }
  bool KeyDown(TShortCut AShortCut) override { return FForm.IsShortCut(AShortCut); }
  void CloseRequest() override {
    TForm& form = FForm;
    DispatchEvent([&form] { form.Close(); });
  }
  void Moved(TPoint AOuterTopLeft) override { FForm.WindowMoved(AOuterTopLeft); }

private:
  TForm& FForm;
};

TForm::TForm(TComponent* AOwner) : TControl(AOwner), FEvents(std::make_unique<TEvents>(*this)) {
  FVisible = false;
  if (TApplication* app = CurrentApplication()) {
    app->RegisterForm(this);
  }
}

TForm::~TForm() {
  if (OnDestroy) {
    DispatchEvent([this] { OnDestroy(this); });
  }
  // The controls outlive this body (the owner destroys them afterwards): cut them loose now.
  for (TControl* c : FControls) {
    c->DestroyHandle();
    c->FParent = nullptr;
  }
  FControls.clear();
  FShown.clear();
  if (FHandle != WindowId::None) {
    CurrentPlatform().DestroyNativeWindow(FHandle);
    FHandle = WindowId::None;
  }
  if (TApplication* app = CurrentApplication()) {
    app->UnregisterForm(this);
  }
}

void TForm::SetCaption(std::string ACaption) {
  FCaption = std::move(ACaption);
  if (HandleAllocated()) {
    CurrentPlatform().SetWindowCaption(FHandle, FCaption);
  }
}

void TForm::SetBorderStyle(TFormBorderStyle AStyle) {
  if (AStyle == FBorderStyle) {
    return;
  }
  FBorderStyle = AStyle;
  if (HandleAllocated()) {
    // The frame is fixed when the native window is made: make it again.
    for (TControl* c : FControls) {
      c->DestroyHandle();
    }
    CurrentPlatform().DestroyNativeWindow(FHandle);
    FHandle = WindowId::None;
    Handle();
    if (Visible()) {
      CurrentPlatform().SetWindowVisible(FHandle, true);
    }
  }
}

void TForm::SetFormStyle(TFormStyle AStyle) {
  FFormStyle = AStyle;
  if (HandleAllocated()) {
    CurrentPlatform().SetStayOnTop(FHandle, AStyle == TFormStyle::fsStayOnTop);
  }
}

void TForm::SetPopupMenu(TPopupMenu* AMenu) {
  FPopupMenu = AMenu;
}

void TForm::SyncOuterSize() {
  FWidth = FClientWidth + FExtents.Left + FExtents.Right;
  FHeight = FClientHeight + FExtents.Top + FExtents.Bottom;
}

void TForm::ApplyGeometry() {
  if (HandleAllocated()) {
    CurrentPlatform().SetWindowGeometry(FHandle, {FLeft, FTop}, FClientWidth, FClientHeight);
  }
}

void TForm::SetClientWidth(std::int32_t AValue) {
  FClientWidth = std::max(AValue, 0);
  SyncOuterSize();
  ApplyGeometry();
}

void TForm::SetClientHeight(std::int32_t AValue) {
  FClientHeight = std::max(AValue, 0);
  SyncOuterSize();
  ApplyGeometry();
}

void TForm::SetBounds(std::int32_t ALeft, std::int32_t ATop, std::int32_t AWidth,
                      std::int32_t AHeight) {
  FLeft = ALeft;
  FTop = ATop;
  FClientWidth = std::max(AWidth - FExtents.Left - FExtents.Right, 0);
  FClientHeight = std::max(AHeight - FExtents.Top - FExtents.Bottom, 0);
  SyncOuterSize();
  ApplyGeometry();
}

void TForm::DoCreate() {
  if (OnCreate) {
    DispatchEvent([this] { OnCreate(this); });
  }
}

WindowId TForm::Handle() {
  if (FHandle != WindowId::None) {
    return FHandle;
  }
  Platform& platform = CurrentPlatform();
  TWindowParams params;
  params.Border =
      FBorderStyle == TFormBorderStyle::bsNone ? TWindowBorder::None : TWindowBorder::ToolWindow;
  params.Caption = FCaption;
  params.OuterTopLeft = {FLeft, FTop};
  params.ClientWidth = FClientWidth;
  params.ClientHeight = FClientHeight;
  params.Background = ColorToRgb(EffectiveColor()).value_or(TRgb{255, 255, 255});
  params.StayOnTop = FFormStyle == TFormStyle::fsStayOnTop;
  // Only the main form may have a taskbar entry, and only while the application wants one.
  const TApplication* app = CurrentApplication();
  params.SkipTaskbar = app == nullptr || app->MainForm() != this || !app->ShowTaskbarButton();
  const WindowId id = platform.CreateNativeWindow(params, *FEvents);
  if (id == WindowId::None) {
    throw Exception("ウィンドウを作成できません");
  }
  FHandle = id;
  FShowing.reset();
  FExtents = platform.FrameExtents(FHandle);
  SyncOuterSize();
  UpdateCursor();
  for (TControl* c : std::vector<TControl*>(FControls)) {
    c->CreateHandle(FHandle);
  }
  return FHandle;
}

void TForm::Update() {
  if (!HandleAllocated()) {
    return;
  }
  BringUpToDate();
  Platform& platform = CurrentPlatform();
  if (FMarked) {
    // Her every other tick shows a new frame: the backend may show the picture without a paint.
    const TRect marked = *std::exchange(FMarked, std::nullopt);
    const std::optional<TShownPicture> sole = SolePicture();
    if (!sole || !ShowInPlace(*sole)) {
      platform.InvalidateWindow(FHandle, marked);
    }
  }
  platform.UpdateWindow(FHandle);
}

void TForm::InvalidateArea(const TRect& AArea) {
  if (!HandleAllocated()) {
    return;
  }
  const TApplication* app = CurrentApplication();
  if (app == nullptr || !app->Dispatching()) {
    CurrentPlatform().InvalidateWindow(FHandle, AArea);
    return;
  }
  FMarked = FMarked.value_or(AArea).Span(AArea);
}

void TForm::Invalidate() {
  InvalidateArea(ClientRect());
}

void TForm::ReleaseMarks() {
  if (!FMarked) {
    return;
  }
  CatchUp();
  if (!FMarked) {
    return; // released while catching up
  }
  const TRect marked = *std::exchange(FMarked, std::nullopt);
  // Her decision tick hides the picture on top and puts the same frame into the one below.
  if (HandleAllocated() && !OnScreen(SolePicture())) {
    CurrentPlatform().InvalidateWindow(FHandle, marked);
  }
}

std::optional<TControl::TShownPicture> TForm::SolePicture() const {
  const TRect client = ClientRect();
  for (auto it = FShown.rbegin(); it != FShown.rend(); ++it) {
    const TControl* c = *it;
    if (c->Visible() && c->IsWindowless()) {
      // Painted last, it decides: anything else shows as well unless it hides all of it.
      return c->Hides(client) ? c->ShownPicture() : std::nullopt;
    }
  }
  return std::nullopt;
}

bool TForm::ShowInPlace(const TShownPicture& APicture) {
  if (OnScreen(APicture)) {
    return true;
  }
  if (!HandleAllocated() || APicture.Dest != ClientRect() ||
      !CurrentPlatform().ShowPicture(FHandle, APicture.Picture, APicture.Source)) {
    return false;
  }
  FShowing = APicture;
  return true;
}

bool TForm::OnScreen(const std::optional<TShownPicture>& APicture) const {
  // The same owner means the same pixels: the kept reference keeps them from being reused.
  return APicture && FShowing && APicture->Picture.Owner == FShowing->Picture.Owner &&
         APicture->Dest == FShowing->Dest && APicture->Source == FShowing->Source;
}

void TForm::CatchUp() {
  if (ControlsLag()) {
    DispatchEvent([this] { BringUpToDate(); });
  }
}

void TForm::PaintWindow(Canvas& ACanvas, const TRect& ADirty) {
  CatchUp();
  Paint(ACanvas);
  std::optional<TShownPicture> sole = SolePicture();
  const bool whole = ADirty.Covers(ClientRect());
  // A part painted anew leaves the rest as it was: known only when both show the same.
  if (whole || OnScreen(sole)) {
    FShowing = std::move(sole);
  } else {
    FShowing.reset();
  }
}

void TForm::Close() {
  TCloseAction action = TCloseAction::caHide;
  if (OnClose) {
    OnClose(this, action);
  }
  if (action == TCloseAction::caNone) {
    return;
  }
  TApplication* app = CurrentApplication();
  if (app != nullptr && app->MainForm() == this) {
    app->Terminate();
  } else {
    Hide();
  }
}

void TForm::Centre() {
  const TRect desktop = CurrentPlatform().VirtualScreenRect();
  FLeft = std::max((desktop.Width() - FWidth) / 2, 0);
  FTop = std::max((desktop.Height() - FHeight) / 2, 0);
}

void TForm::VisibleChanged() {
  try {
    if (Visible()) {
      Handle();
      if (!FShownOnce) {
        FShownOnce = true;
        if (FPosition == TPosition::poDesktopCenter) {
          Centre();
          FCentredUnframed = true;
        }
      }
      for (TControl* c : std::vector<TControl*>(FControls)) {
        c->ParentShowing();
      }
      ApplyGeometry();
      CurrentPlatform().SetWindowVisible(FHandle, true);
    } else if (HandleAllocated()) {
      FShowing.reset(); // a hidden window may lose its pixels
      CurrentPlatform().SetWindowVisible(FHandle, false);
    }
  } catch (...) {
    FVisible = false; // not shown after all
    throw;
  }
}

void TForm::FontChanged() {
  for (TControl* c : FControls) {
    if (c->ParentFont()) {
      c->AdoptParentFont();
    }
  }
  Invalidate();
}

void TForm::InsertControl(TControl* AControl) {
  FControls.push_back(AControl);
  AControl->FPlace = ++FPlaces;
  if (AControl->Visible()) {
    FShown.push_back(AControl); // the last one inserted paints last
  }
}

void TForm::ControlVisibilityChanged(TControl* AControl) {
  std::erase(FShown, AControl);
  if (AControl->Visible()) {
    // Placed among the shown ones alone: the hidden ones stay untouched.
    const auto before = std::find_if(FShown.begin(), FShown.end(), [&](const TControl* c) {
      return c->FPlace > AControl->FPlace;
    });
    FShown.insert(before, AControl);
  }
}

void TForm::RemoveControl(TControl* AControl) {
  if (AControl->Visible()) {
    InvalidateArea(AControl->BoundsRect());
  }
  std::erase(FControls, AControl);
  std::erase(FShown, AControl);
  if (FMouseControl == AControl) {
    FMouseControl = nullptr;
    UpdateCursor();
  }
  if (FCaptured == AControl) {
    FCaptured = nullptr;
  }
}

TControl* TForm::ControlAt(TPoint APos) const {
  // The shown ones are in paint order: the last one painted is on top.
  for (auto it = FShown.rbegin(); it != FShown.rend(); ++it) {
    TControl* c = *it;
    const TRect r = c->BoundsRect();
    if (c->Visible() && c->Enabled() && c->IsWindowless() && APos.X >= r.Left && APos.X < r.Right &&
        APos.Y >= r.Top && APos.Y < r.Bottom) {
      return c;
    }
  }
  return nullptr;
}

bool TForm::IsShortCut(TShortCut AShortCut) {
  TMenuItem* item = FPopupMenu != nullptr ? FPopupMenu->FindShortCut(AShortCut) : nullptr;
  if (item == nullptr) {
    return false;
  }
  DispatchEvent([item] { item->Click(); });
  return true;
}

void TForm::Paint(Canvas& ACanvas) {
  // A copy: a control's paint handler may show, hide, add or remove controls. A paint within a
  // paint takes its own.
  std::vector<TControl*> nested;
  std::vector<TControl*>& order = FPainting ? nested : FPaintOrder;
  order.assign(FShown.begin(), FShown.end());
  // Nothing under a control that hides the whole client area can show, so the paint starts
  // there: her window stacks three pictures of its size.
  const TRect client = ClientRect();
  const auto top = std::find_if(order.rbegin(), order.rend(), [&](const TControl* c) {
    return c->Visible() && c->IsWindowless() && c->Hides(client);
  });
  if (top != order.rend()) {
    order.erase(order.begin(), std::prev(top.base()));
  } else if (const std::optional<TRgb> background = ColorToRgb(EffectiveColor())) {
    ACanvas.FillRect(client, *background);
  }
  const bool outer = !std::exchange(FPainting, true);
  struct TDone {
    TForm& Form;
    bool Outer;
    ~TDone() {
      if (Outer) {
        Form.FPainting = false;
      }
    }
  } done{*this, outer};
  for (TControl* c : order) {
    if (c->Visible() && c->IsWindowless()) {
      DispatchEvent([c, &ACanvas] { c->Paint(ACanvas); });
    }
  }
}

void TForm::UpdateCursor() {
  if (!HandleAllocated()) {
    return;
  }
  const TCursor cursor = FMouseControl != nullptr ? FMouseControl->Cursor() : Cursor();
  CurrentPlatform().SetWindowCursor(FHandle, cursor == crHandPoint ? TCursorShape::HandPoint
                                                                   : TCursorShape::Arrow);
}

void TForm::WindowMouseMove(TShiftState /*AShift*/, TPoint APos) {
  CatchUp();
  TControl* now = ControlAt(APos);
  if (now == FMouseControl) {
    return;
  }
  TControl* before = FMouseControl;
  FMouseControl = now;
  UpdateCursor();
  if (before != nullptr) {
    DispatchEvent([before] { before->MouseLeave(); });
  }
  // The leave handler may have removed the new control.
  if (now != nullptr && FMouseControl == now) {
    DispatchEvent([now] { now->MouseEnter(); });
  }
}

void TForm::WindowMouseLeave() {
  CatchUp();
  TControl* before = FMouseControl;
  FMouseControl = nullptr;
  UpdateCursor();
  if (before != nullptr) {
    DispatchEvent([before] { before->MouseLeave(); });
  }
}

void TForm::WindowMouseDown(TMouseButton AButton, TShiftState AShift, TPoint APos) {
  CatchUp();
  TControl* c = ControlAt(APos);
  FCaptured = c;
  if (c != nullptr) {
    DispatchEvent([c, AButton, AShift, APos] {
      c->MouseDown(AButton, AShift, APos.X - c->Left(), APos.Y - c->Top());
    });
  }
}

void TForm::WindowMouseUp(TMouseButton AButton, TShiftState AShift, TPoint APos) {
  CatchUp();
  TControl* c = FCaptured != nullptr ? FCaptured : ControlAt(APos);
  FCaptured = nullptr;
  if (c != nullptr) {
    const std::int32_t x = APos.X - c->Left();
    const std::int32_t y = APos.Y - c->Top();
    DispatchEvent([c, AButton, AShift, x, y] { c->MouseUp(AButton, AShift, x, y); });
    // A click is a left press and release over the same control, unless the handler above
    // took the control away.
    const bool alive = std::find(FControls.begin(), FControls.end(), c) != FControls.end();
    if (AButton == TMouseButton::mbLeft && alive && x >= 0 && y >= 0 && x < c->Width() &&
        y < c->Height()) {
      DispatchEvent([c] { c->Click(); });
    }
  }
  // The menu opens only on the window's visible pixels; elsewhere the click is not ours.
  if (AButton == TMouseButton::mbRight && FPopupMenu != nullptr && FPopupMenu->AutoPopup &&
      HandleAllocated() && CurrentPlatform().WindowRegionContains(FHandle, APos)) {
    const TPoint at = CurrentPlatform().GetCursorPos().value_or(
        TPoint{FLeft + FExtents.Left + APos.X, FTop + FExtents.Top + APos.Y});
    TPopupMenu* menu = FPopupMenu;
    DispatchEvent([menu, at] { menu->Popup(at.X, at.Y); });
  }
}

void TForm::WindowMoved(TPoint AOuterTopLeft) {
  FLeft = AOuterTopLeft.X;
  FTop = AOuterTopLeft.Y;
  // A desktop may put its frame around a window only after showing it: the frame's corner moves
  // without the user. A form centred before its frame was known is centred again by its real
  // outer size. A move while no frame is known is the desktop placing the window; once the
  // frame is known, a move is the user's, and the form stays where it was put.
  const TRect extents = CurrentPlatform().FrameExtents(FHandle);
  const bool frameChanged = extents != FExtents;
  FExtents = extents;
  SyncOuterSize();
  if (frameChanged && FCentredUnframed) {
    FCentredUnframed = false;
    Centre();
    ApplyGeometry();
  } else if (extents != TRect{}) {
    FCentredUnframed = false;
  }
}

} // namespace nyarumi

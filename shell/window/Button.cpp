#include "shell/window/Button.h"

#include "common/Errors.h"
#include "shell/window/Application.h"

namespace nyarumi {

TButton::TButton(TComponent* AOwner) : TControl(AOwner) {
  FWidth = 75;
  FHeight = 25;
}

TButton::~TButton() {
  DestroyHandle();
}

void TButton::SetCaption(std::string ACaption) {
  FCaption = std::move(ACaption);
  if (FHandle != ButtonId::None) {
    CurrentPlatform().SetButtonCaption(FHandle, FCaption);
  }
}

void TButton::CreateHandle(WindowId AWindow) {
  if (FHandle != ButtonId::None) {
    return;
  }
  TButtonParams params;
  params.Bounds = BoundsRect();
  params.Caption = FCaption;
  params.Font = Font().Description();
  params.TabOrder = FTabOrder;
  params.Visible = Visible();
  params.Enabled = Enabled();
  FHandle = CurrentPlatform().CreateButton(AWindow, params,
                                           [this] { DispatchEvent([this] { Click(); }); });
  if (FHandle == ButtonId::None) {
    throw Exception("ボタンを作成できません");
  }
}

void TButton::DestroyHandle() {
  if (FHandle != ButtonId::None) {
    CurrentPlatform().DestroyButton(FHandle);
    FHandle = ButtonId::None;
  }
}

void TButton::BoundsChanged() {
  if (FHandle != ButtonId::None) {
    CurrentPlatform().SetButtonBounds(FHandle, BoundsRect());
  }
}

void TButton::VisibleChanged() {
  if (FHandle != ButtonId::None) {
    CurrentPlatform().SetButtonVisible(FHandle, Visible());
  }
}

void TButton::EnabledChanged() {
  if (FHandle != ButtonId::None) {
    CurrentPlatform().SetButtonEnabled(FHandle, Enabled());
  }
}

} // namespace nyarumi

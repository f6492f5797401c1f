#pragma once
// A push button: a native child control of its form, which the platform draws and clicks.
#include "shell/window/Control.h"

#include <string>

namespace nyarumi {

class TButton : public TControl {
public:
  explicit TButton(TComponent* AOwner);
  ~TButton() override;

  const std::string& Caption() const { return FCaption; }
  void SetCaption(std::string ACaption);
  std::int32_t TabOrder() const { return FTabOrder; }
  void SetTabOrder(std::int32_t AValue) { FTabOrder = AValue; }
  ButtonId Handle() const { return FHandle; }

  bool IsWindowless() const override { return false; }
  void CreateHandle(WindowId AWindow) override;
  void DestroyHandle() override;

protected:
  void BoundsChanged() override;
  void VisibleChanged() override;
  void EnabledChanged() override;

private:
  std::string FCaption;
  std::int32_t FTabOrder = -1;
  ButtonId FHandle = ButtonId::None;
};

} // namespace nyarumi

#pragma once
// The error box: a small modal window with a stop icon, the message and an OK button, built
// from the backend's own windows and buttons. Enter, Escape, OK or the frame's close end it.
#include "shell/platform/Platform.h"

#include <string>
#include <string_view>

namespace nyarumi::x11 {

class TX11Platform;

class TX11ErrorBox final : public WindowEvents {
public:
  TX11ErrorBox(TX11Platform& APlatform, std::string_view AText, std::string_view ACaption);
  ~TX11ErrorBox() override;
  TX11ErrorBox(const TX11ErrorBox&) = delete;
  TX11ErrorBox& operator=(const TX11ErrorBox&) = delete;

  // Shows the box and returns once it was dismissed (or the program quit).
  void Run();

  void Paint(Canvas& ACanvas, const TRect& ADirty) override;
  void MouseMove(TShiftState, TPoint) override {}
  void MouseLeave() override {}
  void MouseDown(TMouseButton, TShiftState, TPoint) override {}
  void MouseUp(TMouseButton, TShiftState, TPoint) override {}
  bool KeyDown(TShortCut AShortCut) override;
  void CloseRequest() override { FDone = true; }
  void Moved(TPoint) override {}

private:
  TX11Platform& FPlatform;
  std::string FText;
  std::string FCaption;
  TFontDesc FFont;
  TRect FTextBox;
  WindowId FWindow = WindowId::None;
  ButtonId FButton = ButtonId::None;
  bool FDone = false;
};

} // namespace nyarumi::x11

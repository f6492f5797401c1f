#pragma once
// A push button the backend draws itself in the classic flat grey style: a child window of a
// top-level window, pressed by the left button (released over it) or, with the keyboard focus,
// by Space or Enter.
#include "shell/platform/Platform.h"
#include "shell/platform/x11_window.h"

#include <X11/Xlib.h>

#include <functional>
#include <string>

namespace nyarumi::x11 {

// The caption without its access-key marks ("&&" stays one '&').
std::string StripAccessMarks(std::string_view ACaption);

class TX11Button {
public:
  TX11Button(TX11Context& AContext, TX11Window& AParent, const TButtonParams& AParams,
             std::function<void()> AOnClick);
  ~TX11Button();
  TX11Button(const TX11Button&) = delete;
  TX11Button& operator=(const TX11Button&) = delete;

  Window Id() const { return FWindow; }
  TX11Window& Parent() const { return FParent; }
  std::int32_t TabOrder() const { return FTabOrder; }
  bool Focusable() const { return FVisible && FEnabled; }
  bool InCallback() const { return FCallbackDepth > 0; }
  void Detach() { FOnClick = nullptr; }

  void Handle(XEvent& AEvent);
  void SetBounds(const TRect& ABounds);
  void SetCaption(std::string_view ACaption);
  void SetVisible(bool AVisible);
  void SetEnabled(bool AEnabled);
  void SetFocused(bool AFocused);
  void Click();

private:
  void Paint();

  TX11Context& FContext;
  TX11Window& FParent;
  Window FWindow = XNone;
  TX11Surface FSurface;
  std::string FCaption;
  TFontDesc FFont;
  TRect FBounds;
  std::int32_t FTabOrder;
  bool FVisible;
  bool FEnabled;
  bool FFocused = false;
  bool FPressed = false; // the left button went down here and is still held
  bool FInside = false;
  int FCallbackDepth = 0;
  std::function<void()> FOnClick;
};

} // namespace nyarumi::x11

#include "shell/platform/x11_button.h"

#include "shell/platform/x11_style.h"

namespace nyarumi::x11 {

std::string StripAccessMarks(std::string_view ACaption) {
  std::string Result;
  for (std::size_t I = 0; I < ACaption.size(); ++I) {
    if (ACaption[I] == '&') {
      if (I + 1 < ACaption.size() && ACaption[I + 1] == '&') {
        Result.push_back('&');
        ++I;
      }
      continue;
    }
    Result.push_back(ACaption[I]);
  }
  return Result;
}

TX11Button::TX11Button(TX11Context& AContext, TX11Window& AParent, const TButtonParams& AParams,
                       std::function<void()> AOnClick)
    : FContext(AContext), FParent(AParent), FSurface(AContext.Display), FCaption(AParams.Caption),
      FFont(AParams.Font), FBounds(AParams.Bounds), FTabOrder(AParams.TabOrder),
      FVisible(AParams.Visible), FEnabled(AParams.Enabled), FOnClick(std::move(AOnClick)) {
  const TX11Display& D = AContext.Display;
  const int S = D.Scale();
  XSetWindowAttributes Attributes{};
  Attributes.background_pixel = D.Pixel(ClassicColor(colors::Face));
  Attributes.event_mask =
      ExposureMask | ButtonPressMask | ButtonReleaseMask | EnterWindowMask | LeaveWindowMask;
  FWindow =
      XCreateWindow(D.Dpy(), AParent.Id(), FBounds.Left * S, FBounds.Top * S,
                    static_cast<unsigned>(std::max(FBounds.Width(), 1) * S),
                    static_cast<unsigned>(std::max(FBounds.Height(), 1) * S), 0, CopyFromParent,
                    InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &Attributes);
  if (FVisible) {
    XMapWindow(D.Dpy(), FWindow);
  }
  FParent.AddButton(this);
}

TX11Button::~TX11Button() {
  FParent.RemoveButton(this);
  XDestroyWindow(FContext.Display.Dpy(), FWindow);
}

void TX11Button::Handle(XEvent& AEvent) {
  switch (AEvent.type) {
  case Expose:
    if (AEvent.xexpose.count == 0) {
      Paint();
    }
    break;
  case ButtonPress:
    if (AEvent.xbutton.button == Button1 && FEnabled) {
      FPressed = FInside = true;
      FParent.FocusButton(this); // a click takes the focus
      Paint();
    }
    break;
  case ButtonRelease:
    if (AEvent.xbutton.button == Button1 && FPressed) {
      FPressed = false;
      const int S = FContext.Display.Scale();
      const bool Over = AEvent.xbutton.x >= 0 && AEvent.xbutton.y >= 0 &&
                        AEvent.xbutton.x < FBounds.Width() * S &&
                        AEvent.xbutton.y < FBounds.Height() * S;
      Paint();
      if (Over) {
        Click();
      }
    }
    break;
  case EnterNotify:
  case LeaveNotify:
    FInside = AEvent.type == EnterNotify;
    if (FPressed) {
      Paint(); // shown pressed only while the pointer is over it
    }
    break;
  default:
    break;
  }
}

void TX11Button::Click() {
  if (!FOnClick || !FEnabled) {
    return;
  }
  ++FCallbackDepth;
  const std::function<void()> Call = FOnClick; // the handler may destroy this button
  FContext.Dispatch(Call);
  --FCallbackDepth;
}

void TX11Button::SetBounds(const TRect& ABounds) {
  FBounds = ABounds;
  const int S = FContext.Display.Scale();
  XMoveResizeWindow(FContext.Display.Dpy(), FWindow, ABounds.Left * S, ABounds.Top * S,
                    static_cast<unsigned>(std::max(ABounds.Width(), 1) * S),
                    static_cast<unsigned>(std::max(ABounds.Height(), 1) * S));
  Paint();
}

void TX11Button::SetCaption(std::string_view ACaption) {
  FCaption = ACaption;
  Paint();
}

void TX11Button::SetVisible(bool AVisible) {
  FVisible = AVisible;
  if (AVisible) {
    XMapWindow(FContext.Display.Dpy(), FWindow);
  } else {
    XUnmapWindow(FContext.Display.Dpy(), FWindow);
  }
}

void TX11Button::SetEnabled(bool AEnabled) {
  FEnabled = AEnabled;
  FPressed = FPressed && AEnabled;
  Paint();
}

void TX11Button::SetFocused(bool AFocused) {
  if (FFocused != AFocused) {
    FFocused = AFocused;
    Paint();
  }
}

void TX11Button::Paint() {
  if (!FVisible) {
    return;
  }
  const TX11Display& D = FContext.Display;
  const int S = D.Scale();
  const int W = std::max(FBounds.Width(), 1) * S, H = std::max(FBounds.Height(), 1) * S;
  FSurface.Resize(W, H);
  const TRect All{0, 0, W, H};
  FillDevice(D, FSurface, All, ClassicColor(colors::Face));
  const bool Down = FPressed && FInside;
  DrawBevel(D, FSurface, All, Down);

  const std::string Text = StripAccessMarks(FCaption);
  TFontDesc Font = FFont;
  Font.Color = ClassicColor(FEnabled ? colors::ButtonText : colors::GrayText);
  const TPoint Size = FContext.Fonts.Extent(Text, Font, std::nullopt);
  const int Shift = Down ? S : 0;
  const int X = (W - Size.X) / 2 + Shift, Y = (H - Size.Y) / 2 + Shift;
  if (const Picture Draw = FSurface.TextPicture(); Draw != XNone) {
    const TRect Inside{2 * S, 2 * S, W - 2 * S, H - 2 * S};
    if (!FEnabled) {
      // Disabled text is embossed: a white copy one pixel down and right.
      TFontDesc Emboss = Font;
      Emboss.Color = ClassicColor(colors::Light);
      FContext.Fonts.Draw(Draw, {X + S, Y + S, Inside.Right, Inside.Bottom}, Text, Emboss, false);
    }
    FContext.Fonts.Draw(
        Draw, {std::max(X, Inside.Left), std::max(Y, Inside.Top), Inside.Right, Inside.Bottom},
        Text, Font, false);
  }
  if (FFocused) {
    DrawFocusRect(D, FSurface, {4 * S, 4 * S, W - 4 * S, H - 4 * S});
  }
  XCopyArea(D.Dpy(), FSurface.Target(), FWindow, FSurface.Gc(), 0, 0, static_cast<unsigned>(W),
            static_cast<unsigned>(H), 0, 0);
}

} // namespace nyarumi::x11

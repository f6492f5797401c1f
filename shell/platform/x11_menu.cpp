#include "shell/platform/x11_menu.h"

#include "shell/platform/x11_button.h"
#include "shell/platform/x11_style.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <unistd.h>

namespace nyarumi::x11 {
namespace {

constexpr const char* MenuFont = "ＭＳ Ｐゴシック";
constexpr int MenuFontHeight = 12;

// Logical sizes of the classic menu.
constexpr int Border = 3;
constexpr int CheckColumn = 18;
constexpr int ShortCutGap = 24;
constexpr int RightPad = 16;
constexpr int SeparatorHeight = 9;
constexpr int RowPad = 6;

} // namespace

std::optional<char32_t> AccessKeyOf(std::string_view ACaption) {
  for (std::size_t I = 0; I + 1 < ACaption.size(); ++I) {
    if (ACaption[I] != '&') {
      continue;
    }
    if (ACaption[I + 1] == '&') {
      ++I; // a literal ampersand
      continue;
    }
    const std::u32string Rest = DecodeUtf8(ACaption.substr(I + 1));
    if (Rest.empty()) {
      return std::nullopt;
    }
    char32_t C = Rest.front();
    if (C >= U'A' && C <= U'Z') {
      C = C - U'A' + U'a';
    }
    return C;
  }
  return std::nullopt;
}

std::optional<std::size_t> NextSelectable(std::span<const TMenuEntry> AEntries,
                                          std::optional<std::size_t> AFrom, bool AForward) {
  const std::size_t N = AEntries.size();
  if (N == 0) {
    return std::nullopt;
  }
  std::size_t I = AFrom ? *AFrom : (AForward ? N - 1 : 0);
  for (std::size_t Step = 0; Step < N; ++Step) {
    I = AForward ? (I + 1) % N : (I + N - 1) % N;
    if (!AEntries[I].Separator && AEntries[I].Enabled) {
      return I;
    }
  }
  return std::nullopt;
}

TX11Menu::TX11Menu(TX11Context& AContext, TPoint AScreenPos, std::span<const TMenuEntry> AEntries)
    : FContext(AContext), FDpy(AContext.Display.Dpy()), FEntries(AEntries),
      FSurface(AContext.Display) {
  Layout(AScreenPos);
}

TX11Menu::~TX11Menu() {
  if (FGrabbed) {
    XUngrabKeyboard(FDpy, CurrentTime);
    XUngrabPointer(FDpy, CurrentTime);
  }
  if (FWindow != XNone) {
    XDestroyWindow(FDpy, FWindow);
  }
  XFlush(FDpy);
}

TFontDesc TX11Menu::FontOf(const TMenuEntry& AEntry) const {
  TFontDesc F;
  F.Name = MenuFont;
  F.PixelHeight = MenuFontHeight;
  F.Bold = AEntry.Default;
  return F;
}

void TX11Menu::Layout(TPoint AScreenPos) {
  const TX11Display& D = FContext.Display;
  const int S = D.Scale();
  int CaptionWidth = 0, ShortCutWidth = 0, Y = Border * S;
  FRows.clear();
  for (const TMenuEntry& E : FEntries) {
    if (E.Separator) {
      FRows.push_back({Y, SeparatorHeight * S});
      Y += SeparatorHeight * S;
      continue;
    }
    const TFontDesc Font = FontOf(E);
    const TPoint Caption = FContext.Fonts.Extent(StripAccessMarks(E.Caption), Font, std::nullopt);
    CaptionWidth = std::max(CaptionWidth, Caption.X);
    if (!E.ShortCutText.empty()) {
      ShortCutWidth =
          std::max(ShortCutWidth, FContext.Fonts.Extent(E.ShortCutText, Font, std::nullopt).X);
    }
    const int Height = FContext.Fonts.LineHeight(Font) + RowPad * S;
    FRows.push_back({Y, Height});
    Y += Height;
  }
  FHeight = Y + Border * S;
  FTextLeft = (Border + CheckColumn) * S;
  FWidth = FTextLeft + CaptionWidth + (ShortCutWidth > 0 ? ShortCutGap * S + ShortCutWidth : 0) +
           RightPad * S + Border * S;
  FShortCutRight = FWidth - (RightPad + Border) * S;

  // Keep it on the screen: open to the left of or above the point when it would not fit.
  const int ScreenW = DisplayWidth(FDpy, D.ScreenNumber());
  const int ScreenH = DisplayHeight(FDpy, D.ScreenNumber());
  int X = AScreenPos.X * S, Yp = AScreenPos.Y * S;
  if (X + FWidth > ScreenW) {
    X = std::max(0, X - FWidth);
  }
  if (Yp + FHeight > ScreenH) {
    Yp = std::max(0, Yp - FHeight);
  }

  XSetWindowAttributes Attributes{};
  Attributes.override_redirect = True;
  Attributes.save_under = True;
  Attributes.background_pixel = D.Pixel(ClassicColor(colors::Face));
  Attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                          KeyPressMask | LeaveWindowMask;
  FWindow =
      XCreateWindow(FDpy, D.Root(), X, Yp, static_cast<unsigned>(FWidth),
                    static_cast<unsigned>(FHeight), 0, CopyFromParent, InputOutput, CopyFromParent,
                    CWOverrideRedirect | CWSaveUnder | CWBackPixel | CWEventMask, &Attributes);
  XClassHint Class{const_cast<char*>("nyarumi"), const_cast<char*>("Nyarumi")};
  XSetClassHint(FDpy, FWindow, &Class);
  const long Pid = static_cast<long>(getpid());
  XChangeProperty(FDpy, FWindow, D.Atoms().NetWmPid, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&Pid), 1);
  const Atom Type = XInternAtom(FDpy, "_NET_WM_WINDOW_TYPE_POPUP_MENU", False);
  XChangeProperty(FDpy, FWindow, D.Atoms().NetWmWindowType, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&Type), 1);
}

bool TX11Menu::Open() {
  XMapRaised(FDpy, FWindow);
  XSync(FDpy, False); // an override-redirect window is viewable once the map is processed
  constexpr unsigned PointerEvents = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
  const int Pointer = XGrabPointer(FDpy, FWindow, False, PointerEvents, GrabModeAsync,
                                   GrabModeAsync, XNone, XNone, CurrentTime);
  const int Keyboard =
      XGrabKeyboard(FDpy, FWindow, False, GrabModeAsync, GrabModeAsync, CurrentTime);
  FGrabbed = true;
  if (Pointer != GrabSuccess || Keyboard != GrabSuccess) {
    Finish(-1);
    return false;
  }
  Paint();
  return true;
}

void TX11Menu::Finish(int AResult) {
  FResult = AResult;
  FDone = true;
}

std::optional<std::size_t> TX11Menu::EntryAt(int AX, int AY) const {
  const int S = FContext.Display.Scale();
  if (AX < Border * S || AX >= FWidth - Border * S) {
    return std::nullopt;
  }
  for (std::size_t I = 0; I < FRows.size(); ++I) {
    if (AY >= FRows[I].Top && AY < FRows[I].Top + FRows[I].Height) {
      return I;
    }
  }
  return std::nullopt;
}

void TX11Menu::Select(std::optional<std::size_t> AIndex) {
  if (AIndex == FSelected) {
    return;
  }
  const auto Old = FSelected;
  FSelected = AIndex;
  if (Old) {
    PaintEntry(*Old);
  }
  if (FSelected) {
    PaintEntry(*FSelected);
  }
}

void TX11Menu::Paint() {
  const TX11Display& D = FContext.Display;
  FSurface.Resize(FWidth, FHeight);
  FillDevice(D, FSurface, {0, 0, FWidth, FHeight}, ClassicColor(colors::Face));
  DrawBevel(D, FSurface, {0, 0, FWidth, FHeight}, false);
  for (std::size_t I = 0; I < FEntries.size(); ++I) {
    PaintEntry(I);
  }
  XCopyArea(FDpy, FSurface.Target(), FWindow, FSurface.Gc(), 0, 0, static_cast<unsigned>(FWidth),
            static_cast<unsigned>(FHeight), 0, 0);
}

void TX11Menu::PaintEntry(std::size_t AIndex) {
  const TX11Display& D = FContext.Display;
  const int S = D.Scale();
  const TMenuEntry& E = FEntries[AIndex];
  const Row& R = FRows[AIndex];
  const TRect Box{Border * S, R.Top, FWidth - Border * S, R.Top + R.Height};
  FSurface.Resize(FWidth, FHeight);
  if (E.Separator) {
    FillDevice(D, FSurface, Box, ClassicColor(colors::Face));
    const int Mid = R.Top + R.Height / 2 - S;
    FillDevice(D, FSurface, {Box.Left + S, Mid, Box.Right - S, Mid + S},
               ClassicColor(colors::Shadow));
    FillDevice(D, FSurface, {Box.Left + S, Mid + S, Box.Right - S, Mid + 2 * S},
               ClassicColor(colors::Light));
  } else {
    const bool Selected = FSelected == AIndex;
    FillDevice(D, FSurface, Box, ClassicColor(Selected ? colors::Highlight : colors::Face));
    TFontDesc Font = FontOf(E);
    Font.Color = ClassicColor(!E.Enabled ? colors::GrayText
                              : Selected ? colors::HighlightText
                                         : colors::ButtonText);
    const int LineHeight = FContext.Fonts.LineHeight(Font);
    const int TextTop = R.Top + (R.Height - LineHeight) / 2;
    const Picture Draw = FSurface.TextPicture();
    const std::string Caption = StripAccessMarks(E.Caption);
    const auto DrawText = [&](int X, std::string_view Text, const TFontDesc& F) {
      if (Draw != XNone) {
        FContext.Fonts.Draw(Draw, {X, TextTop, Box.Right, TextTop + LineHeight}, Text, F, false);
      }
    };
    if (!E.Enabled && !Selected) {
      TFontDesc Emboss = Font;
      Emboss.Color = ClassicColor(colors::Light);
      DrawText(FTextLeft + S, Caption, Emboss);
    }
    DrawText(FTextLeft, Caption, Font);
    if (!E.ShortCutText.empty()) {
      const int W = FContext.Fonts.Extent(E.ShortCutText, Font, std::nullopt).X;
      DrawText(FShortCutRight - W, E.ShortCutText, Font);
    }
    // The access key's character is underlined.
    if (const auto Pos = E.Caption.find('&'); Pos != std::string::npos && AccessKeyOf(E.Caption)) {
      const std::string Before = StripAccessMarks(E.Caption.substr(0, Pos));
      const auto Lead = static_cast<unsigned char>(E.Caption[Pos + 1]);
      const std::size_t Length = Lead < 0x80             ? 1
                                 : (Lead & 0xE0) == 0xC0 ? 2
                                 : (Lead & 0xF0) == 0xE0 ? 3
                                                         : 4;
      const std::string Key = E.Caption.substr(Pos + 1, Length);
      const int X = FTextLeft + FContext.Fonts.Extent(Before, Font, std::nullopt).X;
      const int W = FContext.Fonts.Extent(Key, Font, std::nullopt).X;
      const int Y = TextTop + FContext.Fonts.Ascent(Font) + S;
      FillDevice(D, FSurface, {X, Y, X + W, Y + S}, Font.Color);
    }
    if (E.Checked) {
      const int Cx = (Border + CheckColumn / 2) * S, Cy = R.Top + R.Height / 2;
      FSurface.SetForeground(D.Pixel(Font.Color));
      if (E.RadioCheck) {
        XFillArc(FDpy, FSurface.Target(), FSurface.Gc(), Cx - 3 * S, Cy - 3 * S,
                 static_cast<unsigned>(6 * S), static_cast<unsigned>(6 * S), 0, 360 * 64);
      } else {
        // A tick: three pixels thick, down to the right then up.
        for (int K = 0; K < 3 * S; ++K) {
          FillDevice(D, FSurface, {Cx - 3 * S + K, Cy - S + K, Cx - 2 * S + K, Cy + 2 * S + K},
                     Font.Color);
        }
        for (int K = 0; K < 4 * S; ++K) {
          FillDevice(D, FSurface, {Cx + K, Cy + S - K, Cx + K + 1, Cy + 4 * S - K}, Font.Color);
        }
      }
    }
  }
  XCopyArea(FDpy, FSurface.Target(), FWindow, FSurface.Gc(), Box.Left, Box.Top,
            static_cast<unsigned>(Box.Width()), static_cast<unsigned>(Box.Height()), Box.Left,
            Box.Top);
}

void TX11Menu::OnKey(XKeyEvent& AEvent) {
  char Buffer[16] = {};
  KeySym Sym = NoSymbol;
  const int Length = XLookupString(&AEvent, Buffer, sizeof Buffer - 1, &Sym, nullptr);
  switch (Sym) {
  case XK_Escape:
    Finish(-1);
    return;
  case XK_Up:
  case XK_KP_Up:
    Select(NextSelectable(FEntries, FSelected, false));
    return;
  case XK_Down:
  case XK_KP_Down:
    Select(NextSelectable(FEntries, FSelected, true));
    return;
  case XK_Home:
    Select(NextSelectable(FEntries, std::nullopt, true));
    return;
  case XK_End:
    Select(NextSelectable(FEntries, std::nullopt, false));
    return;
  case XK_Return:
  case XK_KP_Enter:
  case XK_space:
    if (FSelected && FEntries[*FSelected].Enabled) {
      Finish(static_cast<int>(*FSelected));
    }
    return;
  default:
    break;
  }
  if (Length <= 0) {
    return;
  }
  const std::u32string Typed =
      DecodeUtf8(std::string_view(Buffer, static_cast<std::size_t>(Length)));
  if (Typed.size() != 1) {
    return;
  }
  char32_t C = Typed.front();
  if (C >= U'A' && C <= U'Z') {
    C = C - U'A' + U'a';
  }
  for (std::size_t I = 0; I < FEntries.size(); ++I) {
    const TMenuEntry& E = FEntries[I];
    if (!E.Separator && E.Enabled && AccessKeyOf(E.Caption) == C) {
      Finish(static_cast<int>(I));
      return;
    }
  }
}

void TX11Menu::Handle(XEvent& AEvent) {
  switch (AEvent.type) {
  case Expose:
    if (AEvent.xexpose.count == 0) {
      Paint();
    }
    break;
  case MotionNotify: {
    while (XCheckTypedWindowEvent(FDpy, FWindow, MotionNotify, &AEvent)) {
    }
    const auto At = EntryAt(AEvent.xmotion.x, AEvent.xmotion.y);
    if (At && !FEntries[*At].Separator && FEntries[*At].Enabled) {
      Select(At);
    } else if (!At) {
      Select(std::nullopt);
    }
    break;
  }
  case LeaveNotify:
    Select(std::nullopt);
    break;
  case ButtonPress:
    if (AEvent.xbutton.x < 0 || AEvent.xbutton.y < 0 || AEvent.xbutton.x >= FWidth ||
        AEvent.xbutton.y >= FHeight) {
      Finish(-1); // a click outside dismisses the menu
    }
    break;
  case ButtonRelease: {
    const auto At = EntryAt(AEvent.xbutton.x, AEvent.xbutton.y);
    if (At && !FEntries[*At].Separator && FEntries[*At].Enabled) {
      Finish(static_cast<int>(*At));
    }
    break;
  }
  case KeyPress:
    OnKey(AEvent.xkey);
    break;
  default:
    break;
  }
}

} // namespace nyarumi::x11

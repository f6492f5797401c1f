#include "shell/platform/x11_errorbox.h"

#include "shell/platform/x11_platform.h"
#include "shell/platform/x11_style.h"

#include <algorithm>

namespace nyarumi::x11 {
namespace {

// Logical sizes of the classic message box.
constexpr int Margin = 12;
constexpr int IconSize = 32;
constexpr int TextGap = 12;
constexpr int MaxTextWidth = 360;
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 23;

} // namespace

TX11ErrorBox::TX11ErrorBox(TX11Platform& APlatform, std::string_view AText,
                           std::string_view ACaption)
    : FPlatform(APlatform), FText(AText), FCaption(ACaption) {
  FFont.Name = "ＭＳ Ｐゴシック";
  FFont.PixelHeight = 12;
  FFont.Color = ClassicColor(colors::WindowText);
}

TX11ErrorBox::~TX11ErrorBox() {
  FPlatform.DestroyNativeWindow(FWindow); // its button goes with it
}

void TX11ErrorBox::Run() {
  const TPoint Text = FPlatform.TextExtent(FText, FFont, MaxTextWidth);
  const int TextLeft = Margin + IconSize + TextGap;
  const int Body = std::max(IconSize, Text.Y);
  const int Width = std::max(TextLeft + Text.X + Margin, ButtonWidth + 2 * Margin);
  const int Height = Margin + Body + Margin + ButtonHeight + Margin;
  FTextBox = {TextLeft, Margin + (Body - Text.Y) / 2, TextLeft + Text.X,
              Margin + (Body - Text.Y) / 2 + Text.Y};

  const TRect Screen = FPlatform.VirtualScreenRect();
  TWindowParams Params;
  Params.Border = TWindowBorder::ToolWindow;
  Params.Caption = FCaption;
  Params.ClientWidth = Width;
  Params.ClientHeight = Height;
  Params.OuterTopLeft = {Screen.Left + (Screen.Width() - Width) / 2,
                         Screen.Top + (Screen.Height() - Height) / 2};
  Params.Background = ClassicColor(colors::Face);
  Params.StayOnTop = true; // the program's own windows stay on top; the error must not hide
  Params.SkipTaskbar = false;
  FWindow = FPlatform.CreateDialogWindow(Params, *this);

  TButtonParams Button;
  Button.Bounds = {(Width - ButtonWidth) / 2, Height - Margin - ButtonHeight,
                   (Width + ButtonWidth) / 2, Height - Margin};
  Button.Caption = "OK";
  Button.Font = FFont;
  FButton = FPlatform.CreateButton(FWindow, Button, [this] { FDone = true; });
  FPlatform.SetWindowVisible(FWindow, true);
  FPlatform.RunUntil([this] { return FDone; });
  FPlatform.SetWindowVisible(FWindow, false);
}

void TX11ErrorBox::Paint(Canvas& ACanvas, const TRect&) {
  // The stop icon: a red disc with a white cross.
  const TRect Icon{Margin, Margin, Margin + IconSize, Margin + IconSize};
  ACanvas.FillRect(Icon, ClassicColor(colors::Face));
  for (int Y = 0; Y < IconSize; ++Y) {
    // One horizontal span per row of the disc.
    const double Dy = Y + 0.5 - IconSize / 2.0;
    const double R = IconSize / 2.0 - 0.5;
    if (Dy * Dy > R * R) {
      continue;
    }
    int Half = 0;
    while ((Half + 0.5) * (Half + 0.5) + Dy * Dy <= R * R) {
      ++Half;
    }
    ACanvas.FillRect({Icon.Left + IconSize / 2 - Half, Icon.Top + Y,
                      Icon.Left + IconSize / 2 + Half, Icon.Top + Y + 1},
                     TRgb{0xD0, 0x20, 0x20});
  }
  for (int K = 0; K < 14; ++K) {
    const int X = Icon.Left + 9 + K, Y = Icon.Top + 9 + K;
    ACanvas.FillRect({X, Y, X + 2, Y + 1}, TRgb{0xFF, 0xFF, 0xFF});
    ACanvas.FillRect({Icon.Right - 11 - K, Y, Icon.Right - 9 - K, Y + 1}, TRgb{0xFF, 0xFF, 0xFF});
  }
  TTextOptions Options;
  Options.WordWrap = true;
  Options.Transparent = true;
  ACanvas.DrawString(FTextBox, FText, FFont, Options);
}

bool TX11ErrorBox::KeyDown(TShortCut AShortCut) {
  if (AShortCut == 0x0D || AShortCut == 0x1B) {
    FDone = true;
    return true;
  }
  return false;
}

} // namespace nyarumi::x11

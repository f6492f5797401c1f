#pragma once
// The canvas a paint callback draws with: fills and picture copies on a window's surface, text
// through the render extension. Coordinates come in logical pixels and are multiplied by the display's scale.
#include "shell/platform/Platform.h"
#include "shell/platform/x11_display.h"
#include "shell/platform/x11_fonts.h"
#include "shell/platform/x11_pictures.h"
#include "shell/platform/x11_surface.h"

namespace nyarumi::x11 {

class TX11Canvas final : public Canvas {
public:
  TX11Canvas(const TX11Display& ADisplay, TX11Surface& ASurface, TX11Pictures& APictures,
             TX11Fonts& AFonts)
      : FDisplay(ADisplay), FSurface(ASurface), FPictures(APictures), FFonts(AFonts) {}

  void FillRect(const TRect& ARect, TRgb AColor) override;
  void CopyPicture(const TRect& ADest, const TPictureRef& APicture, const TRect& ASource) override;
  void DrawString(const TRect& ARect, std::string_view AText, const TFontDesc& AFont,
                  const TTextOptions& AOptions) override;
  void DrawRectangle(const TRect& ARect, std::optional<TRgb> APen,
                     std::optional<TRgb> ABrush) override;

private:
  TRect Device(const TRect& ALogical) const;
  void Fill(const TRect& ADevice, TRgb AColor);

  const TX11Display& FDisplay;
  TX11Surface& FSurface;
  TX11Pictures& FPictures;
  TX11Fonts& FFonts;
};

} // namespace nyarumi::x11

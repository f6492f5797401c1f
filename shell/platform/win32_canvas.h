#pragma once
// The canvas a paint callback draws with on Windows: GDI calls on the window's back buffer.
// Pictures go from the 8-bit palette data straight to the device through StretchDIBits.
#include "shell/platform/CopyRects.h"
#include "shell/platform/Platform.h"
#include "shell/platform/win32_text.h"

#include <windows.h>

#include <optional>

namespace nyarumi::win32 {

COLORREF ColorOf(TRgb AColor);

class TWin32Canvas final : public Canvas {
public:
  TWin32Canvas(HDC ADc, TFontCache& AFonts) : FDc(ADc), FFonts(AFonts) {}

  void FillRect(const TRect& ARect, TRgb AColor) override;
  void CopyPicture(const TRect& ADest, const TPictureRef& APicture, const TRect& ASource) override;
  void DrawString(const TRect& ARect, std::string_view AText, const TFontDesc& AFont,
                  const TTextOptions& AOptions) override;
  void DrawRectangle(const TRect& ARect, std::optional<TRgb> APen,
                     std::optional<TRgb> ABrush) override;

private:
  void CopyIndexed(const TCopyRects& ARects, const TBitmap8& APicture);
  void CopyRgb32(const TCopyRects& ARects, const TPictureRef& APicture);

  HDC FDc;
  TFontCache& FFonts;
};

} // namespace nyarumi::win32

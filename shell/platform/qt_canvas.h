#pragma once
// The canvas a paint callback draws with, over a QPainter, and the cache that keeps 8-bit
// pictures converted to screen pixels between paints.
#include "shell/platform/Platform.h"

#include <QFont>
#include <QImage>
#include <QRect>

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

class QPainter;

namespace nyarumi::qt {

QFont FontOf(const TFontDesc& AFont);
QColor ColorOf(TRgb AColor);
inline QRect RectOf(const TRect& R) {
  return QRect(R.Left, R.Top, R.Width(), R.Height());
}

// The part of a copy that falls inside the picture: the source clipped to the picture and the
// matching part of the destination (scaled when the two sizes differ). Nothing when no pixel of
// the source lies inside the picture or either rectangle is empty.
struct TCopyRects {
  QRect Dest;
  QRect Source;
};
std::optional<TCopyRects> ClipCopy(const TRect& ADest, const TRect& ASource, std::int32_t AWidth,
                                   std::int32_t AHeight);

// Converting an 88 x 154 palette picture costs far more than checking that it has not changed,
// so converted pictures are kept and reused while their indices and palette stay the same.
class TPictureCache {
public:
  // The picture ready to draw; a null image when the picture's data is inconsistent.
  QImage Get(const TPictureRef& APicture);
  std::size_t Conversions() const { return FConversions; }

private:
  struct Entry {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::vector<std::uint8_t> Pixels;
    std::vector<TPaletteEntry> Palette;
    QImage Image;
    std::uint64_t LastUse = 0;
  };
  void EvictOldest();

  std::unordered_map<const TBitmap8*, Entry> FEntries;
  std::uint64_t FClock = 0;
  std::size_t FConversions = 0;
};

class TQtCanvas final : public Canvas {
public:
  TQtCanvas(QPainter& APainter, TPictureCache& ACache) : FPainter(APainter), FCache(ACache) {}

  void FillRect(const TRect& ARect, TRgb AColor) override;
  void CopyPicture(const TRect& ADest, const TPictureRef& APicture, const TRect& ASource) override;
  void DrawString(const TRect& ARect, std::string_view AText, const TFontDesc& AFont,
                  const TTextOptions& AOptions) override;
  void DrawRectangle(const TRect& ARect, std::optional<TRgb> APen,
                     std::optional<TRgb> ABrush) override;

private:
  QPainter& FPainter;
  TPictureCache& FCache;
};

// Alignment and wrapping flags shared by drawing and measuring text, so both agree.
int TextFlags(bool AWordWrap);

} // namespace nyarumi::qt

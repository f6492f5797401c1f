#include "shell/platform/qt_canvas.h"

#include <QPainter>
#include <QString>

#include <algorithm>
#include <cstring>

namespace nyarumi::qt {
namespace {

constexpr std::size_t MaxCachedPictures = 64;

std::int32_t Scale(std::int32_t AOffset, std::int32_t ATo, std::int32_t AFrom) {
  return static_cast<std::int32_t>(static_cast<std::int64_t>(AOffset) * ATo / AFrom);
}

QImage WrapRgb32(const TPictureRef& P) {
  if (P.Width <= 0 || P.Height <= 0) {
    return {};
  }
  return QImage(reinterpret_cast<const uchar*>(P.Rgb32), P.Width, P.Height, P.Width * 4,
                QImage::Format_RGB32);
}

QImage ConvertIndexed(const TBitmap8& B) {
  QImage Indexed(B.Pixels.data(), B.Width, B.Height, B.Width, QImage::Format_Indexed8);
  // Indices past the palette draw black rather than whatever lies beyond the table.
  QList<QRgb> Table(256, qRgb(0, 0, 0));
  for (std::size_t I = 0; I < std::min<std::size_t>(B.Palette.size(), 256); ++I) {
    Table[static_cast<qsizetype>(I)] =
        qRgb(B.Palette[I].Red, B.Palette[I].Green, B.Palette[I].Blue);
  }
  Indexed.setColorTable(Table);
  return Indexed.convertToFormat(QImage::Format_RGB32);
}

bool Consistent(const TBitmap8& B) {
  return B.Width > 0 && B.Height > 0 &&
         B.Pixels.size() >= static_cast<std::size_t>(B.Width) * static_cast<std::size_t>(B.Height);
}

} // namespace

QFont FontOf(const TFontDesc& AFont) {
  QFont F(QString::fromStdString(AFont.Name));
  F.setPixelSize(std::max(1, AFont.PixelHeight));
  F.setBold(AFont.Bold);
  F.setItalic(AFont.Italic);
  F.setUnderline(AFont.Underline);
  F.setStrikeOut(AFont.StrikeOut);
  return F;
}

QColor ColorOf(TRgb AColor) {
  return QColor(AColor.Red, AColor.Green, AColor.Blue);
}

int TextFlags(bool AWordWrap) {
  return Qt::AlignLeft | Qt::AlignTop | (AWordWrap ? Qt::TextWordWrap : 0);
}

std::optional<TCopyRects> ClipCopy(const TRect& ADest, const TRect& ASource, std::int32_t AWidth,
                                   std::int32_t AHeight) {
  if (ADest.IsEmpty() || ASource.IsEmpty()) {
    return std::nullopt;
  }
  const TRect C{std::max(ASource.Left, 0), std::max(ASource.Top, 0),
                std::min(ASource.Right, AWidth), std::min(ASource.Bottom, AHeight)};
  if (C.IsEmpty()) {
    return std::nullopt;
  }
  const std::int32_t Dw = ADest.Width(), Dh = ADest.Height();
  const std::int32_t Sw = ASource.Width(), Sh = ASource.Height();
  const TRect D{ADest.Left + Scale(C.Left - ASource.Left, Dw, Sw),
                ADest.Top + Scale(C.Top - ASource.Top, Dh, Sh),
                ADest.Left + Scale(C.Right - ASource.Left, Dw, Sw),
                ADest.Top + Scale(C.Bottom - ASource.Top, Dh, Sh)};
  if (D.IsEmpty()) {
    return std::nullopt;
  }
  return TCopyRects{RectOf(D), RectOf(C)};
}

QImage TPictureCache::Get(const TPictureRef& APicture) {
  if (APicture.Indexed == nullptr) {
    return APicture.Rgb32 != nullptr ? WrapRgb32(APicture) : QImage{};
  }
  const TBitmap8& B = *APicture.Indexed;
  if (!Consistent(B)) {
    return {};
  }
  const std::size_t Count = static_cast<std::size_t>(B.Width) * static_cast<std::size_t>(B.Height);
  Entry& E = FEntries[&B];
  E.LastUse = ++FClock;
  const bool Same = E.Width == B.Width && E.Height == B.Height && E.Palette == B.Palette &&
                    E.Pixels.size() == Count &&
                    std::memcmp(E.Pixels.data(), B.Pixels.data(), Count) == 0;
  if (!Same) {
    E.Width = B.Width;
    E.Height = B.Height;
    E.Palette = B.Palette;
    E.Pixels.assign(B.Pixels.begin(), B.Pixels.begin() + static_cast<std::ptrdiff_t>(Count));
    E.Image = ConvertIndexed(B);
    ++FConversions;
  }
  QImage Result = E.Image;
  if (FEntries.size() > MaxCachedPictures) {
    EvictOldest();
  }
  return Result;
}

void TPictureCache::EvictOldest() {
  const auto Oldest = std::min_element(FEntries.begin(), FEntries.end(), [](auto& A, auto& B) {
    return A.second.LastUse < B.second.LastUse;
  });
  FEntries.erase(Oldest);
}

void TQtCanvas::FillRect(const TRect& ARect, TRgb AColor) {
  if (!ARect.IsEmpty()) {
    FPainter.fillRect(RectOf(ARect), ColorOf(AColor));
  }
}

void TQtCanvas::CopyPicture(const TRect& ADest, const TPictureRef& APicture, const TRect& ASource) {
  const QImage Image = FCache.Get(APicture);
  if (Image.isNull()) {
    return;
  }
  const auto Rects = ClipCopy(ADest, ASource, Image.width(), Image.height());
  if (Rects) {
    FPainter.drawImage(Rects->Dest, Image, Rects->Source);
  }
}

void TQtCanvas::DrawString(const TRect& ARect, std::string_view AText, const TFontDesc& AFont,
                           const TTextOptions& AOptions) {
  if (ARect.IsEmpty()) {
    return;
  }
  const QRect R = RectOf(ARect);
  if (!AOptions.Transparent) {
    FPainter.fillRect(R, ColorOf(AOptions.Background));
  }
  FPainter.save();
  FPainter.setClipRect(R, Qt::IntersectClip);
  FPainter.setFont(FontOf(AFont));
  FPainter.setPen(ColorOf(AFont.Color));
  FPainter.drawText(R, TextFlags(AOptions.WordWrap),
                    QString::fromUtf8(AText.data(), static_cast<qsizetype>(AText.size())));
  FPainter.restore();
}

void TQtCanvas::DrawRectangle(const TRect& ARect, std::optional<TRgb> APen,
                              std::optional<TRgb> ABrush) {
  if (ARect.IsEmpty()) {
    return;
  }
  // Like the pictures' own painter: the outline lies on the rectangle's inner edge pixels and
  // right and bottom stay exclusive.
  const QRect R = RectOf(ARect);
  if (ABrush) {
    FPainter.fillRect(APen ? R.adjusted(1, 1, -1, -1) : R, ColorOf(*ABrush));
  }
  if (APen) {
    const QColor C = ColorOf(*APen);
    FPainter.fillRect(QRect(R.left(), R.top(), R.width(), 1), C);
    FPainter.fillRect(QRect(R.left(), R.bottom(), R.width(), 1), C);
    FPainter.fillRect(QRect(R.left(), R.top(), 1, R.height()), C);
    FPainter.fillRect(QRect(R.right(), R.top(), 1, R.height()), C);
  }
}

} // namespace nyarumi::qt

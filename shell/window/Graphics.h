#pragma once
// Colours, fonts, pens and brushes as the form streams describe them, and in-memory pictures
// with the small canvas the frame sequencer draws with.
#include "assets/Bitmap.h"
#include "common/Geometry.h"
#include "shell/platform/Platform.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace nyarumi {

// 0x00BBGGRR; 0x02 in the top byte asks for the nearest palette colour (plain RGB here); the top
// bit set names a system colour by its index in the low byte.
using TColor = std::int32_t;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clWindow = static_cast<TColor>(0x80000005u);
inline constexpr TColor clWindowText = static_cast<TColor>(0x80000008u);
inline constexpr TColor clBtnFace = static_cast<TColor>(0x8000000Fu);
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

// A colour named in a stream ("clWhite"); nullopt for an unknown name.
std::optional<TColor> ColorFromIdent(std::string_view AIdent);
// The colour on screen; nullopt for clNone and clDefault, which draw nothing.
std::optional<TRgb> ColorToRgb(TColor AColor);
std::uint32_t RgbToPixel(TRgb AColor); // 0x00RRGGBB

enum TFontStyle : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = std::uint8_t;

inline constexpr std::uint8_t FONT_CHARSET_ANSI = 0;
inline constexpr std::uint8_t FONT_CHARSET_DEFAULT = 1;
inline constexpr std::uint8_t FONT_CHARSET_SHIFTJIS = 128;
std::optional<std::uint8_t> CharsetFromIdent(std::string_view AIdent);

class TFont {
public:
  const std::string& Name() const { return FName; }
  void SetName(std::string AName);
  // Negative: character height in pixels; positive: cell height, taken as pixels too.
  std::int32_t Height() const { return FHeight; }
  void SetHeight(std::int32_t AHeight);
  TColor Color() const { return FColor; }
  void SetColor(TColor AColor);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles AStyle);
  std::uint8_t Charset() const { return FCharset; }
  void SetCharset(std::uint8_t ACharset);
  void Assign(const TFont& AOther); // copies the values, keeps OnChange

  TFontDesc Description() const;
  std::function<void()> OnChange;

private:
  void Changed();
  std::string FName = "ＭＳ Ｐゴシック";
  std::int32_t FHeight = -12;
  TColor FColor = clWindowText;
  TFontStyles FStyle = 0;
  std::uint8_t FCharset = FONT_CHARSET_DEFAULT;
};

enum class TBrushStyle { bsSolid, bsClear };
enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

struct TBrush {
  TColor Color = clWhite;
  TBrushStyle Style = TBrushStyle::bsSolid;
};

struct TPen {
  TColor Color = clBlack;
  TPenStyle Style = TPenStyle::psSolid;
  std::int32_t Width = 1;
};

// 32-bit pixels 0x00RRGGBB, top row first.
struct TBitmap32 {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::vector<std::uint32_t> Pixels;
};

// What an image shows: nothing, an 8-bit palette picture as loaded, or 32-bit pixels once
// something has drawn on it. Palette pictures never change in place, so a copy that leaves
// another picture equal to one shares its pixels instead: her every tick copies a frame three
// times.
class TPicture {
public:
  bool Empty() const;
  std::int32_t Width() const;
  std::int32_t Height() const;
  void Clear();
  void Assign(TBitmap8 ABitmap);
  // A fresh white 32-bit picture of this size.
  void SetSize(std::int32_t AWidth, std::int32_t AHeight);
  const TBitmap8* Indexed() const;
  const TBitmap32* Rgb32() const { return std::get_if<TBitmap32>(&FData); }
  // Turns an 8-bit picture into 32-bit pixels so that it can be drawn on.
  TBitmap32& Writable();
  std::uint32_t Pixel(std::int32_t AX, std::int32_t AY) const; // 0x00RRGGBB
  TPictureRef Ref() const;

  std::function<void()> OnChange;
  void Changed();

  // Whether copying ARect of ASource onto the same place of this picture would leave the two
  // equal; then it shows ASource's pixels from now on (and true). Only tried when ASource is a
  // palette picture of the same size and the rest of the picture is no bigger than ARect, so
  // the check costs less than the copy it saves.
  bool ShareIfCopyEquals(const TPicture& ASource, const TRect& ARect);

  // A palette picture as pictures share it, with what comparisons learnt about it: the pixels
  // never change, so neither does what was learnt.
  struct TShared8 {
    TBitmap8 Bitmap;
    // The one index every pixel outside EdgeRect shows, or -1; for the last rectangle asked.
    mutable std::optional<TRect> EdgeRect;
    mutable int EdgeIndex = -1;
  };

private:
  std::variant<std::monostate, std::shared_ptr<const TShared8>, TBitmap32> FData;
};

// Draws on one picture. Coordinates are the picture's pixels; everything is clipped to it.
class TCanvas {
public:
  // AEnsure gives the picture to draw on, creating it when the owner has none yet.
  explicit TCanvas(std::function<TPicture&()> AEnsure) : FEnsure(std::move(AEnsure)) {}
  TBrush Brush;
  void FillRect(const TRect& ARect);
  // Copies ASource of the other canvas's picture to ADest: a plain pixel copy when the sizes
  // agree, nearest-pixel stretching otherwise.
  void CopyRect(const TRect& ADest, const TCanvas& ASource, const TRect& ASourceRect);
  std::uint32_t Pixel(std::int32_t AX, std::int32_t AY) const;
  const TPicture& Picture() const { return FEnsure(); }

private:
  std::function<TPicture&()> FEnsure;
};

} // namespace nyarumi

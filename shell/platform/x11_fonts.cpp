#include "shell/platform/x11_fonts.h"

#include "common/Errors.h"
#include "shell/platform/x11_xft.h"

#include <algorithm>

namespace nyarumi::x11 {
namespace {

const std::vector<std::string> JapaneseFallback{"IPAPGothic", "Noto Sans CJK JP", "IPAGothic"};

bool IsBlank(char32_t C) {
  return C == U' ' || C == U'\t' || C == U'\u3000';
}

bool IsCjk(char32_t C) {
  return (C >= 0x2E80 && C <= 0x9FFF) || (C >= 0xF900 && C <= 0xFAFF) ||
         (C >= 0xFF00 && C <= 0xFFEF) || (C >= 0x20000 && C <= 0x3FFFF);
}

// Closing marks, small kana and the prolonged sound mark never start a line.
bool NoBreakBefore(char32_t C) {
  static constexpr std::u32string_view Closing =
      U"、。，．・：；？！）」』】〕〉》ー～ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ)]},.!?:;";
  return Closing.find(C) != std::u32string_view::npos;
}

// Opening marks never end a line.
bool NoBreakAfter(char32_t C) {
  static constexpr std::u32string_view Opening = U"（「『【〔〈《([{";
  return Opening.find(C) != std::u32string_view::npos;
}

void AppendUtf8Char(std::string_view AText, std::size_t& I, std::u32string& AOut) {
  const auto Byte = [&](std::size_t K) { return static_cast<unsigned char>(AText[K]); };
  const unsigned char Lead = Byte(I);
  int Length = 0;
  char32_t C = 0;
  if (Lead < 0x80) {
    Length = 1;
    C = Lead;
  } else if ((Lead & 0xE0) == 0xC0) {
    Length = 2;
    C = Lead & 0x1F;
  } else if ((Lead & 0xF0) == 0xE0) {
    Length = 3;
    C = Lead & 0x0F;
  } else if ((Lead & 0xF8) == 0xF0) {
    Length = 4;
    C = Lead & 0x07;
  }
  if (Length == 0 || I + static_cast<std::size_t>(Length) > AText.size()) {
    AOut.push_back(U'\uFFFD');
    ++I;
    return;
  }
  for (int K = 1; K < Length; ++K) {
    const unsigned char Next = Byte(I + static_cast<std::size_t>(K));
    if ((Next & 0xC0) != 0x80) {
      AOut.push_back(U'\uFFFD');
      ++I;
      return;
    }
    C = (C << 6) | (Next & 0x3F);
  }
  AOut.push_back(C);
  I += static_cast<std::size_t>(Length);
}

} // namespace

std::vector<std::string> FontFamilies(std::string_view AName) {
  // The first installed family of each list wins; IPA ships with the program's dependencies,
  // Noto CJK is the common alternative on desktops.
  if (AName == "ＭＳ Ｐゴシック") {
    return {"IPAPGothic", "Noto Sans CJK JP", "IPAGothic"};
  }
  if (AName == "ＭＳ ゴシック") {
    return {"IPAGothic", "Noto Sans Mono CJK JP", "Noto Sans CJK JP", "IPAPGothic"};
  }
  if (AName.empty()) {
    return {"sans-serif"};
  }
  return {std::string(AName), "sans-serif"};
}

std::u32string DecodeUtf8(std::string_view AText) {
  std::u32string Result;
  Result.reserve(AText.size());
  for (std::size_t I = 0; I < AText.size();) {
    // Texts written on Windows end their lines with CR LF; a CR alone also ends a line.
    if (AText[I] == '\r') {
      Result.push_back(U'\n');
      I += (I + 1 < AText.size() && AText[I + 1] == '\n') ? 2 : 1;
      continue;
    }
    AppendUtf8Char(AText, I, Result);
  }
  return Result;
}

bool BreakAllowedBefore(const std::u32string& AText, std::size_t AIndex) {
  if (AIndex == 0 || AIndex >= AText.size()) {
    return false;
  }
  const char32_t Before = AText[AIndex - 1], C = AText[AIndex];
  if (IsBlank(C)) {
    return false; // blanks stay at the end of the line they follow
  }
  if (IsBlank(Before)) {
    return true;
  }
  if (NoBreakBefore(C) || NoBreakAfter(Before)) {
    return false;
  }
  return IsCjk(Before) || IsCjk(C);
}

std::vector<TTextLine> BreakLines(const std::u32string& AText, const std::vector<int>& AAdvances,
                                  std::optional<int> AWrapWidth) {
  std::vector<TTextLine> Lines;
  std::size_t Start = 0;
  while (true) {
    const std::size_t HardEnd = std::min(AText.find(U'\n', Start), AText.size());
    std::size_t LineStart = Start;
    while (true) {
      int Width = 0;
      std::size_t End = LineStart, LastBreak = LineStart;
      for (; End < HardEnd; ++End) {
        if (End > LineStart && BreakAllowedBefore(AText, End)) {
          LastBreak = End;
        }
        if (AWrapWidth && End > LineStart && Width + AAdvances[End] > *AWrapWidth &&
            LastBreak > LineStart && !IsBlank(AText[End])) {
          break;
        }
        Width += AAdvances[End];
      }
      if (End >= HardEnd) {
        Lines.push_back({LineStart, HardEnd, Width});
        break;
      }
      // Break at the last opportunity; blanks before it are not part of either line.
      std::size_t Cut = LastBreak;
      std::size_t Trim = Cut;
      while (Trim > LineStart && IsBlank(AText[Trim - 1])) {
        --Trim;
      }
      int TrimmedWidth = 0;
      for (std::size_t K = LineStart; K < Trim; ++K) {
        TrimmedWidth += AAdvances[K];
      }
      Lines.push_back({LineStart, Trim, TrimmedWidth});
      LineStart = Cut;
    }
    if (HardEnd >= AText.size()) {
      break;
    }
    Start = HardEnd + 1;
  }
  return Lines;
}

TX11Fonts::~TX11Fonts() {
  if (!FFaces.empty()) {
    // Xft keeps closed fonts in a cache of the display and frees them while the display closes,
    // after the render extension has already forgotten it; a display opened later at the same
    // address then meets stale render data. With no cache the fonts go now, while all is alive.
    FcPattern* Defaults = FDisplay.Xft().PatternCreate();
    FDisplay.Xft().PatternAddInteger(Defaults, XFT_MAX_UNREF_FONTS, 0);
    FDisplay.Xft().DefaultSet(FDisplay.Dpy(), Defaults);
  }
  for (auto& [K, F] : FFaces) {
    if (F.Fallback != nullptr && F.Fallback != F.Primary) {
      FDisplay.Xft().FontClose(FDisplay.Dpy(), F.Fallback);
    }
    if (F.Primary != nullptr) {
      FDisplay.Xft().FontClose(FDisplay.Dpy(), F.Primary);
    }
  }
}

XftFont* TX11Fonts::Open(const std::vector<std::string>& AFamilies, const TFontDesc& AFont) const {
  FcPattern* Pattern = FDisplay.Xft().PatternCreate();
  for (const std::string& Family : AFamilies) {
    FDisplay.Xft().PatternAddString(Pattern, FC_FAMILY,
                                    reinterpret_cast<const FcChar8*>(Family.c_str()));
  }
  FDisplay.Xft().PatternAddDouble(
      Pattern, FC_PIXEL_SIZE,
      static_cast<double>(std::max(1, AFont.PixelHeight) * FDisplay.Scale()));
  FDisplay.Xft().PatternAddInteger(Pattern, FC_WEIGHT,
                                   AFont.Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FDisplay.Xft().PatternAddInteger(Pattern, FC_SLANT,
                                   AFont.Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcResult Result = FcResultNoMatch;
  FcPattern* Match =
      FDisplay.Xft().FontMatch(FDisplay.Dpy(), FDisplay.ScreenNumber(), Pattern, &Result);
  FDisplay.Xft().PatternDestroy(Pattern);
  if (Match == nullptr) {
    return nullptr;
  }
  XftFont* Font =
      FDisplay.Xft().FontOpenPattern(FDisplay.Dpy(), Match); // takes the pattern on success
  if (Font == nullptr) {
    FDisplay.Xft().PatternDestroy(Match);
  }
  return Font;
}

TX11Fonts::Face& TX11Fonts::FaceOf(const TFontDesc& AFont) {
  Face& F = FFaces[Key{AFont.Name, AFont.PixelHeight, AFont.Bold, AFont.Italic}];
  if (F.Primary == nullptr) {
    F.Primary = Open(FontFamilies(AFont.Name), AFont);
    if (F.Primary == nullptr) {
      throw Exception("No font is installed");
    }
  }
  return F;
}

XftFont* TX11Fonts::FontFor(Face& AFace, const TFontDesc& AFont, char32_t AChar) {
  const auto Char = static_cast<FcChar32>(AChar);
  if (FDisplay.Xft().CharExists(FDisplay.Dpy(), AFace.Primary, Char)) {
    return AFace.Primary;
  }
  if (!AFace.FallbackTried) {
    AFace.FallbackTried = true;
    AFace.Fallback = Open(JapaneseFallback, AFont);
  }
  if (AFace.Fallback != nullptr &&
      FDisplay.Xft().CharExists(FDisplay.Dpy(), AFace.Fallback, Char)) {
    return AFace.Fallback;
  }
  return AFace.Primary; // draws the font's missing-glyph box
}

std::vector<int> TX11Fonts::Advances(Face& AFace, const TFontDesc& AFont,
                                     const std::u32string& AText) {
  std::vector<int> Result(AText.size(), 0);
  for (std::size_t I = 0; I < AText.size(); ++I) {
    if (AText[I] == U'\n') {
      continue;
    }
    XGlyphInfo Info{};
    const auto Char = static_cast<FcChar32>(AText[I]);
    FDisplay.Xft().TextExtents32(FDisplay.Dpy(), FontFor(AFace, AFont, AText[I]), &Char, 1, &Info);
    Result[I] = Info.xOff;
  }
  return Result;
}

int TX11Fonts::LineHeight(const TFontDesc& AFont) {
  const Face& F = FaceOf(AFont);
  return F.Primary->ascent + F.Primary->descent;
}

int TX11Fonts::Ascent(const TFontDesc& AFont) {
  return FaceOf(AFont).Primary->ascent;
}

TPoint TX11Fonts::Extent(std::string_view AText, const TFontDesc& AFont,
                         std::optional<int> AWrapWidth) {
  Face& F = FaceOf(AFont);
  const int Height = F.Primary->ascent + F.Primary->descent;
  if (AText.empty()) {
    return {0, Height};
  }
  const std::u32string Text = DecodeUtf8(AText);
  const auto Lines =
      BreakLines(Text, Advances(F, AFont, Text),
                 AWrapWidth ? std::optional<int>(std::max(*AWrapWidth, 1)) : std::nullopt);
  int Width = 0;
  for (const TTextLine& L : Lines) {
    Width = std::max(Width, L.Width);
  }
  return {Width, Height * static_cast<int>(Lines.size())};
}

void TX11Fonts::Draw(XftDraw* ADraw, const TRect& ARect, std::string_view AText,
                     const TFontDesc& AFont, bool AWordWrap) {
  Face& F = FaceOf(AFont);
  const std::u32string Text = DecodeUtf8(AText);
  const std::vector<int> Widths = Advances(F, AFont, Text);
  const auto Lines = BreakLines(
      Text, Widths, AWordWrap ? std::optional<int>(std::max(ARect.Width(), 1)) : std::nullopt);

  XRectangle Clip{static_cast<short>(ARect.Left), static_cast<short>(ARect.Top),
                  static_cast<unsigned short>(ARect.Width()),
                  static_cast<unsigned short>(ARect.Height())};
  FDisplay.Xft().DrawSetClipRectangles(ADraw, 0, 0, &Clip, 1);
  XRenderColor Render{static_cast<unsigned short>(AFont.Color.Red * 257),
                      static_cast<unsigned short>(AFont.Color.Green * 257),
                      static_cast<unsigned short>(AFont.Color.Blue * 257), 0xFFFF};
  XftColor Color{};
  FDisplay.Xft().ColorAllocValue(FDisplay.Dpy(), FDisplay.VisualOf(), FDisplay.ColormapOf(),
                                 &Render, &Color);
  const int Height = F.Primary->ascent + F.Primary->descent;
  const int Stroke = std::max(1, Height / 14);
  int Y = ARect.Top;
  for (const TTextLine& L : Lines) {
    const int Baseline = Y + F.Primary->ascent;
    int X = ARect.Left;
    std::size_t I = L.Begin;
    while (I < L.End) {
      // One request per run of characters that share a font.
      XftFont* Font = FontFor(F, AFont, Text[I]);
      std::size_t J = I + 1;
      int RunWidth = Widths[I];
      while (J < L.End && FontFor(F, AFont, Text[J]) == Font) {
        RunWidth += Widths[J++];
      }
      FDisplay.Xft().DrawString32(ADraw, &Color, Font, X, Baseline,
                                  reinterpret_cast<const FcChar32*>(Text.data() + I),
                                  static_cast<int>(J - I));
      X += RunWidth;
      I = J;
    }
    if (AFont.Underline) {
      FDisplay.Xft().DrawRect(ADraw, &Color, ARect.Left, Baseline + Stroke,
                              static_cast<unsigned>(L.Width), static_cast<unsigned>(Stroke));
    }
    if (AFont.StrikeOut) {
      FDisplay.Xft().DrawRect(ADraw, &Color, ARect.Left, Baseline - F.Primary->ascent / 3,
                              static_cast<unsigned>(L.Width), static_cast<unsigned>(Stroke));
    }
    Y += Height;
  }
  FDisplay.Xft().ColorFree(FDisplay.Dpy(), FDisplay.VisualOf(), FDisplay.ColormapOf(), &Color);
  FDisplay.Xft().DrawSetClip(ADraw, nullptr);
}

} // namespace nyarumi::x11

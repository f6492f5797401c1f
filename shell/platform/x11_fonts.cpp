#include "shell/platform/x11_fonts.h"

#include "common/Errors.h"
#include "shell/platform/x11_textlib.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

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

namespace {

// FreeType reads the font through this: a count of 0 asks only whether the offset exists.
unsigned long ReadFont(FT_Stream AStream, unsigned long AOffset, unsigned char* ABuffer,
                       unsigned long ACount) {
  if (ACount == 0) {
    return AOffset > AStream->size ? 1 : 0;
  }
  const auto Descriptor = static_cast<int>(AStream->descriptor.value);
  unsigned long Done = 0;
  while (Done < ACount) {
    const ssize_t N =
        pread(Descriptor, ABuffer + Done, ACount - Done, static_cast<off_t>(AOffset + Done));
    if (N < 0 && errno == EINTR) {
      continue;
    }
    if (N <= 0) {
      break;
    }
    Done += static_cast<unsigned long>(N);
  }
  return Done;
}

std::optional<bool> ResourceBool(const std::optional<std::string>& AValue) {
  if (!AValue || AValue->empty()) {
    return std::nullopt;
  }
  const char C = static_cast<char>(std::tolower(static_cast<unsigned char>((*AValue)[0])));
  if (C == 't' || C == 'y' || C == '1') {
    return true;
  }
  if (C == 'f' || C == 'n' || C == '0') {
    return false;
  }
  if (C == 'o' && AValue->size() > 1) {
    return std::tolower(static_cast<unsigned char>((*AValue)[1])) == 'n';
  }
  return std::nullopt;
}

std::optional<int> ResourceHintStyle(const std::optional<std::string>& AValue) {
  if (!AValue) {
    return std::nullopt;
  }
  const std::string_view Names[] = {"hintnone", "hintslight", "hintmedium", "hintfull"};
  for (int I = 0; I < 4; ++I) {
    if (*AValue == Names[I] || *AValue == std::to_string(I)) {
      return I;
    }
  }
  return std::nullopt;
}

// Upload data for an 8-bit coverage glyph: rows padded to four bytes, one-bit bitmaps widened.
std::vector<char> CoverageOf(const FT_Bitmap& ABitmap) {
  const unsigned Stride = (ABitmap.width + 3) & ~3u;
  std::vector<char> Data(static_cast<std::size_t>(Stride) * ABitmap.rows, 0);
  for (unsigned Y = 0; Y < ABitmap.rows; ++Y) {
    const unsigned char* Row = ABitmap.buffer + static_cast<std::ptrdiff_t>(Y) *
                                                    static_cast<std::ptrdiff_t>(ABitmap.pitch);
    char* Out = Data.data() + static_cast<std::size_t>(Y) * Stride;
    for (unsigned X = 0; X < ABitmap.width; ++X) {
      const bool Mono = ABitmap.pixel_mode == FT_PIXEL_MODE_MONO;
      const unsigned char V = Mono ? ((Row[X / 8] >> (7 - X % 8)) & 1) * 0xFF : Row[X];
      Out[X] = static_cast<char>(V);
    }
  }
  return Data;
}

} // namespace

TX11Fonts::~TX11Fonts() {
  if (FLibrary == nullptr) {
    return; // no text was ever asked for, so no library was loaded
  }
  const TTextLibrary& T = FDisplay.Text();
  for (auto& [K, F] : FFonts) {
    if (F->Glyphs != XNone) {
      T.FreeGlyphSet(FDisplay.Dpy(), F->Glyphs);
    }
    T.PatternDestroy(F->Match);
  }
  for (auto& [K, F] : FFiles) {
    if (F->Face != nullptr) {
      T.DoneFace(F->Face); // with its sizes
    }
    if (F->Descriptor >= 0) {
      close(F->Descriptor);
    }
  }
  T.DoneFreeType(FLibrary);
}

FcPattern* TX11Fonts::Ask(const std::vector<std::string>& AFamilies, const TFontDesc& AFont) const {
  const TTextLibrary& T = FDisplay.Text();
  FcPattern* Pattern = T.PatternCreate();
  for (const std::string& Family : AFamilies) {
    T.PatternAddString(Pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(Family.c_str()));
  }
  T.PatternAddDouble(Pattern, FC_PIXEL_SIZE,
                     static_cast<double>(std::max(1, AFont.PixelHeight) * FDisplay.Scale()));
  T.PatternAddInteger(Pattern, FC_WEIGHT, AFont.Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  T.PatternAddInteger(Pattern, FC_SLANT, AFont.Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  T.ConfigSubstitute(nullptr, Pattern, FcMatchPattern);
  // The desktop's text settings count where the configuration has not decided, with the
  // defaults that desktops' text has.
  FcBool Have = FcFalse;
  int Style = 0;
  if (T.PatternGetBool(Pattern, FC_ANTIALIAS, 0, &Have) == FcResultNoMatch) {
    T.PatternAddBool(Pattern, FC_ANTIALIAS,
                     ResourceBool(FDisplay.Resource("Xft.antialias")).value_or(true));
  }
  if (T.PatternGetBool(Pattern, FC_HINTING, 0, &Have) == FcResultNoMatch) {
    T.PatternAddBool(Pattern, FC_HINTING,
                     ResourceBool(FDisplay.Resource("Xft.hinting")).value_or(true));
  }
  if (T.PatternGetInteger(Pattern, FC_HINT_STYLE, 0, &Style) == FcResultNoMatch) {
    T.PatternAddInteger(
        Pattern, FC_HINT_STYLE,
        ResourceHintStyle(FDisplay.Resource("Xft.hintstyle")).value_or(FC_HINT_FULL));
  }
  T.DefaultSubstitute(Pattern);
  FcResult Result = FcResultNoMatch;
  FcPattern* Match = T.FontMatch(nullptr, Pattern, &Result);
  T.PatternDestroy(Pattern);
  return Match;
}

TX11Fonts::TFontFile* TX11Fonts::FileOf(const std::string& APath, int AIndex) {
  auto& Slot = FFiles[{APath, AIndex}];
  if (Slot) {
    return Slot->Face != nullptr ? Slot.get() : nullptr;
  }
  Slot = std::make_unique<TFontFile>();
  TFontFile& F = *Slot;
  F.Descriptor = open(APath.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat Info {};
  if (F.Descriptor < 0 || fstat(F.Descriptor, &Info) != 0 || !S_ISREG(Info.st_mode)) {
    return nullptr;
  }
  F.Stream.size = static_cast<unsigned long>(Info.st_size);
  F.Stream.descriptor.value = F.Descriptor;
  F.Stream.read = ReadFont;
  FT_Open_Args Args{};
  Args.flags = FT_OPEN_STREAM;
  Args.stream = &F.Stream;
  if (FDisplay.Text().OpenFace(FLibrary, &Args, AIndex, &F.Face) != 0) {
    F.Face = nullptr;
    return nullptr;
  }
  return &F;
}

TX11Fonts::TFont* TX11Fonts::Load(FcPattern* AMatch) {
  const TTextLibrary& T = FDisplay.Text();
  FcChar8* Path = nullptr;
  int Index = 0;
  double Pixels = 0;
  if (T.PatternGetString(AMatch, FC_FILE, 0, &Path) != FcResultMatch ||
      T.PatternGetDouble(AMatch, FC_PIXEL_SIZE, 0, &Pixels) != FcResultMatch) {
    return nullptr;
  }
  T.PatternGetInteger(AMatch, FC_INDEX, 0, &Index);
  const auto Flag = [&](const char* AObject, bool ADefault) {
    FcBool Value = ADefault ? FcTrue : FcFalse;
    T.PatternGetBool(AMatch, AObject, 0, &Value);
    return Value != FcFalse;
  };
  const bool Antialias = Flag(FC_ANTIALIAS, true);
  int HintStyle = FC_HINT_FULL;
  T.PatternGetInteger(AMatch, FC_HINT_STYLE, 0, &HintStyle);
  // The load flags desktops' text uses for these settings.
  FT_Int32 Flags = FT_LOAD_DEFAULT;
  if (!Flag(FC_EMBEDDED_BITMAP, false) && Antialias) {
    Flags |= FT_LOAD_NO_BITMAP;
  }
  if (!Flag(FC_HINTING, true)) {
    Flags |= FT_LOAD_NO_HINTING;
  }
  if (!Antialias) {
    Flags |= FT_LOAD_TARGET_MONO;
  } else if (HintStyle == FC_HINT_NONE) {
    Flags |= FT_LOAD_NO_HINTING;
  } else if (HintStyle == FC_HINT_SLIGHT) {
    Flags |= FT_LOAD_TARGET_LIGHT;
  } else {
    Flags |= FT_LOAD_TARGET_NORMAL;
  }
  if (Flag(FC_AUTOHINT, false)) {
    Flags |= FT_LOAD_FORCE_AUTOHINT;
  }
  if (!Flag(FC_GLOBAL_ADVANCE, true)) {
    Flags |= FT_LOAD_IGNORE_GLOBAL_ADVANCE_WIDTH;
  }
  const bool Embolden = Flag(FC_EMBOLDEN, false);
  const auto Size26 = static_cast<FT_F26Dot6>(Pixels * 64.0);

  TFontFile* File = FileOf(reinterpret_cast<const char*>(Path), Index);
  if (File == nullptr) {
    return nullptr;
  }
  auto& Slot = FFonts[{File, Size26, Flags, Embolden}];
  if (Slot) {
    T.PatternDestroy(AMatch); // the same font under another name
    return Slot.get();
  }
  auto F = std::make_unique<TFont>();
  F->File = File;
  F->LoadFlags = Flags;
  F->Mode = Antialias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO;
  F->Embolden = Embolden;
  if (T.NewSize(File->Face, &F->Size) != 0 || T.ActivateSize(F->Size) != 0 ||
      T.SetCharSize(File->Face, Size26, Size26, 0, 0) != 0) {
    FFonts.erase({File, Size26, Flags, Embolden});
    return nullptr;
  }
  const FT_Size_Metrics& M = File->Face->size->metrics;
  F->Ascent = static_cast<int>(M.ascender >> 6);
  F->Descent = static_cast<int>(-(M.descender >> 6));
  int Spacing = FC_PROPORTIONAL;
  T.PatternGetInteger(AMatch, FC_SPACING, 0, &Spacing);
  if (Spacing >= FC_MONO) {
    F->FixedAdvance = static_cast<int>(M.max_advance >> 6);
  }
  T.PatternGetCharSet(AMatch, FC_CHARSET, 0, &F->Chars);
  F->Match = AMatch;
  F->Glyphs =
      T.CreateGlyphSet(FDisplay.Dpy(), T.FindStandardFormat(FDisplay.Dpy(), PictStandardA8));
  Slot = std::move(F);
  return Slot.get();
}

TX11Fonts::TFont* TX11Fonts::Open(const std::vector<std::string>& AFamilies,
                                  const TFontDesc& AFont) {
  if (FLibrary == nullptr && FDisplay.Text().InitFreeType(&FLibrary) != 0) {
    FLibrary = nullptr;
    return nullptr;
  }
  FcPattern* Match = Ask(AFamilies, AFont);
  if (Match == nullptr) {
    return nullptr;
  }
  TFont* Font = Load(Match);
  if (Font == nullptr) {
    FDisplay.Text().PatternDestroy(Match);
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

TX11Fonts::TFont* TX11Fonts::FontFor(Face& AFace, const TFontDesc& AFont, char32_t AChar) {
  const TTextLibrary& T = FDisplay.Text();
  const auto Char = static_cast<FcChar32>(AChar);
  if (AFace.Primary->Chars != nullptr && T.CharSetHasChar(AFace.Primary->Chars, Char)) {
    return AFace.Primary;
  }
  if (!AFace.FallbackTried) {
    AFace.FallbackTried = true;
    AFace.Fallback = Open(JapaneseFallback, AFont);
  }
  if (AFace.Fallback != nullptr && AFace.Fallback->Chars != nullptr &&
      T.CharSetHasChar(AFace.Fallback->Chars, Char)) {
    return AFace.Fallback;
  }
  return AFace.Primary; // draws the font's missing-glyph box
}

FT_UInt TX11Fonts::IndexOf(const TFont& AFont, char32_t AChar) const {
  return FDisplay.Text().GetCharIndex(AFont.File->Face, static_cast<FT_ULong>(AChar));
}

const TX11Fonts::TGlyph& TX11Fonts::GlyphOf(TFont& AFont, FT_UInt AIndex) {
  const auto Found = AFont.Loaded.find(AIndex);
  if (Found != AFont.Loaded.end()) {
    return Found->second;
  }
  const TTextLibrary& T = FDisplay.Text();
  TGlyph& G = AFont.Loaded[AIndex];
  // A glyph FreeType cannot load (a damaged font) is uploaded empty all the same: drawing an
  // id the glyph set lacks is an X error, and that would end the program.
  XGlyphInfo Info{};
  std::vector<char> Data;
  FT_Face Face = AFont.File->Face;
  FT_GlyphSlot Slot = Face->glyph;
  const auto Render = [&] {
    if (T.ActivateSize(AFont.Size) != 0 || T.LoadGlyph(Face, AIndex, AFont.LoadFlags) != 0) {
      return false;
    }
    if (AFont.Embolden) {
      T.GlyphSlotEmbolden(Slot);
    }
    return Slot->format == FT_GLYPH_FORMAT_BITMAP || T.RenderGlyph(Slot, AFont.Mode) == 0;
  };
  const bool Loaded = Render();
  if (Loaded) {
    G.Advance = AFont.FixedAdvance != 0 ? AFont.FixedAdvance
                                        : static_cast<int>((Slot->advance.x + 32) >> 6);
    Info.width = static_cast<unsigned short>(Slot->bitmap.width);
    Info.height = static_cast<unsigned short>(Slot->bitmap.rows);
    Info.x = static_cast<short>(-Slot->bitmap_left);
    Info.y = static_cast<short>(Slot->bitmap_top);
    Info.xOff = static_cast<short>(G.Advance);
    Data = CoverageOf(Slot->bitmap);
  }
  const auto Id = static_cast<Glyph>(AIndex);
  T.AddGlyphs(FDisplay.Dpy(), AFont.Glyphs, &Id, &Info, 1, Data.data(),
              static_cast<int>(Data.size()));
  return G;
}

std::vector<int> TX11Fonts::Advances(Face& AFace, const TFontDesc& AFont,
                                     const std::u32string& AText) {
  std::vector<int> Result(AText.size(), 0);
  for (std::size_t I = 0; I < AText.size(); ++I) {
    if (AText[I] == U'\n') {
      continue;
    }
    TFont* Font = FontFor(AFace, AFont, AText[I]);
    Result[I] = GlyphOf(*Font, IndexOf(*Font, AText[I])).Advance;
  }
  return Result;
}

int TX11Fonts::LineHeight(const TFontDesc& AFont) {
  const Face& F = FaceOf(AFont);
  return F.Primary->Ascent + F.Primary->Descent;
}

int TX11Fonts::Ascent(const TFontDesc& AFont) {
  return FaceOf(AFont).Primary->Ascent;
}

TPoint TX11Fonts::Extent(std::string_view AText, const TFontDesc& AFont,
                         std::optional<int> AWrapWidth) {
  Face& F = FaceOf(AFont);
  const int Height = F.Primary->Ascent + F.Primary->Descent;
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

void TX11Fonts::Draw(Picture ATarget, const TRect& ARect, std::string_view AText,
                     const TFontDesc& AFont, bool AWordWrap) {
  Face& F = FaceOf(AFont);
  const std::u32string Text = DecodeUtf8(AText);
  const std::vector<int> Widths = Advances(F, AFont, Text);
  const auto Lines = BreakLines(
      Text, Widths, AWordWrap ? std::optional<int>(std::max(ARect.Width(), 1)) : std::nullopt);

  const TTextLibrary& T = FDisplay.Text();
  Display* Dpy = FDisplay.Dpy();
  XRectangle Clip{static_cast<short>(ARect.Left), static_cast<short>(ARect.Top),
                  static_cast<unsigned short>(ARect.Width()),
                  static_cast<unsigned short>(ARect.Height())};
  T.SetPictureClipRectangles(Dpy, ATarget, 0, 0, &Clip, 1);
  const XRenderColor Color{static_cast<unsigned short>(AFont.Color.Red * 257),
                           static_cast<unsigned short>(AFont.Color.Green * 257),
                           static_cast<unsigned short>(AFont.Color.Blue * 257), 0xFFFF};
  const Picture Ink = T.CreateSolidFill(Dpy, &Color);
  const XRenderPictFormat* Coverage = T.FindStandardFormat(Dpy, PictStandardA8);
  const int Height = F.Primary->Ascent + F.Primary->Descent;
  const int Stroke = std::max(1, Height / 14);
  std::vector<unsigned int> Ids;
  int Y = ARect.Top;
  for (const TTextLine& L : Lines) {
    const int Baseline = Y + F.Primary->Ascent;
    int X = ARect.Left;
    std::size_t I = L.Begin;
    while (I < L.End) {
      // One request per run of characters that share a font.
      TFont* Font = FontFor(F, AFont, Text[I]);
      std::size_t J = I;
      int RunWidth = 0;
      Ids.clear();
      while (J < L.End && FontFor(F, AFont, Text[J]) == Font) {
        Ids.push_back(IndexOf(*Font, Text[J]));
        RunWidth += Widths[J++];
      }
      T.CompositeString32(Dpy, PictOpOver, Ink, ATarget, Coverage, Font->Glyphs, 0, 0, X, Baseline,
                          Ids.data(), static_cast<int>(Ids.size()));
      X += RunWidth;
      I = J;
    }
    if (AFont.Underline) {
      T.FillRectangle(Dpy, PictOpOver, ATarget, &Color, ARect.Left, Baseline + Stroke,
                      static_cast<unsigned>(L.Width), static_cast<unsigned>(Stroke));
    }
    if (AFont.StrikeOut) {
      T.FillRectangle(Dpy, PictOpOver, ATarget, &Color, ARect.Left,
                      Baseline - F.Primary->Ascent / 3, static_cast<unsigned>(L.Width),
                      static_cast<unsigned>(Stroke));
    }
    Y += Height;
  }
  T.FreePicture(Dpy, Ink);
}

} // namespace nyarumi::x11

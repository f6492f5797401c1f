#pragma once
// Text through fontconfig, FreeType and the render extension. Fonts are opened on first use
// only, so a mascot that never shows text never loads one; each font file is opened once for all
// its sizes and read as FreeType asks for its parts rather than mapped, so the About window's
// few characters cost her the tables they need, not megabytes of font pages. The Japanese family
// names of the forms map to installed Gothic families; characters the chosen font lacks come from a
// Japanese fallback font. Lines wrap at blanks and between CJK characters, as the toolkit backend
// wrapped them. All sizes here are device pixels.
#include "shell/platform/Platform.h"
#include "shell/platform/x11_display.h"

#include "shell/platform/x11_textlib.h"

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace nyarumi::x11 {

// The families to ask fontconfig for, best first, for a family named by a form.
std::vector<std::string> FontFamilies(std::string_view AName);

// Decodes UTF-8; a malformed byte becomes U+FFFD so that no input stops the text. Line ends
// (CR LF, CR, LF) all become LF.
std::u32string DecodeUtf8(std::string_view AText);

// Whether a line may break before the character at AIndex (it never breaks before the first).
bool BreakAllowedBefore(const std::u32string& AText, std::size_t AIndex);

struct TTextLine {
  std::size_t Begin = 0; // characters of the decoded text
  std::size_t End = 0;
  int Width = 0;
};

// Greedy line breaking of one decoded text: hard breaks at '\n', soft ones where
// BreakAllowedBefore allows when AWrapWidth is given; blanks at a soft break are dropped. A word
// wider than the line keeps its own line and overflows, as the toolkit did.
std::vector<TTextLine> BreakLines(const std::u32string& AText, const std::vector<int>& AAdvances,
                                  std::optional<int> AWrapWidth);

class TX11Fonts {
public:
  explicit TX11Fonts(const TX11Display& ADisplay) : FDisplay(ADisplay) {}
  ~TX11Fonts();
  TX11Fonts(const TX11Fonts&) = delete;
  TX11Fonts& operator=(const TX11Fonts&) = delete;

  // Width and height of the text, wrapped to AWrapWidth when given.
  TPoint Extent(std::string_view AText, const TFontDesc& AFont, std::optional<int> AWrapWidth);
  // Draws the text from ARect's top-left corner onto the picture, clipped to ARect.
  void Draw(Picture ATarget, const TRect& ARect, std::string_view AText, const TFontDesc& AFont,
            bool AWordWrap);
  int LineHeight(const TFontDesc& AFont);
  int Ascent(const TFontDesc& AFont);

private:
  // A font file, opened once whatever sizes it is used at.
  struct TFontFile {
    int Descriptor = -1;
    FT_StreamRec Stream{};
    FT_Face Face = nullptr;
  };
  struct TGlyph {
    int Advance = 0;
  };
  // One font file at one size, rendered one way, with the glyphs uploaded so far.
  struct TFont {
    TFontFile* File = nullptr;
    FcPattern* Match = nullptr; // owns Chars
    FcCharSet* Chars = nullptr;
    FT_Size Size = nullptr;
    FT_Int32 LoadFlags = 0;
    FT_Render_Mode Mode = FT_RENDER_MODE_NORMAL;
    bool Embolden = false;
    int FixedAdvance = 0; // for fonts whose every glyph has one width
    int Ascent = 0;
    int Descent = 0;
    GlyphSet Glyphs = XNone;
    std::unordered_map<FT_UInt, TGlyph> Loaded;
  };
  struct Face {
    TFont* Primary = nullptr;
    TFont* Fallback = nullptr; // opened when a character is missing from Primary
    bool FallbackTried = false;
  };
  using Key = std::tuple<std::string, int, bool, bool>;

  Face& FaceOf(const TFontDesc& AFont);
  TFont* FontFor(Face& AFace, const TFontDesc& AFont, char32_t AChar);
  TFont* Open(const std::vector<std::string>& AFamilies, const TFontDesc& AFont);
  TFont* Load(FcPattern* AMatch);
  TFontFile* FileOf(const std::string& APath, int AIndex);
  FcPattern* Ask(const std::vector<std::string>& AFamilies, const TFontDesc& AFont) const;
  FT_UInt IndexOf(const TFont& AFont, char32_t AChar) const;
  const TGlyph& GlyphOf(TFont& AFont, FT_UInt AIndex);
  std::vector<int> Advances(Face& AFace, const TFontDesc& AFont, const std::u32string& AText);

  const TX11Display& FDisplay;
  FT_Library FLibrary = nullptr;
  std::map<std::pair<std::string, int>, std::unique_ptr<TFontFile>> FFiles;
  std::map<std::tuple<TFontFile*, long, FT_Int32, bool>, std::unique_ptr<TFont>> FFonts;
  std::map<Key, Face> FFaces;
};

} // namespace nyarumi::x11

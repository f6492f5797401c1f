#pragma once
// Text through fontconfig and Xft. Fonts are opened on first use only, so a mascot that never
// shows text never loads one. The Japanese family names of the forms map to installed Gothic
// families; characters the chosen font lacks come from a Japanese fallback font. Lines wrap at
// blanks and between CJK characters, as the toolkit backend wrapped them.
// All sizes here are device pixels.
#include "shell/platform/Platform.h"
#include "shell/platform/x11_display.h"

#include <X11/Xft/Xft.h>

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
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
  // Draws the text from ARect's top-left corner, clipped to ARect.
  void Draw(XftDraw* ADraw, const TRect& ARect, std::string_view AText, const TFontDesc& AFont,
            bool AWordWrap);
  int LineHeight(const TFontDesc& AFont);
  int Ascent(const TFontDesc& AFont);

private:
  struct Face {
    XftFont* Primary = nullptr;
    XftFont* Fallback = nullptr; // opened when a character is missing from Primary
    bool FallbackTried = false;
  };
  using Key = std::tuple<std::string, int, bool, bool>;

  Face& FaceOf(const TFontDesc& AFont);
  XftFont* FontFor(Face& AFace, const TFontDesc& AFont, char32_t AChar);
  XftFont* Open(const std::vector<std::string>& AFamilies, const TFontDesc& AFont) const;
  std::vector<int> Advances(Face& AFace, const TFontDesc& AFont, const std::u32string& AText);

  const TX11Display& FDisplay;
  std::map<Key, Face> FFaces;
};

} // namespace nyarumi::x11

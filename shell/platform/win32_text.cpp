#include "shell/platform/win32_text.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace nyarumi::win32 {

std::wstring Widen(std::string_view AText) {
  if (AText.empty() || AText.size() > static_cast<std::size_t>(INT_MAX)) {
    return {};
  }
  const int inSize = static_cast<int>(AText.size());
  const int size = MultiByteToWideChar(CP_UTF8, 0, AText.data(), inSize, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(size, 0)), L'\0');
  if (size > 0) {
    MultiByteToWideChar(CP_UTF8, 0, AText.data(), inSize, wide.data(), size);
  }
  return wide;
}

std::string Narrow(std::wstring_view AText) {
  if (AText.empty() || AText.size() > static_cast<std::size_t>(INT_MAX)) {
    return {};
  }
  const int inSize = static_cast<int>(AText.size());
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, AText.data(), inSize, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(std::max(size, 0)), '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_UTF8, 0, AText.data(), inSize, text.data(), size, nullptr, nullptr);
  }
  return text;
}

UINT TextFormat(bool AWordWrap) {
  // No prefix processing: an "&" in a label is text, not an access key.
  return DT_LEFT | DT_TOP | DT_NOPREFIX | DT_EXPANDTABS | (AWordWrap ? DT_WORDBREAK : 0U);
}

TFontCache::~TFontCache() {
  for (const auto& [key, font] : FFonts) {
    DeleteObject(font);
  }
}

HFONT TFontCache::Get(const TFontDesc& AFont, double AScale) {
  const std::int32_t height =
      std::max(1, static_cast<std::int32_t>(std::lround(AFont.PixelHeight * AScale)));
  const TKey key{AFont.Name, height, AFont.Bold, AFont.Italic, AFont.Underline, AFont.StrikeOut};
  if (const auto it = FFonts.find(key); it != FFonts.end()) {
    return it->second;
  }
  LOGFONTW desc{};
  desc.lfHeight = -height; // the character height, not the cell height
  desc.lfWeight = AFont.Bold ? FW_BOLD : FW_NORMAL;
  desc.lfItalic = AFont.Italic ? TRUE : FALSE;
  desc.lfUnderline = AFont.Underline ? TRUE : FALSE;
  desc.lfStrikeOut = AFont.StrikeOut ? TRUE : FALSE;
  desc.lfCharSet = DEFAULT_CHARSET;
  desc.lfQuality = DEFAULT_QUALITY;
  const std::wstring face = Widen(AFont.Name).substr(0, LF_FACESIZE - 1);
  std::copy(face.begin(), face.end(), desc.lfFaceName);
  HFONT font = CreateFontIndirectW(&desc);
  if (font == nullptr) {
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }
  FFonts.emplace(key, font);
  return font;
}

} // namespace nyarumi::win32

#pragma once
// Text at the Win32 boundary: the program's UTF-8 strings as the UTF-16 the system takes, and
// the GDI fonts for the window layer's font descriptions.
#include "shell/platform/Platform.h"

#include <windows.h>

#include <map>
#include <string>
#include <string_view>
#include <tuple>

namespace nyarumi::win32 {

// Invalid UTF-8 sequences become U+FFFD rather than cutting the text short.
std::wstring Widen(std::string_view AText);
std::string Narrow(std::wstring_view AText);

// The flags DrawTextW draws and measures with, so both agree.
UINT TextFormat(bool AWordWrap);

// Fonts made once per description and kept until the cache goes: a label repaints every tick.
class TFontCache {
public:
  TFontCache() = default;
  ~TFontCache();
  TFontCache(const TFontCache&) = delete;
  TFontCache& operator=(const TFontCache&) = delete;

  // A font for the description at the given device scale; the system's own GUI font when the
  // system refuses to make one.
  HFONT Get(const TFontDesc& AFont, double AScale = 1.0);

private:
  using TKey = std::tuple<std::string, std::int32_t, bool, bool, bool, bool>;
  std::map<TKey, HFONT> FFonts;
};

} // namespace nyarumi::win32

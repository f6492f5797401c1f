#pragma once
// Xft and fontconfig, loaded the first time text is measured or drawn rather than linked: an
// idle mascot shows no text, and the two libraries with FreeType and the rest they pull in cost
// her about 0.7 MB of memory from the start. The header declarations give the exact types.
#include <X11/Xft/Xft.h>

#include <memory>
#include <string>

namespace nyarumi::x11 {

class TXftLibrary {
public:
  // Loads both libraries; nothing when either is missing (AError then says what failed).
  static std::unique_ptr<TXftLibrary> Load(std::string& AError);

  decltype(&::FcPatternCreate) PatternCreate = nullptr;
  decltype(&::FcPatternDestroy) PatternDestroy = nullptr;
  decltype(&::FcPatternAddString) PatternAddString = nullptr;
  decltype(&::FcPatternAddInteger) PatternAddInteger = nullptr;
  decltype(&::FcPatternAddDouble) PatternAddDouble = nullptr;
  decltype(&::XftDefaultSet) DefaultSet = nullptr;
  decltype(&::XftFontMatch) FontMatch = nullptr;
  decltype(&::XftFontOpenPattern) FontOpenPattern = nullptr;
  decltype(&::XftFontClose) FontClose = nullptr;
  decltype(&::XftCharExists) CharExists = nullptr;
  decltype(&::XftTextExtents32) TextExtents32 = nullptr;
  decltype(&::XftColorAllocValue) ColorAllocValue = nullptr;
  decltype(&::XftColorFree) ColorFree = nullptr;
  decltype(&::XftDrawCreate) DrawCreate = nullptr;
  decltype(&::XftDrawDestroy) DrawDestroy = nullptr;
  decltype(&::XftDrawString32) DrawString32 = nullptr;
  decltype(&::XftDrawRect) DrawRect = nullptr;
  decltype(&::XftDrawSetClip) DrawSetClip = nullptr;
  decltype(&::XftDrawSetClipRectangles) DrawSetClipRectangles = nullptr;

private:
  TXftLibrary() = default;
};

} // namespace nyarumi::x11

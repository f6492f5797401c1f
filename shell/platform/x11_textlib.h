#pragma once
// fontconfig, FreeType and the render extension's client library, loaded the first time text
// is measured or drawn rather than linked: an idle mascot shows no text, and the libraries with
// the rest they pull in would cost her memory from the start. The header declarations give the
// exact types.
#include <X11/Xlib.h>
#include <X11/extensions/Xrender.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SIZES_H
#include FT_SYNTHESIS_H

#include <memory>
#include <string>

namespace nyarumi::x11 {

class TTextLibrary {
public:
  // Loads the three libraries; nothing when one is missing (AError then says what failed).
  static std::unique_ptr<TTextLibrary> Load(std::string& AError);

  decltype(&::FcPatternCreate) PatternCreate = nullptr;
  decltype(&::FcPatternDestroy) PatternDestroy = nullptr;
  decltype(&::FcPatternAddString) PatternAddString = nullptr;
  decltype(&::FcPatternAddInteger) PatternAddInteger = nullptr;
  decltype(&::FcPatternAddDouble) PatternAddDouble = nullptr;
  decltype(&::FcPatternAddBool) PatternAddBool = nullptr;
  decltype(&::FcPatternGetString) PatternGetString = nullptr;
  decltype(&::FcPatternGetInteger) PatternGetInteger = nullptr;
  decltype(&::FcPatternGetDouble) PatternGetDouble = nullptr;
  decltype(&::FcPatternGetBool) PatternGetBool = nullptr;
  decltype(&::FcPatternGetCharSet) PatternGetCharSet = nullptr;
  decltype(&::FcCharSetHasChar) CharSetHasChar = nullptr;
  decltype(&::FcConfigSubstitute) ConfigSubstitute = nullptr;
  decltype(&::FcDefaultSubstitute) DefaultSubstitute = nullptr;
  decltype(&::FcFontMatch) FontMatch = nullptr;

  decltype(&::FT_Init_FreeType) InitFreeType = nullptr;
  decltype(&::FT_Done_FreeType) DoneFreeType = nullptr;
  decltype(&::FT_Open_Face) OpenFace = nullptr;
  decltype(&::FT_Done_Face) DoneFace = nullptr;
  decltype(&::FT_New_Size) NewSize = nullptr;
  decltype(&::FT_Activate_Size) ActivateSize = nullptr;
  decltype(&::FT_Set_Char_Size) SetCharSize = nullptr;
  decltype(&::FT_Get_Char_Index) GetCharIndex = nullptr;
  decltype(&::FT_Load_Glyph) LoadGlyph = nullptr;
  decltype(&::FT_Render_Glyph) RenderGlyph = nullptr;
  decltype(&::FT_GlyphSlot_Embolden) GlyphSlotEmbolden = nullptr;

  decltype(&::XRenderQueryExtension) QueryExtension = nullptr;
  decltype(&::XRenderFindVisualFormat) FindVisualFormat = nullptr;
  decltype(&::XRenderFindStandardFormat) FindStandardFormat = nullptr;
  decltype(&::XRenderCreatePicture) CreatePicture = nullptr;
  decltype(&::XRenderFreePicture) FreePicture = nullptr;
  decltype(&::XRenderSetPictureClipRectangles) SetPictureClipRectangles = nullptr;
  decltype(&::XRenderCreateSolidFill) CreateSolidFill = nullptr;
  decltype(&::XRenderCreateGlyphSet) CreateGlyphSet = nullptr;
  decltype(&::XRenderFreeGlyphSet) FreeGlyphSet = nullptr;
  decltype(&::XRenderAddGlyphs) AddGlyphs = nullptr;
  decltype(&::XRenderCompositeString32) CompositeString32 = nullptr;
  decltype(&::XRenderFillRectangle) FillRectangle = nullptr;

private:
  TTextLibrary() = default;
};

} // namespace nyarumi::x11

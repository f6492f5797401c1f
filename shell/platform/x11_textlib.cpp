#include "shell/platform/x11_textlib.h"

#include <dlfcn.h>

namespace nyarumi::x11 {
namespace {

// The libraries stay loaded until the program ends: fontconfig keeps its configuration for the
// process, and nothing is gained by unloading a few hundred kilobytes of code at exit.
void* Open(const char* AName, std::string& AError) {
  void* Handle = dlopen(AName, RTLD_LAZY | RTLD_LOCAL);
  if (Handle == nullptr) {
    const char* Why = dlerror();
    AError = Why != nullptr ? Why : AName;
  }
  return Handle;
}

template <typename F>
bool Find(void* AHandle, const char* AName, F& AFunction, std::string& AError) {
  AFunction = reinterpret_cast<F>(dlsym(AHandle, AName));
  if (AFunction == nullptr) {
    AError = std::string(AName) + " is missing";
  }
  return AFunction != nullptr;
}

} // namespace

std::unique_ptr<TTextLibrary> TTextLibrary::Load(std::string& AError) {
  void* Fc = Open("libfontconfig.so.1", AError);
  void* Ft = Fc != nullptr ? Open("libfreetype.so.6", AError) : nullptr;
  void* Xr = Ft != nullptr ? Open("libXrender.so.1", AError) : nullptr;
  if (Xr == nullptr) {
    return nullptr;
  }
  std::unique_ptr<TTextLibrary> L(new TTextLibrary);
  const bool Fonts = Find(Fc, "FcPatternCreate", L->PatternCreate, AError) &&
                     Find(Fc, "FcPatternDestroy", L->PatternDestroy, AError) &&
                     Find(Fc, "FcPatternAddString", L->PatternAddString, AError) &&
                     Find(Fc, "FcPatternAddInteger", L->PatternAddInteger, AError) &&
                     Find(Fc, "FcPatternAddDouble", L->PatternAddDouble, AError) &&
                     Find(Fc, "FcPatternAddBool", L->PatternAddBool, AError) &&
                     Find(Fc, "FcPatternGetString", L->PatternGetString, AError) &&
                     Find(Fc, "FcPatternGetInteger", L->PatternGetInteger, AError) &&
                     Find(Fc, "FcPatternGetDouble", L->PatternGetDouble, AError) &&
                     Find(Fc, "FcPatternGetBool", L->PatternGetBool, AError) &&
                     Find(Fc, "FcPatternGetCharSet", L->PatternGetCharSet, AError) &&
                     Find(Fc, "FcCharSetHasChar", L->CharSetHasChar, AError) &&
                     Find(Fc, "FcConfigSubstitute", L->ConfigSubstitute, AError) &&
                     Find(Fc, "FcDefaultSubstitute", L->DefaultSubstitute, AError) &&
                     Find(Fc, "FcFontMatch", L->FontMatch, AError);
  const bool Glyphs = Fonts && Find(Ft, "FT_Init_FreeType", L->InitFreeType, AError) &&
                      Find(Ft, "FT_Done_FreeType", L->DoneFreeType, AError) &&
                      Find(Ft, "FT_Open_Face", L->OpenFace, AError) &&
                      Find(Ft, "FT_Done_Face", L->DoneFace, AError) &&
                      Find(Ft, "FT_New_Size", L->NewSize, AError) &&
                      Find(Ft, "FT_Activate_Size", L->ActivateSize, AError) &&
                      Find(Ft, "FT_Set_Char_Size", L->SetCharSize, AError) &&
                      Find(Ft, "FT_Get_Char_Index", L->GetCharIndex, AError) &&
                      Find(Ft, "FT_Load_Glyph", L->LoadGlyph, AError) &&
                      Find(Ft, "FT_Render_Glyph", L->RenderGlyph, AError) &&
                      Find(Ft, "FT_GlyphSlot_Embolden", L->GlyphSlotEmbolden, AError);
  const bool Render =
      Glyphs && Find(Xr, "XRenderQueryExtension", L->QueryExtension, AError) &&
      Find(Xr, "XRenderFindVisualFormat", L->FindVisualFormat, AError) &&
      Find(Xr, "XRenderFindStandardFormat", L->FindStandardFormat, AError) &&
      Find(Xr, "XRenderCreatePicture", L->CreatePicture, AError) &&
      Find(Xr, "XRenderFreePicture", L->FreePicture, AError) &&
      Find(Xr, "XRenderSetPictureClipRectangles", L->SetPictureClipRectangles, AError) &&
      Find(Xr, "XRenderCreateSolidFill", L->CreateSolidFill, AError) &&
      Find(Xr, "XRenderCreateGlyphSet", L->CreateGlyphSet, AError) &&
      Find(Xr, "XRenderFreeGlyphSet", L->FreeGlyphSet, AError) &&
      Find(Xr, "XRenderAddGlyphs", L->AddGlyphs, AError) &&
      Find(Xr, "XRenderCompositeString32", L->CompositeString32, AError) &&
      Find(Xr, "XRenderFillRectangle", L->FillRectangle, AError);
  return Render ? std::move(L) : nullptr;
}

} // namespace nyarumi::x11

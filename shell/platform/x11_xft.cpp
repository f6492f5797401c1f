#include "shell/platform/x11_xft.h"

#include <dlfcn.h>

namespace nyarumi::x11 {
namespace {

// The libraries stay loaded until the program ends: Xft hooks the closing of the display and
// keeps its fonts there, so its code must outlive the display.
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

std::unique_ptr<TXftLibrary> TXftLibrary::Load(std::string& AError) {
  void* Fc = Open("libfontconfig.so.1", AError);
  void* Xft = Fc != nullptr ? Open("libXft.so.2", AError) : nullptr;
  if (Xft == nullptr) {
    return nullptr;
  }
  std::unique_ptr<TXftLibrary> L(new TXftLibrary);
  const bool Complete = Find(Fc, "FcPatternCreate", L->PatternCreate, AError) &&
                        Find(Fc, "FcPatternDestroy", L->PatternDestroy, AError) &&
                        Find(Fc, "FcPatternAddString", L->PatternAddString, AError) &&
                        Find(Fc, "FcPatternAddInteger", L->PatternAddInteger, AError) &&
                        Find(Fc, "FcPatternAddDouble", L->PatternAddDouble, AError) &&
                        Find(Xft, "XftDefaultSet", L->DefaultSet, AError) &&
                        Find(Xft, "XftFontMatch", L->FontMatch, AError) &&
                        Find(Xft, "XftFontOpenPattern", L->FontOpenPattern, AError) &&
                        Find(Xft, "XftFontClose", L->FontClose, AError) &&
                        Find(Xft, "XftCharExists", L->CharExists, AError) &&
                        Find(Xft, "XftTextExtents32", L->TextExtents32, AError) &&
                        Find(Xft, "XftColorAllocValue", L->ColorAllocValue, AError) &&
                        Find(Xft, "XftColorFree", L->ColorFree, AError) &&
                        Find(Xft, "XftDrawCreate", L->DrawCreate, AError) &&
                        Find(Xft, "XftDrawDestroy", L->DrawDestroy, AError) &&
                        Find(Xft, "XftDrawString32", L->DrawString32, AError) &&
                        Find(Xft, "XftDrawRect", L->DrawRect, AError) &&
                        Find(Xft, "XftDrawSetClip", L->DrawSetClip, AError) &&
                        Find(Xft, "XftDrawSetClipRectangles", L->DrawSetClipRectangles, AError);
  return Complete ? std::move(L) : nullptr;
}

} // namespace nyarumi::x11

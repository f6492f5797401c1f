#include "shell/platform/x11_display.h"

#include "common/Errors.h"
#include "shell/platform/x11_textlib.h"
#include "shell/platform/xdg_desktop.h"

#include <X11/Xlib-xcb.h>
#include <X11/Xresource.h>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

// Xlib's own request-building header, as its extension libraries use it; last, because it
// defines min and max as macros.
#include <X11/Xlibint.h>
#include <X11/extensions/shapeproto.h>
#undef min
#undef max

namespace nyarumi::x11 {
namespace {

std::optional<int> ParseInt(std::string_view AText) {
  while (!AText.empty() && (AText.front() == ' ' || AText.front() == '\t')) {
    AText.remove_prefix(1);
  }
  int Value = 0;
  const auto [End, Error] = std::from_chars(AText.data(), AText.data() + AText.size(), Value);
  if (Error != std::errc{} || End == AText.data()) {
    return std::nullopt;
  }
  return Value;
}

std::optional<double> XftDpi(std::string_view AResources) {
  const auto Value = ResourceValue(AResources, "Xft.dpi");
  if (!Value) {
    return std::nullopt;
  }
  char* End = nullptr;
  const double Dpi = std::strtod(Value->c_str(), &End);
  if (End != Value->c_str() && std::isfinite(Dpi) && Dpi > 0) {
    return Dpi;
  }
  return std::nullopt;
}

int ShiftOf(unsigned long AMask) {
  return AMask == 0 ? 0 : std::countr_zero(AMask);
}

} // namespace

std::optional<std::string> ResourceValue(std::string_view AResources, std::string_view AName) {
  const std::string Key = std::string(AName) + ":";
  std::size_t Pos = 0;
  while ((Pos = AResources.find(Key, Pos)) != std::string_view::npos) {
    if (Pos == 0 || AResources[Pos - 1] == '\n') {
      std::string_view Value = AResources.substr(Pos + Key.size());
      Value = Value.substr(0, Value.find('\n'));
      const auto First = Value.find_first_not_of(" \t");
      if (First == std::string_view::npos) {
        return std::string();
      }
      Value = Value.substr(First);
      return std::string(Value.substr(0, Value.find_last_not_of(" \t") + 1));
    }
    Pos += Key.size();
  }
  return std::nullopt;
}

std::optional<std::string> PrintableLatin1(std::string_view AUtf8) {
  std::string Out;
  for (std::size_t I = 0; I < AUtf8.size();) {
    const auto Lead = static_cast<unsigned char>(AUtf8[I]);
    unsigned Code = Lead;
    if (Lead >= 0x80) {
      // Only the two-byte forms of U+0080 to U+00FF.
      if ((Lead != 0xC2 && Lead != 0xC3) || I + 1 >= AUtf8.size()) {
        return std::nullopt;
      }
      const auto Next = static_cast<unsigned char>(AUtf8[I + 1]);
      if ((Next & 0xC0) != 0x80) {
        return std::nullopt;
      }
      Code = ((Lead & 0x1FU) << 6) | (Next & 0x3FU);
      ++I;
    }
    ++I;
    if (Code < 0x20 || (Code >= 0x7F && Code < 0xA0)) {
      return std::nullopt; // control characters: Xlib decides how those go
    }
    Out.push_back(static_cast<char>(Code));
  }
  return Out;
}

int ScaleFromDpi(std::optional<std::string_view> AResources,
                 std::optional<std::string_view> AOverride) {
  constexpr int MaxScale = 8;
  if (AOverride) {
    if (const auto S = ParseInt(*AOverride); S && *S >= 1 && *S <= MaxScale) {
      return *S;
    }
  }
  if (AResources) {
    if (const auto Dpi = XftDpi(*AResources)) {
      return std::clamp(static_cast<int>(std::lround(*Dpi / 96.0)), 1, MaxScale);
    }
  }
  return 1;
}

TX11Display::TX11Display() {
  FDisplay = XOpenDisplay(nullptr);
  if (FDisplay == nullptr) {
    throw Exception(xdg::NoDisplayMessage(xdg::Environment("DISPLAY")));
  }
  FScreen = DefaultScreen(FDisplay);
  FRoot = RootWindow(FDisplay, FScreen);
  FVisual = DefaultVisual(FDisplay, FScreen);
  FColormap = DefaultColormap(FDisplay, FScreen);
  FDepth = DefaultDepth(FDisplay, FScreen);
  FRedShift = ShiftOf(FVisual->red_mask);
  FGreenShift = ShiftOf(FVisual->green_mask);
  FBlueShift = ShiftOf(FVisual->blue_mask);

  // One round trip for every atom the backend needs, each named beside the field it fills.
  struct Slot {
    const char* Name;
    Atom TAtoms::*Field;
  };
  static constexpr std::array<Slot, 22> Slots{{
      {"WM_PROTOCOLS", &TAtoms::WmProtocols},
      {"WM_DELETE_WINDOW", &TAtoms::WmDeleteWindow},
      {"WM_STATE", &TAtoms::WmState},
      {"_NET_WM_NAME", &TAtoms::NetWmName},
      {"_NET_WM_PID", &TAtoms::NetWmPid},
      {"_NET_WM_STATE", &TAtoms::NetWmState},
      {"_NET_WM_STATE_ABOVE", &TAtoms::NetWmStateAbove},
      {"_NET_WM_STATE_SKIP_TASKBAR", &TAtoms::NetWmStateSkipTaskbar},
      {"_NET_WM_STATE_SKIP_PAGER", &TAtoms::NetWmStateSkipPager},
      {"_NET_WM_WINDOW_TYPE", &TAtoms::NetWmWindowType},
      {"_NET_WM_WINDOW_TYPE_UTILITY", &TAtoms::NetWmWindowTypeUtility},
      {"_NET_WM_WINDOW_TYPE_DIALOG", &TAtoms::NetWmWindowTypeDialog},
      {"_NET_FRAME_EXTENTS", &TAtoms::NetFrameExtents},
      {"_NET_REQUEST_FRAME_EXTENTS", &TAtoms::NetRequestFrameExtents},
      {"_MOTIF_WM_HINTS", &TAtoms::MotifWmHints},
      {"UTF8_STRING", &TAtoms::Utf8String},
      {"CLIPBOARD", &TAtoms::Clipboard},
      {"TARGETS", &TAtoms::Targets},
      {"TEXT", &TAtoms::Text},
      {"_NET_ACTIVE_WINDOW", &TAtoms::NetActiveWindow},
      {"_NET_SUPPORTING_WM_CHECK", &TAtoms::NetSupportingWmCheck},
      // Xlib asks for this one on its own while setting a window's properties, in a round trip
      // of its own, unless it is in Xlib's atom cache already.
      {"WM_LOCALE_NAME", &TAtoms::WmLocaleName},
  }};
  std::array<char*, Slots.size()> Names{};
  for (std::size_t I = 0; I < Slots.size(); ++I) {
    Names[I] = const_cast<char*>(Slots[I].Name);
  }
  std::array<Atom, Slots.size()> Values{};
  // The Shape extension's code comes in the same round trip: the usual client library asks for
  // it and for another extension in three round trips of their own before her first outline.
  xcb_connection_t* Xcb = XGetXCBConnection(FDisplay);
  constexpr std::string_view ShapeName = "SHAPE";
  const xcb_query_extension_cookie_t Shape =
      xcb_query_extension(Xcb, static_cast<std::uint16_t>(ShapeName.size()), ShapeName.data());
  XInternAtoms(FDisplay, Names.data(), static_cast<int>(Names.size()), False, Values.data());
  for (std::size_t I = 0; I < Slots.size(); ++I) {
    FAtoms.*(Slots[I].Field) = Values[I];
  }
  if (xcb_query_extension_reply_t* Reply = xcb_query_extension_reply(Xcb, Shape, nullptr)) {
    FShapeOpcode = Reply->present ? Reply->major_opcode : 0;
    std::free(Reply);
  }

  const char* Resources = XResourceManagerString(FDisplay);
  const char* Override = std::getenv("NYARUMI_SCALE");
  FScale = ScaleFromDpi(Resources ? std::optional<std::string_view>(Resources) : std::nullopt,
                        Override ? std::optional<std::string_view>(Override) : std::nullopt);
}

TX11Display::~TX11Display() {
  XCloseDisplay(FDisplay);
}

template <class TRequest, class F>
void TX11Display::QueueShapeRequest(Window AWindow, int AMinor, std::size_t ASize,
                                    const F& AFinish) const {
  if (FShapeOpcode == 0) {
    return;
  }
  // Queued in Xlib's buffer like any other request, so it keeps its place among them.
  LockDisplay(FDisplay);
  auto* Req = static_cast<TRequest*>(_XGetRequest(FDisplay, static_cast<CARD8>(AMinor), ASize));
  Req->reqType = static_cast<CARD8>(FShapeOpcode);
  Req->shapeReqType = static_cast<CARD8>(AMinor);
  Req->op = ShapeSet;
  Req->destKind = ShapeBounding;
  Req->dest = static_cast<CARD32>(AWindow);
  Req->xOff = 0;
  Req->yOff = 0;
  AFinish(*Req);
  UnlockDisplay(FDisplay);
  if (FDisplay->synchandler != nullptr) { // as the synchronous mode asks
    FDisplay->synchandler(FDisplay);
  }
}

void TX11Display::SetOutline(Window AWindow, std::span<const XRectangle> ARects) const {
  // A request's length is counted in 16 bits: an outline with more rectangles than the largest
  // request holds goes in parts, each added to the one before. Any run of a banded list is
  // banded itself.
  const std::size_t PerRequest =
      (static_cast<std::size_t>(XMaxRequestSize(FDisplay)) - sz_xShapeRectanglesReq / 4) /
      (sizeof(XRectangle) / 4);
  std::size_t First = 0;
  do {
    const auto Part = ARects.subspan(First, std::min(PerRequest, ARects.size() - First));
    QueueShapeRequest<xShapeRectanglesReq>(
        AWindow, X_ShapeRectangles, sz_xShapeRectanglesReq, [&](xShapeRectanglesReq& Req) {
          Req.op = First == 0 ? ShapeSet : ShapeUnion;
          Req.ordering = YXBanded;
          const long Bytes = static_cast<long>(Part.size() * sizeof(XRectangle));
          Req.length = static_cast<CARD16>(Req.length + Bytes / 4);
          Data16(FDisplay, Part.data(), Bytes);
        });
    First += Part.size();
  } while (First < ARects.size());
}

void TX11Display::RemoveOutline(Window AWindow) const {
  QueueShapeRequest<xShapeMaskReq>(AWindow, X_ShapeMask, sz_xShapeMaskReq,
                                   [](xShapeMaskReq& Req) { Req.src = XNone; });
}

const TTextLibrary& TX11Display::Text() const {
  if (!FText) {
    std::string Error;
    FText = TTextLibrary::Load(Error);
    if (!FText) {
      throw Exception("Text cannot be drawn without fontconfig, FreeType and Xrender: " + Error);
    }
    int EventBase = 0, ErrorBase = 0;
    if (!FText->QueryExtension(FDisplay, &EventBase, &ErrorBase)) {
      FText.reset();
      throw Exception("Text cannot be drawn: the X server lacks the render extension");
    }
  }
  return *FText;
}

std::optional<std::string> TX11Display::Resource(std::string_view AName) const {
  const char* Resources = XResourceManagerString(FDisplay);
  if (Resources == nullptr) {
    return std::nullopt;
  }
  return ResourceValue(Resources, AName);
}

unsigned long TX11Display::Pixel(TRgb AColor) const {
  return PixelOf((std::uint32_t{AColor.Red} << 16) | (std::uint32_t{AColor.Green} << 8) |
                 AColor.Blue);
}

unsigned long TX11Display::PixelOf(std::uint32_t ARgb) const {
  // Only TrueColor visuals with 8 bits per channel are met in practice; masks keep others sane.
  const unsigned long R = (ARgb >> 16) & 0xFF, G = (ARgb >> 8) & 0xFF, B = ARgb & 0xFF;
  return ((R << FRedShift) & FVisual->red_mask) | ((G << FGreenShift) & FVisual->green_mask) |
         ((B << FBlueShift) & FVisual->blue_mask);
}

} // namespace nyarumi::x11

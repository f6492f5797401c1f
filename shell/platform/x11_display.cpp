#include "shell/platform/x11_display.h"

#include "common/Errors.h"

#include <X11/Xresource.h>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

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

// The value of "Xft.dpi:" in a resource database string, as the desktop's settings daemon or
// xrdb left it.
std::optional<double> XftDpi(std::string_view AResources) {
  constexpr std::string_view Key = "Xft.dpi:";
  std::size_t Pos = 0;
  while ((Pos = AResources.find(Key, Pos)) != std::string_view::npos) {
    if (Pos == 0 || AResources[Pos - 1] == '\n') {
      const std::string Value(AResources.substr(Pos + Key.size(), 32));
      char* End = nullptr;
      const double Dpi = std::strtod(Value.c_str(), &End);
      if (End != Value.c_str() && std::isfinite(Dpi) && Dpi > 0) {
        return Dpi;
      }
    }
    Pos += Key.size();
  }
  return std::nullopt;
}

int ShiftOf(unsigned long AMask) {
  return AMask == 0 ? 0 : std::countr_zero(AMask);
}

} // namespace

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
    throw Exception("Cannot open the X display");
  }
  FScreen = DefaultScreen(FDisplay);
  FRoot = RootWindow(FDisplay, FScreen);
  FVisual = DefaultVisual(FDisplay, FScreen);
  FColormap = DefaultColormap(FDisplay, FScreen);
  FDepth = DefaultDepth(FDisplay, FScreen);
  FRedShift = ShiftOf(FVisual->red_mask);
  FGreenShift = ShiftOf(FVisual->green_mask);
  FBlueShift = ShiftOf(FVisual->blue_mask);

  // One round trip for every atom the backend needs.
  static constexpr std::array<const char*, 19> Names{"WM_PROTOCOLS",
                                                     "WM_DELETE_WINDOW",
                                                     "WM_STATE",
                                                     "_NET_WM_NAME",
                                                     "_NET_WM_PID",
                                                     "_NET_WM_STATE",
                                                     "_NET_WM_STATE_ABOVE",
                                                     "_NET_WM_STATE_SKIP_TASKBAR",
                                                     "_NET_WM_STATE_SKIP_PAGER",
                                                     "_NET_WM_WINDOW_TYPE",
                                                     "_NET_WM_WINDOW_TYPE_UTILITY",
                                                     "_NET_WM_WINDOW_TYPE_DIALOG",
                                                     "_NET_FRAME_EXTENTS",
                                                     "_NET_REQUEST_FRAME_EXTENTS",
                                                     "_MOTIF_WM_HINTS",
                                                     "UTF8_STRING",
                                                     "CLIPBOARD",
                                                     "TARGETS",
                                                     "TEXT"};
  std::array<Atom, Names.size()> Values{};
  XInternAtoms(FDisplay, const_cast<char**>(Names.data()), static_cast<int>(Names.size()), False,
               Values.data());
  FAtoms = {Values[0],  Values[1],  Values[2],  Values[3],  Values[4],  Values[5],  Values[6],
            Values[7],  Values[8],  Values[9],  Values[10], Values[11], Values[12], Values[13],
            Values[14], Values[15], Values[16], Values[17], Values[18]};

  const char* Resources = XResourceManagerString(FDisplay);
  const char* Override = std::getenv("NYARUMI_SCALE");
  FScale = ScaleFromDpi(Resources ? std::optional<std::string_view>(Resources) : std::nullopt,
                        Override ? std::optional<std::string_view>(Override) : std::nullopt);
}

TX11Display::~TX11Display() {
  XCloseDisplay(FDisplay);
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

#pragma once
// The text clipboard as a proper selection owner: CLIPBOARD is claimed on a hidden window of
// our own and served as UTF8_STRING, STRING or TEXT, with TARGETS listing them, until another
// client takes it over.
#include "shell/platform/x11_display.h"

#include <X11/Xlib.h>

#include <optional>
#include <string>
#include <string_view>

namespace nyarumi::x11 {

class TX11Clipboard {
public:
  explicit TX11Clipboard(const TX11Display& ADisplay) : FDisplay(ADisplay) {}
  ~TX11Clipboard();
  TX11Clipboard(const TX11Clipboard&) = delete;
  TX11Clipboard& operator=(const TX11Clipboard&) = delete;

  // The hidden window, made on first use; XNone before.
  Window Id() const { return FWindow; }
  void Set(std::string_view AText);
  void Handle(XEvent& AEvent);

private:
  Window Ensure();
  void Answer(const XSelectionRequestEvent& ARequest);

  const TX11Display& FDisplay;
  Window FWindow = XNone;
  std::optional<std::string> FOwned; // our text while we own the selection
};

} // namespace nyarumi::x11

#pragma once
// The text clipboard as a proper selection owner: CLIPBOARD is claimed on a hidden window of
// our own and served as UTF8_STRING, STRING or TEXT, with TARGETS listing them. Reading asks the
// owner to convert into a property of that window and waits for the answer.
#include "shell/platform/x11_display.h"

#include <X11/Xlib.h>

#include <functional>
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
  // Runs AWait (an event loop that returns once its predicate holds or it gives up) until the
  // owner answered.
  std::optional<std::string> Get(const std::function<void(const std::function<bool()>&)>& AWait);
  void Handle(XEvent& AEvent);

private:
  Window Ensure();
  void Answer(const XSelectionRequestEvent& ARequest);

  const TX11Display& FDisplay;
  Window FWindow = XNone;
  std::optional<std::string> FOwned; // our text while we own the selection
  bool FWaiting = false;
  std::optional<std::string> FReceived;
};

} // namespace nyarumi::x11

#pragma once
// The text clipboard as a proper selection owner: CLIPBOARD is claimed on a hidden window of
// our own, at a real server time, and served as UTF8_STRING, TEXT or (for Latin-1 text) STRING,
// with TARGETS, TIMESTAMP and MULTIPLE, until another client takes it over. When we go while
// still holding it, a running clipboard manager is asked to keep the text, so that a copied
// address can still be pasted after she has quit.
#include "shell/platform/x11_display.h"

#include <X11/Xlib.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace nyarumi::x11 {

class TX11Clipboard {
public:
  // AHandOverWait: how long going waits for a clipboard manager to take the text.
  explicit TX11Clipboard(const TX11Display& ADisplay,
                         std::chrono::milliseconds AHandOverWait = std::chrono::seconds(5))
      : FDisplay(ADisplay), FHandOverWait(AHandOverWait) {}
  ~TX11Clipboard();
  TX11Clipboard(const TX11Clipboard&) = delete;
  TX11Clipboard& operator=(const TX11Clipboard&) = delete;

  // The hidden window, made on first use; XNone before.
  Window Id() const { return FWindow; }
  void Set(std::string_view AText);
  void Handle(XEvent& AEvent);

private:
  // Interned on the first copy: a mascot nobody copies from never asks for them.
  struct TClipAtoms {
    Atom Manager = XNone;
    Atom SaveTargets = XNone;
    Atom Multiple = XNone;
    Atom Timestamp = XNone;
  };

  Window Ensure();
  Time ServerTime();
  void Answer(const XSelectionRequestEvent& ARequest);
  bool Convert(Window ARequestor, Atom ATarget, Atom AProperty);
  bool ConvertEach(Window ARequestor, Atom AProperty);
  void HandOver();

  const TX11Display& FDisplay;
  std::chrono::milliseconds FHandOverWait;
  Window FWindow = XNone;
  TClipAtoms FAtoms;
  std::optional<std::string> FOwned; // our text while we own the selection
  Time FSince = CurrentTime;         // when we took it
};

} // namespace nyarumi::x11

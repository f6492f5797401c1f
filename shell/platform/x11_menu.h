#pragma once
// A popup menu of the backend's own drawing, in the classic flat grey style: an override-redirect
// window that grabs pointer and keyboard while open. Arrows move the highlight, Enter chooses,
// Escape or a click outside dismisses, an access key ("&C") chooses its entry; checked entries
// show a tick or, for radio entries, a bullet; the default entry is bold; shortcut texts stand
// right-aligned in a column of their own; separators are etched lines.
#include "shell/platform/Platform.h"
#include "shell/platform/x11_window.h"

#include <X11/Xlib.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace nyarumi::x11 {

// The access key of a caption: the character after a single '&', lower-cased when ASCII.
std::optional<char32_t> AccessKeyOf(std::string_view ACaption);

// The next entry the highlight moves to from AFrom (nullopt: none yet) in a direction, passing
// over separators and disabled entries and wrapping around; nullopt when no entry can take it.
std::optional<std::size_t> NextSelectable(std::span<const TMenuEntry> AEntries,
                                          std::optional<std::size_t> AFrom, bool AForward);

class TX11Menu {
public:
  TX11Menu(TX11Context& AContext, TPoint AScreenPos, std::span<const TMenuEntry> AEntries);
  ~TX11Menu();
  TX11Menu(const TX11Menu&) = delete;
  TX11Menu& operator=(const TX11Menu&) = delete;

  Window Id() const { return FWindow; }
  // Maps the menu and grabs pointer and keyboard; false when the grab failed (the menu then
  // cannot work and counts as dismissed).
  bool Open();
  bool Done() const { return FDone; }
  int Result() const { return FResult; }
  void Handle(XEvent& AEvent);

private:
  struct Row {
    int Top = 0; // device pixels within the menu
    int Height = 0;
  };
  void Layout(TPoint AScreenPos);
  void Paint();
  void PaintEntry(std::size_t AIndex);
  void Finish(int AResult);
  std::optional<std::size_t> EntryAt(int AX, int AY) const;
  void Select(std::optional<std::size_t> AIndex);
  void OnKey(XKeyEvent& AEvent);
  TFontDesc FontOf(const TMenuEntry& AEntry) const;

  TX11Context& FContext;
  Display* FDpy;
  std::span<const TMenuEntry> FEntries;
  std::vector<Row> FRows;
  Window FWindow = XNone;
  TX11Surface FSurface;
  int FWidth = 0;
  int FHeight = 0;
  int FTextLeft = 0;
  int FShortCutRight = 0;
  std::optional<std::size_t> FSelected;
  bool FDone = false;
  bool FGrabbed = false;
  int FResult = -1;
};

} // namespace nyarumi::x11

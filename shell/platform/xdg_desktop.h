#pragma once
// The desktop around the program on Linux, for any Linux backend: the read-only settings file that
// stands in for the link settings, and the default handlers (browser, mail program) with their
// launch commands. No toolkit: plain POSIX.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nyarumi::xdg {

// A read-only INI file:
//   [Software\Microsoft\Internet Explorer\Settings]
//   Anchor Color=0,0,255
// Sections and names compare without regard to ASCII case, as the settings they stand in for
// do. Lines starting with ';' or '#' are comments; blanks around names and values are dropped,
// and a value wrapped in double quotes loses them. The first occurrence of a name wins.
class TIniSettings {
public:
  static TIniSettings Parse(std::string_view AText);
  // A missing or unreadable file reads as empty: every value then takes its default. So does
  // anything but a regular file, and a file larger than 64 KiB.
  static TIniSettings Load(const std::string& APath);

  std::optional<std::string> Value(std::string_view ASection, std::string_view AName) const;

private:
  struct Entry {
    std::string Section;
    std::string Name;
    std::string Value;
  };
  std::vector<Entry> FEntries;
};

// $XDG_CONFIG_HOME/nyarumi/settings.ini, or ~/.config/nyarumi/settings.ini.
std::string DefaultSettingsPath();

// What the program says on Linux, after "nyarumi: ", when the X display (ADisplay, the value of
// DISPLAY; nullopt or empty when unset) cannot be opened. One line, no line end.
std::string NoDisplayMessage(std::optional<std::string_view> ADisplay);
// The one-line note for a Wayland session (AWaylandDisplay, the value of WAYLAND_DISPLAY), where
// she runs through XWayland and most of her does not work; nullopt outside one.
std::optional<std::string> WaylandSessionNote(std::optional<std::string_view> AWaylandDisplay);
// The value of an environment variable; nullopt when it is unset.
std::optional<std::string_view> Environment(const char* AName);

// The Exec value of a .desktop file's [Desktop Entry] group, exactly as written there (field
// codes such as %u are left in); nullopt when the group or the key is missing or empty.
std::optional<std::string> DesktopExecLine(std::string_view ADesktopFile);

// The path of a desktop file id under <dir>/applications/ of the first data dir that has it.
// An id "vendor-app.desktop" may also live in applications/vendor/app.desktop.
std::optional<std::string> FindDesktopFile(std::string_view ADesktopId,
                                           const std::vector<std::string>& ADataDirs);

// $XDG_DATA_HOME (or ~/.local/share) followed by $XDG_DATA_DIRS (or /usr/local/share:/usr/share).
std::vector<std::string> XdgDataDirs();

// The launch command of the desktop's default handler for a MIME type ("text/html",
// "x-scheme-handler/mailto"), asked of xdg-mime; nullopt when none is registered or the
// desktop tools are missing.
std::optional<std::string> DefaultHandlerExec(std::string_view AMimeType);

// Splits a desktop entry's Exec value, as the file writes it, into words by the entry's escape
// (\s \n \t \r \\) and quoting rules; no shell is involved. Empty when a quote is left open.
std::vector<std::string> SplitCommandLine(std::string_view AExecLine);
// The argument vector that opens AAddress with a handler's Exec value whose address placeholder
// has already been taken out: other field codes go, "%%" is a percent sign, and the address is
// appended as one argument of its own. Empty when the command names no program.
std::vector<std::string> HandlerArgv(std::string_view ACommand, std::string_view AAddress);
// Starts a program from an argument vector (looked up in PATH), detached from this process and
// without a shell; true when it started.
bool SpawnDetached(std::vector<std::string> AArgv);
// HandlerArgv, then SpawnDetached.
bool StartHandler(std::string_view ACommand, std::string_view AAddress);

} // namespace nyarumi::xdg

#pragma once
// The Windows desktop around the program: the window the user works in, the link settings in
// the registry, the registered handlers of addresses, starting programs and the clipboard.
#include "common/Geometry.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nyarumi::win32 {

// The visible frame (device pixels) of the foreground window; nullopt when there is none, when
// it is one of ours (AIsOurs) or the desktop itself: the desktop window, the shell's wallpaper
// windows (Progman, WorkerW) and the taskbars. The frame the desktop compositor draws is used
// where it reports one, so that the invisible resize borders do not count.
std::optional<TRect> ForegroundFrame(const std::function<bool(HWND)>& AIsOurs);

// A string value under HKEY_CURRENT_USER; nullopt when the key or value is missing or is not a
// string.
std::optional<std::string> ReadUserString(std::string_view AKey, std::string_view AName);

// The command registered to open addresses of a scheme ("http", "mailto"), with its "%1" still
// in it; nullopt when none is registered.
std::optional<std::string> SchemeCommand(const wchar_t* AScheme);

// Starts a program with these arguments, each quoted for its own splitter; no shell involved.
bool StartProcess(const std::vector<std::string>& AArgv);

// Hands a document or address to the shell's opener; true when it was taken.
bool ShellOpen(std::string_view ATarget);

bool PutClipboardText(HWND AOwner, std::string_view AText);
std::optional<std::string> TakeClipboardText(HWND AOwner);

} // namespace nyarumi::win32

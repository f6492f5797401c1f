#include "shell/platform/win32_desktop.h"

#include "shell/platform/win32_cmdline.h"
#include "shell/platform/win32_text.h"

#include <dwmapi.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <array>
#include <cstring>

namespace nyarumi::win32 {
namespace {

bool IsDesktopClass(HWND AWindow) {
  std::array<wchar_t, 64> name{};
  if (GetClassNameW(AWindow, name.data(), static_cast<int>(name.size())) == 0) {
    return false;
  }
  static constexpr std::array<const wchar_t*, 5> Desktop{L"Progman", L"WorkerW", L"Shell_TrayWnd",
                                                         L"Shell_SecondaryTrayWnd", L"#32769"};
  for (const wchar_t* d : Desktop) {
    if (std::wcscmp(name.data(), d) == 0) {
      return true;
    }
  }
  return false;
}

} // namespace

std::optional<TRect> ForegroundFrame(const std::function<bool(HWND)>& AIsOurs) {
  HWND window = GetForegroundWindow();
  if (window == nullptr || window == GetDesktopWindow() || window == GetShellWindow() ||
      AIsOurs(window) || IsDesktopClass(window)) {
    return std::nullopt;
  }
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId()) {
    return std::nullopt; // a window of ours the window layer does not know, such as a menu
  }
  RECT r{};
  if (FAILED(DwmGetWindowAttribute(window, DWMWA_EXTENDED_FRAME_BOUNDS, &r, sizeof r)) &&
      GetWindowRect(window, &r) == FALSE) {
    return std::nullopt;
  }
  return TRect{r.left, r.top, r.right, r.bottom};
}

std::optional<std::string> ReadUserString(std::string_view AKey, std::string_view AName) {
  const std::wstring key = Widen(AKey);
  const std::wstring name = Widen(AName);
  DWORD bytes = 0;
  constexpr DWORD Flags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ;
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), Flags, nullptr, nullptr, &bytes) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), Flags, nullptr, value.data(),
                   &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.resize(wcsnlen(value.c_str(), value.size()));
  return Narrow(value);
}

std::optional<std::string> SchemeCommand(const wchar_t* AScheme) {
  std::array<wchar_t, 2048> command{};
  DWORD size = static_cast<DWORD>(command.size());
  if (FAILED(AssocQueryStringW(ASSOCF_NONE, ASSOCSTR_COMMAND, AScheme, L"open", command.data(),
                               &size)) ||
      command[0] == L'\0') {
    return std::nullopt;
  }
  return Narrow(command.data());
}

bool StartProcess(const std::vector<std::string>& AArgv) {
  if (AArgv.empty() || AArgv.front().empty()) {
    return false;
  }
  const std::wstring program = Widen(AArgv.front());
  std::wstring line = Widen(JoinCommandLine(AArgv));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  // The program is named on its own, so the system never guesses it from the command line.
  if (CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &info) == FALSE) {
    return false;
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return true;
}

bool ShellOpen(std::string_view ATarget) {
  const std::wstring target = Widen(ATarget);
  if (target.empty()) {
    return false;
  }
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

bool PutClipboardText(HWND AOwner, std::string_view AText) {
  const std::wstring text = Widen(AText);
  if (OpenClipboard(AOwner) == FALSE) {
    return false;
  }
  EmptyClipboard();
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  bool placed = false;
  if (memory != nullptr) {
    if (void* target = GlobalLock(memory)) {
      std::memcpy(target, text.c_str(), bytes);
      GlobalUnlock(memory);
      placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    }
    if (!placed) {
      GlobalFree(memory); // the clipboard took no ownership
    }
  }
  CloseClipboard();
  return placed;
}

std::optional<std::string> TakeClipboardText(HWND AOwner) {
  if (IsClipboardFormatAvailable(CF_UNICODETEXT) == FALSE || OpenClipboard(AOwner) == FALSE) {
    return std::nullopt;
  }
  std::optional<std::string> text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      const std::size_t limit = GlobalSize(data) / sizeof(wchar_t);
      text = Narrow(std::wstring_view(chars, wcsnlen(chars, limit)));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

} // namespace nyarumi::win32

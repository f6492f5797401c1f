// Another Windows program for her to wait beside: one ordinary captioned window titled
// "another program", placed by an X-style geometry argument "WIDTHxHEIGHT+LEFT+TOP" (the window's
// outer rectangle). Closes with its window.
#include <windows.h>

#include <cstdio>

namespace {

LRESULT CALLBACK WindowProc(HWND AWindow, UINT AMessage, WPARAM AWParam, LPARAM ALParam) {
  if (AMessage == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(AWindow, AMessage, AWParam, ALParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE AInstance, HINSTANCE, PWSTR ACommandLine, int) {
  int width = 200, height = 200, left = 0, top = 0;
  if (swscanf(ACommandLine, L"%dx%d+%d+%d", &width, &height, &left, &top) != 4) {
    return 2;
  }
  WNDCLASSW c{};
  c.lpfnWndProc = WindowProc;
  c.hInstance = AInstance;
  c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  c.lpszClassName = L"OtherProgram";
  RegisterClassW(&c);
  HWND window = CreateWindowExW(0, c.lpszClassName, L"another program", WS_OVERLAPPEDWINDOW, left,
                                top, width, height, nullptr, nullptr, AInstance, nullptr);
  if (window == nullptr) {
    return 1;
  }
  ShowWindow(window, SW_SHOW);
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

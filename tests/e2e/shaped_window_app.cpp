// A character-sized window for the end-to-end test: borderless, topmost, off the taskbar and cut
// to an outline built the way the region component builds it (record, moved so its box starts at
// the frame offset, copied, handed to the window). Driven through standard input:
//   ontop 0|1   switch stay-on-top through the platform
//   recreate    make Qt destroy and re-create the native window, as QWidget::setWindowFlags does
//   quit        end the program
// Writes OUTDIR/expected (the outline's rectangles in window pixels) and answers each step on
// standard output with "ready|done ... WINDOW-ID".
#include "shell/platform/qt_platform.h"
#include "shell/platform/qt_startup.h"
#include "shell/platform/qt_window.h"

#include <QApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace nyarumi;

constexpr TPoint Offset{5, 18};
constexpr TRgb Fill{255, 0, 0};

// An outline with a hole and two separate legs, in record coordinates (box starts at 8, 40).
const std::vector<TRect> Outline{
    {30, 40, 50, 52},  {20, 52, 60, 70},   {14, 70, 66, 80},   {14, 80, 30, 96},
    {50, 80, 66, 96},  {14, 96, 66, 130},  {24, 130, 36, 168}, {44, 130, 56, 168},
    {8, 100, 14, 110}, {66, 100, 70, 110},
};

std::vector<std::uint8_t> RegionRecord(const std::vector<TRect>& ARects) {
  TRect Box = ARects.front();
  for (const TRect& R : ARects) {
    Box = {std::min(Box.Left, R.Left), std::min(Box.Top, R.Top), std::max(Box.Right, R.Right),
           std::max(Box.Bottom, R.Bottom)};
  }
  std::vector<std::int32_t> Words{32,
                                  1,
                                  static_cast<std::int32_t>(ARects.size()),
                                  static_cast<std::int32_t>(ARects.size() * 16),
                                  Box.Left,
                                  Box.Top,
                                  Box.Right,
                                  Box.Bottom};
  for (const TRect& R : ARects) {
    Words.insert(Words.end(), {R.Left, R.Top, R.Right, R.Bottom});
  }
  std::vector<std::uint8_t> Bytes(Words.size() * 4);
  std::memcpy(Bytes.data(), Words.data(), Bytes.size());
  return Bytes;
}

class Painter final : public WindowEvents {
public:
  void Paint(Canvas& ACanvas, const TRect&) override { ACanvas.FillRect({0, 0, 88, 154}, Fill); }
  void MouseMove(TShiftState, TPoint) override {}
  void MouseLeave() override {}
  void MouseDown(TMouseButton, TShiftState, TPoint) override {}
  void MouseUp(TMouseButton, TShiftState, TPoint) override {}
  bool KeyDown(TShortCut) override { return false; }
  void CloseRequest() override {}
  void Moved(TPoint) override {}
};

void Check(bool AOk, const char* AStep) {
  if (!AOk) {
    std::cerr << "shaped_window_app: " << AStep << " failed\n";
    std::exit(1);
  }
}

// LoadRegionAt followed by ApplyRegion, through the platform calls the component makes.
void ApplyOutline(Platform& P, WindowId AWindow, std::ofstream& AExpected) {
  const auto Record = RegionRecord(Outline);
  const RegionId Held = P.ExtCreateRegion(Record);
  Check(Held != RegionId::None, "ExtCreateRegion");
  TRect Box;
  Check(P.GetRgnBox(Held, Box) != TRegionKind::Error, "GetRgnBox");
  const std::int32_t Dx = Offset.X - Box.Left, Dy = Offset.Y - Box.Top;
  Check(P.OffsetRgn(Held, Dx, Dy) != TRegionKind::Error, "OffsetRgn");
  const RegionId Copy = P.CreateRectRgn(0, 0, 0, 0);
  Check(P.CombineRgn(Copy, Copy, Held, TCombineMode::Or) != TRegionKind::Error, "CombineRgn");
  Check(P.SetWindowRgn(AWindow, Copy, true) != 0, "SetWindowRgn");
  P.DeleteObject(Held);
  for (const TRect& R : Outline) {
    AExpected << R.Left + Dx << ' ' << R.Top + Dy << ' ' << R.Right + Dx << ' ' << R.Bottom + Dy
              << '\n';
  }
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: shaped_window_app OUTDIR\n";
    return 2;
  }
  qt::SelectQtPlatform();
  int QtArgc = 1;
  char Name[] = "shaped_window_app";
  char* QtArgv[] = {Name, nullptr};
  QApplication App(QtArgc, QtArgv);
  qt::InstallFontSubstitutes();
  qt::QtPlatform P("/nonexistent/settings.ini");

  Painter Events;
  TWindowParams Params;
  Params.Caption = "Nyarumi";
  Params.ClientWidth = 88;
  Params.ClientHeight = 154;
  Params.Background = {255, 255, 255};
  Params.StayOnTop = true;
  const TRect Screen = P.VirtualScreenRect();
  Params.OuterTopLeft = {(Screen.Width() - 88) / 2, (Screen.Height() - 154) / 2};
  const WindowId Window = P.CreateNativeWindow(Params, Events);
  Check(Window != WindowId::None, "CreateNativeWindow");

  std::ofstream Expected(std::string(argv[1]) + "/expected");
  ApplyOutline(P, Window, Expected);
  Expected.close();
  P.SetWindowVisible(Window, true);

  auto Answer = [&](const std::string& AWhat) {
    std::printf("%s 0x%lx\n", AWhat.c_str(), P.NativeWindowId(Window));
    std::fflush(stdout);
  };
  QSocketNotifier Input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&Input, &QSocketNotifier::activated, [&] {
    std::string Line;
    if (!std::getline(std::cin, Line) || Line == "quit") {
      Input.setEnabled(false);
      P.Quit();
      return;
    }
    if (Line == "ontop 0" || Line == "ontop 1") {
      P.SetStayOnTop(Window, Line.back() == '1');
    } else if (Line == "recreate") {
      QWidget* Widget = P.Widget(Window);
      Widget->setWindowFlag(Qt::WindowStaysOnTopHint, false);
      Widget->setWindowFlag(Qt::WindowStaysOnTopHint, true);
      Widget->show();
    }
    App.processEvents();
    Answer("done " + Line);
  });
  Answer("ready");
  P.Run();
  return 0;
}

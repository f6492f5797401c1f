// The shaped form of shaped_window.sh on the native X11 backend: borderless, stay-on-top, off
// the taskbar, painted red and cut to an outline by a TFormRgn at the frame offset (5, 18).
// Driven through standard input, one command a line:
//   ontop 0|1   switch the form style (normal / stay on top)
//   recreate    withdraw the window and show it again: the window manager forgets its states
//   quit        end the program
// Writes OUTDIR/expected and answers each step on standard output with "ready|done ... WINDOW-ID".
#include "shape/Region.h"
#include "shell/platform/x11_platform.h"
#include "shell/window/Application.h"
#include "shell/window/Form.h"
#include "shell/window/FormRgn.h"
#include "shell/window/Shape.h"

#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace nyarumi;

// An outline with a hole and two separate legs, in record coordinates (box starts at 8, 40).
const std::vector<TRect> Outline{
    {30, 40, 50, 52},  {20, 52, 60, 70},   {14, 70, 66, 80},   {14, 80, 30, 96},
    {50, 80, 66, 96},  {14, 96, 66, 130},  {24, 130, 36, 168}, {44, 130, 56, 168},
    {8, 100, 14, 110}, {66, 100, 70, 110},
};

void WriteExpected(const std::string& APath, std::int32_t ADx, std::int32_t ADy) {
  std::ofstream Out(APath);
  for (const TRect& R : Outline) {
    Out << R.Left + ADx << ' ' << R.Top + ADy << ' ' << R.Right + ADx << ' ' << R.Bottom + ADy
        << '\n';
  }
}

// A whole line from standard input when one is waiting; the X connection keeps the loop.
bool LineWaiting() {
  pollfd In{STDIN_FILENO, POLLIN, 0};
  return poll(&In, 1, 0) > 0;
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: shaped_window_x11_app OUTDIR\n";
    return 2;
  }
  x11::TX11Platform P("/nonexistent/settings.ini");
  PlatformScope Scope(P);
  TApplication App;
  App.SetTitle("Nyarumi");
  App.SetShowTaskbarButton(false);

  TForm Form(nullptr);
  Form.SetCaption("Nyarumi");
  Form.SetBorderStyle(TFormBorderStyle::bsNone);
  Form.SetFormStyle(TFormStyle::fsStayOnTop);
  Form.SetPosition(TPosition::poDesktopCenter);
  Form.SetClientWidth(88);
  Form.SetClientHeight(154);

  auto* Body = new TShape(&Form);
  Body->SetParent(&Form);
  Body->SetBounds(0, 0, 88, 154);
  Body->Brush.Color = clRed;
  Body->Pen.Style = TPenStyle::psClear;

  auto* Rgn = new TFormRgn(&Form);
  Rgn->SetParent(&Form);
  Rgn->SetBounds(0, 0, 88, 154);
  TMemoryStream Record(TRegion::FromRects(Outline).ToRecord());
  Rgn->LoadRegionAt(Record, 5, 18);
  Rgn->ApplyRegion();
  WriteExpected(std::string(argv[1]) + "/expected", 5 - 8, 18 - 40);

  auto Answer = [&](const std::string& AWhat) {
    std::printf("%s 0x%lx\n", AWhat.c_str(), P.NativeWindowId(Form.Handle()));
    std::fflush(stdout);
  };
  bool Started = false;
  const TimerId Input = P.SetTimer(20, [&] {
    if (!Started) {
      Started = true;
      Answer("ready");
    }
    if (!LineWaiting()) {
      return;
    }
    std::string Line;
    if (!std::getline(std::cin, Line) || Line == "quit") {
      App.Terminate();
      return;
    }
    if (Line == "ontop 0" || Line == "ontop 1") {
      Form.SetFormStyle(Line.back() == '1' ? TFormStyle::fsStayOnTop : TFormStyle::fsNormal);
    } else if (Line == "recreate") {
      Form.Hide();
      App.ProcessMessages();
      Form.Show();
    }
    App.ProcessMessages();
    Answer("done " + Line);
  });
  App.Run();
  P.KillTimer(Input);
  return 0;
}

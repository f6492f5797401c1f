#pragma once
// A program-like setting for the About window tests: the null backend, an application with a
// main form created first (as start-up does), and the About window from its layout.
#include "AboutLayout.h"
#include "shell/ABOUT.h"
#include "shell/platform/null_platform.h"
#include "shell/window/Application.h"
#include "shell/window/Registration.h"

#include <gtest/gtest.h>

#include <memory>

namespace nyarumi::test {

class AboutFixture : public ::testing::Test {
protected:
  AboutFixture() {
    RegisterWindowClasses(Registry);
    RegisterAboutClasses(Registry);
    Null.Frame = {3, 20, 3, 3}; // left, top, right, bottom margins of a tool window's frame
  }

  TfrmABUT& Create() {
    Form = CreateAboutWindow(AboutLayout(), Registry);
    return *Form;
  }
  WindowEvents& Events() { return *Null.Window(Form->Handle()).Events; }
  TNullWindow& Native() { return Null.Window(Form->Handle()); }

  NullPlatform Null;
  PlatformScope Scope{Null};
  TApplication App;
  TForm MainForm{nullptr};
  TClassRegistry Registry;
  std::unique_ptr<TfrmABUT> Form;
};

} // namespace nyarumi::test

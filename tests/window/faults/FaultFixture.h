#pragma once
// The program's windows on the null backend, made the way the program makes them, with the
// default error handler in place so that every report arrives as an error box.
#include "assets/FormLoader.h"
#include "assets/fileIN.h"
#include "shell/platform/null_platform.h"
#include "shell/window/Application.h"
#include "shell/window/Registration.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace nyarumi::test {

using TBox = std::pair<std::string, std::string>; // text, caption

class FaultTest : public ::testing::Test {
protected:
  FaultTest() {
    App.SetTitle("Nyarumi");
    RegisterWindowClasses(Registry);
    RegisterfileIN(Registry);
  }
  NullPlatform Platform;
  PlatformScope Scope{Platform};
  TApplication App;
  TClassRegistry Registry;
};

} // namespace nyarumi::test

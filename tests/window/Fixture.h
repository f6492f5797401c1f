#pragma once
// What every window test stands on: the null backend installed and an application object.
#include "shell/platform/null_platform.h"
#include "shell/window/Application.h"

#include <gtest/gtest.h>

namespace nyarumi::test {

class WindowTest : public ::testing::Test {
protected:
  WindowTest() { App.SetTitle("Nyarumi"); }
  NullPlatform Null;
  PlatformScope Scope{Null};
  TApplication App;
};

} // namespace nyarumi::test

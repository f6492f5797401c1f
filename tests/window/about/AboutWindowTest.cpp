#include "shell/ABOUT.h"

#include "AboutLayout.h"
#include "shell/HTLabel.h"
#include "shell/platform/null_platform.h"
#include "shell/window/Application.h"
#include "shell/window/Label.h"
#include "shell/window/Registration.h"

#include <gtest/gtest.h>

namespace nyarumi {
namespace {

class AboutWindow : public ::testing::Test {
protected:
  AboutWindow() {
    RegisterWindowClasses(Registry);
    RegisterAboutClasses(Registry);
  }
  NullPlatform Null;
  PlatformScope Scope{Null};
  TClassRegistry Registry;
};

TEST_F(AboutWindow, IsCreatedHiddenWithTheVersionLineReplaced) {
  auto form = CreateAboutWindow(test::AboutLayout(), Registry);
  EXPECT_FALSE(form->Visible());
  EXPECT_EQ(form->ClientWidth(), 325);
  EXPECT_EQ(form->ClientHeight(), 124);
  ASSERT_NE(form->Label2, nullptr);
  EXPECT_EQ(form->Label2->Caption(), "version.0.5   2001");
  ASSERT_NE(form->HTLabel1, nullptr);
  EXPECT_EQ(form->HTLabel1->Caption(), test::WEB_ADDRESS);
}

} // namespace
} // namespace nyarumi

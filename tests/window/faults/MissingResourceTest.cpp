// Built without the embedded streams: creating the main window when its resource is missing
// raises the missing-resource error with the window's class name, and nothing of it is left.
#include "FaultFixture.h"
#include "assets/Resources.h"
#include "common/Errors.h"
#include "shell/ABOUT.h"
#include "shell/formMain.h"

namespace nyarumi::test {
namespace {

TEST_F(FaultTest, TheMainWindowIsNotCreatedWhenItsResourceIsMissing) {
  ASSERT_TRUE(LookupResource("TFRMMAIN").empty()) << "this test runs without the streams";
  RegisterfrmMAIN(Registry);
  try {
    (void)CreatefrmMAIN(Registry);
    FAIL() << "the window was created";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "TfrmMAIN リソースが見つかりません");
  }
  EXPECT_TRUE(App.Forms().empty());
  EXPECT_EQ(Platform.CallCount(NullOp::CreateNativeWindow), 0u);
  EXPECT_EQ(Platform.CallCount(NullOp::SetTimer), 0u);
  EXPECT_EQ(Platform.CallCount(NullOp::ExtCreateRegion), 0u) << "FormCreate did not run";
  EXPECT_TRUE(Platform.ErrorBoxes.empty()) << "the error is the creator's to report";
}

TEST_F(FaultTest, TheAboutWindowIsNotCreatedWhenItsResourceIsMissing) {
  ASSERT_TRUE(LookupResource("TFRMABUT").empty()) << "this test runs without the streams";
  RegisterAboutClasses(Registry);
  try {
    (void)CreateAboutWindow(Registry);
    FAIL() << "the window was created";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "TfrmABUT リソースが見つかりません");
  }
  EXPECT_TRUE(App.Forms().empty());
  EXPECT_EQ(Platform.CallCount(NullOp::CreateNativeWindow), 0u);
}

} // namespace
} // namespace nyarumi::test

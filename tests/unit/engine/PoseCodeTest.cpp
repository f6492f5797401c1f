#include "common/Errors.h"
#include "engine/PoseCode.h"

#include <gtest/gtest.h>

namespace nyarumi {
namespace {

TEST(FormatMessage, FillsPlaceholdersInOrderAndKeepsSurplusOnes) {
  EXPECT_EQ(FormatMessage("%s%s%s の読み込み中のエラー : %s", {"TImage", ".", "Width"}),
            "TImage.Width の読み込み中のエラー : %s");
  EXPECT_EQ(FormatMessage("クラス %s が見つかりません", {"TFoo", "extra"}),
            "クラス TFoo が見つかりません");
}

TEST(CharacterState, StartsStandingFacingRightAtFrameOne) {
  CharacterState s;
  EXPECT_EQ(s.PoseMode, POSE_STAND);
  EXPECT_EQ(s.PoseCode, 0x111);
  EXPECT_EQ(s.PoseMode, s.PoseCode & 0xF00);
}

} // namespace
} // namespace nyarumi

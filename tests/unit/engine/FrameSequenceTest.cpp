#include "engine/FrameSequence.h"
#include "common/Errors.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace nyarumi {
namespace {

struct RecordingHost : IFrameHost {
  std::vector<std::string> Calls;
  bool FailLoad = false;
  void CopyFramePicture(int APictureIndex) override {
    Calls.push_back("copy " + std::string(FramePictureName(APictureIndex)));
  }
  void LoadRegionAt(int AHolderIndex, std::int32_t X, std::int32_t Y) override {
    Calls.push_back("load " + RegionHolderName(AHolderIndex) + " " + std::to_string(X) + "," +
                    std::to_string(Y));
    if (FailLoad) {
      throw Exception("region");
    }
  }
};

// Bounding-box left and top of every region record, as catalogued with the artwork.
struct Bounds {
  const char* B;
  int BLeft, BTop;
  const char* D;
  int DLeft, DTop;
};
const Bounds CATALOGUE[] = {
    {"TATI1b", 8, 40, "TATI1d", 24, 40},       {"TATI2b", 8, 40, "TATI2d", 25, 40},
    {"TATI3b", 8, 40, "TATI3d", 24, 40},       {"TATI4b", 8, 40, "TATI4d", 25, 40},
    {"HASIRI0b", 8, 40, "HASIRI0d", 21, 40},   {"HASIRI1b", 8, 39, "HASIRI1d", 22, 39},
    {"HASIRI2b", 8, 39, "HASIRI2d", 20, 39},   {"HASIRI3b", 8, 40, "HASIRI3d", 24, 40},
    {"HASIRI4b", 8, 39, "HASIRI4d", 25, 39},   {"HASIRI5b", 8, 39, "HASIRI5d", 24, 39},
    {"HASIRI0bU", 8, 40, "HASIRI0dU", 22, 40}, {"HASIRI1bU", 8, 39, "HASIRI1dU", 22, 39},
    {"HASIRI2bU", 8, 39, "HASIRI2dU", 20, 39}, {"HASIRI3bU", 8, 39, "HASIRI3dU", 25, 39},
    {"HASIRI4bU", 8, 39, "HASIRI4dU", 25, 39}, {"HASIRI5bU", 8, 39, "HASIRI5dU", 24, 39},
    {"HASIRI0bD", 8, 40, "HASIRI0dD", 21, 40}, {"HASIRI1bD", 8, 40, "HASIRI1dD", 22, 40},
    {"HASIRI2bD", 8, 40, "HASIRI2dD", 20, 40}, {"HASIRI3bD", 8, 40, "HASIRI3dD", 24, 40},
    {"HASIRI4bD", 8, 40, "HASIRI4dD", 24, 40}, {"HASIRI5bD", 8, 40, "HASIRI5dD", 24, 40},
};

// Where the sequencer must place each record: its bounding corner minus (3, 22).
std::map<std::string, std::string> ExpectedPlacement() {
  std::map<std::string, std::string> out;
  auto at = [](int l, int t) { return std::to_string(l - 3) + "," + std::to_string(t - 22); };
  for (const Bounds& b : CATALOGUE) {
    out[b.B] = at(b.BLeft, b.BTop);
    out[b.D] = at(b.DLeft, b.DTop);
  }
  return out;
}

struct Family {
  std::int32_t Mode, Base;
  const char* Facing;
  const char* Slope;
};
const Family FAMILIES[] = {
    {POSE_STAND, POSE_STAND_R, "b", ""},   {POSE_STAND, POSE_STAND_L, "d", ""},
    {POSE_RUN, POSE_RUN_R_LEVEL, "b", ""}, {POSE_RUN, POSE_RUN_R_UP, "b", "U"},
    {POSE_RUN, POSE_RUN_R_DOWN, "b", "D"}, {POSE_RUN, POSE_RUN_L_LEVEL, "d", ""},
    {POSE_RUN, POSE_RUN_L_UP, "d", "U"},   {POSE_RUN, POSE_RUN_L_DOWN, "d", "D"},
};

// Running frame n (1-7): picture number, next frame number, whether the steps are cleared.
constexpr int RUN_PICTURE[] = {0, 1, 2, 3, 4, 5, 3};
constexpr int RUN_NEXT[] = {2, 3, 4, 5, 6, 7, 2};
constexpr bool RUN_CLEARS[] = {true, false, true, true, false, true, true};

TEST(AnimProc, EveryValidCodeFollowsTheSequenceRules) {
  const auto placement = ExpectedPlacement();
  std::set<std::string> shown;
  int codes = 0;
  for (const Family& f : FAMILIES) {
    const bool standing = f.Mode == POSE_STAND;
    for (int n = 1; n <= (standing ? 4 : 7); ++n) {
      const std::string picture =
          standing ? "TATI" + std::to_string(n) + f.Facing
                   : "HASIRI" + std::to_string(RUN_PICTURE[n - 1]) + f.Facing + f.Slope;
      const std::int32_t next = f.Base + (standing ? n % 4 + 1 : RUN_NEXT[n - 1]);
      const bool clears = !standing && RUN_CLEARS[n - 1];
      SCOPED_TRACE(std::to_string(f.Base + n) + " " + picture);

      CharacterState s{f.Mode, f.Base + n, -3, 12};
      RecordingHost host;
      AnimProc(s, host);
      EXPECT_EQ(host.Calls,
                (std::vector<std::string>{"copy " + picture,
                                          "load rg" + picture + " " + placement.at(picture)}));
      EXPECT_EQ(s.PoseMode, f.Mode);
      EXPECT_EQ(s.PoseCode, next);
      EXPECT_EQ(s.StepY, clears ? 0 : -3);
      EXPECT_EQ(s.StepX, clears ? 0 : 12);
      shown.insert(picture);
      ++codes;
    }
  }
  EXPECT_EQ(codes, 50);
  EXPECT_EQ(static_cast<int>(FrameRows().size()), 50);
  EXPECT_EQ(static_cast<int>(shown.size()), FRAME_COUNT);
}

TEST(AnimProc, CodesOutsideTheTableDoNothing) {
  const CharacterState cases[] = {
      {POSE_RUN, 0x210, 3, 16},   {POSE_RUN, 0x218, 3, 16},   {POSE_RUN, 0x280, 3, 16},
      {POSE_RUN, 0x271, 3, 16},   {POSE_STAND, 0x110, 3, 16}, {POSE_STAND, 0x115, 3, 16},
      {POSE_STAND, 0x19F, 3, 16},
  };
  for (const CharacterState& before : cases) {
    CharacterState s = before;
    RecordingHost host;
    AnimProc(s, host);
    EXPECT_TRUE(host.Calls.empty()) << before.PoseCode;
    EXPECT_EQ(s.PoseCode, before.PoseCode);
    EXPECT_EQ(s.StepY, 3);
    EXPECT_EQ(s.StepX, 16);
  }
}

TEST(AnimProc, ModeChoosesThePathAndOnlyThatPathsTestsCount) {
  struct Case {
    std::int32_t Mode, Code;
    const char* Picture;
    std::int32_t Next;
    bool Clears;
  };
  const Case cases[] = {
      {POSE_STAND, 0x131, "TATI1b 5,18", 0x112, false},
      {POSE_STAND, 0x181, "TATI1b 5,18", 0x112, false}, // left without POSE_LEVEL reads as right
      {POSE_STAND, 0x291, "TATI1b 5,18", 0x112, false}, // standing-left needs 0x100 too
      {POSE_STAND, 0x391, "TATI1d 21,18", 0x192, false},
      {POSE_RUN, 0x111, "HASIRI0b 5,18", 0x212, true},
      {POSE_RUN, 0x191, "HASIRI0b 5,18", 0x212, true}, // running-left needs 0x200
      {0, 0x211, "HASIRI0b 5,18", 0x212, true},
      {0, 0x2B4, "HASIRI3dU 22,17", 0x2B5, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Code);
    CharacterState s{c.Mode, c.Code, 3, 16};
    RecordingHost host;
    AnimProc(s, host);
    ASSERT_EQ(host.Calls.size(), 2u);
    const std::string name = std::string(c.Picture).substr(0, std::string(c.Picture).find(' '));
    EXPECT_EQ(host.Calls[0], "copy " + name);
    EXPECT_EQ(host.Calls[1], "load rg" + std::string(c.Picture));
    EXPECT_EQ(s.PoseCode, c.Next);
    EXPECT_EQ(s.StepX, c.Clears ? 0 : 16);
    EXPECT_EQ(s.PoseMode, c.Mode);
  }
}

TEST(AnimProc, WhenLoadingTheRegionFailsThenPictureIsCopiedAndStateKept) {
  CharacterState s{POSE_RUN, 0x214, 3, 12};
  RecordingHost host;
  host.FailLoad = true;
  EXPECT_THROW(AnimProc(s, host), Exception);
  EXPECT_EQ(host.Calls, (std::vector<std::string>{"copy HASIRI3b", "load rgHASIRI3b 5,18"}));
  EXPECT_EQ(s.PoseCode, 0x214);
  EXPECT_EQ(s.StepY, 3);
  EXPECT_EQ(s.StepX, 12);
}

TEST(FrameNames, FortyFourDistinctNamesWithTheirHolders) {
  std::set<std::string> names;
  for (int i = 0; i < FRAME_COUNT; ++i) {
    names.insert(std::string(FramePictureName(i)));
    EXPECT_EQ(RegionHolderName(i), "rg" + std::string(FramePictureName(i)));
  }
  EXPECT_EQ(names.size(), 44u);
  EXPECT_EQ(FramePictureName(0), "TATI1b");
  EXPECT_EQ(FramePictureName(43), "HASIRI5dD");
  EXPECT_THROW(FramePictureName(44), std::out_of_range);
  EXPECT_THROW(FramePictureName(-1), std::out_of_range);
}

} // namespace
} // namespace nyarumi

#include "engine/FrameSequence.h"

#include <array>
#include <optional>
#include <stdexcept>

namespace nyarumi {
namespace {

constexpr std::array<std::string_view, FRAME_COUNT> FRAME_NAMES{
    "TATI1b",    "TATI2b",    "TATI3b",    "TATI4b",    "TATI1d",    "TATI2d",    "TATI3d",
    "TATI4d",    "HASIRI0b",  "HASIRI1b",  "HASIRI2b",  "HASIRI3b",  "HASIRI4b",  "HASIRI5b",
    "HASIRI0bU", "HASIRI1bU", "HASIRI2bU", "HASIRI3bU", "HASIRI4bU", "HASIRI5bU", "HASIRI0bD",
    "HASIRI1bD", "HASIRI2bD", "HASIRI3bD", "HASIRI4bD", "HASIRI5bD", "HASIRI0d",  "HASIRI1d",
    "HASIRI2d",  "HASIRI3d",  "HASIRI4d",  "HASIRI5d",  "HASIRI0dU", "HASIRI1dU", "HASIRI2dU",
    "HASIRI3dU", "HASIRI4dU", "HASIRI5dU", "HASIRI0dD", "HASIRI1dD", "HASIRI2dD", "HASIRI3dD",
    "HASIRI4dD", "HASIRI5dD"};

// Index of a frame by name; a misspelt name in the table below stops the build.
consteval int F(std::string_view AName) {
  for (std::size_t i = 0; i < FRAME_NAMES.size(); ++i) {
    if (FRAME_NAMES[i] == AName) {
      return static_cast<int>(i);
    }
  }
  throw "unknown frame name";
}

// Offsets are the record's bounding-box corner minus (3, 22), which sets every figure's feet on
// row 146 and keeps each left-facing figure's right side at x = 83.
consteval TFrameRow Row(std::int32_t ACode, std::string_view AName, std::int32_t X, std::int32_t Y,
                        std::int32_t ANext, bool AClear) {
  return TFrameRow{ACode, F(AName), F(AName), X, Y, ANext, AClear};
}
constexpr bool KEEP = false;
constexpr bool CLEAR = true;

constexpr std::array<TFrameRow, 50> ROWS{
    Row(0x111, "TATI1b", 5, 18, 0x112, KEEP),      Row(0x112, "TATI2b", 5, 18, 0x113, KEEP),
    Row(0x113, "TATI3b", 5, 18, 0x114, KEEP),      Row(0x114, "TATI4b", 5, 18, 0x111, KEEP),
    Row(0x191, "TATI1d", 21, 18, 0x192, KEEP),     Row(0x192, "TATI2d", 22, 18, 0x193, KEEP),
    Row(0x193, "TATI3d", 21, 18, 0x194, KEEP),     Row(0x194, "TATI4d", 22, 18, 0x191, KEEP),

    Row(0x211, "HASIRI0b", 5, 18, 0x212, CLEAR),   Row(0x212, "HASIRI1b", 5, 17, 0x213, KEEP),
    Row(0x213, "HASIRI2b", 5, 17, 0x214, CLEAR),   Row(0x214, "HASIRI3b", 5, 18, 0x215, CLEAR),
    Row(0x215, "HASIRI4b", 5, 17, 0x216, KEEP),    Row(0x216, "HASIRI5b", 5, 17, 0x217, CLEAR),
    Row(0x217, "HASIRI3b", 5, 18, 0x212, CLEAR),

    Row(0x231, "HASIRI0bU", 5, 18, 0x232, CLEAR),  Row(0x232, "HASIRI1bU", 5, 17, 0x233, KEEP),
    Row(0x233, "HASIRI2bU", 5, 17, 0x234, CLEAR),  Row(0x234, "HASIRI3bU", 5, 17, 0x235, CLEAR),
    Row(0x235, "HASIRI4bU", 5, 17, 0x236, KEEP),   Row(0x236, "HASIRI5bU", 5, 17, 0x237, CLEAR),
    Row(0x237, "HASIRI3bU", 5, 17, 0x232, CLEAR),

    Row(0x251, "HASIRI0bD", 5, 18, 0x252, CLEAR),  Row(0x252, "HASIRI1bD", 5, 18, 0x253, KEEP),
    Row(0x253, "HASIRI2bD", 5, 18, 0x254, CLEAR),  Row(0x254, "HASIRI3bD", 5, 18, 0x255, CLEAR),
    Row(0x255, "HASIRI4bD", 5, 18, 0x256, KEEP),   Row(0x256, "HASIRI5bD", 5, 18, 0x257, CLEAR),
    Row(0x257, "HASIRI3bD", 5, 18, 0x252, CLEAR),

    Row(0x291, "HASIRI0d", 18, 18, 0x292, CLEAR),  Row(0x292, "HASIRI1d", 19, 17, 0x293, KEEP),
    Row(0x293, "HASIRI2d", 17, 17, 0x294, CLEAR),  Row(0x294, "HASIRI3d", 21, 18, 0x295, CLEAR),
    Row(0x295, "HASIRI4d", 22, 17, 0x296, KEEP),   Row(0x296, "HASIRI5d", 21, 17, 0x297, CLEAR),
    Row(0x297, "HASIRI3d", 21, 18, 0x292, CLEAR),

    Row(0x2B1, "HASIRI0dU", 19, 18, 0x2B2, CLEAR), Row(0x2B2, "HASIRI1dU", 19, 17, 0x2B3, KEEP),
    Row(0x2B3, "HASIRI2dU", 17, 17, 0x2B4, CLEAR), Row(0x2B4, "HASIRI3dU", 22, 17, 0x2B5, CLEAR),
    Row(0x2B5, "HASIRI4dU", 22, 17, 0x2B6, KEEP),  Row(0x2B6, "HASIRI5dU", 21, 17, 0x2B7, CLEAR),
    Row(0x2B7, "HASIRI3dU", 22, 17, 0x2B2, CLEAR),

    Row(0x2D1, "HASIRI0dD", 18, 18, 0x2D2, CLEAR), Row(0x2D2, "HASIRI1dD", 19, 18, 0x2D3, KEEP),
    Row(0x2D3, "HASIRI2dD", 17, 18, 0x2D4, CLEAR), Row(0x2D4, "HASIRI3dD", 21, 18, 0x2D5, CLEAR),
    Row(0x2D5, "HASIRI4dD", 21, 18, 0x2D6, KEEP),  Row(0x2D6, "HASIRI5dD", 21, 18, 0x2D7, CLEAR),
    Row(0x2D7, "HASIRI3dD", 21, 18, 0x2D2, CLEAR),
};

constexpr int STAND_ROWS = 8;
constexpr int RUN_FAMILY_ROWS = 7;

// Running families in table order within one facing: level, up, down.
constexpr std::optional<int> SlopeIndex(std::int32_t ASelector) {
  switch (ASelector & 0x70) {
  case 0x10:
    return 0;
  case 0x30:
    return 1;
  case 0x50:
    return 2;
  default:
    return std::nullopt;
  }
}

// The row for the state, chosen the way the tests of the pose code read it: standing by the
// standing-left test and frame 1-4; anything else by the running-left test and the selector.
constexpr std::optional<int> RowIndex(std::int32_t APoseMode, std::int32_t APoseCode) {
  if (IsStanding(APoseMode)) {
    const std::int32_t frame = FrameNumber(APoseCode);
    if (frame < 1 || frame > 4) {
      return std::nullopt;
    }
    return (IsStandingLeft(APoseCode) ? 4 : 0) + frame - 1;
  }
  const std::int32_t selector = RunSelector(APoseCode);
  const std::int32_t frame = selector & 0xF;
  const std::optional<int> slope = SlopeIndex(selector);
  if (!slope || frame < 1 || frame > RUN_FAMILY_ROWS) {
    return std::nullopt;
  }
  const int family = (IsRunningLeft(APoseCode) ? 3 : 0) + *slope;
  return STAND_ROWS + family * RUN_FAMILY_ROWS + frame - 1;
}

// Every row is the one its own code selects.
constexpr bool RowsMatchTheirCodes() {
  for (std::size_t i = 0; i < ROWS.size(); ++i) {
    const std::int32_t code = ROWS[i].Code;
    if (RowIndex(code & 0xF00, code) != static_cast<int>(i)) {
      return false;
    }
  }
  return true;
}
static_assert(RowsMatchTheirCodes());

} // namespace

std::string_view FramePictureName(int AIndex) {
  if (AIndex < 0 || AIndex >= FRAME_COUNT) {
    throw std::out_of_range("frame index");
  }
  return FRAME_NAMES[static_cast<std::size_t>(AIndex)];
}

std::string RegionHolderName(int AIndex) {
  return "rg" + std::string(FramePictureName(AIndex));
}

std::span<const TFrameRow> FrameRows() {
  return ROWS;
}

void AnimProc(CharacterState& S, IFrameHost& AHost) {
  const std::optional<int> index = RowIndex(S.PoseMode, S.PoseCode);
  if (!index) {
    return;
  }
  const TFrameRow& row = ROWS[static_cast<std::size_t>(*index)];
  AHost.CopyFramePicture(row.Picture);
  AHost.LoadRegionAt(row.Holder, row.X, row.Y);
  S.PoseCode = row.Next;
  if (row.ClearSteps) {
    S.StepY = 0;
    S.StepX = 0;
  }
}

} // namespace nyarumi

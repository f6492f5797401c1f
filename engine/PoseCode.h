#pragma once
// The character's constants and its four state fields, with the tests and updates the engine
// applies to them. A pose code packs frame number (bits 0-3), slope (0x10 always, plus 0x20 up
// or 0x40 down), facing (0x80 = left) and activity (0x100 standing, 0x200 running).
#include <climits>
#include <cstdint>

// glibc's <limits.h> defines CHAR_WIDTH (the bits of a char) as 8 under _GNU_SOURCE, which g++
// always sets; any file that saw <memory> or <climits> first would otherwise read her width as 8.
// Including it here first and dropping the macro keeps the name ours, whatever comes later.
#undef CHAR_WIDTH

namespace nyarumi {

struct FrameRect {
  std::int32_t Left, Top, Right, Bottom; // right and bottom exclusive
};

inline constexpr std::int32_t CHAR_WIDTH = 88;
inline constexpr std::int32_t CHAR_HEIGHT = 154;
inline constexpr std::int32_t CHASE_DEAD_ZONE = 64;
inline constexpr FrameRect FRAME_RECT{0, 0, 87, 153};
inline constexpr std::int32_t POSE_STAND = 0x100;
inline constexpr std::int32_t POSE_STAND_R = 0x110;
inline constexpr std::int32_t POSE_STAND_L = 0x190;
inline constexpr std::int32_t POSE_RUN = 0x200;
inline constexpr std::int32_t POSE_RUN_R_LEVEL = 0x210;
inline constexpr std::int32_t POSE_RUN_R_UP = 0x230;
inline constexpr std::int32_t POSE_RUN_R_DOWN = 0x250;
inline constexpr std::int32_t POSE_RUN_LEFT = 0x280;
inline constexpr std::int32_t POSE_RUN_L_LEVEL = 0x290;
inline constexpr std::int32_t POSE_RUN_L_UP = 0x2B0;
inline constexpr std::int32_t POSE_RUN_L_DOWN = 0x2D0;

// Bit names of the layout.
inline constexpr std::int32_t POSE_LEVEL = 0x10;
inline constexpr std::int32_t POSE_UP = 0x20;
inline constexpr std::int32_t POSE_DOWN = 0x40;
inline constexpr std::int32_t POSE_FACING_LEFT = 0x80;

// The character-state fields of the main window, in their order there.
struct CharacterState {
  std::int32_t PoseMode = POSE_STAND;
  std::int32_t PoseCode = POSE_STAND_R + 1;
  std::int32_t StepY = 0;
  std::int32_t StepX = 0;
};

// Tests on the state. The masks are deliberately the narrow ones the sequencer and the steering
// have always used: the standing-left test needs 0x10 as well as 0x80, the running-left test
// needs 0x200 as well as 0x80.

// Any mode other than POSE_STAND counts as running.
constexpr bool IsStanding(std::int32_t APoseMode) {
  return APoseMode == POSE_STAND;
}
constexpr std::int32_t ActivityClass(std::int32_t APoseMode) {
  return APoseMode & 0xF00;
}
// Standing keeps a wide vertical dead zone so she does not hop at small cursor moves; running
// follows the cursor's height closely.
constexpr std::int32_t VerticalDeadZone(std::int32_t APoseMode) {
  return ActivityClass(APoseMode) == POSE_STAND ? CHASE_DEAD_ZONE : 8;
}
constexpr bool IsStandingLeft(std::int32_t APoseCode) {
  return (APoseCode & POSE_STAND_L) == POSE_STAND_L;
}
constexpr bool IsRunningLeft(std::int32_t APoseCode) {
  return (APoseCode & POSE_RUN_LEFT) == POSE_RUN_LEFT;
}
constexpr bool IsFacingLeft(std::int32_t APoseCode) {
  return (APoseCode & POSE_FACING_LEFT) == POSE_FACING_LEFT;
}
constexpr std::int32_t FrameNumber(std::int32_t APoseCode) {
  return APoseCode & 0xF;
}
// Slope and frame number together: 0x11-0x17 level, 0x31-0x37 up, 0x51-0x57 down.
constexpr std::int32_t RunSelector(std::int32_t APoseCode) {
  return APoseCode & 0x7F;
}

// Updates of the state.

enum class TSlope { Up, Level, Down };

constexpr void FaceLeft(CharacterState& S) {
  S.PoseCode = S.PoseCode | 0x80;
}
constexpr void FaceRight(CharacterState& S) {
  S.PoseCode = S.PoseCode & 0xFF7F;
}
// Clears only the up and down bits, so POSE_LEVEL, facing and frame number survive.
constexpr void SetSlope(CharacterState& S, TSlope ASlope) {
  const std::int32_t bits = ASlope == TSlope::Up     ? POSE_UP
                            : ASlope == TSlope::Down ? POSE_DOWN
                                                     : POSE_LEVEL;
  S.PoseCode = (S.PoseCode & 0xFF9F) | bits;
}
// Frame 1 of standing, facing kept.
constexpr void StopRunning(CharacterState& S) {
  S.PoseMode = POSE_STAND;
  S.PoseCode = (S.PoseCode & 0x90) + POSE_STAND + 1;
}
constexpr void StandWithFacing(CharacterState& S) {
  S.PoseCode = IsFacingLeft(S.PoseCode) ? POSE_STAND_L + 1 : POSE_STAND_R + 1;
  S.PoseMode = POSE_STAND;
}
// A run always starts at frame 1 of the level family; the slope is set afterwards.
constexpr void StartRunning(CharacterState& S) {
  S.PoseCode = IsFacingLeft(S.PoseCode) ? POSE_RUN_L_LEVEL + 1 : POSE_RUN_R_LEVEL + 1;
  S.PoseMode = POSE_RUN;
}
// Standing, facing right, frame 1, no pending step: every start looks the same.
constexpr void SetInitialState(CharacterState& S) {
  S = CharacterState{};
}

} // namespace nyarumi

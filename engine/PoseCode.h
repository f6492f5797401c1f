#pragma once
// The character's constants and its four state fields, with the tests and updates the engine
// applies to them. A pose code packs frame number (bits 0-3), slope (0x10 always, plus 0x20 up
// or 0x40 down), facing (0x80 = left) and activity (0x100 standing, 0x200 running).
#include <cstdint>

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

} // namespace nyarumi

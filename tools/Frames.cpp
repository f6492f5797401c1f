#include "tools/Frames.h"

#include "common/Errors.h"

#include <cmath>
#include <string>

namespace nyarumi::art {
namespace {

constexpr std::int32_t RECORD_BOTTOM = 168;

constexpr std::array<TFrameEntry, RIGHT_FRAME_COUNT> FRAMES{{
    {"TATI1b", {8, 40, 70, RECORD_BOTTOM}},    {"TATI2b", {8, 40, 69, RECORD_BOTTOM}},
    {"TATI3b", {8, 40, 70, RECORD_BOTTOM}},    {"TATI4b", {8, 40, 69, RECORD_BOTTOM}},
    {"HASIRI0b", {8, 40, 73, RECORD_BOTTOM}},  {"HASIRI1b", {8, 39, 72, RECORD_BOTTOM}},
    {"HASIRI2b", {8, 39, 74, RECORD_BOTTOM}},  {"HASIRI3b", {8, 40, 70, RECORD_BOTTOM}},
    {"HASIRI4b", {8, 39, 69, RECORD_BOTTOM}},  {"HASIRI5b", {8, 39, 70, RECORD_BOTTOM}},
    {"HASIRI0bU", {8, 40, 72, RECORD_BOTTOM}}, {"HASIRI1bU", {8, 39, 72, RECORD_BOTTOM}},
    {"HASIRI2bU", {8, 39, 74, RECORD_BOTTOM}}, {"HASIRI3bU", {8, 39, 69, RECORD_BOTTOM}},
    {"HASIRI4bU", {8, 39, 69, RECORD_BOTTOM}}, {"HASIRI5bU", {8, 39, 70, RECORD_BOTTOM}},
    {"HASIRI0bD", {8, 40, 73, RECORD_BOTTOM}}, {"HASIRI1bD", {8, 40, 72, RECORD_BOTTOM}},
    {"HASIRI2bD", {8, 40, 74, RECORD_BOTTOM}}, {"HASIRI3bD", {8, 40, 70, RECORD_BOTTOM}},
    {"HASIRI4bD", {8, 40, 70, RECORD_BOTTOM}}, {"HASIRI5bD", {8, 40, 70, RECORD_BOTTOM}},
}};

constexpr double HIP_X = 37;

// The running legs and arms, by picture number. Picture 3 is the passing pose shown between
// both halves of the cycle, so it keeps the legs together and the arms at the sides.
struct TRunLimbs {
  TVec NearAnkle, FarAnkle;
  double NearToe, FarToe;
  TVec NearElbow, NearHand, FarElbow, FarHand;
  double Bob;
};

// Arms swung forward (fist up in front of the chest) and back (elbow behind, forearm down).
// The far shoulder sits further back, so its forward swing reaches further to clear the chest.
constexpr TVec NEAR_FWD_ELBOW{6, 4.5}, NEAR_FWD_HAND{12, -0.5};
constexpr TVec FAR_FWD_ELBOW{8, 4.5}, FAR_FWD_HAND{16, 0};
constexpr TVec NEAR_BACK_ELBOW{-7, 4}, NEAR_BACK_HAND{-11, 10};
constexpr TVec FAR_BACK_ELBOW{-7, 3.5}, FAR_BACK_HAND{-11.5, 9.5};
constexpr TVec NEAR_MID_ELBOW{-1, 8}, NEAR_MID_HAND{5, 9.5};
constexpr TVec FAR_MID_ELBOW{1, 8}, FAR_MID_HAND{9, 7.5};

constexpr std::array<TRunLimbs, 6> RUN{{
    // 0: the start, crouched, near foot stepping out, far leg pushing off.
    {{HIP_X + 11, 142.5},
     {HIP_X - 12, 139.5},
     0.0,
     0.8,
     NEAR_BACK_ELBOW,
     NEAR_BACK_HAND,
     FAR_FWD_ELBOW,
     FAR_FWD_HAND,
     2.0},
    // 1: near leg reaching forward, far leg kicked up behind.
    {{HIP_X + 13, 141.8},
     {HIP_X - 10, 131},
     -0.2,
     1.0,
     NEAR_BACK_ELBOW,
     NEAR_BACK_HAND,
     FAR_FWD_ELBOW,
     FAR_FWD_HAND,
     0},
    // 2: full stride, near foot planted, far leg stretched back.
    {{HIP_X + 9, 142.5},
     {HIP_X - 16, 137},
     0.0,
     1.0,
     NEAR_BACK_ELBOW + TVec{-0.5, -0.5},
     NEAR_BACK_HAND + TVec{-0.5, -0.5},
     FAR_FWD_ELBOW + TVec{0.5, 0},
     FAR_FWD_HAND + TVec{0.5, -1},
     -0.5},
    // 3: passing: the feet together under her, knees soft.
    {{HIP_X + 3, 142.5},
     {HIP_X - 3, 138.5},
     0.0,
     0.45,
     NEAR_MID_ELBOW,
     NEAR_MID_HAND,
     FAR_MID_ELBOW,
     FAR_MID_HAND,
     1.5},
    // 4: far leg reaching forward, near leg kicked up behind.
    {{HIP_X - 10, 131},
     {HIP_X + 13, 141.8},
     1.0,
     -0.2,
     NEAR_FWD_ELBOW,
     NEAR_FWD_HAND,
     FAR_BACK_ELBOW,
     FAR_BACK_HAND,
     0},
    // 5: full stride on the far foot, near leg stretched back.
    {{HIP_X - 16, 137},
     {HIP_X + 9, 142.5},
     1.0,
     0.0,
     NEAR_FWD_ELBOW + TVec{0.5, 0},
     NEAR_FWD_HAND + TVec{0.5, -1},
     FAR_BACK_ELBOW + TVec{-0.5, -0.5},
     FAR_BACK_HAND + TVec{-0.5, -0.5},
     -0.5},
}};

TPose IdlePose(std::size_t AFrame) {
  TPose p;
  p.NearAnkle = {HIP_X + 4.5, 142.5};
  p.FarAnkle = {HIP_X - 4.5, 142.5};
  p.FarToe = 0;
  // The near paw raised like a beckoning cat; it beckons over the loop.
  static constexpr std::array<double, 4> breath{0, 0.5, 1, 0.5};
  static constexpr std::array<double, 4> beckon{0, 1, 2, 1};
  static constexpr std::array<double, 4> sway{0, 2, 3, 1};
  const double b = beckon[AFrame];
  p.Breath = breath[AFrame];
  p.NearElbow = {3.5, 8};
  p.NearHand = {8.5 + 0.3 * b, 1.5 + 1.2 * b};
  p.FarElbow = {-3, 8.5};
  p.FarHand = {-2.5, 16.5};
  p.TailCurl = 1.0;
  p.TailSway = sway[AFrame];
  p.EarPerk = AFrame == 2 ? 1.2 : 0;
  return p;
}

TPose RunPose(std::size_t APicture, int ASlope) {
  const TRunLimbs& l = RUN[APicture];
  TPose p;
  p.NearAnkle = l.NearAnkle;
  p.FarAnkle = l.FarAnkle;
  p.NearToe = l.NearToe;
  p.FarToe = l.FarToe;
  p.NearElbow = l.NearElbow;
  p.NearHand = l.NearHand;
  p.FarElbow = l.FarElbow;
  p.FarHand = l.FarHand;
  p.Bob = l.Bob;
  p.Lean = ASlope > 0 ? 0.22 : ASlope < 0 ? -0.11 : 0.14;
  p.HeadTilt = -p.Lean * 0.3;
  p.HairFlow = ASlope > 0 ? 0.45 : ASlope < 0 ? 1.0 : 0.8;
  p.SkirtFlow = 1;
  p.TailCurl = 0.35;
  p.TailSway = APicture % 3 == 1 ? -1.5 : 1.0;
  p.EarPerk = -1.2;
  p.Mouth = 1;
  return p;
}

} // namespace

const std::array<TFrameEntry, RIGHT_FRAME_COUNT>& RightFrames() {
  return FRAMES;
}

std::string MirrorName(std::string_view ARightName) {
  std::string name(ARightName);
  const auto at = name.find_last_of('b');
  if (at == std::string::npos) {
    throw Exception("not a right-facing frame name: " + name);
  }
  name[at] = 'd';
  return name;
}

TRect PictureBox(const TFrameEntry& AEntry) {
  const TRect& r = AEntry.RecordBounds;
  return {r.Left - RECORD_DX, r.Top - RECORD_DY, r.Right - RECORD_DX, r.Bottom - RECORD_DY};
}

TPose BasePose(std::size_t AIndex) {
  if (AIndex < 4) {
    return IdlePose(AIndex);
  }
  const std::size_t run = AIndex - 4;
  const int slope = run < 6 ? 0 : run < 12 ? 1 : -1;
  return RunPose(run % 6, slope);
}

namespace {

// How far the painted samples reach past the box on each side; the clip then flattens that
// much off the extremes, which leaves the edge pixels solidly covered.
constexpr double OVERSHOOT = 0.6;
constexpr double TOLERANCE = 0.26;

struct TKnob {
  double* Value;
  double Gain; // change of the measured edge per unit of the knob
};

} // namespace

TRendered RenderFrame(std::size_t AIndex, bool AStrict) {
  const TFrameEntry& entry = FRAMES.at(AIndex);
  const TRect box = PictureBox(entry);
  TRendered out;
  out.Pose = BasePose(AIndex);
  TPose& p = out.Pose;
  const bool idle = AIndex < 4;
  // Idle frames keep their place and nod the head to reach the right edge, so the loop does
  // not jitter sideways; running frames may shift.
  TKnob right = idle ? TKnob{&p.LockSway, 1.0} : TKnob{&p.Tx, 1.0};
  if (idle) {
    p.Tx = 0.5;
  }
  TKnob top{&p.Bob, 1.0};
  TKnob left{&p.TailReach, -1.0};
  for (int iteration = 0; iteration < 16; ++iteration) {
    TCanvas canvas(FRAME_WIDTH, FRAME_HEIGHT);
    DrawNyarumi(canvas, p);
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    if (!canvas.Extent(x0, y0, x1, y1)) {
      throw Exception("empty frame " + std::string(entry.Name));
    }
    const double eRight = (box.Right + OVERSHOOT) - x1;
    const double eTop = (box.Top - OVERSHOOT) - y0;
    const double eLeft = (box.Left - OVERSHOOT) - x0;
    const bool grounded = y1 >= box.Bottom + 0.25;
    if (std::abs(eRight) <= TOLERANCE && std::abs(eTop) <= TOLERANCE &&
        std::abs(eLeft) <= TOLERANCE && grounded) {
      canvas.ClipTo(box.Left, box.Top, box.Right, box.Bottom);
      out.Pixels = canvas.Resolve();
      out.Silhouette.resize(out.Pixels.size());
      for (std::size_t i = 0; i < out.Pixels.size(); ++i) {
        out.Silhouette[i] = out.Pixels[i].Alpha >= SILHOUETTE_ALPHA ? 1 : 0;
      }
      return out;
    }
    if (!grounded) {
      throw Exception("no foot on the ground in " + std::string(entry.Name));
    }
    *right.Value += eRight / right.Gain;
    *top.Value += eTop / top.Gain;
    *left.Value += eLeft / left.Gain;
  }
  if (AStrict) {
    throw Exception("the pose of " + std::string(entry.Name) + " does not fit its box");
  }
  TCanvas canvas(FRAME_WIDTH, FRAME_HEIGHT);
  DrawNyarumi(canvas, p);
  out.Pixels = canvas.Resolve();
  out.Silhouette.assign(out.Pixels.size(), 1);
  out.Fitted = false;
  return out;
}

} // namespace nyarumi::art

// A long life of the real main window on the null backend: the cursor wanders a scripted path,
// focus and the foreground window come and go, and every 50,000th region operation fails. After
// every tick the character, the phase, the outline and the region handles must still be sound.
#include "assets/FormLoader.h"
#include "assets/Resources.h"
#include "engine/FrameSequence.h"
#include "shape/Region.h"
#include "shell/formMain.h"
#include "shell/platform/null_platform.h"
#include "shell/window/Application.h"
#include "shell/window/Registration.h"

#include <gtest/gtest.h>

#include <array>
#include <bitset>
#include <cmath>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <tuple>

// Sanitized builds run about ten times slower; they get an eighth of the ticks.
#if defined(__SANITIZE_ADDRESS__)
#define NYARUMI_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
#define NYARUMI_SANITIZED 1
#endif
#endif

namespace nyarumi {
namespace {

#ifdef NYARUMI_SANITIZED
constexpr int TICKS = 120'000; // enough for each kind of failure to come round once
#else
constexpr int TICKS = 1'000'000;
#endif
constexpr unsigned FAIL_EVERY = 50'000;
constexpr int SEGMENT = 3'000; // ticks per stretch of the cursor's path (five minutes)

struct TRegionFault {
  NullOp Op;
  const char* Shown;
  bool InDecision; // else in the move phase
};
constexpr std::array<TRegionFault, 6> FAULTS{{
    {NullOp::ExtCreateRegion, "ExtCreateRegionに失敗しました.", true},
    {NullOp::GetRgnBox, "GetRgnBoxに失敗しました.", true},
    {NullOp::OffsetRgn, "リージョンの移動に失敗しました.", true},
    {NullOp::CreateRectRgn, "CreateRectRgnに失敗しました.", false},
    {NullOp::CombineRgn, "CombineRgnに失敗しました.", false},
    {NullOp::SetWindowRgn, "SetWindowRGNに失敗しました.", false},
}};

TClassRegistry ProgramRegistry() {
  TClassRegistry registry;
  RegisterWindowClasses(registry);
  RegisterfileIN(registry);
  RegisterfrmMAIN(registry);
  return registry;
}

bool AllowedStep(std::int32_t AX, std::int32_t AY) {
  const auto ax = std::abs(AX);
  const auto ay = std::abs(AY);
  return (ax == 16 && ay == 0) || (ax == 0 && ay == 10) || (ax == 12 && ay == 3) ||
         (ax == 0 && ay == 0);
}

// The shapes a held region may have: a record placed at one of the table's offsets, or (after a
// failed box or move step) a record where it was drawn.
class TShapes {
public:
  explicit TShapes(const TfrmMAIN& AForm) {
    for (const TFrameRow& row : FrameRows()) {
      const auto& stream = AForm.RegionHolders[static_cast<std::size_t>(row.Holder)]->Stream;
      const std::optional<TRegion> record = TRegion::FromRecord(stream.Bytes());
      if (!record) {
        ADD_FAILURE() << "unreadable record " << RegionHolderName(row.Holder);
        continue;
      }
      Raw.push_back(*record);
      TRegion placed = *record;
      placed.Offset(row.X - placed.Bounds().Left, row.Y - placed.Bounds().Top);
      Placed.push_back(std::move(placed));
    }
  }
  bool IsPlaced(const TRegion& ARegion) const { return Among(Placed, ARegion); }
  bool IsRaw(const TRegion& ARegion) const { return Among(Raw, ARegion); }

private:
  static bool Among(const std::vector<TRegion>& AShapes, const TRegion& ARegion) {
    const TRect box = ARegion.Bounds();
    for (const TRegion& shape : AShapes) {
      if (shape.Bounds() == box && shape == ARegion) {
        return true;
      }
    }
    return false;
  }
  std::vector<TRegion> Placed;
  std::vector<TRegion> Raw;
};

// Where the cursor is, whether she has the focus and which window the user works in, as a
// function of the tick and of where she stands.
class TScript {
public:
  struct TInputs {
    std::optional<TPoint> Cursor;
    bool Focus = true;
    std::optional<TRect> Foreground;
  };

  TInputs At(int ATick, TPoint ACentre) {
    if (ATick % SEGMENT == 0) {
      Begin(ATick / SEGMENT, ACentre);
    }
    const int t = ATick % SEGMENT;
    TInputs in;
    in.Focus = (t / FFocusPeriod) % 2 == 0;
    in.Foreground = Foreground(t);
    switch (FMode) {
    case 0: { // circles around where she started the stretch
      const double a = t * FSpeed;
      in.Cursor = TPoint{FAnchor.X + static_cast<std::int32_t>(FRadius * std::cos(a)),
                         FAnchor.Y + static_cast<std::int32_t>(FRadius * std::sin(a))};
      break;
    }
    case 1: // jumps near her
      if (t % 37 == 0) {
        FJump = TPoint{ACentre.X + Uniform(-1500, 1500), ACentre.Y + Uniform(-1000, 1000)};
      }
      in.Cursor = FJump;
      break;
    case 2: // far away
      in.Cursor = TPoint{FAnchor.X + FFar.X, FAnchor.Y + FFar.Y};
      break;
    case 3: // over her, within the dead zones
      in.Cursor = TPoint{ACentre.X + Uniform(-60, 60), ACentre.Y + Uniform(-6, 6)};
      break;
    case 4: // inside another window near its edges, she without the focus
      in.Focus = t % 400 < 20;
      in.Foreground = FWindow;
      in.Cursor = TPoint{t % 800 < 400 ? FWindow.Left + 1 + t % 7 : FWindow.Right - 1 - t % 7,
                         FWindow.Top + 1 + (t * 13) % (FWindow.Bottom - FWindow.Top - 1)};
      break;
    case 5: // the cursor cannot be read
      in.Cursor = std::nullopt;
      break;
    default: // the extremes of the coordinate range
      constexpr std::int32_t lo = std::numeric_limits<std::int32_t>::min();
      constexpr std::int32_t hi = std::numeric_limits<std::int32_t>::max();
      in.Cursor = TPoint{(t / 500) % 2 == 0 ? hi : lo, (t / 700) % 2 == 0 ? hi : lo};
      break;
    }
    return in;
  }

private:
  void Begin(int ASegment, TPoint ACentre) {
    FRandom.seed(static_cast<std::uint32_t>(ASegment) * 2654435761u);
    FMode = Uniform(0, 6);
    FAnchor = ACentre;
    FRadius = Uniform(60, 500);
    FSpeed = Uniform(1, 30) / 100.0;
    FFar = TPoint{Uniform(0, 1) != 0 ? 200'000 : -200'000, Uniform(-150'000, 150'000)};
    FJump = ACentre;
    FFocusPeriod = Uniform(50, 900);
    FWindow = TRect{ACentre.X - Uniform(100, 900), ACentre.Y - Uniform(100, 600),
                    ACentre.X + Uniform(100, 900), ACentre.Y + Uniform(100, 600)};
  }
  // None, the window near her, a huge one, or an empty one, changing every few hundred ticks.
  std::optional<TRect> Foreground(int AT) const {
    switch ((AT / 250) % 4) {
    case 0:
      return std::nullopt;
    case 1:
      return FWindow;
    case 2:
      return TRect{-100'000, -100'000, 100'000, 100'000};
    default:
      return TRect{FWindow.Right, FWindow.Bottom, FWindow.Left, FWindow.Top};
    }
  }
  int Uniform(int ALo, int AHi) { return std::uniform_int_distribution<int>(ALo, AHi)(FRandom); }

  std::mt19937 FRandom;
  int FMode = 0;
  TPoint FAnchor;
  int FRadius = 100;
  double FSpeed = 0.1;
  TPoint FFar;
  TPoint FJump;
  int FFocusPeriod = 100;
  TRect FWindow;
};

class SoakTest : public ::testing::Test {
protected:
  NullPlatform Platform;
  PlatformScope Scope{Platform};
  TApplication App;
  TClassRegistry Registry = ProgramRegistry();

  SoakTest() { App.SetTitle("Nyarumi"); }

  unsigned RegionCalls() const {
    unsigned n = 0;
    for (const TRegionFault& f : FAULTS) {
      n += Platform.CallCount(f.Op);
    }
    return n;
  }
};

// Everything one tick may be checked against: the state and window before it.
struct TBefore {
  CharacterState State;
  bool Decision;
  TPoint Position;
  RegionId Held;
  int WindowRegions;
  std::size_t Boxes;
};

TEST_F(SoakTest, AMillionTicksKeepHerStateHerOutlineAndTheRegionHandlesSound) {
  if (LookupResource("TFRMMAIN").empty()) {
    GTEST_SKIP() << "the program's main-window stream is not built in";
  }
  std::bitset<0x300> valid;
  for (const TFrameRow& row : FrameRows()) {
    valid.set(static_cast<std::size_t>(row.Code));
  }
  {
    std::unique_ptr<TfrmMAIN> form = CreatefrmMAIN(Registry);
    form->Show();
    ASSERT_TRUE(Platform.ErrorBoxes.empty());
    const TShapes shapes(*form);
    const std::size_t liveRegions = Platform.LiveRegions();
    ASSERT_EQ(liveRegions, 1u) << "only FormRgn1's region: the window owns its copy";
    const TNullWindow& window = Platform.Window(form->Handle());
    const CharacterState& s = form->Character;

    TScript script;
    unsigned nextFailure = FAIL_EVERY;
    std::size_t fault = 0;
    // The fault waiting for its operation's next call, and that operation's calls when armed.
    constexpr std::size_t NONE = FAULTS.size();
    std::size_t armed = NONE;
    unsigned armedCalls = 0;
    std::size_t injected = 0;
    std::array<int, FAULTS.size()> injectedOf{};
    bool heldUnplaced = false; // a failed box or move step left a record where it was drawn
    std::array<int, 8> seenModes{};
    std::bitset<0x300> seenCodes;

    for (int tick = 0; tick < TICKS; ++tick) {
      const TPoint centre{form->Left() + CHAR_WIDTH / 2, form->Top() + CHAR_HEIGHT / 2};
      const TScript::TInputs in = script.At(tick, centre);
      Platform.CursorPos = in.Cursor;
      Platform.HasFocus = in.Focus;
      Platform.Foreground = in.Foreground;
      if (armed == NONE && RegionCalls() >= nextFailure) {
        nextFailure += FAIL_EVERY;
        armed = fault;
        armedCalls = Platform.CallCount(FAULTS[fault].Op);
        Platform.FailOnce(FAULTS[fault].Op);
        fault = (fault + 1) % FAULTS.size();
      }
      const TBefore before{s,
                           form->FormRgn1->Visible(),
                           {form->Left(), form->Top()},
                           form->FormRgn1->Region(),
                           window.SetRegionCount,
                           Platform.ErrorBoxes.size()};

      Platform.AdvanceTime(100);

      std::ostringstream why;
      const std::size_t boxes = Platform.ErrorBoxes.size() - before.Boxes;
      std::optional<NullOp> failedOp;
      if (armed != NONE && Platform.CallCount(FAULTS[armed].Op) > armedCalls) {
        const TRegionFault& f = FAULTS[armed];
        failedOp = f.Op;
        ++injected;
        ++injectedOf[armed];
        if (boxes != 1 ||
            Platform.ErrorBoxes.back() != std::pair<std::string, std::string>{f.Shown, "Nyarumi"}) {
          why << "expected one box \"" << f.Shown << "\"; ";
        }
        if (f.InDecision != before.Decision) {
          why << "the failure came in the other phase; ";
        }
        if (f.Op == NullOp::GetRgnBox || f.Op == NullOp::OffsetRgn) {
          heldUnplaced = true;
        }
        armed = NONE;
      } else if (boxes != 0) {
        why << "an error box without a failure: " << Platform.ErrorBoxes.back().first << "; ";
      }
      if (s.PoseMode != (s.PoseCode & 0xF00)) {
        why << "PoseMode differs from the code's activity; ";
      }
      if (s.PoseCode < 0 || s.PoseCode >= 0x300 ||
          !valid.test(static_cast<std::size_t>(s.PoseCode))) {
        why << "invalid code; ";
      }
      if (!AllowedStep(s.StepX, s.StepY)) {
        why << "step not allowed; ";
      }
      if (IsStanding(s.PoseMode) && (s.StepX != 0 || s.StepY != 0)) {
        why << "a pending step while standing; ";
      }
      if (form->FormRgn1->Visible() == before.Decision) {
        why << "the phase did not flip; ";
      }
      const bool failed = failedOp.has_value();
      const TPoint position{form->Left(), form->Top()};
      const TRegion* held = Platform.Regions().Find(form->FormRgn1->Region());
      if (held == nullptr) {
        why << "FormRgn1 holds no live region; ";
      }
      if (before.Decision) {
        if (position != before.Position || window.SetRegionCount != before.WindowRegions) {
          why << "a decision phase moved or reshaped the window; ";
        }
        if (!failed) {
          heldUnplaced = false;
          // Steps survive only the frames shown before frame numbers 3 and 6.
          if (!IsStanding(s.PoseMode) && (s.StepX != 0 || s.StepY != 0) &&
              FrameNumber(s.PoseCode) != 3 && FrameNumber(s.PoseCode) != 6) {
            why << "steps kept after a frame that clears them; ";
          }
        } else if (failedOp == NullOp::ExtCreateRegion && form->FormRgn1->Region() != before.Held) {
          why << "a failed build replaced the held region; ";
        }
        if (held != nullptr && !(shapes.IsPlaced(*held) || (heldUnplaced && shapes.IsRaw(*held)))) {
          why << "the held region is no frame's outline; ";
        }
      } else {
        if (std::tie(s.PoseMode, s.PoseCode, s.StepY, s.StepX) !=
            std::tie(before.State.PoseMode, before.State.PoseCode, before.State.StepY,
                     before.State.StepX)) {
          why << "a move phase changed the state; ";
        }
        const TPoint expected = failed ? before.Position
                                       : TPoint{before.Position.X + before.State.StepX,
                                                before.Position.Y + before.State.StepY};
        if (position != expected) {
          why << "moved to " << position.X << "," << position.Y << " instead of " << expected.X
              << "," << expected.Y << "; ";
        }
        if (window.SetRegionCount != before.WindowRegions + (failed ? 0 : 1)) {
          why << "the outline was set " << window.SetRegionCount - before.WindowRegions
              << " times; ";
        }
        if (!failed && (!window.Region || held == nullptr || *window.Region != *held)) {
          why << "the window's outline is not a copy of the held region; ";
        }
      }
      if (Platform.LiveRegions() != liveRegions || Platform.LiveTimers() != 1 ||
          Platform.LiveWindows() != 1) {
        why << "live regions " << Platform.LiveRegions() << ", timers " << Platform.LiveTimers()
            << ", windows " << Platform.LiveWindows() << "; ";
      }
      if (!why.str().empty()) {
        FAIL() << "tick " << tick << " (code 0x" << std::hex << s.PoseCode << std::dec << ", step "
               << s.StepX << "," << s.StepY << "): " << why.str();
      }
      ++seenModes[static_cast<std::size_t>(s.PoseCode >> 8)];
      seenCodes.set(static_cast<std::size_t>(s.PoseCode));
    }

    EXPECT_EQ(Platform.ErrorBoxes.size(), injected);
    // Three region operations per tick: a failure every 50,000 / 3 ticks, give or take one.
    EXPECT_GE(injected + 1, static_cast<std::size_t>(TICKS) * 3 / FAIL_EVERY);
    for (std::size_t i = 0; i < FAULTS.size(); ++i) {
      EXPECT_GT(injectedOf[i], 0) << FAULTS[i].Shown;
    }
    EXPECT_GT(seenModes[1], TICKS / 20) << "she stood for a good while";
    EXPECT_GT(seenModes[2], TICKS / 20) << "and ran for a good while";
    // A run's frame 1 is drawn in the decision phase that starts it, so a tick never ends on it.
    std::bitset<0x300> between = valid;
    for (const TFrameRow& row : FrameRows()) {
      if (!IsStanding(row.Code & 0xF00) && FrameNumber(row.Code) == 1) {
        between.reset(static_cast<std::size_t>(row.Code));
      }
    }
    EXPECT_EQ(seenCodes & between, between) << "every other pose was taken";
  }
  EXPECT_EQ(Platform.LiveRegions(), 0u);
  EXPECT_EQ(Platform.LiveTimers(), 0u);
  EXPECT_EQ(Platform.LiveWindows(), 0u);
}

} // namespace
} // namespace nyarumi

#include "tools/Figure.h"

#include "tools/Shapes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nyarumi::art {
namespace {

// The character's colours. Outlines are darker relatives of their fills, never black, which
// keeps her soft against a white desktop.
struct TColors {
  TColor HairLight = Rgb(250, 204, 146);
  TColor Hair = Rgb(232, 156, 96);
  TColor HairShade = Rgb(192, 112, 72);
  TColor HairDeep = Rgb(150, 80, 58);
  TColor HairLine = Rgb(104, 52, 40);
  TColor Cream = Rgb(255, 240, 218);
  TColor EarInner = Rgb(248, 172, 178);
  TColor EarInnerDeep = Rgb(226, 128, 142);
  TColor Skin = Rgb(255, 234, 218);
  TColor SkinShade = Rgb(246, 200, 182);
  TColor SkinLine = Rgb(196, 122, 104);
  TColor Blush = Rgb(255, 176, 176);
  TColor EyeLine = Rgb(62, 34, 38);
  TColor Sclera = Rgb(250, 250, 254);
  TColor IrisTop = Rgb(28, 74, 86);
  TColor IrisMid = Rgb(38, 150, 132);
  TColor IrisLow = Rgb(150, 232, 186);
  TColor Pupil = Rgb(18, 34, 44);
  TColor Shine = Rgb(253, 253, 255);
  TColor Mouth = Rgb(150, 58, 66);
  TColor Tongue = Rgb(240, 130, 140);
  TColor Dress = Rgb(62, 78, 146);
  TColor DressLight = Rgb(98, 118, 190);
  TColor DressShade = Rgb(40, 48, 100);
  TColor DressLine = Rgb(26, 28, 62);
  TColor Collar = Rgb(242, 244, 252);
  TColor CollarShade = Rgb(200, 206, 230);
  TColor CollarLine = Rgb(92, 100, 150);
  TColor Ribbon = Rgb(228, 58, 78);
  TColor RibbonShade = Rgb(170, 34, 58);
  TColor Gold = Rgb(248, 206, 80);
  TColor GoldShade = Rgb(196, 140, 40);
  TColor Lace = Rgb(250, 246, 240);
  TColor LaceLine = Rgb(170, 160, 176);
  TColor Sock = Rgb(246, 246, 252);
  TColor SockShade = Rgb(208, 212, 232);
  TColor SockLine = Rgb(112, 116, 150);
  TColor Shoe = Rgb(128, 52, 56);
  TColor ShoeLight = Rgb(190, 92, 92);
  TColor ShoeLine = Rgb(60, 22, 30);
};

const TColors& C() {
  static const TColors colors;
  return colors;
}

constexpr double LINE = 0.85; // outline width in pixels

double Smooth(double A, double B, double X) {
  const double t = std::clamp((X - A) / (B - A), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

// The parts of the far side sit in shadow.
TColor Far(TColor AColor, bool AFar) {
  return AFar ? Mix(AColor, Rgb(60, 50, 90), 0.16) : AColor;
}

TVec KneeFor(TVec AHip, TVec AAnkle, double AThigh, double AShin) {
  const TVec d = AAnkle - AHip;
  const double dist = Length(d);
  if (dist >= AThigh + AShin - 1e-6) {
    return AHip + d * (AThigh / (AThigh + AShin));
  }
  const double a = (AThigh * AThigh - AShin * AShin + dist * dist) / (2 * dist);
  const double h = std::sqrt(std::max(0.0, AThigh * AThigh - a * a));
  const TVec base = AHip + d * (a / dist);
  const TVec perp{-d.Y / dist, d.X / dist};
  // Knees bend forward: pick the side that points right (and a little down).
  const double side = perp.X + 0.35 * perp.Y >= 0 ? 1.0 : -1.0;
  return base + perp * (h * side);
}

class TPainter {
public:
  TPainter(TCanvas& ACanvas, const TPose& APose) : FCanvas(ACanvas), FPose(APose) {
    const TVec hip{37, 117};
    FUpper = TXform::Translate({APose.Tx, APose.Bob}).Then(TXform::Rotate(APose.Lean, hip));
    const TVec neck{39, 84};
    FHead = FUpper.Then(TXform::Rotate(APose.HeadTilt, neck));
  }

  void Draw() {
    BackHair();
    Tail();
    Leg(false);
    Arm(false);
    Leg(true);
    Neck();
    Body();
    Arm(true);
    Head();
  }

private:
  TMask Mask() const { return FCanvas.NewMask(); }
  TVec U(TVec P) const { return FUpper(P); }
  TVec H(TVec P) const { return FHead(P); }
  TPolygon U(const TPolygon& P) const { return FUpper(P); }
  TPolygon H(const TPolygon& P) const { return FHead(P); }

  // Head-local points moved back by the hair's flow; the further down, the more.
  TVec Flow(TVec P, double AFrom, double AAmount) const {
    const double k = std::max(0.0, P.Y - AFrom) * FPose.HairFlow * AAmount;
    return {P.X - k, P.Y - 0.3 * k};
  }

  TShader HairShader(double ATop, double AHeight) const {
    const TColors& c = C();
    return [=](double, double y) {
      const double t = (y - ATop) / AHeight;
      TColor col = Mix(c.HairLight, c.Hair, Smooth(0.0, 0.28, t));
      return Mix(col, c.HairShade, Smooth(0.55, 1.0, t));
    };
  }

  void BackHair() {
    const std::vector<TVec> pts{{32, 34},     {20, 42}, {15.5, 56}, {15, 70}, {17, 82}, {20, 90},
                                {24.5, 86.5}, {28, 92}, {32.5, 85}, {38, 88}, {42, 80}, {50, 70}};
    std::vector<TVec> moved;
    for (const TVec& p : pts) {
      moved.push_back(Flow(p, 58, 0.16));
    }
    TMask m = Mask();
    m.Add(H(SmoothClosed(moved)));
    const TVec top = H({40, 34});
    FCanvas.Part(m, Shade(HairShader(top.Y, 66), 0.12), C().HairLine, LINE);
    TMask strands = Mask();
    for (const auto& line : std::vector<std::vector<TVec>>{{{19, 60}, {18.5, 74}, {21, 86}},
                                                           {{24, 66}, {25, 78}, {28, 89}}}) {
      std::vector<TVec> moved2;
      for (const TVec& q : line) {
        moved2.push_back(H(Flow(q, 58, 0.16)));
      }
      AddStroke(strands, SmoothOpen(moved2, 4), 0.4, 0.2);
    }
    strands.Keep(m);
    FCanvas.Paint(strands, C().HairDeep);
  }

  // A shader darkened a little, for parts that lie behind others.
  static TShader Shade(TShader AShader, double AAmount) {
    return [=](double x, double y) { return Mix(AShader(x, y), Rgb(120, 60, 70), AAmount); };
  }

  void Tail() {
    const TPose& p = FPose;
    const TVec base = U({28, 112});
    const double r = p.TailReach;
    const double k = p.TailCurl;
    // Down and back from under the skirt, then a long sweep up that curls at the tip.
    const std::vector<TVec> ctrl{base,
                                 base + TVec{-4.5, 4.5},
                                 base + TVec{-r * 0.5, 6 - 2 * k},
                                 base + TVec{-r * 0.85, 2.5 - 4 * k + p.TailSway * 0.5},
                                 base + TVec{-r, -5 * k + p.TailSway},
                                 base + TVec{-r + 1 + k, -12 * k - 1 + p.TailSway},
                                 base + TVec{-r + 4 + 2.5 * k, -17 * k - 2 + p.TailSway * 0.7},
                                 base + TVec{-r + 7.5 + 3 * k, -16.5 * k - 0.5 + p.TailSway * 0.5}};
    const std::vector<TVec> path = SmoothOpen(ctrl, 6);
    auto radius = [](double t) {
      return 2.0 + 0.6 * std::sin(std::numbers::pi * std::min(1.0, t * 1.1)) - 0.3 * t;
    };
    TMask tail = Mask();
    std::vector<double> at(path.size(), 0);
    for (std::size_t i = 1; i < path.size(); ++i) {
      at[i] = at[i - 1] + Length(path[i] - path[i - 1]);
    }
    const double total = at.back();
    auto band = [&](double t0, double t1, double grow) {
      TMask b = Mask();
      for (std::size_t i = 1; i < path.size(); ++i) {
        const double ta = at[i - 1] / total;
        const double tb = at[i] / total;
        if (tb < t0 || ta > t1) {
          continue;
        }
        b.Add(Capsule(path[i - 1], radius(ta) + grow, path[i], radius(tb) + grow, 8));
      }
      return b;
    };
    tail.Add(band(0, 1, 0));
    const TColors& c = C();
    const double top = path.back().Y;
    FCanvas.Part(
        tail,
        [=](double, double y) { return Mix(c.Hair, c.HairShade, Smooth(top, top + 22, y) * 0.7); },
        c.HairLine, LINE);
    for (double s : {0.44, 0.62}) {
      TMask stripe = band(s - 0.035, s + 0.035, 1.5);
      stripe.Keep(tail);
      FCanvas.Paint(stripe, c.HairDeep);
    }
    TMask tip = band(0.9, 1.0, 1.5);
    tip.Keep(tail);
    FCanvas.Paint(tip, c.Cream);
  }

  void Leg(bool ANear) {
    const TPose& p = FPose;
    const TColors& c = C();
    const TVec hip = U(ANear ? TVec{40.5, 117} : TVec{33, 116.5});
    const TVec ankle = (ANear ? p.NearAnkle : p.FarAnkle) + TVec{p.Tx, 0};
    const double toe = ANear ? p.NearToe : p.FarToe;
    const TVec knee = KneeFor(hip, ankle, 12.6, 12.4);
    TMask thigh = Mask();
    thigh.Add(Capsule(hip, 3.6, knee, 3.0)).Add(Capsule(knee, 3.0, ankle, 2.4));
    FCanvas.Part(
        thigh,
        [=](double x, double) {
          return Far(Mix(c.Skin, c.SkinShade, Smooth(knee.X + 1, knee.X - 3, x) * 0.6), !ANear);
        },
        Far(c.SkinLine, !ANear), LINE);
    // Knee socks from just below the knee.
    TMask sock = Mask();
    sock.Add(Capsule(Lerp(knee, ankle, 0.22), 3.25, ankle, 2.75));
    FCanvas.Part(
        sock,
        [=](double x, double) {
          return Far(Mix(c.Sock, c.SockShade, Smooth(ankle.X + 1.5, ankle.X - 2.5, x)), !ANear);
        },
        Far(c.SockLine, !ANear), LINE * 0.9);
    // A round Mary Jane shoe around the ankle, sole four pixels below it.
    const TXform foot = TXform::Rotate(toe, ankle).Then(TXform::Translate(ankle));
    const TPolygon shoe = foot(SmoothClosed({{-3.0, -1.8},
                                             {-3.9, 1.2},
                                             {-3.4, 4.0},
                                             {1.0, 4.1},
                                             {6.2, 3.9},
                                             {7.4, 2.0},
                                             {6.2, -0.6},
                                             {2.5, -1.6}}));
    TMask s = Mask();
    s.Add(shoe);
    FCanvas.Part(
        s,
        [=](double x, double y) {
          const TVec d = TVec{x, y} - foot({3.2, 0.4});
          const double hl = 1.0 - Smooth(0.6, 2.2, Length({d.X * 0.6, d.Y}));
          return Far(Mix(c.Shoe, c.ShoeLight, hl), !ANear);
        },
        Far(c.ShoeLine, !ANear), LINE);
    TMask strap = Mask();
    AddStroke(strap, {foot({-1.2, -1.6}), foot({1.2, -1.2})}, 0.55, 0.55);
    FCanvas.Paint(strap, Far(c.ShoeLine, !ANear));
  }

  void Arm(bool ANear) {
    const TPose& p = FPose;
    const TColors& c = C();
    const TVec shoulderLocal =
        ANear ? TVec{41.5, 88.5 - 0.7 * p.Breath} : TVec{33, 88.5 - 0.7 * p.Breath};
    const TVec s = U(shoulderLocal);
    const TVec e = U(shoulderLocal + (ANear ? p.NearElbow : p.FarElbow));
    const TVec h = U(shoulderLocal + (ANear ? p.NearHand : p.FarHand));
    TMask arm = Mask();
    arm.Add(Capsule(s, 2.6, e, 2.3)).Add(Capsule(e, 2.3, h, 2.0));
    FCanvas.Part(arm, Far(c.Skin, !ANear), Far(c.SkinLine, !ANear), LINE);
    TMask hand = Mask();
    const TVec dir = (h - e) * (1.0 / std::max(0.1, Length(h - e)));
    hand.Add(Ellipse(h + dir * 0.8, 2.9, 2.6, std::atan2(dir.Y, dir.X)));
    FCanvas.Part(
        hand,
        [=](double x, double y) {
          const double d = Length(TVec{x, y} - (h + dir * 1.6 + TVec{0.6, -0.6}));
          return Far(Mix(c.Skin, c.SkinShade, Smooth(1.2, 3.0, d) * 0.7), !ANear);
        },
        Far(c.SkinLine, !ANear), LINE);
    // Puffed short sleeve with a white cuff.
    const TVec cuff = Lerp(s, e, 0.62);
    TMask sleeve = Mask();
    sleeve.Add(Capsule(s + (e - s) * -0.05, 4.3, cuff, 3.5));
    FCanvas.Part(
        sleeve,
        [=](double x, double y) {
          const double lit = 1.0 - Smooth(0.5, 3.5, Length(TVec{x, y} - (s + TVec{1.2, -1.5})));
          return Far(Mix(c.Dress, c.DressLight, lit * 0.8), !ANear);
        },
        Far(c.DressLine, !ANear), LINE);
    TMask band = Mask();
    const TVec side = TVec{-(e - s).Y, (e - s).X} * (1.0 / std::max(0.1, Length(e - s)));
    AddStroke(band, {cuff + side * 3.3, cuff - side * 3.3}, 1.0, 1.0);
    band.Keep(sleeve.Dilated(0.3));
    FCanvas.Part(band, Far(c.Collar, !ANear), Far(c.CollarLine, !ANear), 0.5);
  }

  void Neck() {
    const TColors& c = C();
    TMask neck = Mask();
    neck.Add(Capsule(H({40, 74}), 3.6, U({38.5, 85.5}), 3.4));
    FCanvas.Part(neck, c.SkinShade, c.SkinLine, LINE);
  }

  void Body() {
    const TPose& p = FPose;
    const TColors& c = C();
    const double flow = p.SkirtFlow;
    // Petticoat lace peeking under the hem.
    TMask lace = Mask();
    lace.Add(U(SmoothClosed({{29, 108},
                             {47, 108},
                             {54.5 - 1.5 * flow, 122.5 - 0.5 * flow},
                             {38, 124.5},
                             {20.5 - 3.5 * flow, 122 - 2.5 * flow}})));
    FCanvas.Part(lace, c.Lace, c.LaceLine, LINE * 0.8);
    // Skirt: an A-line with a scalloped hem.
    std::vector<TVec> skirt{
        {31, 101}, {45.5, 101}, {49.5, 109}, {53.5 - 1.5 * flow, 119 - 0.5 * flow}};
    const int scallops = 5;
    const TVec hemR{53.5 - 1.5 * flow, 121 - 0.5 * flow};
    const TVec hemL{21 - 3.5 * flow, 120.5 - 2.5 * flow};
    for (int i = 0; i <= scallops; ++i) {
      const TVec a = Lerp(hemR, hemL, static_cast<double>(i) / scallops);
      skirt.push_back(a);
      if (i < scallops) {
        const TVec b = Lerp(hemR, hemL, (i + 0.5) / scallops);
        skirt.push_back(b + TVec{0, 1.3});
      }
    }
    skirt.push_back({22.5 - 3 * flow, 116 - 2 * flow});
    skirt.push_back({26.5, 108});
    TMask sk = Mask();
    sk.Add(U(SmoothClosed(skirt, 5)));
    const TVec lightAt = U({47, 106});
    FCanvas.Part(
        sk,
        [=](double x, double y) {
          const double lit = 1.0 - Smooth(1.0, 12.0, Length(TVec{x, y} - lightAt));
          TColor col = Mix(c.Dress, c.DressLight, lit * 0.75);
          return Mix(col, c.DressShade, Smooth(hemL.X + 12, hemL.X + 2, x - p.Tx) * 0.7);
        },
        c.DressLine, LINE);
    // Two pleat lines.
    TMask pleats = Mask();
    AddStroke(pleats, {U({34, 106}), U({29.5 - flow, 119.5 - flow})}, 0.3, 0.45);
    AddStroke(pleats, {U({42, 106}), U({44.5 - flow, 120.5})}, 0.3, 0.45);
    FCanvas.Paint(pleats, c.DressShade);
    // Bodice.
    TMask bodice = Mask();
    bodice.Add(U(SmoothClosed({{31, 86},
                               {38, 84.2},
                               {45.5, 86},
                               {47.3, 91},
                               {46.2, 98},
                               {45.8, 104},
                               {30.8, 104},
                               {29.8, 97},
                               {29.3, 90}})));
    const TVec chest = U({44, 92});
    FCanvas.Part(
        bodice,
        [=](double x, double y) {
          const double lit = 1.0 - Smooth(1.0, 9.0, Length(TVec{x, y} - chest));
          return Mix(Mix(c.Dress, c.DressLight, lit * 0.7), c.DressShade,
                     Smooth(chest.X - 9, chest.X - 15, x) * 0.6);
        },
        c.DressLine, LINE);
    // Sailor collar.
    TMask collar = Mask();
    collar.Add(U(SmoothClosed({{29.6, 86.5},
                               {37, 83.6},
                               {46.2, 85.4},
                               {47.6, 89.3},
                               {44.4, 95.4},
                               {41.4, 90.6},
                               {36, 89.6},
                               {30.4, 91.6}})));
    const TVec neck = U({39, 86});
    FCanvas.Part(
        collar,
        [=](double x, double y) {
          return Mix(c.Collar, c.CollarShade, Smooth(2.5, 7.5, Length(TVec{x, y} - neck)) * 0.5);
        },
        c.CollarLine, LINE);
    TMask stripe = Mask();
    AddStroke(stripe, {U({31, 90.2}), U({36, 88.4}), U({41.4, 89.4}), U({44.2, 93.6})}, 0.38, 0.38);
    FCanvas.Paint(stripe, c.Dress);
    // Ribbon bow with a little bell.
    TMask bow = Mask();
    bow.Add(U(SmoothClosed({{42.6, 90.2}, {39.2, 87.8}, {38.6, 90.8}, {40.2, 92.6}})));
    bow.Add(U(SmoothClosed({{43.6, 90.2}, {47.6, 88.0}, {48.2, 91.0}, {46.4, 92.8}})));
    bow.Add(U(SmoothClosed({{42.4, 91.2}, {41.2, 96.0}, {42.6, 95.6}, {43.4, 92.0}})));
    bow.Add(U(SmoothClosed({{43.6, 91.2}, {45.6, 95.4}, {46.6, 94.4}, {44.6, 91.0}})));
    FCanvas.Part(
        bow,
        [=, this](double x, double y) {
          return Mix(c.Ribbon, c.RibbonShade, Smooth(89.5, 93.5, FUpperInverseY(x, y)) * 0.6);
        },
        c.RibbonShade, 0.6);
    TMask bell = Mask();
    const TVec bc = U({43.2, 92.8});
    bell.Add(Ellipse(bc, 1.7, 1.7));
    FCanvas.Part(
        bell,
        [=](double x, double y) {
          return Mix(c.Gold, c.GoldShade,
                     Smooth(0.2, 1.8, Length(TVec{x, y} - (bc + TVec{-0.5, -0.6}))));
        },
        c.GoldShade, 0.5);
  }

  // The y a point would have in upper-body coordinates (undoing bob and lean), for shading.
  double FUpperInverseY(double X, double Y) const {
    const TVec hip{37 + FPose.Tx, 117 + FPose.Bob};
    const double c = std::cos(FPose.Lean);
    const double s = std::sin(FPose.Lean);
    const double dx = X - hip.X;
    const double dy = Y - hip.Y;
    return hip.Y - FPose.Bob + (-s * dx + c * dy);
  }

  void Ear(bool AFront) {
    const TColors& c = C();
    const double perk = FPose.EarPerk;
    std::vector<TVec> outer;
    std::vector<TVec> inner;
    if (AFront) {
      outer = {{45, 37}, {50.5, 26}, {57.2 + perk, 18.6}, {60.6, 27}, {62.8, 41}};
      inner = {{48.6, 37}, {52.6, 28.4}, {57.0 + perk * 0.8, 22.6}, {59.0, 29}, {59.8, 39}};
    } else {
      outer = {{33.5, 36.5}, {25, 28}, {20.4 + perk, 19.6}, {18.6, 30}, {19.6, 45}};
      inner = {{31, 37}, {25.2, 31}, {21.6 + perk * 0.8, 24.4}, {21.2, 32}, {22.6, 42}};
    }
    TMask ear = Mask();
    ear.Add(H(SmoothClosed(outer, 6)));
    const TVec base = H({AFront ? 54.0 : 26.0, 40});
    FCanvas.Part(
        ear,
        [=](double, double y) {
          return Mix(c.HairLight, c.Hair, Smooth(base.Y - 16, base.Y - 4, y));
        },
        c.HairLine, LINE);
    TMask in = Mask();
    in.Add(H(SmoothClosed(inner, 6)));
    FCanvas.Paint(in, [=](double, double y) {
      return Mix(c.EarInnerDeep, c.EarInner, Smooth(base.Y - 4, base.Y - 14, y));
    });
    // A tuft of fur at the inner base.
    TMask tuft = Mask();
    AddStroke(tuft,
              {H(Lerp(inner[0], inner[4], 0.5) + TVec{0, 0.5}),
               H(Lerp(inner[0], inner[4], 0.5) + TVec{AFront ? 0.4 : -0.4, -5.0})},
              1.1, 0.3);
    FCanvas.Paint(tuft, c.Cream);
  }

  void Eye(TVec ACentre, double ARx, double ARy, bool ANear) {
    const TColors& c = C();
    if (FPose.EyeOpen < 0.5) {
      TMask lid = Mask();
      AddStroke(lid,
                SmoothOpen({H(ACentre + TVec{-ARx, 0.5}), H(ACentre + TVec{0, 2.2}),
                            H(ACentre + TVec{ARx, 0.3})},
                           6),
                0.7, 0.55);
      FCanvas.Paint(lid, c.EyeLine);
      return;
    }
    TMask white = Mask();
    white.Add(H(Ellipse(ACentre, ARx, ARy)));
    FCanvas.Paint(white, c.Sclera);
    const TVec irisC = ACentre + TVec{ANear ? 0.5 : 0.3, 0.5};
    TMask iris = Mask();
    iris.Add(H(Ellipse(irisC, ARx * 0.86, ARy * 0.92)));
    iris.Keep(white);
    const TVec top = H(ACentre + TVec{0, -ARy});
    const double height = 2 * ARy;
    FCanvas.Paint(iris, [=](double, double y) {
      const double t = (y - top.Y) / height;
      TColor col = Mix(c.IrisTop, c.IrisMid, Smooth(0.15, 0.55, t));
      return Mix(col, c.IrisLow, Smooth(0.55, 0.95, t));
    });
    TMask pupil = Mask();
    pupil.Add(H(Ellipse(irisC + TVec{0, -0.6}, ARx * 0.36, ARy * 0.44)));
    pupil.Keep(white);
    FCanvas.Paint(pupil, c.Pupil);
    // Upper lash line with a small flick at the outer corner.
    TMask lash = Mask();
    std::vector<TVec> arc;
    // From the inner corner to the outer one, thickening outwards; the near eye's outer
    // corner is on the left.
    const double side = ANear ? -1.0 : 1.0;
    for (int i = 0; i <= 10; ++i) {
      const double a = std::numbers::pi * (1.5 - side * (0.42 - 0.84 * i / 10.0));
      arc.push_back(H(ACentre + TVec{ARx * 1.04 * std::cos(a), ARy * 0.98 * std::sin(a) + 0.2}));
    }
    AddStroke(lash, arc, 0.6, 1.05);
    AddStroke(lash, {arc.back(), H(ACentre + TVec{side * (ARx + 1.5), -ARy * 0.5})}, 0.8, 0.35);
    FCanvas.Paint(lash, c.EyeLine);
    TMask lower = Mask();
    AddStroke(
        lower,
        SmoothOpen({H(ACentre + TVec{-ARx * 0.55, ARy * 0.98}), H(ACentre + TVec{0, ARy * 1.06}),
                    H(ACentre + TVec{ARx * 0.55, ARy * 0.98})},
                   4),
        0.32, 0.32);
    FCanvas.Paint(lower, c.SkinLine);
    TMask shine = Mask();
    shine.Add(H(Ellipse(ACentre + TVec{-ARx * 0.32, -ARy * 0.3}, 1.45, 1.75)));
    shine.Add(H(Ellipse(ACentre + TVec{ARx * 0.38, ARy * 0.42}, 0.75, 0.75)));
    FCanvas.Paint(shine, c.Shine);
  }

  void Face() {
    const TColors& c = C();
    TMask face = Mask();
    face.Add(H(SmoothClosed({{28, 50},
                             {40, 44},
                             {54, 45},
                             {62, 52},
                             {63.2, 62},
                             {61, 71},
                             {55.5, 77.3},
                             {49.5, 79.6},
                             {41.5, 78.3},
                             {32.5, 73},
                             {27.2, 63}})));
    const TVec left = H({28, 60});
    const TVec topC = H({44, 50});
    FCanvas.Part(
        face,
        [=](double x, double y) {
          TColor col = Mix(c.SkinShade, c.Skin, Smooth(left.X + 1, left.X + 8, x));
          return Mix(col, c.SkinShade, (1.0 - Smooth(topC.Y + 2, topC.Y + 7, y)) * 0.8);
        },
        c.SkinLine, LINE);
    TMask blush = Mask();
    blush.Add(H(Ellipse({36.8, 71}, 3.8, 1.9)));
    blush.Add(H(Ellipse({59.2, 71}, 2.7, 1.7)));
    blush.Keep(face);
    const TVec b1 = H({36.8, 71});
    const TVec b2 = H({59.2, 71});
    FCanvas.Paint(blush, [=](double x, double y) {
      const double d = std::min(Length(TVec{x, y} - b1) / 3.8, Length(TVec{x, y} - b2) / 2.7);
      return Mix(c.Blush, c.Skin, Smooth(0.3, 1.05, d));
    });
    Eye({41.2, 63.6}, 4.7, 6.0, true);
    Eye({56.6, 63.6}, 3.7, 5.7, false);
    TMask nose = Mask();
    nose.Add(H(Ellipse({52.6, 69.3}, 0.55, 0.45)));
    FCanvas.Paint(nose, c.SkinShade);
    if (FPose.Mouth == 0) {
      TMask mouth = Mask();
      AddStroke(mouth,
                SmoothOpen({H({47.8, 73.2}), H({49.1, 74.5}), H({50.4, 73.5}), H({51.7, 74.5}),
                            H({53.0, 73.2})},
                           4),
                0.42, 0.42);
      FCanvas.Paint(mouth, c.Mouth);
    } else {
      TMask mouth = Mask();
      mouth.Add(H(
          SmoothClosed({{47.9, 72.8}, {53.2, 72.6}, {52.4, 75.2}, {50.4, 76.5}, {48.6, 75.2}}, 4)));
      const TVec low = H({50.4, 76});
      FCanvas.Part(
          mouth,
          [=](double x, double y) {
            return Length(TVec{x, y} - low) < 1.6 ? c.Tongue : c.Mouth;
          },
          c.Mouth, 0.35);
    }
  }

  void Head() {
    const TColors& c = C();
    Ear(false);
    Ear(true);
    // Skull hair.
    TMask skull = Mask();
    skull.Add(H(Ellipse({40, 56}, 23.6, 22.2)));
    const TVec top = H({40, 34});
    FCanvas.Part(skull, HairShader(top.Y, 44), c.HairLine, LINE);
    Face();
    // Far side lock, then bangs, then the near side lock in front of the cheek.
    TMask farLock = Mask();
    farLock.Add(H(SmoothClosed({Flow({24.5, 47}, 60, 0.25), Flow({31, 56}, 60, 0.25),
                                Flow({30.2, 68}, 60, 0.25), Flow({28.6, 80}, 60, 0.25),
                                Flow({25.2, 89}, 60, 0.25), Flow({22.6, 79}, 60, 0.25),
                                Flow({21, 64}, 60, 0.25), Flow({20.8, 53}, 60, 0.25)},
                               6)));
    FCanvas.Part(farLock, HairShader(top.Y, 56), c.HairLine, LINE);
    TMask farStrands = Mask();
    AddStroke(farStrands,
              SmoothOpen({H(Flow({26, 58}, 60, 0.25)), H(Flow({25.8, 70}, 60, 0.25)),
                          H(Flow({24.6, 82}, 60, 0.25))},
                         4),
              0.4, 0.2);
    farStrands.Keep(farLock);
    FCanvas.Paint(farStrands, c.HairShade);
    TMask bangs = Mask();
    bangs.Add(H(BangsOutline()));
    FCanvas.Part(bangs, HairShader(top.Y, 30), c.HairLine, LINE);
    // Strand lines and the shine ring.
    TMask strands = Mask();
    for (const auto& [a, b] : std::vector<std::pair<TVec, TVec>>{{{37, 34}, {36, 51}},
                                                                 {{46, 34}, {45.5, 51}},
                                                                 {{54, 38}, {53.5, 50.5}},
                                                                 {{29.5, 40}, {29.5, 50}},
                                                                 {{61, 46}, {60.5, 51}}}) {
      AddStroke(strands, SmoothOpen({H(a), H(Lerp(a, b, 0.5) + TVec{0.8, 0}), H(b)}, 4), 0.22,
                0.42);
    }
    strands.Keep(bangs);
    FCanvas.Paint(strands, c.HairShade);
    TMask ring = Mask();
    AddStroke(
        ring,
        SmoothOpen({H({24, 45}), H({33, 38.6}), H({44, 37.4}), H({55, 40.4}), H({61.5, 46})}, 6),
        1.1, 0.8);
    TMask hair = skull;
    hair.Add(bangs);
    ring.Keep(hair);
    ring.Cut(strands);
    FCanvas.Paint(ring, Mix(c.HairLight, Rgb(255, 250, 236), 0.45));
    TMask nearLock = Mask();
    std::vector<TVec> lock;
    for (TVec q : std::vector<TVec>{{58.6, 47},
                                    {64.2, 52},
                                    {65.8, 63},
                                    {65.2, 75},
                                    {62.8, 85.5},
                                    {60.6, 75.5},
                                    {60.2, 64},
                                    {58.4, 55}}) {
      q.X += FPose.LockSway * std::max(0.0, q.Y - 58) / 27.5;
      lock.push_back(Flow(q, 60, 0.25));
    }
    nearLock.Add(H(SmoothClosed(lock, 6)));
    FCanvas.Part(nearLock, HairShader(top.Y, 54), c.HairLine, LINE);
    TMask nearStrand = Mask();
    AddStroke(nearStrand,
              SmoothOpen({H(lock[0] + TVec{2.6, 6}), H(Lerp(lock[2], lock[6], 0.5)),
                          H(Lerp(lock[3], lock[5], 0.45))},
                         4),
              0.35, 0.2);
    nearStrand.Keep(nearLock);
    FCanvas.Paint(nearStrand, c.HairShade);
  }

  // The fringe: round on top, five pointed strands over the forehead.
  static TPolygon BangsOutline() {
    std::vector<TVec> pts = SmoothOpen({{22.5, 54},
                                        {21.5, 44},
                                        {27, 35.5},
                                        {38, 31},
                                        {50, 32},
                                        {59.5, 37.5},
                                        {64.5, 47},
                                        {64.8, 55.5}},
                                       6);
    const std::vector<TVec> tips{{64.8, 55.5}, {58.6, 59.2}, {50.2, 60}, {42.2, 59.4},
                                 {34.6, 58.4}, {26.6, 57.2}, {22.5, 54}};
    const std::vector<TVec> notches{{61.8, 48.6}, {54.6, 50.4}, {46.4, 50.8},
                                    {38.6, 50.4}, {30.6, 49.6}, {24.8, 50.2}};
    for (std::size_t i = 0; i + 1 < tips.size(); ++i) {
      const std::vector<TVec> up =
          Quad(tips[i], Lerp(tips[i], notches[i], 0.5) + TVec{-0.6, -1.6}, notches[i], 5);
      pts.insert(pts.end(), up.begin() + 1, up.end());
      const std::vector<TVec> down =
          Quad(notches[i], Lerp(notches[i], tips[i + 1], 0.5) + TVec{0.8, -1.2}, tips[i + 1], 5);
      pts.insert(pts.end(), down.begin() + 1, down.end());
    }
    return pts;
  }

  TCanvas& FCanvas;
  const TPose& FPose;
  TXform FUpper;
  TXform FHead;
};

} // namespace

void DrawNyarumi(TCanvas& ACanvas, const TPose& APose) {
  TPainter painter(ACanvas, APose);
  painter.Draw();
}

} // namespace nyarumi::art

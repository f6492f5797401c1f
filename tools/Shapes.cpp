#include "tools/Shapes.h"

#include <cmath>
#include <numbers>

namespace nyarumi::art {

TPolygon TXform::operator()(const TPolygon& P) const {
  TPolygon out;
  out.reserve(P.size());
  for (const TVec& p : P) {
    out.push_back((*this)(p));
  }
  return out;
}

TXform TXform::Then(const TXform& I) const {
  return {A * I.A + B * I.D, A * I.B + B * I.E, A * I.C + B * I.F + C,
          D * I.A + E * I.D, D * I.B + E * I.E, D * I.C + E * I.F + F};
}

TXform TXform::Translate(TVec ADelta) {
  return {1, 0, ADelta.X, 0, 1, ADelta.Y};
}

TXform TXform::Rotate(double ARadians, TVec APivot) {
  const double c = std::cos(ARadians);
  const double s = std::sin(ARadians);
  return {c, -s, APivot.X - c * APivot.X + s * APivot.Y,
          s, c,  APivot.Y - s * APivot.X - c * APivot.Y};
}

TXform TXform::Scale(double SX, double SY, TVec APivot) {
  return {SX, 0, APivot.X * (1 - SX), 0, SY, APivot.Y * (1 - SY)};
}

TPolygon Ellipse(TVec ACentre, double ARx, double ARy, double AAngle, int ASteps) {
  TPolygon out;
  const double c = std::cos(AAngle);
  const double s = std::sin(AAngle);
  for (int i = 0; i < ASteps; ++i) {
    const double t = 2 * std::numbers::pi * i / ASteps;
    const double x = ARx * std::cos(t);
    const double y = ARy * std::sin(t);
    out.push_back({ACentre.X + c * x - s * y, ACentre.Y + s * x + c * y});
  }
  return out;
}

TPolygon Capsule(TVec APa, double ARa, TVec APb, double ARb, int ASteps) {
  const TVec d = APb - APa;
  const double len = Length(d);
  if (len < 1e-9 || len <= std::abs(ARa - ARb)) {
    return ARa >= ARb ? Ellipse(APa, ARa, ARa) : Ellipse(APb, ARb, ARb);
  }
  const double base = std::atan2(d.Y, d.X);
  // Angle of the outer tangent's touching point measured from the axis.
  const double phi = std::acos((ARa - ARb) / len);
  TPolygon out;
  // Around B from +phi to -phi (the far side), then around A from 2π-phi to phi.
  for (int i = 0; i <= ASteps; ++i) {
    const double t = base + phi - 2 * phi * i / ASteps;
    out.push_back({APb.X + ARb * std::cos(t), APb.Y + ARb * std::sin(t)});
  }
  const double back = 2 * std::numbers::pi - 2 * phi;
  for (int i = 0; i <= ASteps; ++i) {
    const double t = base - phi - back * i / ASteps;
    out.push_back({APa.X + ARa * std::cos(t), APa.Y + ARa * std::sin(t)});
  }
  return out;
}

static TVec CatmullRom(TVec P0, TVec P1, TVec P2, TVec P3, double T) {
  const double t2 = T * T;
  const double t3 = t2 * T;
  return 0.5 * ((2 * P1) + (P2 - P0) * T + (2 * P0 - 5 * P1 + 4 * P2 - P3) * t2 +
                (3 * P1 - P0 - 3 * P2 + P3) * t3);
}

TPolygon SmoothClosed(const std::vector<TVec>& APoints, int APerSegment) {
  TPolygon out;
  const std::size_t n = APoints.size();
  for (std::size_t i = 0; i < n; ++i) {
    const TVec p0 = APoints[(i + n - 1) % n];
    const TVec p1 = APoints[i];
    const TVec p2 = APoints[(i + 1) % n];
    const TVec p3 = APoints[(i + 2) % n];
    for (int k = 0; k < APerSegment; ++k) {
      out.push_back(CatmullRom(p0, p1, p2, p3, static_cast<double>(k) / APerSegment));
    }
  }
  return out;
}

std::vector<TVec> SmoothOpen(const std::vector<TVec>& APoints, int APerSegment) {
  std::vector<TVec> out;
  const std::size_t n = APoints.size();
  if (n < 2) {
    return APoints;
  }
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const TVec p0 = i == 0 ? APoints[0] * 2 - APoints[1] * 1 : APoints[i - 1];
    const TVec p1 = APoints[i];
    const TVec p2 = APoints[i + 1];
    const TVec p3 = i + 2 < n ? APoints[i + 2] : APoints[n - 1] * 2 - APoints[n - 2] * 1;
    for (int k = 0; k < APerSegment; ++k) {
      out.push_back(CatmullRom(p0, p1, p2, p3, static_cast<double>(k) / APerSegment));
    }
  }
  out.push_back(APoints[n - 1]);
  return out;
}

void AddStroke(TMask& AMask, const std::vector<TVec>& APath, double AR0, double AR1) {
  if (APath.size() == 1) {
    AMask.Add(Ellipse(APath[0], AR0, AR0, 0, 16));
    return;
  }
  double total = 0;
  for (std::size_t i = 1; i < APath.size(); ++i) {
    total += Length(APath[i] - APath[i - 1]);
  }
  double run = 0;
  for (std::size_t i = 1; i < APath.size(); ++i) {
    const double seg = Length(APath[i] - APath[i - 1]);
    const double r0 = AR0 + (AR1 - AR0) * (total > 0 ? run / total : 0);
    const double r1 = AR0 + (AR1 - AR0) * (total > 0 ? (run + seg) / total : 0);
    AMask.Add(Capsule(APath[i - 1], r0, APath[i], r1, 8));
    run += seg;
  }
}

std::vector<TVec> Quad(TVec A, TVec B, TVec C, int ASteps) {
  std::vector<TVec> out;
  for (int i = 0; i <= ASteps; ++i) {
    const double t = static_cast<double>(i) / ASteps;
    out.push_back(A * ((1 - t) * (1 - t)) + B * (2 * t * (1 - t)) + C * (t * t));
  }
  return out;
}

TVec Lerp(TVec A, TVec B, double T) {
  return A + (B - A) * T;
}

double Length(TVec A) {
  return std::hypot(A.X, A.Y);
}

} // namespace nyarumi::art

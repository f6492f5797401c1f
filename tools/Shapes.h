#pragma once
// Polygon builders for the drawing: ellipses, tapered limbs, smooth curves and an affine frame
// that lets each body part be drawn in its own coordinates.
#include "tools/Raster.h"

#include <vector>

namespace nyarumi::art {

// X' = A·X + B·Y + C, Y' = D·X + E·Y + F.
struct TXform {
  double A = 1, B = 0, C = 0, D = 0, E = 1, F = 0;
  TVec operator()(TVec P) const { return {A * P.X + B * P.Y + C, D * P.X + E * P.Y + F}; }
  TPolygon operator()(const TPolygon& P) const;
  // This transform applied after AInner.
  TXform Then(const TXform& AInner) const;
  static TXform Translate(TVec ADelta);
  static TXform Rotate(double ARadians, TVec APivot);
  static TXform Scale(double SX, double SY, TVec APivot);
};

TPolygon Ellipse(TVec ACentre, double ARx, double ARy, double AAngle = 0, int ASteps = 56);
// The convex hull of two discs: a limb segment that tapers from ARa to ARb.
TPolygon Capsule(TVec APa, double ARa, TVec APb, double ARb, int ASteps = 12);
// A closed Catmull-Rom curve through the points.
TPolygon SmoothClosed(const std::vector<TVec>& APoints, int APerSegment = 8);
// An open Catmull-Rom curve through the points (end points included).
std::vector<TVec> SmoothOpen(const std::vector<TVec>& APoints, int APerSegment = 8);
// A stroke along a polyline whose radius runs linearly from AR0 to AR1.
void AddStroke(TMask& AMask, const std::vector<TVec>& APath, double AR0, double AR1);
// Quadratic Bézier sampled into points.
std::vector<TVec> Quad(TVec A, TVec B, TVec C, int ASteps = 10);
TVec Lerp(TVec A, TVec B, double T);
double Length(TVec A);

} // namespace nyarumi::art

#pragma once
// Where a point lies against an outline of the floor map's kind, by plain floating-point
// geometry (internal). Kept apart from the map's exact arrangement on purpose: it is the
// second opinion the map's results are checked against.
#include <array>
#include <vector>

#include "cadhost/occt/geometry/floor_map.hpp"

namespace corvex::cadhost::occt {

using Point2 = std::array<double, 2>;

// Whether `point` lies inside the outline (by its winding number). Near the outline the answer
// is only as good as the rounding: ask `distanceToOutline` first.
bool insideOutline(const Outline& outline, const Point2& point);
double distanceToOutline(const Outline& outline, const Point2& point);

// The outline's box: its corners' and, for arcs, their circles'.
std::array<double, 4> outlineBox(const Outline& outline);  // x0, y0, x1, y1

// Two points `offset` from the middle of each of the outline's pieces, one on each side of it:
// left first (inside an outline walked counter-clockwise). Where a cut was made, they tell it
// from its neighbours.
std::vector<Point2> besidePieces(const Outline& outline, double offset);

}  // namespace corvex::cadhost::occt

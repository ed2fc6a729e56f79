#pragma once
// The solid a cutter of any shape sweeps along a helix about an upright axis. The
// body turns about the axis as it rises or falls (a screw motion: the body is round, so it
// sweeps the same as when it only moves), and the body's silhouette along the motion is fixed
// in the body: it is the silhouette of a straight move along the helix's tangent
// (body_bands.hpp). The sweep is the body's back pieces at the start, its forward pieces at the
// end, and the silhouette's edges screwed along the helix: the lines up the shank make exact
// cylinders about the axis; the others make spline surfaces whose poles are the curve's poles
// screwed along a spline of the turn, which strays from the true helix by at most
// kScrewTolerance (with the bull-nose's silhouette, kSilhouetteTolerance). Fails with an
// automation::Error.
#include <TopoDS_Shape.hxx>
#include <gp_Pnt.hxx>

#include <cmath>

#include "cadhost/occt/geometry/cutter_body.hpp"

namespace corvex::cadhost::occt {

// How far the spline faces of a helix's sweep may lie from the true ones.
inline constexpr double kScrewTolerance = 1e-7;
// The most a helix's sweep may turn: beyond half a turn the body at one end may meet the sweep
// it left behind.
inline constexpr double kMostScrewTurn = M_PI;

// The sweep of a cutter of `length` whose tip turns from `from` about the upright
// axis through `centre` (at the start's height) by `turn` radians, counter-clockwise when
// positive, while it rises by `rise` (a fall below 0; not 0). The radius must exceed the
// cutter's, and the turn lie within kMostScrewTurn.
TopoDS_Shape screwSweep(const CutterProfile& cutter, double length, const gp_Pnt& from, const gp_Pnt& centre, double turn,
                        double rise);

}  // namespace corvex::cadhost::occt

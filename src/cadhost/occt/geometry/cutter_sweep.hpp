#pragma once
// The exact solid a milling cutter sweeps along a straight move in any direction: the Minkowski
// sum of its body and the move. The body is convex, so the sum is the body's back part at the
// start, its front part at the end, and between them the prism that the surface dividing the
// two parts (spanning the body's silhouette seen along the move) sweeps along the move. For a
// ball that surface is the rectangle above the ball's equator and the half of the great disc
// square to the move below it, and on a slope half of the top disc; along a level move, for any
// cutter, the body's section across the move (a flat end mill's: the axial rectangle). The parts share whole faces,
// which the kernel's glued fuse joins without intersecting surfaces. A sloping move of any body
// but the ball is made face by face (silhouette_sweep.hpp). Every function fails with
// an automation::Error.
#include <TopoDS_Shape.hxx>
#include <gp_Pnt.hxx>

#include "cadhost/occt/geometry/cutter_body.hpp"

namespace corvex::cadhost::occt {

// Below this, a move's change across (in X and Y) or along Z is taken as none: the move is
// straight up or down, or level. The part then differs from the exact one by less than this.
inline constexpr double kSweepFlatness = 1e-6;

// The solid the cutter of `length` sweeps as its tip moves from `from` to `to`; the body alone
// for a move of no length.
TopoDS_Shape straightSweep(const CutterProfile& cutter, double length, const gp_Pnt& from, const gp_Pnt& to);

// The solid the cutter sweeps as its tip turns level from `from` about the upright axis through
// `centre` by `turn` radians (counter-clockwise when positive): the body's part behind its
// section square to the motion (the upright plane through the centre) at the start, that
// section turned about the axis (rings of planes, cylinders, cones and tori), and the body's
// part ahead at the end; a full turn is the turned section alone. The turn's radius must exceed
// the cutter's, else the section would cross the axis.
TopoDS_Shape arcSweep(const CutterProfile& cutter, double length, const gp_Pnt& from, const gp_Pnt& centre, double turn);

}  // namespace corvex::cadhost::occt

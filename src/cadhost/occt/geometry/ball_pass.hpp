#pragma once
// The exact solid a ball-nose cutter sweeps along a chain of straight moves that lie in one
// vertical plane and go forward all the way (a pass of a finishing raster, a ramp, a single
// move), cut off level at a height the cutter's top never falls below. Made face by face, with
// no Boolean: a finishing pass of 184 moves is one solid of some 400 faces, where uniting the
// moves' own sweeps took the kernel minutes.
//
// Beneath its centre's path the ball leaves the lower half of the pipe around the path: half
// cylinders about the moves, joined where the path bends down (the inside of the bend, below)
// on the plane halfway between them, and where it bends up by the piece of the sphere about
// the corner between the moves' end circles. Above the pipe's sides the shank leaves two walls
// in the vertical planes a radius either side of the path, and the ball at the chain's ends
// leaves the cutter's body there. Only when the chain goes forward and the pipe's lower side,
// offset a radius from the path, meets nothing of the path nearer than a radius, are these
// faces the solid's boundary; otherwise there is no pass (see `ballPass`).
#include <TopoDS_Shape.hxx>
#include <gp_Pnt.hxx>

#include <optional>
#include <vector>

namespace corvex::cadhost::occt {

// Within this, every tip of a pass lies in the plane through the first and the last tip, and
// the pass is made in that plane: the part differs from the exact one by less than this.
inline constexpr double kPassPlaneTolerance = 1e-7;

// The solid a ball of `radius` (its tip at each of `tips` in turn) sweeps up to the height
// `top`, which must lie above every tip by more than the radius. None when the tips do not
// form a pass: fewer than two, not in one vertical plane, not forward all the way along it, or
// bending down so sharply that the ball's sweep is not the faces above. Fails with an
// automation::Error when the kernel cannot make the solid.
std::optional<TopoDS_Shape> ballPass(double radius, double top, const std::vector<gp_Pnt>& tips);

}  // namespace corvex::cadhost::occt
